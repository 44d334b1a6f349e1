// Drawing of the surface in its four display modes. Every face draws its own
// grid of the current level, so a side shared by two faces is drawn by both.
#include <GL/gl.h>

#include <vector>

#include "math/colors.h"
#include "mr/mrdraw.h"
#include "mr/mrmesh.h"

namespace {

// The point size of the "Vertices" mode, in pixels.
constexpr float kSurfacePointSize = 1.0f;

inline void emitPoint(const Vector& p) { glVertex3f(p.x, p.y, p.z); }

// The Newell normal of the cell A, B, C, D: twice its vector area when it is
// planar, still usable when it is not; OpenGL normalises it.
Vector cellNormal(const Vector& a, const Vector& b, const Vector& c, const Vector& d) {
    return cross(a, b) + cross(b, c) + cross(c, d) + cross(d, a);
}

// The loops below keep (i, j) inside the n x n grid themselves, so they read
// it directly, row by row: point (i, j) is g[i * n + j].

void drawGridPoints(const Vector* g, int n) {
    glBegin(GL_POINTS);
    for (int k = 0; k < n * n; ++k) emitPoint(g[k]);
    glEnd();
}

void drawGridLines(const Vector* g, int n) {
    // lines of constant i first, then lines of constant j
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
        // The strip pairs A,B then D,C, so each cell is the quad A,B,C,D and
        // the quad between two cells collapses to a line.
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

// Calls draw(face, grid, n) for every face in index order with the face's
// whole grid at its level.
template <class Draw>
void forEachGrid(const MrMesh& mesh, Draw draw) {
    std::vector<Vector> grid;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const int level = mesh.face(f)->curRes(), n = (1 << level) + 1;
        grid.resize(static_cast<std::size_t>(n) * n);
        gatherGrid(mesh.topology(), f, mesh.points(level), grid.data());
        draw(f, grid.data(), n);
    }
}

}  // namespace

const Color& edgePaletteColor(int k) {
    // Filled on first use, so it never depends on the order in which the
    // named colours of other files come into being.
    static const Color palette[kEdgePaletteSize] = {
        lightGrey, lightRed, lightYellow, lightGreen, lightCyan, lightBlue, lightMagenta,
        darkGrey,  darkRed,  darkYellow,  darkGreen,  darkCyan,  darkBlue,  darkMagenta};
    return palette[k % kEdgePaletteSize];
}

void MrMesh::drawVertices() const {
    glPointSize(kSurfacePointSize);
    forEachGrid(*this, [](int, const Vector* g, int n) { drawGridPoints(g, n); });
}

void MrMesh::drawEdges() const {
    forEachGrid(*this, [](int, const Vector* g, int n) { drawGridLines(g, n); });
}

void MrMesh::drawColoredEdges() const {
    forEachGrid(*this, [](int f, const Vector* g, int n) {
        setColor(edgePaletteColor(f));
        drawGridLines(g, n);
    });
}

void MrMesh::drawFaces() const {
    forEachGrid(*this, [](int, const Vector* g, int n) { drawGridCells(g, n); });
}
