#pragma once
// Writing the control mesh, as it stands (moved vertices included), in any of
// the formats Facetry reads, so that reading the file back gives the same
// mesh: the same vertices in the same order (those no face uses too), the
// accepted faces in their order (dropped ones are gone) with the same
// corners, and coordinates with nine significant digits, which every reader
// brings back as the same floats.
//
// - Text: the counts, the vertices, the exact edge count, the faces ended by -1.
// - OBJ: v lines; vt lines, the mesh's texture coordinates in their order,
//   each face corner naming its own; the faces (1-based); then the tags
//   (writeMeshTags).
// - OFF: the header, the counts (with the edge count), vertices and faces.
//
// Only OBJ carries texture coordinates and tags; the text format and OFF
// leave them out.

#include <cstdio>
#include <string>

#include "math/status.h"
#include "mesh/mesh.h"
#include "mesh/meshfile.h"

namespace facetry {

// Writes `mesh` to `out` in `format`; false when writing failed.
bool writeMesh(FILE* out, const Mesh& mesh, MeshFormat format);

// The OBJ tags of the control mesh as the file gave them, 0-based as the
// reader takes them: the options in effect (writeOptionTags), a `t crease
// 2/1/0 a b s` per edge tagged sharp, a `t corner 1/1/0 v s` per vertex
// tagged sharp, and `t hole n/0/0 f...` for the faces tagged holes. Every
// tag the mesh carries is written here.
void writeMeshTags(FILE* out, const Mesh& mesh);

// The scheme options that differ from the defaults as tags:
// `t interpolateboundary 1/0/0 N`, `t creasemethod 0/0/1 chaikin`,
// `t smoothtriangles 0/0/1 smooth`, `t facevaryinginterpolateboundary 1/0/0 N`.
void writeOptionTags(FILE* out, const SchemeOptions& options);

// The faces among `count` for which isHole(f) holds as one `t hole n/0/0
// f...` line, nothing when there is none.
template <class IsHole>
void writeHoleTag(FILE* out, long long count, IsHole isHole) {
    long long holes = 0;
    for (long long f = 0; f < count; ++f) holes += isHole(f) ? 1 : 0;
    if (holes == 0) return;
    std::fprintf(out, "t hole %lld/0/0", holes);
    for (long long f = 0; f < count; ++f)
        if (isHole(f)) std::fprintf(out, " %lld", f);
    std::fputc('\n', out);
}

// Writes `mesh` to `path` in the format its extension names, through a
// temporary file beside it (replaceFile): a failed write leaves what was at
// `path` as it was. On failure the message is "cannot write PATH: REASON".
Status saveMesh(const Mesh& mesh, const std::string& path);

}  // namespace facetry
