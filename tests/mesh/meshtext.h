#pragma once
// Helpers for the control-mesh tests: loading a mesh from text held in
// memory, writing the text of a mesh from positions and faces, the catalogue
// of small meshes the invariant tests run over, and capturing what a call
// prints on standard output.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"

// The outcome of loading one text: the mesh (empty after a fatal error), the
// non-fatal messages in the order they came, and the fatal message if any.
struct Loaded {
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();  // the loaded mesh
    std::vector<std::string> messages;                        // non-fatal messages, in order
    std::string fatal;                                        // the LoadError's text, empty on success
};

// Loads `text` through Mesh::load from an fmemopen'ed stream.
Loaded loadText(const std::string& text);

// The text of a mesh: numV, the positions, numE = declaredEdges, numF, and
// one record per face ended by -1.
std::string meshText(const std::vector<Vector>& positions, int declaredEdges,
                     const std::vector<std::vector<int>>& faces);

// A named mesh text for the catalogue tests.
struct NamedMesh {
    std::string name;  // shown when a check fails
    std::string text;  // the file's contents
};

// Closed, open and mixed-valence meshes: the examples shipped with the
// program and a few hand-made ones.
std::vector<NamedMesh> meshCatalogue();
// The text of the catalogue mesh called `name`; empty if there is none.
std::string catalogueText(const std::string& name);

// The contents of a file; empty if it cannot be read.
std::string readFile(const std::string& path);

// Runs `action` and returns what it wrote to `stream` (stdout or stderr).
std::string captureOutput(FILE* stream, const std::function<void()>& action);
inline std::string captureStdout(const std::function<void()>& action) { return captureOutput(stdout, action); }
inline std::string captureStderr(const std::function<void()>& action) { return captureOutput(stderr, action); }
