#include "mesh/meshwriter.h"

#include "mesh/filewriting.h"

namespace facetry {

namespace {

void writeVertices(FILE* out, const Mesh& mesh, const char* prefix) {
    for (int v = 0; v < mesh.numVertices(); ++v) writeVector(out, prefix, mesh.vertex(v)->position());
}

void writeText(FILE* out, const Mesh& mesh) {
    const MeshTopology& t = mesh.topology();
    std::fprintf(out, "numV = %d\n", t.numV);
    writeVertices(out, mesh, "");
    std::fprintf(out, "numE = %d\nnumF = %d\n", t.numE, t.numF);
    for (int f = 0; f < t.numF; ++f) {
        for (int k = t.faceStart[f]; k < t.faceStart[f + 1]; ++k) std::fprintf(out, "%d ", t.cornerVertices[k]);
        std::fputs("-1\n", out);
    }
}

void writeObj(FILE* out, const Mesh& mesh) {
    const MeshTopology& t = mesh.topology();
    std::fprintf(out, "# Facetry control mesh: %d vertices, %d faces\n", t.numV, t.numF);
    writeVertices(out, mesh, "v ");
    const std::vector<float>& uv = mesh.textureCoordinates();
    for (std::size_t k = 0; k + 1 < uv.size(); k += 2)
        std::fprintf(out, "vt " FACETRY_FLOAT " " FACETRY_FLOAT "\n", uv[k], uv[k + 1]);
    const bool textured = mesh.hasTextureCoordinates();
    for (int f = 0; f < t.numF; ++f) {
        std::fputc('f', out);
        for (int k = 0; k < t.valence(f); ++k) {
            const int v = t.cornerVertices[t.faceStart[f] + k] + 1;
            if (textured)
                std::fprintf(out, " %d/%d", v, mesh.cornerTextureCoordinate(f, k) + 1);
            else
                std::fprintf(out, " %d", v);
        }
        std::fputc('\n', out);
    }
    writeMeshTags(out, mesh);
}

void writeOff(FILE* out, const Mesh& mesh) {
    const MeshTopology& t = mesh.topology();
    std::fprintf(out, "OFF\n%d %d %d\n", t.numV, t.numF, t.numE);
    writeVertices(out, mesh, "");
    for (int f = 0; f < t.numF; ++f) {
        std::fprintf(out, "%d", t.valence(f));
        for (int k = t.faceStart[f]; k < t.faceStart[f + 1]; ++k) std::fprintf(out, " %d", t.cornerVertices[k]);
        std::fputc('\n', out);
    }
}

}  // namespace

void writeOptionTags(FILE* out, const SchemeOptions& options) {
    if (options.boundary != BoundaryInterpolation::EdgeOnly)
        std::fprintf(out, "t interpolateboundary 1/0/0 %d\n", static_cast<int>(options.boundary));
    if (options.creasing == CreasingMethod::Chaikin) std::fputs("t creasemethod 0/0/1 chaikin\n", out);
    if (options.triangles == TriangleSubdivision::Smooth) std::fputs("t smoothtriangles 0/0/1 smooth\n", out);
    if (options.faceVarying != FaceVaryingInterpolation::All)
        std::fprintf(out, "t facevaryinginterpolateboundary 1/0/0 %d\n", static_cast<int>(options.faceVarying));
}

void writeMeshTags(FILE* out, const Mesh& mesh) {
    writeOptionTags(out, mesh.options());
    writeHoleTag(out, mesh.numFaces(), [&mesh](long long f) { return mesh.isTaggedHole(static_cast<int>(f)); });
    if (!mesh.hasCreases()) return;
    const MeshTopology& t = mesh.topology();
    for (int e = 0; e < t.numE; ++e) {
        const float s = mesh.edge(e)->sharpness();
        if (s > 0)
            std::fprintf(out, "t crease 2/1/0 %d %d " FACETRY_FLOAT "\n", t.edgeVertices[2 * e], t.edgeVertices[2 * e + 1], s);
    }
    for (int v = 0; v < t.numV; ++v) {
        const float s = mesh.vertex(v)->taggedSharpness();
        if (s > 0) std::fprintf(out, "t corner 1/1/0 %d " FACETRY_FLOAT "\n", v, s);
    }
}

bool writeMesh(FILE* out, const Mesh& mesh, MeshFormat format) {
    switch (format) {
        case MeshFormat::Text:
            writeText(out, mesh);
            break;
        case MeshFormat::Obj:
            writeObj(out, mesh);
            break;
        case MeshFormat::Off:
            writeOff(out, mesh);
            break;
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

Status saveMesh(const Mesh& mesh, const std::string& path) {
    const MeshFormat format = meshFormatOf(path);
    return replaceFile(path, [&](FILE* out) { return writeMesh(out, mesh, format); });
}

}  // namespace facetry
