#include "draw/gridarrays.h"

#include "draw/glcolor.h"
#include "draw/mrdraw.h"

namespace facetry {

static_assert(sizeof(Vector) == 3 * sizeof(float), "OpenGL reads the points as packed floats");

namespace {

// The point size of the "Vertices" mode, in pixels.
constexpr float kSurfacePointSize = 1.0f;

// The Newell normal of the cell A, B, C, D: twice its vector area when it is
// planar, still usable when it is not; OpenGL normalises it.
Vector cellNormal(const Vector& a, const Vector& b, const Vector& c, const Vector& d) {
    return cross(a, b) + cross(b, c) + cross(c, d) + cross(d, a);
}

// The largest multiple of the palette size not above `count`, at least one palette.
int wholePalettes(long long count) {
    const long long palettes = count / kEdgePaletteSize;
    return static_cast<int>((palettes < 1 ? 1 : palettes) * kEdgePaletteSize);
}

}  // namespace

GridLayout::GridLayout(int faces, int level, const unsigned char* holes)
    : res(level), numF(faces), n((1 << level) + 1), holeFlags(holes) {
    FACETRY_ASSERT(faces >= 0 && level >= 0);
    // A small surface needs no batch larger than itself.
    const int enough = wholePalettes(faces + kEdgePaletteSize - 1);
    const int aimed = wholePalettes(kBatchVertices / facePoints());
    batchFaces = aimed < enough ? aimed : enough;
}

int GridLayout::facesIn(int batch) const {
    FACETRY_ASSERT(0 <= batch && batch < batches());
    const int rest = numF - firstFace(batch);
    return rest < batchFaces ? rest : batchFaces;
}

const GLuint* GridLayout::cellIndices() {
    if (cells.empty()) {
        cells.reserve(static_cast<std::size_t>(cellIndexCount(batchFaces)));
        for (int q = 0; q < batchFaces; ++q) {
            const GLuint base = static_cast<GLuint>(q) * static_cast<GLuint>(facePoints());
            for (int i = 0; i + 1 < n; ++i)
                for (int j = 0; j + 1 < n; ++j) {
                    const GLuint a = base + i * n + j, b = a + n, c = b + 1, d = a + 1;
                    cells.insert(cells.end(), {d, a, b, c});
                }
        }
    }
    return cells.data();
}

const GLuint* GridLayout::lineIndices() {
    if (lines.empty()) {
        lines.reserve(static_cast<std::size_t>(lineIndexCount(batchFaces)));
        for (int q = 0; q < batchFaces; ++q) {
            const GLuint base = static_cast<GLuint>(q) * static_cast<GLuint>(facePoints());
            for (int i = 0; i < n; ++i)  // lines of constant i
                for (int j = 0; j + 1 < n; ++j) lines.insert(lines.end(), {base + i * n + j, base + i * n + j + 1});
            for (int i = 0; i < n; ++i)  // lines of constant j
                for (int j = 0; j + 1 < n; ++j) lines.insert(lines.end(), {base + j * n + i, base + (j + 1) * n + i});
        }
    }
    return lines.data();
}

const GLfloat* GridLayout::colours() {
    if (palette.empty()) {
        palette.reserve(static_cast<std::size_t>(batchFaces) * facePoints() * 3);
        for (int q = 0; q < batchFaces; ++q) {
            const Color& c = edgePaletteColor(q);
            for (int k = 0; k < facePoints(); ++k) palette.insert(palette.end(), {c.r, c.g, c.b});
        }
    }
    return palette.data();
}

std::size_t GridLayout::bytes() const {
    return sizeof(GLuint) * (cells.capacity() + lines.capacity()) + sizeof(GLfloat) * palette.capacity();
}

std::size_t GridLayout::sharedBytes(int faces, int level) {
    const GridLayout layout(faces, level);
    const std::size_t batchFaces = static_cast<std::size_t>(layout.facesPerBatch());
    return sizeof(GLuint) * (static_cast<std::size_t>(layout.cellIndexCount(1)) + layout.lineIndexCount(1)) * batchFaces +
           sizeof(GLfloat) * 3 * layout.facePoints() * batchFaces;
}

void fillNormals(const Vector* p, int n, Vector* normals) {
    // each cell's normal on its corner C, (i+1, j+1)
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j) {
            const Vector &a = p[i * n + j], &b = p[(i + 1) * n + j], &c = p[(i + 1) * n + j + 1], &d = p[i * n + j + 1];
            normals[(i + 1) * n + j + 1] = cellNormal(a, b, c, d);
        }
    // row 0 and column 0 take the normal of the cell they touch
    for (int j = 0; j < n; ++j) normals[j] = normals[n + (j > 0 ? j : 1)];
    for (int i = 1; i < n; ++i) normals[i * n] = normals[i * n + 1];
}

void fillFace(const MrTopology& topology, const LevelPoints& level, int f, int n, Vector* points, Vector* normals) {
    FACETRY_ASSERT(level.cells + 1 == n);
    gatherGrid(topology, f, level, points);
    if (normals) fillNormals(points, n, normals);
}

void enableArrays(GridLayout& layout, SurfaceMode mode, bool on) {
    auto set = [on](GLenum array) { on ? glEnableClientState(array) : glDisableClientState(array); };
    set(GL_VERTEX_ARRAY);
    if (mode == SurfaceMode::Faces) set(GL_NORMAL_ARRAY);
    if (mode == SurfaceMode::ColoredEdges) {
        set(GL_COLOR_ARRAY);
        // every batch starts at palette colour 0, so the colours never move
        if (on) glColorPointer(3, GL_FLOAT, 0, layout.colours());
    }
    if (on && mode == SurfaceMode::Vertices) glPointSize(kSurfacePointSize);
}

// Faces [from, from + count) of the batch, counted from its first face.
static void drawRun(GridLayout& layout, SurfaceMode mode, int from, int count) {
    switch (mode) {
        case SurfaceMode::Vertices:
            glDrawArrays(GL_POINTS, from * layout.facePoints(), count * layout.facePoints());
            break;
        case SurfaceMode::Edges:
        case SurfaceMode::ColoredEdges:
            glDrawElements(GL_LINES, layout.lineIndexCount(count), GL_UNSIGNED_INT,
                           layout.lineIndices() + layout.lineIndexCount(from));
            break;
        case SurfaceMode::Faces:
            glDrawElements(GL_QUADS, layout.cellIndexCount(count), GL_UNSIGNED_INT,
                           layout.cellIndices() + layout.cellIndexCount(from));
            break;
    }
}

void drawBatch(GridLayout& layout, SurfaceMode mode, const BatchArrays& arrays, int first, int faces) {
    glVertexPointer(3, GL_FLOAT, 0, arrays.points);
    if (mode == SurfaceMode::Faces) {
        FACETRY_ASSERT(arrays.normals);
        glNormalPointer(GL_FLOAT, 0, arrays.normals);
    }
    if (!layout.hasHoles()) {
        drawRun(layout, mode, 0, faces);
        return;
    }
    for (int k = 0; k < faces;) {
        while (k < faces && layout.isHole(first + k)) ++k;
        const int start = k;
        while (k < faces && !layout.isHole(first + k)) ++k;
        if (k > start) drawRun(layout, mode, start, k - start);
    }
}

void finishMode(const GridLayout& layout, SurfaceMode mode, const BatchArrays& last, int faces) {
    // Drawing from a colour or normal array leaves the current one undefined.
    if (mode == SurfaceMode::ColoredEdges) {
        setColor(edgePaletteColor(layout.faces() - 1));
    } else if (mode == SurfaceMode::Faces) {
        // the last cell's normal sits on the last point of the last face
        const Vector& normal = last.normals[static_cast<std::size_t>(faces) * layout.facePoints() - 1];
        glNormal3f(normal.x, normal.y, normal.z);
    }
}

}  // namespace facetry
