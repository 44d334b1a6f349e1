#include "drawreference.h"

#include <GL/gl.h>

#include <vector>

#include "draw/glcolor.h"
#include "draw/mrdraw.h"

using namespace facetry;

namespace {

inline void emitPoint(const Vector& p) { glVertex3f(p.x, p.y, p.z); }

Vector cellNormal(const Vector& a, const Vector& b, const Vector& c, const Vector& d) {
    return cross(a, b) + cross(b, c) + cross(c, d) + cross(d, a);
}

void drawGridPoints(const Vector* g, int n) {
    glBegin(GL_POINTS);
    for (int k = 0; k < n * n; ++k) emitPoint(g[k]);
    glEnd();
}

void drawGridLines(const Vector* g, int n) {
    for (int i = 0; i < n; ++i) {
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < n; ++j) emitPoint(g[i * n + j]);
        glEnd();
    }
    for (int i = 0; i < n; ++i) {
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < n; ++j) emitPoint(g[j * n + i]);
        glEnd();
    }
}

void drawGridCells(const Vector* g, int n) {
    for (int i = 0; i + 1 < n; ++i) {
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j + 1 < n; ++j) {
            const Vector &a = g[i * n + j], &b = g[(i + 1) * n + j], &c = g[(i + 1) * n + j + 1], &d = g[i * n + j + 1];
            Vector normal = cellNormal(a, b, c, d);
            glNormal3f(normal.x, normal.y, normal.z);
            emitPoint(a);
            emitPoint(b);
            emitPoint(d);
            emitPoint(c);
        }
        glEnd();
    }
}

}  // namespace

void referenceSurface(const MrMesh& mesh, int mode) {
    if (mode == kDisplayVertices) glPointSize(1.0f);
    std::vector<Vector> grid;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const int level = mesh.curRes(), n = (1 << level) + 1;
        grid.resize(static_cast<std::size_t>(n) * n);
        gatherGrid(mesh.topology(), f, mesh.points(level), grid.data());
        switch (mode) {
            case kDisplayVertices:
                drawGridPoints(grid.data(), n);
                break;
            case kDisplayEdges:
                drawGridLines(grid.data(), n);
                break;
            case kDisplayColoredEdges:
                setColor(edgePaletteColor(f));
                drawGridLines(grid.data(), n);
                break;
            case kDisplayFaces:
                drawGridCells(grid.data(), n);
                break;
        }
    }
}

void referenceControlVertices(const Mesh& mesh) {
    glPointSize(7);
    for (int i = 0; i < mesh.numVertices(); ++i) {
        const MeshVertex& v = *mesh.vertex(i);
        glLoadName(static_cast<GLuint>(v.id));
        glBegin(GL_POINTS);
        emitPoint(v.position());
        glEnd();
    }
}

void referenceControlEdges(const Mesh& mesh) {
    glBegin(GL_LINES);
    for (int i = 0; i < mesh.numEdges(); ++i) {
        emitPoint(mesh.edge(i)->vertex(0)->position());
        emitPoint(mesh.edge(i)->vertex(1)->position());
    }
    glEnd();
    referenceControlVertices(mesh);
}

void referenceFrame(const Viewer& viewer) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setModelview(viewer.view);
    setColor(grey);
    const int mode = viewer.view.mrMeshDisplay;
    if (mode == kDisplayFaces) {
        glEnable(GL_LIGHTING);
        glShadeModel(GL_FLAT);
    } else {
        glDisable(GL_LIGHTING);
    }
    referenceSurface(*viewer.mrMesh, mode);
    glDisable(GL_LIGHTING);
    if (viewer.view.meshDisplay == kDisplayVertices || viewer.view.meshDisplay == kDisplayEdges) {
        setColor(green);
        referenceControlVertices(*viewer.mesh);
    }
    if (viewer.view.meshDisplay == kDisplayEdges) {
        setColor(darkGreen);
        referenceControlEdges(*viewer.mesh);
    }
    glDisable(GL_LIGHTING);
    glLoadIdentity();
    viewer.arcball.draw();
}
