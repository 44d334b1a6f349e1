#pragma once
// Loading a control mesh the way the library's callers do, from text held in
// memory or from a file, keeping every message.

#include <memory>
#include <string>
#include <vector>

#include "mesh/mesh.h"

// The outcome of one load: the mesh (empty after a fatal error), the
// non-fatal messages in the order they came, and the fatal message if any.
struct Loaded {
    std::unique_ptr<facetry::Mesh> mesh = std::make_unique<facetry::Mesh>();  // the loaded mesh
    std::vector<std::string> messages;                        // non-fatal messages, in order
    std::string fatal;                                        // the LoadError's text, empty on success
};

// Text-format, OBJ and OFF text through Mesh::load, loadObj and loadOff;
// `name` is the file name the messages give.
Loaded loadText(const std::string& text);
Loaded loadObjText(const std::string& text, const std::string& name = "t.obj");
Loaded loadOffText(const std::string& text, const std::string& name = "t.off");
// A file through loadMeshFile.
Loaded loadFile(const std::string& path);

// Loads text-format text that must load; the messages go to `messages` when
// given. Throws LoadError.
std::unique_ptr<facetry::Mesh> loadMesh(const std::string& text, std::vector<std::string>* messages = nullptr);
