#include "mesh/mesh.h"

#include <cstdio>
#include <new>
#include <vector>

#include "math/format.h"
#include "mesh/dump.h"
#include "mesh/error.h"
#include "mesh/meshbuilder.h"
#include "mesh/textscanner.h"

namespace facetry {

std::string LoadError::located() const {
    const std::string message = what();
    if (source.empty() || message.compare(0, source.size() + 1, source + ":") == 0) return message;
    if (lineNumber > 0) return source + ":" + std::to_string(lineNumber) + ": " + message;
    return source + ": " + message;
}

Mesh::~Mesh() { clear(); }

void Mesh::clear() {
    faces.clear();
    edges.clear();
    vertices.clear();
    numV = numE = numF = 0;
    topo = MeshTopology();
    positions = std::vector<Vector>();
    centroids = std::vector<Vector>();
    vertexSharpness = std::vector<float>();
    edgeSharpness = std::vector<float>();
    vertexLinks = std::vector<MrVertexHost>();
    edgeLinks = std::vector<MrVertexHost>();
    faceLinks = std::vector<MrVertexHost>();
    creased = false;
    schemeOptions = SchemeOptions();
    holes = std::vector<unsigned char>();
    texCoords = std::vector<float>();
    cornerTex = std::vector<int>();
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
    // Errors met while reading carry the line the scanner stopped on; those
    // of the finished mesh (no faces, a vertex whose faces form no fan) are
    // about the whole of it.
    bool reading = true;
    TextScanner in(input);
    try {
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
        builder.declareEdgeCount(edgeCount);

        // Face records: indices ended by -1. A dropped face lowers the count,
        // and the next record is read into the same slot.
        int list[kMaxFaceValence];
        for (int slot = 0; slot < faceCount;) {
            int count = 0;
            for (;;) {
                int index;
                if (!in.readInt(index) || index < -1 || index >= vertexCount)
                    throw LoadError(format("PARSE ERROR: face %d", slot));
                if (index == -1) break;
                if (count == kMaxFaceValence) {
                    // One vertex over the limit is enough for the builder to
                    // drop the face; it says so before the rest is read.
                    ++count;
                    break;
                }
                list[count++] = index;
            }
            const bool accepted = builder.addFace(list, count);
            if (count > kMaxFaceValence) {
                // Pass over the rest of the record, through its -1.
                int index;
                do {
                    if (!in.readInt(index)) throw LoadError(format("PARSE ERROR: face %d", slot));
                } while (index != -1);
            }
            if (accepted)
                ++slot;
            else
                --faceCount;
        }
        reading = false;
        builder.finish(*this);
    } catch (const std::bad_alloc&) {
        clear();
        throw LoadError("ERROR: not enough memory to load the mesh");
    } catch (const LoadError& error) {
        if (!reading || error.line() > 0) throw;
        throw LoadError(error.what(), "", in.line());
    }
}

int Mesh::totalValence() const { return static_cast<int>(topo.cornerVertices.size()); }

int Mesh::cornerTextureCoordinate(int f, int k) const {
    FACETRY_ASSERT(!cornerTex.empty() && 0<=f && f<numF && 0<=k && k<topo.valence(f));
    return cornerTex[topo.faceStart[f] + k];
}

void Mesh::boundingBox(Vector& min, Vector& max) const {
    FACETRY_ASSERT(numV);
    min = max = positions[0];
    for (int i = 1; i < numV; ++i) {
        min = componentMin(min, positions[i]);
        max = componentMax(max, positions[i]);
    }
}

void Mesh::print() const { printElements("[MESH]", numV, vertices.data(), numE, edges.data(), numF, faces.data()); }

}  // namespace facetry
