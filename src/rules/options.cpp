#include "rules/options.h"

namespace facetry {

namespace {

// An option's value by its name, through the names of every value.
template <class Option, std::size_t N>
std::optional<Option> named(const std::string& name, const Option (&values)[N]) {
    for (Option value : values)
        if (name == schemeName(value)) return value;
    return std::nullopt;
}

}  // namespace

const char* schemeName(BoundaryInterpolation boundary) {
    switch (boundary) {
    case BoundaryInterpolation::None: return "none";
    case BoundaryInterpolation::EdgeAndCorner: return "edge-and-corner";
    case BoundaryInterpolation::EdgeOnly: break;
    }
    return "edge-only";
}

const char* schemeName(CreasingMethod creasing) { return creasing == CreasingMethod::Chaikin ? "chaikin" : "uniform"; }

const char* schemeName(TriangleSubdivision triangles) {
    return triangles == TriangleSubdivision::Smooth ? "smooth" : "catmull-clark";
}

const char* schemeName(FaceVaryingInterpolation faceVarying) {
    switch (faceVarying) {
    case FaceVaryingInterpolation::None: return "none";
    case FaceVaryingInterpolation::CornersOnly: return "corners-only";
    case FaceVaryingInterpolation::CornersPlus1: return "corners-plus1";
    case FaceVaryingInterpolation::CornersPlus2: return "corners-plus2";
    case FaceVaryingInterpolation::Boundaries: return "boundaries";
    case FaceVaryingInterpolation::All: break;
    }
    return "all";
}

std::optional<BoundaryInterpolation> boundaryNamed(const std::string& name) {
    static const BoundaryInterpolation values[] = {BoundaryInterpolation::EdgeOnly, BoundaryInterpolation::EdgeAndCorner,
                                                   BoundaryInterpolation::None};
    return named(name, values);
}

std::optional<CreasingMethod> creasingNamed(const std::string& name) {
    static const CreasingMethod values[] = {CreasingMethod::Uniform, CreasingMethod::Chaikin};
    return named(name, values);
}

std::optional<TriangleSubdivision> trianglesNamed(const std::string& name) {
    static const TriangleSubdivision values[] = {TriangleSubdivision::CatmullClark, TriangleSubdivision::Smooth};
    return named(name, values);
}

std::optional<FaceVaryingInterpolation> faceVaryingNamed(const std::string& name) {
    static const FaceVaryingInterpolation values[] = {
        FaceVaryingInterpolation::None,         FaceVaryingInterpolation::CornersOnly, FaceVaryingInterpolation::CornersPlus1,
        FaceVaryingInterpolation::CornersPlus2, FaceVaryingInterpolation::Boundaries,  FaceVaryingInterpolation::All};
    return named(name, values);
}

}  // namespace facetry
