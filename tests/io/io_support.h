#pragma once
// Helpers for the import and export tests: shapes held as positions and
// faces, written in each input format; loading a text through a reader; and
// running the real programs.

#include <memory>
#include <string>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"

// A control mesh as plain data.
struct Shape {
    std::string name;                     // shown when a check fails
    std::vector<Vector> positions;        // one per vertex
    std::vector<std::vector<int>> faces;  // 0-based vertex indices around each face
};

// Closed quads (cube), closed triangles (tetrahedron), an open patch of a
// triangle and quads with corners, and a closed pyramid with a pentagon.
std::vector<Shape> shapeCatalogue();
// The shape of a loaded mesh.
Shape shapeOf(const Mesh& mesh);

// The shape in the three input formats; coordinates with nine digits.
std::string meshTextOf(const Shape& shape);
std::string objTextOf(const Shape& shape);
std::string offTextOf(const Shape& shape);

// The outcome of one load: the mesh (empty after a fatal error), the
// non-fatal messages in order, and the fatal message if any.
struct LoadResult {
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();  // the loaded mesh
    std::vector<std::string> messages;                        // non-fatal messages
    std::string fatal;                                        // the LoadError's text, or empty
};
// Loads `text` as the file `name` through loadObj or loadOff.
LoadResult loadObjText(const std::string& text, const std::string& name = "t.obj");
LoadResult loadOffText(const std::string& text, const std::string& name = "t.off");
// Loads a file through loadMeshFile.
LoadResult loadFile(const std::string& path);

// A fresh directory under /tmp, removed with its files at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The path of `file` in the directory.
    std::string path(const std::string& file) const { return dir + "/" + file; }
    // Writes `text` to `file` and returns its path.
    std::string write(const std::string& file, const std::string& text) const;

private:
    std::string dir;  // the directory's path
};

// What a program run gave.
struct RunResult {
    int status;       // exit status 0..255, or -1 when it did not exit normally
    std::string out;  // standard output
    std::string err;  // standard error
};
// Runs a shell command line with standard error not a terminal.
RunResult runCommand(const std::string& commandLine, const TempDir& dir);

// The contents of a file; empty if it cannot be read.
std::string readText(const std::string& path);
