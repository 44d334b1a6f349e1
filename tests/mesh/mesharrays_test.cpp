// A control mesh from arrays against the same mesh from a file: the loaders
// are the oracle. Over the catalogue, with faces the builder drops, with
// creases, corners and texture coordinates as OBJ tags and vt lines give
// them; every error of the arrays with its message; a copy of a loaded mesh.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "mesh/mesharrays.h"
#include "mesh/meshfile.h"
#include "support/catalogue.h"
#include "support/loading.h"

using namespace facetry;

namespace {

// Arrays a test owns, and the view buildMesh takes of them.
struct Arrays {
    std::vector<float> points, uvs, creaseSharpness, cornerSharpness;
    std::vector<std::int64_t> sizes, indices, creases, corners;

    MeshArrays view() const {
        MeshArrays a;
        a.points = points.data();
        a.pointCount = static_cast<std::int64_t>(points.size() / 3);
        a.faceSizes = sizes.data();
        a.faceCount = static_cast<std::int64_t>(sizes.size());
        a.faceIndices = indices.data();
        a.indexCount = static_cast<std::int64_t>(indices.size());
        a.cornerUVs = uvs.empty() ? nullptr : uvs.data();
        a.creases = creases.data();
        a.creaseSharpness = creaseSharpness.data();
        a.creaseCount = static_cast<std::int64_t>(creaseSharpness.size());
        a.corners = corners.data();
        a.cornerSharpness = cornerSharpness.data();
        a.cornerCount = static_cast<std::int64_t>(cornerSharpness.size());
        return a;
    }
};

Arrays arraysOf(const std::vector<Vector>& positions, const std::vector<std::vector<int>>& faces) {
    Arrays a;
    for (const Vector& p : positions) a.points.insert(a.points.end(), {p.x, p.y, p.z});
    for (const std::vector<int>& face : faces) {
        a.sizes.push_back(static_cast<std::int64_t>(face.size()));
        a.indices.insert(a.indices.end(), face.begin(), face.end());
    }
    return a;
}

std::vector<Vector> vectorsOf(const RefMesh& mesh) {
    std::vector<Vector> points;
    for (const RefPoint& p : mesh.points)
        points.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
    return points;
}

Loaded fromArrays(const Arrays& arrays) {
    Loaded result;
    try {
        buildMesh(arrays.view(), *result.mesh, [&](const std::string& m) { result.messages.push_back(m); });
    } catch (const LoadError& error) {
        result.fatal = error.what();
    }
    return result;
}

// The first way the two meshes differ, or "": positions, every index array,
// every sharpness, every corner's texture coordinate.
std::string difference(const Mesh& a, const Mesh& b) {
    if (positionsOf(a) != positionsOf(b)) return "positions";
    const MeshTopology &s = a.topology(), &t = b.topology();
    if (s.faceStart != t.faceStart || s.cornerVertices != t.cornerVertices) return "faces";
    if (s.cornerEdges != t.cornerEdges || s.edgeVertices != t.edgeVertices || s.edgeFaces != t.edgeFaces) return "edges";
    if (s.ringStart != t.ringStart || s.ringEdges != t.ringEdges || s.ringFaces != t.ringFaces) return "rings";
    for (int e = 0; e < a.numEdges(); ++e)
        if (a.edge(e)->sharpness() != b.edge(e)->sharpness()) return "sharpness of edge " + std::to_string(e);
    for (int v = 0; v < a.numVertices(); ++v)
        if (a.vertex(v)->sharpness() != b.vertex(v)->sharpness()) return "sharpness of vertex " + std::to_string(v);
    if (a.hasCreases() != b.hasCreases()) return "hasCreases";
    if (a.hasTextureCoordinates() != b.hasTextureCoordinates()) return "hasTextureCoordinates";
    for (int f = 0; a.hasTextureCoordinates() && f < a.numFaces(); ++f)
        for (int k = 0; k < s.valence(f); ++k) {
            const int i = a.cornerTextureCoordinate(f, k), j = b.cornerTextureCoordinate(f, k);
            if (a.textureCoordinates()[2 * i] != b.textureCoordinates()[2 * j] ||
                a.textureCoordinates()[2 * i + 1] != b.textureCoordinates()[2 * j + 1])
                return "texture coordinate of face " + std::to_string(f) + " corner " + std::to_string(k);
        }
    return "";
}

TEST(MeshArrays, TheCatalogueFromArraysIsTheMeshItsTextGives) {
    for (const CatalogueMesh& shape : meshCatalogue()) {
        Loaded file = loadText(meshText(shape.control));
        Loaded arrays = fromArrays(arraysOf(vectorsOf(shape.control), shape.control.faces));
        ASSERT_EQ("", file.fatal + arrays.fatal) << shape.name;
        EXPECT_EQ(file.messages, arrays.messages) << shape.name;
        EXPECT_EQ("", difference(*file.mesh, *arrays.mesh)) << shape.name;
    }
}

// Faces the builder drops, each after good ones and before more: the same
// messages, in the same order, and the same mesh as the text format's.
TEST(MeshArrays, DroppedFacesAreReportedAsTheLoaderReportsThem) {
    const std::vector<Vector> grid = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0},
                                      {0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {3, 3, 3}};
    std::vector<int> big;
    for (int k = 0; k < 21; ++k) big.push_back(k % 9);
    const std::vector<std::vector<std::vector<int>>> cases = {
        {{0, 1, 4, 3}, big, {1, 2, 5, 4}},                 // too many vertices
        {{0, 1, 4, 3}, {4, 5}, {1, 2, 5, 4}},              // too few
        {{0, 1, 4, 3}, {}, {1, 2, 5, 4}},                  // none
        {{0, 1, 4, 3}, {1, 2, 5, 1}, {1, 2, 5, 4}},        // a repeated vertex
        {{0, 1, 4, 3}, {1, 0, 9}, {1, 0, 8}, {3, 4, 7, 6}},  // a third face on edge 0-1
    };
    for (const auto& faces : cases) {
        Loaded file = loadText(meshText(grid, 100, faces));
        Loaded arrays = fromArrays(arraysOf(grid, faces));
        ASSERT_EQ("", file.fatal + arrays.fatal);
        EXPECT_FALSE(file.messages.empty());
        // The text format also reports the edge count it was given.
        file.messages.pop_back();
        EXPECT_EQ(file.messages, arrays.messages);
        EXPECT_EQ("", difference(*file.mesh, *arrays.mesh));
    }
}

// Sharp edges and corners picked by a rule: every third edge, every fourth
// vertex that faces use, the sharpness going round fractional, whole and
// infinite values; the first edge tagged a second time, the later tag standing.
struct Tags {
    std::vector<std::int64_t> edges;  // two vertices per sharp edge
    std::vector<float> edgeSharpness;
    std::vector<std::int64_t> vertices;
    std::vector<float> vertexSharpness;
};

Tags someTags(const Mesh& mesh) {
    const float values[] = {0.5f, 1, 2.25f, 10};
    Tags tags;
    for (int e = 0; e < mesh.numEdges(); e += 3) {
        tags.edges.insert(tags.edges.end(), {mesh.edge(e)->vertex(0)->id, mesh.edge(e)->vertex(1)->id});
        tags.edgeSharpness.push_back(values[e % 4]);
    }
    tags.edges.insert(tags.edges.end(), {tags.edges[1], tags.edges[0]});
    tags.edgeSharpness.push_back(3);
    for (int v = 0; v < mesh.numVertices(); v += 4)
        if (mesh.vertex(v)->faceVal() > 0) {
            tags.vertices.push_back(v);
            tags.vertexSharpness.push_back(values[(v + 1) % 4]);
        }
    return tags;
}

// OBJ text with the tags, after the mesh's own lines.
std::string taggedObj(const RefMesh& shape, const Tags& tags) {
    std::ostringstream text;
    text << objText(shape);
    for (std::size_t k = 0; k < tags.edgeSharpness.size(); ++k)
        text << "t crease 2/1/0 " << tags.edges[2 * k] << " " << tags.edges[2 * k + 1] << " " << tags.edgeSharpness[k] << "\n";
    for (std::size_t k = 0; k < tags.vertices.size(); ++k)
        text << "t corner 1/1/0 " << tags.vertices[k] << " " << tags.vertexSharpness[k] << "\n";
    return text.str();
}

Arrays taggedArrays(const RefMesh& shape, const Tags& tags) {
    Arrays arrays = arraysOf(vectorsOf(shape), shape.faces);
    arrays.creases = tags.edges;
    arrays.creaseSharpness = tags.edgeSharpness;
    arrays.corners = tags.vertices;
    arrays.cornerSharpness = tags.vertexSharpness;
    return arrays;
}

TEST(MeshArrays, CreasesAndCornersAreWhatTheSameTagsInAnObjFileGive) {
    for (const CatalogueMesh& shape : meshCatalogue()) {
        Loaded plain = loadObjText(objText(shape.control));
        ASSERT_EQ("", plain.fatal);
        const Tags tags = someTags(*plain.mesh);
        Loaded file = loadObjText(taggedObj(shape.control, tags));
        Loaded built = fromArrays(taggedArrays(shape.control, tags));
        ASSERT_EQ("", file.fatal + built.fatal) << shape.name;
        EXPECT_TRUE(built.mesh->hasCreases()) << shape.name;
        EXPECT_EQ("", difference(*file.mesh, *built.mesh)) << shape.name;
    }
}

// Per-corner texture coordinates for the shape, each corner its own.
Arrays texturedArrays(const RefMesh& shape) {
    Arrays arrays = arraysOf(vectorsOf(shape), shape.faces);
    int corner = 0;
    for (const std::vector<int>& face : shape.faces)
        for (int v : face) arrays.uvs.insert(arrays.uvs.end(), {0.125f * static_cast<float>(corner++), 1.0f - 0.0625f * static_cast<float>(v)});
    return arrays;
}

TEST(MeshArrays, TextureCoordinatesPerCornerAreWhatVtLinesGive) {
    const RefMesh& shape = catalogueMesh("pentagonAndTriangle").control;
    const Arrays arrays = texturedArrays(shape);
    std::ostringstream obj;
    for (const RefPoint& p : shape.points) obj << "v " << p.x << " " << p.y << " " << p.z << "\n";
    int corner = 0;
    for (const std::vector<int>& face : shape.faces) {
        obj << "f";
        for (int v : face) obj << " " << v + 1 << "/" << ++corner;
        obj << "\n";
    }
    for (std::size_t k = 0; k < arrays.uvs.size(); k += 2) obj << "vt " << arrays.uvs[k] << " " << arrays.uvs[k + 1] << "\n";
    Loaded file = loadObjText(obj.str());
    Loaded built = fromArrays(arrays);
    ASSERT_EQ("", file.fatal + built.fatal);
    EXPECT_TRUE(built.mesh->hasTextureCoordinates());
    EXPECT_EQ("", difference(*file.mesh, *built.mesh));
}

// Each case changes a good mesh (a quad and a triangle on 5 vertices, one
// vertex unused) in one way.
TEST(MeshArrays, EveryErrorIsNamedByItsElement) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const Arrays good = arraysOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}}, {{0, 1, 2, 3}, {1, 4, 2}});
    struct Case {
        std::function<void(Arrays&)> change;
        std::string message;
    };
    const std::int64_t huge = std::int64_t(1) << 33;
    const std::vector<Case> cases = {
        {[&](Arrays& a) { a.points[7] = nan; }, "point 2: coordinates 1 nan 0 are not all finite"},
        {[&](Arrays& a) { a.points[12] = -inf; }, "point 4: coordinates -inf 0 0 are not all finite"},
        {[&](Arrays& a) { a.sizes[1] = -3; }, "face 1: size -3 is negative"},
        {[&](Arrays& a) { a.sizes[1] = 4; }, "the face sizes call for more indices than the 7 given"},
        {[&](Arrays& a) { a.sizes[1] = 2; }, "the face sizes call for 6 indices, 7 given"},
        {[&](Arrays& a) { a.indices[5] = 5; }, "face 1: vertex index 5 out of range (5 vertices)"},
        {[&](Arrays& a) { a.indices[0] = -1; }, "face 0: vertex index -1 out of range (5 vertices)"},
        {[&](Arrays& a) { a.indices[6] = huge + 2; }, "face 1: vertex index 8589934594 out of range (5 vertices)"},
        {[&](Arrays& a) { a.uvs.assign(14, 0.5f); a.uvs[11] = inf; }, "face 1: texture coordinate 0.5 inf of corner 1 is not finite"},
        {[&](Arrays& a) { a.creases = {0, 1, 0, 2}; a.creaseSharpness = {1, 2}; }, "crease 1: crease vertices 0 and 2 share no edge"},
        {[&](Arrays& a) { a.creases = {0, huge}; a.creaseSharpness = {1}; }, "crease 0: crease vertex index 8589934592 out of range (5 vertices)"},
        {[&](Arrays& a) { a.creases = {1, 2}; a.creaseSharpness = {-0.5f}; }, "crease 0: crease sharpness -0.5 is negative"},
        {[&](Arrays& a) { a.creases = {1, 2}; a.creaseSharpness = {nan}; }, "crease 0: crease sharpness nan is not finite"},
        {[&](Arrays& a) { a.corners = {2, -4}; a.cornerSharpness = {1, 1}; }, "corner 1: corner vertex index -4 out of range (5 vertices)"},
        {[&](Arrays& a) { a.corners = {3}; a.cornerSharpness = {inf}; }, "corner 0: corner sharpness inf is not finite"},
        {[&](Arrays& a) { a.sizes.clear(); a.indices.clear(); }, "ERROR: the mesh has no faces"},
        {[&](Arrays& a) { a.points.clear(); a.sizes.clear(); a.indices.clear(); }, "ERROR: the mesh has no vertices"},
        {[&](Arrays& a) { a.indices = {0, 1, 2, 3, 0, 4, 5}; a.points.insert(a.points.end(), {3, 3, 3}); },
         "Non-manifold geometry -- the faces at vertex 0 do not form one fan"},
    };
    EXPECT_EQ("", fromArrays(good).fatal);
    for (const Case& c : cases) {
        Arrays arrays = good;
        c.change(arrays);
        EXPECT_EQ(c.message, fromArrays(arrays).fatal);
    }
}

TEST(MeshArrays, ACopyIsTheMeshItWasMadeFrom) {
    std::vector<std::unique_ptr<Mesh>> sources;
    for (const CatalogueMesh& shape : meshCatalogue()) {
        Loaded plain = loadObjText(objText(shape.control));
        sources.push_back(std::move(fromArrays(taggedArrays(shape.control, someTags(*plain.mesh))).mesh));
        sources.push_back(std::move(fromArrays(texturedArrays(shape.control)).mesh));
    }
    Loaded cubes = loadFile(FACETRY_SOURCE_DIR "/examples/creased-cubes.obj");
    ASSERT_EQ("", cubes.fatal);
    sources.push_back(std::move(cubes.mesh));
    // Dropped faces are not in the copy either; the mesh numbers the rest.
    sources.push_back(loadMesh(meshText({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}}, 9,
                                        {{0, 1, 2, 3}, {0, 1}, {1, 4, 2}})));
    for (const auto& source : sources) {
        ASSERT_GT(source->numFaces(), 0);
        Mesh copy;
        copyMesh(*source, copy);
        EXPECT_EQ("", difference(*source, copy));
        // With other scheme options: those, and the rest the same.
        SchemeOptions options;
        options.creasing = CreasingMethod::Chaikin;
        options.triangles = TriangleSubdivision::Smooth;
        options.faceVarying = FaceVaryingInterpolation::CornersPlus2;
        Mesh withOther;
        copyMesh(*source, withOther, options);
        EXPECT_EQ(withOther.options(), options);
        EXPECT_EQ(source->options(), SchemeOptions());
        Mesh back;
        copyMesh(withOther, back, source->options());
        EXPECT_EQ("", difference(*source, back));
    }
}

}  // namespace
