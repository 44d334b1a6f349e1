#include "mesh/mesh.h"

#include <GL/gl.h>

#include <cstdio>
#include <new>
#include <vector>

#include "mesh/dump.h"
#include "mesh/error.h"
#include "mesh/meshbuilder.h"
#include "mesh/textscanner.h"

namespace {

constexpr int kMaxFaceValence = 20;
constexpr float kVertexPointSize = 7;

std::string format(const char* pattern, int value) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

Mesh::~Mesh() { clear(); }

void Mesh::clear() {
    delete[] faces;
    delete[] edges;
    delete[] vertices;
    faces = nullptr;
    edges = nullptr;
    vertices = nullptr;
    numV = numE = numF = 0;
    topo = MeshTopology();
    ringEdges.reset();
    ringFaces.reset();
    faceVertexList.reset();
    faceEdgeList.reset();
}

void Mesh::read(FILE* input) {
    try {
        load(input, [](const std::string& message) { reportError("%s", message.c_str()); });
    } catch (const LoadError& error) {
        fatalError("%s", error.what());
    }
}

void Mesh::load(FILE* input, const MessageSink& report) {
    FACETRY_ASSERT(!numV && !numE && !numF && input);
    try {
        TextScanner in(input);
        int vertexCount = 0, edgeCount = 0, faceCount = 0;
        if (!in.readCount("numV", vertexCount) || vertexCount < 0) throw LoadError("parse error, numVertices");
        // Vertices are taken as they come, so a count the file does not live
        // up to costs no memory.
        MeshBuilder builder(report);
        for (int i = 0; i < vertexCount; ++i) {
            float x, y, z;
            if (!in.readFloat(x) || !in.readFloat(y) || !in.readFloat(z))
                throw LoadError(format("parse error, vertex %d", i));
            builder.addVertex(Vector(x, y, z));
        }
        if (!in.readCount("numE", edgeCount) || edgeCount < 0) throw LoadError("parse error: numEdges");
        if (!in.readCount("numF", faceCount) || faceCount < 0) throw LoadError("parse error: numFaces");
        builder.setEdgeLimit(edgeCount);

        // Face records: indices ended by -1. A dropped face lowers the count,
        // and the next record is read into the same slot.
        int list[kMaxFaceValence];
        for (int slot = 0; slot < faceCount;) {
            int count = 0;
            bool good = true;
            for (;;) {
                int index;
                if (!in.readInt(index) || index < -1 || index >= vertexCount)
                    throw LoadError(format("PARSE ERROR: face %d", slot));
                if (index == -1) break;
                if (count == kMaxFaceValence) {
                    report(format("PARSE ERROR: face %d has too high valence", slot));
                    good = false;
                    // Pass over the rest of the record, through its -1.
                    do {
                        if (!in.readInt(index)) throw LoadError(format("PARSE ERROR: face %d", slot));
                    } while (index != -1);
                    break;
                }
                list[count++] = index;
            }
            if (good && count < 3) {
                report(format("parse error, vertex %d valence out of range", count));
                good = false;
            }
            if (good && builder.addFace(list, count))
                ++slot;
            else
                --faceCount;
        }
        if (builder.edgeCount() != edgeCount)
            report(format("PARSE WARNING: %d actual edges in mesh", builder.edgeCount()));
        builder.finish(*this);
    } catch (const std::bad_alloc&) {
        clear();
        throw LoadError("ERROR: not enough memory to load the mesh");
    }
}

int Mesh::totalValence() const {
    int total = 0;
    for (int i = 0; i < numF; ++i) total += faces[i].valence();
    return total;
}

void Mesh::boundingBox(Vector& min, Vector& max) const {
    FACETRY_ASSERT(numV);
    min = max = vertices[0].position();
    for (int i = 1; i < numV; ++i) {
        min = componentMin(min, vertices[i].position());
        max = componentMax(max, vertices[i].position());
    }
}

// The control mesh keeps no drawing state of its own (its vertices move under
// the mouse), so its arrays are filled at each draw, into storage kept from
// call to call: one pass over the vertices and edges, small beside drawing
// them, and a handful of calls however large the mesh. Drawing happens on
// the one thread that owns the OpenGL context.
static_assert(sizeof(Vector) == 3 * sizeof(float), "OpenGL reads the points as packed floats");

namespace {

std::vector<Vector>& positionScratch() {
    static std::vector<Vector> positions;
    return positions;
}

std::vector<GLuint>& edgeScratch() {
    static std::vector<GLuint> ends;
    return ends;
}

// The positions of `count` vertices, in order, as one array.
const Vector* positionArray(const MeshVertex* vertices, int count) {
    std::vector<Vector>& positions = positionScratch();
    positions.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) positions[i] = vertices[i].position();
    return positions.data();
}

}  // namespace

void Mesh::drawVertices() const {
    glPointSize(kVertexPointSize);
    GLint renderMode;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    if (renderMode == GL_SELECT) {
        // a name cannot change inside a primitive: one point per primitive
        for (int i = 0; i < numV; ++i) {
            const MeshVertex& v = vertices[i];
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
    glVertexPointer(3, GL_FLOAT, 0, positionArray(vertices, numV));
    glDrawArrays(GL_POINTS, 0, numV);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void Mesh::drawEdges() const {
    if (numE > 0) {
        std::vector<GLuint>& ends = edgeScratch();
        ends.resize(2 * static_cast<std::size_t>(numE));
        for (int i = 0; i < numE; ++i) {
            ends[2 * i] = static_cast<GLuint>(edges[i].vertex(0) - vertices);
            ends[2 * i + 1] = static_cast<GLuint>(edges[i].vertex(1) - vertices);
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, positionArray(vertices, numV));
        glDrawElements(GL_LINES, 2 * numE, GL_UNSIGNED_INT, ends.data());
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    drawVertices();
}

void Mesh::print() const { printElements("[MESH]", numV, vertices, numE, edges, numF, faces); }
