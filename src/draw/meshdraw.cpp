#include "draw/meshdraw.h"

#include <GL/gl.h>

#include <vector>

namespace facetry {

// The control mesh keeps no drawing state of its own (its vertices move under
// the mouse), so its arrays are filled at each draw, into storage kept from
// call to call: one pass over the vertices and edges, small beside drawing
// them, and a handful of calls however large the mesh. Drawing happens on
// the one thread that owns the OpenGL context.
static_assert(sizeof(Vector) == 3 * sizeof(float), "OpenGL reads the points as packed floats");

namespace {

constexpr float kVertexPointSize = 7;

std::vector<Vector>& positionScratch() {
    static std::vector<Vector> positions;
    return positions;
}

std::vector<GLuint>& edgeScratch() {
    static std::vector<GLuint> ends;
    return ends;
}

// The positions of the mesh's vertices, in order, as one array.
const Vector* positionArray(const Mesh& mesh) {
    std::vector<Vector>& positions = positionScratch();
    positions.resize(static_cast<std::size_t>(mesh.numVertices()));
    for (int i = 0; i < mesh.numVertices(); ++i) positions[i] = mesh.vertex(i)->position();
    return positions.data();
}

}  // namespace

void drawVertices(const Mesh& mesh) {
    glPointSize(kVertexPointSize);
    GLint renderMode;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    const int numV = mesh.numVertices();
    if (renderMode == GL_SELECT) {
        // a name cannot change inside a primitive: one point per primitive
        for (int i = 0; i < numV; ++i) {
            const MeshVertex& v = *mesh.vertex(i);
            glLoadName(static_cast<GLuint>(v.id));
            glBegin(GL_POINTS);
            Vector p = v.position();
            glVertex3f(p.x, p.y, p.z);
            glEnd();
        }
        return;
    }
    if (numV == 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positionArray(mesh));
    glDrawArrays(GL_POINTS, 0, numV);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void drawEdges(const Mesh& mesh) {
    const int numE = mesh.numEdges();
    if (numE > 0) {
        const std::vector<int>& edgeVertices = mesh.topology().edgeVertices;
        std::vector<GLuint>& ends = edgeScratch();
        ends.assign(edgeVertices.begin(), edgeVertices.end());
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, positionArray(mesh));
        glDrawElements(GL_LINES, 2 * numE, GL_UNSIGNED_INT, ends.data());
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    drawVertices(mesh);
}

}  // namespace facetry
