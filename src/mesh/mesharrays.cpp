#include "mesh/mesharrays.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <unordered_map>
#include <vector>

#include "math/format.h"
#include "mesh/meshbuilder.h"

namespace facetry {

namespace {

// "name k: message": an element of the arrays as a reader names a line.
[[noreturn]] void failAt(const char* name, std::int64_t k, const std::string& message) {
    throw LoadError(format("%s %lld: %s", name, static_cast<long long>(k), message.c_str()));
}

bool finite(const float* values, int count) {
    for (int k = 0; k < count; ++k)
        if (!std::isfinite(values[k])) return false;
    return true;
}

void addPoints(const MeshArrays& a, MeshBuilder& builder) {
    if (a.pointCount > INT32_MAX) throw LoadError(format("%lld points, at most %d", static_cast<long long>(a.pointCount), INT32_MAX));
    for (std::int64_t v = 0; v < a.pointCount; ++v) {
        const float* p = a.points + 3 * v;
        if (!finite(p, 3)) failAt("point", v, format("coordinates %g %g %g are not all finite", p[0], p[1], p[2]));
        builder.addVertex(Vector(p[0], p[1], p[2]));
    }
}

// Every size and index is checked before the first face goes in, as the
// OBJ reader checks every index also of a face the builder would drop.
void checkFaces(const MeshArrays& a) {
    std::int64_t corners = 0;
    for (std::int64_t f = 0; f < a.faceCount; ++f) {
        if (a.faceSizes[f] < 0) failAt("face", f, format("size %lld is negative", static_cast<long long>(a.faceSizes[f])));
        corners += a.faceSizes[f];
        if (corners > a.indexCount) break;
    }
    if (corners > a.indexCount)
        throw LoadError(format("the face sizes call for more indices than the %lld given", static_cast<long long>(a.indexCount)));
    if (corners < a.indexCount)
        throw LoadError(format("the face sizes call for %lld indices, %lld given", static_cast<long long>(corners),
                               static_cast<long long>(a.indexCount)));
    std::int64_t k = 0;
    for (std::int64_t f = 0; f < a.faceCount; ++f)
        for (std::int64_t end = k + a.faceSizes[f]; k < end; ++k) {
            const std::int64_t v = a.faceIndices[k];
            if (v < 0 || v >= a.pointCount)
                failAt("face", f, format("vertex index %lld out of range (%lld vertices)", static_cast<long long>(v),
                                         static_cast<long long>(a.pointCount)));
            if (a.cornerUVs && !finite(a.cornerUVs + 2 * k, 2))
                failAt("face", f, format("texture coordinate %g %g of corner %lld is not finite", a.cornerUVs[2 * k],
                                         a.cornerUVs[2 * k + 1], static_cast<long long>(k - (end - a.faceSizes[f]))));
        }
}

// The texture coordinate of every corner of the arrays: the corners of one
// vertex with the same (u, v) share one, so that the UV layout runs on
// across their edges; where the values differ the layout has a seam.
std::vector<int> cornerTextureCoordinates(const MeshArrays& a, MeshBuilder& builder) {
    struct Key {
        std::int64_t vertex;
        std::uint64_t uv;
        bool operator==(const Key& b) const { return vertex == b.vertex && uv == b.uv; }
    };
    struct Hash {
        std::size_t operator()(const Key& k) const {
            return std::hash<std::uint64_t>()(k.uv ^ (static_cast<std::uint64_t>(k.vertex) * 0x9e3779b97f4a7c15ull));
        }
    };
    std::unordered_map<Key, int, Hash> shared;
    std::vector<int> index(static_cast<std::size_t>(a.indexCount));
    for (std::int64_t k = 0; k < a.indexCount; ++k) {
        const float u = a.cornerUVs[2 * k] + 0.0f, v = a.cornerUVs[2 * k + 1] + 0.0f;  // -0 as 0
        std::uint32_t ub, vb;
        std::memcpy(&ub, &u, 4);
        std::memcpy(&vb, &v, 4);
        const Key key{a.faceIndices[k], static_cast<std::uint64_t>(ub) << 32 | vb};
        const auto found = shared.emplace(key, static_cast<int>(shared.size()));
        if (found.second) builder.addTextureCoordinate(u, v);
        index[k] = found.first->second;
    }
    return index;
}

// The faces in order, with their corners' texture coordinates.
// Returns each face's slot among the accepted faces, -1 for a dropped one.
std::vector<int> addFaces(const MeshArrays& a, MeshBuilder& builder) {
    std::vector<int> slots(static_cast<std::size_t>(a.faceCount), -1);
    const std::vector<int> coordinates = a.cornerUVs ? cornerTextureCoordinates(a, builder) : std::vector<int>();
    int indices[kMaxFaceValence], uvs[kMaxFaceValence];
    std::int64_t k = 0;
    for (std::int64_t f = 0; f < a.faceCount; k += a.faceSizes[f], ++f) {
        // A face beyond the limit is dropped by its size alone.
        const std::int64_t size = a.faceSizes[f];
        const int count = size > kMaxFaceValence ? kMaxFaceValence + 1 : static_cast<int>(size);
        for (int c = 0; c < count && c < kMaxFaceValence; ++c) {
            indices[c] = static_cast<int>(a.faceIndices[k + c]);
            if (a.cornerUVs) uvs[c] = coordinates[k + c];
        }
        const int slot = builder.faceCount();
        if (builder.addFace(indices, count, a.cornerUVs ? uvs : nullptr)) slots[f] = slot;
    }
    return slots;
}

void addHoles(const MeshArrays& a, const std::vector<int>& slots, MeshBuilder& builder, const MessageSink& report) {
    for (std::int64_t k = 0; k < a.holeCount; ++k) {
        const std::int64_t f = a.holes[k];
        if (f < 0 || f >= a.faceCount)
            failAt("hole", k, format("face index %lld out of range (%lld faces)", static_cast<long long>(f),
                                     static_cast<long long>(a.faceCount)));
        if (slots[f] >= 0)
            builder.setHole(slots[f]);
        else
            report(format("hole %lld: face %lld was dropped, hole ignored", static_cast<long long>(k), static_cast<long long>(f)));
    }
}

void addTags(const MeshArrays& a, MeshBuilder& builder) {
    for (std::int64_t k = 0; k < a.creaseCount; ++k) {
        try {
            builder.tagCrease(a.creases[2 * k], a.creases[2 * k + 1], a.creaseSharpness[k]);
        } catch (const LoadError& error) {
            failAt("crease", k, error.what());
        }
    }
    for (std::int64_t k = 0; k < a.cornerCount; ++k) {
        try {
            builder.tagCorner(a.corners[k], a.cornerSharpness[k]);
        } catch (const LoadError& error) {
            failAt("corner", k, error.what());
        }
    }
}

}  // namespace

void buildMesh(const MeshArrays& a, Mesh& mesh, const MessageSink& report) {
    try {
        MeshBuilder builder(report);
        checkFaces(a);
        addPoints(a, builder);
        const std::vector<int> slots = addFaces(a, builder);
        addTags(a, builder);
        addHoles(a, slots, builder, report);
        builder.setOptions(a.options);
        builder.finish(mesh);
    } catch (const std::bad_alloc&) {
        throw LoadError("ERROR: not enough memory for the mesh");
    }
}

void copyMesh(const Mesh& source, Mesh& copy) { copyMesh(source, copy, source.options()); }

void copyMesh(const Mesh& source, Mesh& copy, const SchemeOptions& options) {
    const MeshTopology& t = source.topology();
    // The source was checked when it was built: nothing is dropped or reported.
    MeshBuilder builder([](const std::string&) {});
    for (int v = 0; v < source.numVertices(); ++v) builder.addVertex(source.vertex(v)->position());
    const bool textured = source.hasTextureCoordinates();
    const std::vector<float>& uv = source.textureCoordinates();
    for (std::size_t k = 0; textured && k + 1 < uv.size(); k += 2) builder.addTextureCoordinate(uv[k], uv[k + 1]);
    int uvs[kMaxFaceValence];
    for (int f = 0; f < t.numF; ++f) {
        for (int k = 0; textured && k < t.valence(f); ++k) uvs[k] = source.cornerTextureCoordinate(f, k);
        const bool accepted = builder.addFace(t.cornerVertices.data() + t.faceStart[f], t.valence(f), textured ? uvs : nullptr);
        FACETRY_ASSERT(accepted);
    }
    for (int e = 0; e < t.numE; ++e)
        if (source.edge(e)->sharpness() > 0) builder.setEdgeSharpness(e, source.edge(e)->sharpness());
    for (int v = 0; v < t.numV; ++v)
        if (source.vertex(v)->taggedSharpness() > 0) builder.setVertexSharpness(v, source.vertex(v)->taggedSharpness());
    // The tags, from which the copy derives what the options add, as the original did.
    builder.setOptions(options);
    for (int f = 0; f < t.numF; ++f)
        if (source.isTaggedHole(f)) builder.setHole(f);
    builder.finish(copy);
}

}  // namespace facetry
