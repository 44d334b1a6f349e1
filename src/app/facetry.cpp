// facetry FILE: loads a control mesh, lays a Catmull-Clark surface over it
// and opens it for viewing and editing.
#include "app/main.h"

using namespace facetry;

int main(int argc, char** argv) { runViewer(argc, argv); }
