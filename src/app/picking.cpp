#include "app/picking.h"

#include "draw/meshdraw.h"

namespace facetry {

GLuint selectBuffer[kSelectBufferSize];

namespace {

// Where the one name of the first hit record sits: after its name count and
// its minimum and maximum depth.
constexpr int kFirstHitName = 3;

}  // namespace

void installSelectBuffer() { glSelectBuffer(kSelectBufferSize, selectBuffer); }

MeshVertex* pickVertex(const View& view, Mesh& mesh, int x, int y) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    setProjection(view, true, x, y);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    setModelview(view);
    drawVertices(mesh);
    glFlush();
    GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    // a negative count means the buffer overflowed: no pick either
    if (hits < 1) return nullptr;
    return mesh.vertex(static_cast<int>(selectBuffer[kFirstHitName]));
}

}  // namespace facetry
