#pragma once
// Reading a control mesh from a file in any of the formats Facetry knows: its
// own text format, Wavefront OBJ and OFF. The format follows the file name's
// extension (.obj and .off in any case; anything else is the text format).
//
// Every reader hands its faces to MeshBuilder, so all formats get the same
// checks and messages; faces of more than 20 or fewer than 3 vertices are
// reported and dropped as in the text format. OBJ and OFF compute the edge
// count from the faces. Malformed input throws LoadError with a message that
// names the file and the line.

#include <cstdio>
#include <istream>
#include <string>

#include "mesh/mesh.h"

namespace facetry {

// The formats Facetry reads; the surface is written as OBJ or OFF.
enum class MeshFormat { Text, Obj, Off };

// The format a file name stands for: .obj and .off in any case, and the text
// format for every other name.
MeshFormat meshFormatOf(const std::string& path);

// Wavefront OBJ, parsed by tinyobjloader: polygons as they stand, positive and
// negative indices, v/vt/vn forms, every object and group merged, texture
// coordinates on every face or none, crease and corner tags (t lines).
// Normals, materials and lines are ignored. `name` is the file name used in
// messages. Throws LoadError; `mesh` stays empty when it does.
void loadObj(std::istream& input, const std::string& name, Mesh& mesh, const MessageSink& report);

// OFF: the OFF header, a counts line (vertices, faces, edges; the edge count
// is not used), the vertices, then each face as its vertex count and indices.
// Comments (#) and the colours that may follow a vertex or face are ignored.
// Throws LoadError; `mesh` stays empty when it does.
void loadOff(FILE* input, const std::string& name, Mesh& mesh, const MessageSink& report);

// Opens `path` and reads it by its extension. Throws LoadError("cannot open
// <path>") when the file cannot be opened for reading, or the reader's error
// (a directory is read as an empty file), whose file() is then `path` and
// whose located() names the file and, where known, the line.
void loadMeshFile(const std::string& path, Mesh& mesh, const MessageSink& report);

}  // namespace facetry
