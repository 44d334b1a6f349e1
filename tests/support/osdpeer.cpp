#include "support/osdpeer.h"

#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>

#include <algorithm>
#include <cmath>

using namespace facetry;

using namespace OpenSubdiv;

OsdControl osdControl(const Mesh& control) {
    OsdControl arrays;
    for (int f = 0; f < control.numFaces(); ++f) {
        const MeshFace* face = control.face(f);
        arrays.valences.push_back(face->valence());
        if (control.isHole(f)) arrays.holes.push_back(f);
        for (int k = 0; k < face->valence(); ++k) arrays.indices.push_back(face->vertex(k)->id);
        if (control.hasTextureCoordinates())
            for (int k = 0; k < face->valence(); ++k) arrays.uvIndices.push_back(control.cornerTextureCoordinate(f, k));
    }
    if (control.hasTextureCoordinates()) arrays.uvs = control.textureCoordinates();
    for (int v = 0; v < control.numVertices(); ++v) {
        const MeshVertex* vertex = control.vertex(v);
        const Vector p = vertex->position();
        arrays.positions.push_back({p.x, p.y, p.z});
        if (vertex->sharpness() > 0) {
            arrays.corners.push_back(v);
            arrays.cornerWeights.push_back(vertex->sharpness());
        }
    }
    for (int e = 0; e < control.numEdges(); ++e) {
        const MeshEdge* edge = control.edge(e);
        // A boundary edge's tag counts too: OpenSubdiv makes the edge
        // infinitely sharp anyway, but under boundary interpolation "none"
        // the tag decides which faces are holes.
        if (edge->sharpness() <= 0) continue;
        arrays.creaseEnds.push_back(edge->vertex(0)->id);
        arrays.creaseEnds.push_back(edge->vertex(1)->id);
        arrays.creaseWeights.push_back(edge->sharpness());
    }
    arrays.options = control.options();
    return arrays;
}

namespace {

Sdc::Options sdcOptions(const SchemeOptions& ours) {
    Sdc::Options options;
    switch (ours.boundary) {
    case BoundaryInterpolation::None: options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_NONE); break;
    case BoundaryInterpolation::EdgeOnly: options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_ONLY); break;
    case BoundaryInterpolation::EdgeAndCorner:
        options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
        break;
    }
    options.SetCreasingMethod(ours.creasing == CreasingMethod::Chaikin ? Sdc::Options::CREASE_CHAIKIN
                                                                       : Sdc::Options::CREASE_UNIFORM);
    options.SetTriangleSubdivision(ours.triangles == TriangleSubdivision::Smooth ? Sdc::Options::TRI_SUB_SMOOTH
                                                                                 : Sdc::Options::TRI_SUB_CATMARK);
    // The enumerators carry OpenSubdiv's numbers.
    options.SetFVarLinearInterpolation(static_cast<Sdc::Options::FVarLinearInterpolation>(ours.faceVarying));
    return options;
}

}  // namespace

std::unique_ptr<Far::TopologyRefiner> osdRefine(const OsdControl& control, int level, bool fullLastLevel) {
    const Sdc::Options options = sdcOptions(control.options);
    Far::TopologyDescriptor descriptor;
    descriptor.numVertices = static_cast<int>(control.positions.size());
    descriptor.numFaces = static_cast<int>(control.valences.size());
    descriptor.numVertsPerFace = control.valences.data();
    descriptor.vertIndicesPerFace = control.indices.data();
    descriptor.numCreases = static_cast<int>(control.creaseWeights.size());
    descriptor.creaseVertexIndexPairs = control.creaseEnds.data();
    descriptor.creaseWeights = control.creaseWeights.data();
    descriptor.numCorners = static_cast<int>(control.cornerWeights.size());
    descriptor.cornerVertexIndices = control.corners.data();
    descriptor.cornerWeights = control.cornerWeights.data();
    descriptor.numHoles = static_cast<int>(control.holes.size());
    descriptor.holeIndices = control.holes.data();
    Far::TopologyDescriptor::FVarChannel uvChannel;
    if (!control.uvIndices.empty()) {
        uvChannel.numValues = static_cast<int>(control.uvs.size() / 2);
        uvChannel.valueIndices = control.uvIndices.data();
        descriptor.numFVarChannels = 1;
        descriptor.fvarChannels = &uvChannel;
    }
    using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
    std::unique_ptr<Far::TopologyRefiner> refiner(
        Factory::Create(descriptor, Factory::Options(Sdc::SCHEME_CATMARK, options)));
    Far::TopologyRefiner::UniformOptions uniform(level);
    uniform.fullTopologyInLastLevel = fullLastLevel;
    refiner->RefineUniform(uniform);
    return refiner;
}

void osdInterpolate(const Far::TopologyRefiner& refiner, std::vector<OsdPoint>& all) {
    Far::PrimvarRefiner primvar(refiner);
    OsdPoint* source = all.data();
    for (int level = 1; level <= refiner.GetMaxLevel(); ++level) {
        OsdPoint* destination = source + refiner.GetLevel(level - 1).GetNumVertices();
        primvar.Interpolate(level, source, destination);
        source = destination;
    }
}

OsdSurface osdLimitSurface(const Mesh& control, int level) { return osdLimitSurface(osdControl(control), level); }

namespace {

Vector vectorOf(const OsdPoint& p) { return Vector(p.x, p.y, p.z); }

// The limit positions and normals of the `count` points at `last`.
void limitOf(const Far::TopologyRefiner& refiner, const OsdPoint* last, int count, std::vector<Vector>& positions,
             std::vector<Vector>& normals) {
    std::vector<OsdPoint> limit(count), tangent1(count), tangent2(count);
    Far::PrimvarRefiner(refiner).Limit(last, limit, tangent1, tangent2);
    positions.clear();
    normals.clear();
    for (int k = 0; k < count; ++k) {
        positions.push_back(vectorOf(limit[k]));
        const Vector a = vectorOf(tangent1[k]), b = vectorOf(tangent2[k]);
        const double x = double(a.y) * b.z - double(a.z) * b.y, y = double(a.z) * b.x - double(a.x) * b.z,
                     z = double(a.x) * b.y - double(a.y) * b.x;
        const double length = std::sqrt(x * x + y * y + z * z);
        normals.push_back(length > 0 ? Vector(float(x / length), float(y / length), float(z / length)) : Vector());
    }
}

}  // namespace

OsdSurface osdLimitSurface(const OsdControl& arrays, int level) {
    std::unique_ptr<Far::TopologyRefiner> refiner = osdRefine(arrays, level, true);
    std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
    std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
    osdInterpolate(*refiner, all);
    const int count = refiner->GetLevel(level).GetNumVertices();
    const OsdPoint* last = all.data() + all.size() - count;
    OsdSurface surface;
    for (int k = 0; k < count; ++k) surface.points.push_back(vectorOf(last[k]));
    limitOf(*refiner, last, count, surface.limitPositions, surface.limitNormals);
    return surface;
}

namespace {

// A point in double precision, for OpenSubdiv's limit masks in double.
struct OsdPointD {
    double x, y, z;
    void Clear(void* = nullptr) { x = y = z = 0; }
    void AddWithWeight(const OsdPointD& p, double weight) {
        x += weight * p.x;
        y += weight * p.y;
        z += weight * p.z;
    }
};

}  // namespace

void osdLimitOf(const Mesh& control, int level, const std::vector<Vector>& points, std::vector<Vector>& positions,
                std::vector<Vector>& normals) {
    std::unique_ptr<Far::TopologyRefiner> refiner = osdRefine(osdControl(control), level, true);
    const std::size_t count = points.size();
    std::vector<OsdPointD> last(count), limit(count), tangent1(count), tangent2(count);
    for (std::size_t k = 0; k < count; ++k) last[k] = {points[k].x, points[k].y, points[k].z};
    Far::PrimvarRefinerReal<double>(*refiner).Limit(last.data(), limit, tangent1, tangent2);
    positions.clear();
    normals.clear();
    for (std::size_t k = 0; k < count; ++k) {
        positions.push_back(Vector(float(limit[k].x), float(limit[k].y), float(limit[k].z)));
        const OsdPointD& a = tangent1[k];
        const OsdPointD& b = tangent2[k];
        const double x = a.y * b.z - a.z * b.y, y = a.z * b.x - a.x * b.z, z = a.x * b.y - a.y * b.x;
        const double length = std::sqrt(x * x + y * y + z * z);
        normals.push_back(length > 0 ? Vector(float(x / length), float(y / length), float(z / length)) : Vector());
    }
}

namespace {

// A texture coordinate in double precision, for the face-varying refinement.
struct OsdUV {
    double u, v;
    void Clear(void* = nullptr) { u = v = 0; }
    void AddWithWeight(const OsdUV& p, double weight) {
        u += weight * p.u;
        v += weight * p.v;
    }
};

}  // namespace

OsdFaceVarying osdFaceVarying(const Mesh& control, int level) { return osdFaceVarying(osdControl(control), level); }

OsdFaceVarying osdFaceVarying(const OsdControl& arrays, int level) {
    std::unique_ptr<Far::TopologyRefiner> refiner = osdRefine(arrays, level, true);
    OsdFaceVarying result;
    std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
    std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
    osdInterpolate(*refiner, all);
    const Far::TopologyLevel& last = refiner->GetLevel(level);
    const OsdPoint* points = all.data() + all.size() - last.GetNumVertices();
    for (int k = 0; k < last.GetNumVertices(); ++k) result.points.push_back(vectorOf(points[k]));
    if (arrays.uvIndices.empty()) return result;

    // Level by level, each level's values from the one before.
    std::vector<OsdUV> values(arrays.uvs.size() / 2);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = {arrays.uvs[2 * k], arrays.uvs[2 * k + 1]};
    Far::PrimvarRefinerReal<double> primvar(*refiner);
    for (int l = 1; l <= level; ++l) {
        std::vector<OsdUV> refined(refiner->GetLevel(l).GetNumFVarValues(0));
        primvar.InterpolateFaceVarying(l, values, refined, 0);
        values.swap(refined);
    }
    std::vector<OsdUV> limits(values.size());
    primvar.LimitFaceVarying(values, limits, 0);
    for (std::size_t k = 0; k < values.size(); ++k) {
        result.values.insert(result.values.end(), {values[k].u, values[k].v});
        result.limits.insert(result.limits.end(), {limits[k].u, limits[k].v});
    }

    result.faceStart.push_back(0);
    for (int f = 0; f < last.GetNumFaces(); ++f) {
        const Far::ConstIndexArray vertices = last.GetFaceVertices(f), fvar = last.GetFaceFVarValues(f, 0);
        for (int k = 0; k < vertices.size(); ++k) {
            result.faceVertices.push_back(vertices[k]);
            result.faceValues.push_back(fvar[k]);
        }
        result.faceStart.push_back(static_cast<int>(result.faceVertices.size()));
        result.holes.push_back(last.IsFaceHole(f) ? 1 : 0);
    }
    return result;
}
