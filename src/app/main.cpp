// facetry: loads a control mesh, lays a Catmull-Clark surface over it and
// shows it for editing.

#include "app/startup.h"
#include "mesh/mesh.h"
#include "mr/mrmesh.h"

int main(int argc, char** argv) {
    Mesh* mesh = new Mesh;
    loadControlMesh(argc, argv, *mesh);
    ViewFit fit = fitView(*mesh);
    (void)fit;
    MrMesh* mrMesh = new MrMesh;
    mrMesh->build(*mesh);
    return 0;
}
