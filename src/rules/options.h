#pragma once
// The scheme options a control mesh carries, as a subdivision file tags
// them: how boundaries are interpolated, how semi-sharp creases wear off and
// how the first step treats triangles. They belong to the control mesh, like
// its creases, and every path that refines it (level 0, the refinement
// kernels, edits, the limit, export) asks them of it. The defaults are the
// rules a file without tags gets.

#include <optional>
#include <string>

namespace facetry {

// Tag `t interpolateboundary 1/0/0 N`; the enumerators carry the file's N.
enum class BoundaryInterpolation {
    None = 0,           // boundary faces are holes where a vertex has a non-infinite boundary edge
    EdgeAndCorner = 1,  // as EdgeOnly, and a vertex with one face and two edges is a corner
    EdgeOnly = 2,       // boundary edges are infinitely sharp (the default)
};

// Tag `t creasemethod 0/0/1 normal|chaikin`.
enum class CreasingMethod {
    Uniform,  // "normal": every semi-sharp edge loses 1 per level (the default)
    Chaikin,  // each half takes a blend of the sharpness of the edges at its end vertex
};

// Tag `t smoothtriangles 0/0/1 catmark|smooth`.
enum class TriangleSubdivision {
    CatmullClark,  // "catmark": the ordinary edge point (the default)
    Smooth,        // edge points next to triangles weigh the face points as a triangle wants
};

// Tag `t facevaryinginterpolateboundary 1/0/0 N`: where the texture
// coordinates stay linear as they are refined; the enumerators carry the
// file's N. The texture coordinates are refined with the rules of the points,
// every UV seam (an edge whose two faces name different coordinates at an
// end) being a boundary of the UV layout; the rules say which vertices of
// that layout keep their value and which seams stay straight.
enum class FaceVaryingInterpolation {
    None = 0,          // smooth everywhere, seams as smooth boundaries
    CornersOnly = 1,   // as None, but a UV corner (a value of one face) keeps its value
    CornersPlus1 = 2,  // as CornersOnly, and a vertex where three or more values meet
    CornersPlus2 = 3,  // as CornersPlus1, and darts and a corner's partner value
    Boundaries = 4,    // the seams and the boundary stay linear
    All = 5,           // linear everywhere: bilinear within each control face (the default)
};

struct SchemeOptions {
    BoundaryInterpolation boundary = BoundaryInterpolation::EdgeOnly;
    CreasingMethod creasing = CreasingMethod::Uniform;
    TriangleSubdivision triangles = TriangleSubdivision::CatmullClark;
    FaceVaryingInterpolation faceVarying = FaceVaryingInterpolation::All;

    bool isDefault() const {
        return boundary == BoundaryInterpolation::EdgeOnly && creasing == CreasingMethod::Uniform &&
               triangles == TriangleSubdivision::CatmullClark && faceVarying == FaceVaryingInterpolation::All;
    }
    friend bool operator==(const SchemeOptions& a, const SchemeOptions& b) {
        return a.boundary == b.boundary && a.creasing == b.creasing && a.triangles == b.triangles &&
               a.faceVarying == b.faceVarying;
    }
    friend bool operator!=(const SchemeOptions& a, const SchemeOptions& b) { return !(a == b); }
};

// The names programs give the options (facetry-refine's --boundary,
// --creasing, --triangles and --uv-interpolation, the Python module's
// keywords): "edge-only", "edge-and-corner", "none"; "uniform", "chaikin";
// "catmull-clark", "smooth"; "none", "corners-only", "corners-plus1",
// "corners-plus2", "boundaries", "all". Each parser gives nothing for any
// other name.
const char* schemeName(BoundaryInterpolation boundary);
const char* schemeName(CreasingMethod creasing);
const char* schemeName(TriangleSubdivision triangles);
const char* schemeName(FaceVaryingInterpolation faceVarying);
std::optional<BoundaryInterpolation> boundaryNamed(const std::string& name);
std::optional<CreasingMethod> creasingNamed(const std::string& name);
std::optional<TriangleSubdivision> trianglesNamed(const std::string& name);
std::optional<FaceVaryingInterpolation> faceVaryingNamed(const std::string& name);

}  // namespace facetry
