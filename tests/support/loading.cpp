#include "support/loading.h"

#include <cstdio>
#include <functional>
#include <sstream>

#include "mesh/meshfile.h"

using namespace facetry;

namespace {

// A read-only stream over `text`, closed at the end of its scope.
class TextStream {
public:
    // fmemopen wants a non-empty buffer; a lone blank reads like nothing.
    explicit TextStream(const std::string& text) : buffer(text.empty() ? std::string(" ") : text) {
        file = fmemopen(&buffer[0], buffer.size(), "r");
        if (!file) throw LoadError("(fmemopen failed)");
    }
    ~TextStream() { std::fclose(file); }
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    FILE* get() const { return file; }

private:
    std::string buffer;  // the text, owned while the stream reads it
    FILE* file;          // the stream
};

Loaded collect(const std::function<void(Mesh&, const MessageSink&)>& load) {
    Loaded result;
    try {
        load(*result.mesh, [&result](const std::string& m) { result.messages.push_back(m); });
    } catch (const LoadError& error) {
        result.fatal = error.what();
    }
    return result;
}

}  // namespace

Loaded loadText(const std::string& text) {
    return collect([&](Mesh& mesh, const MessageSink& report) { mesh.load(TextStream(text).get(), report); });
}

Loaded loadObjText(const std::string& text, const std::string& name) {
    return collect([&](Mesh& mesh, const MessageSink& report) {
        std::istringstream input(text);
        loadObj(input, name, mesh, report);
    });
}

Loaded loadOffText(const std::string& text, const std::string& name) {
    return collect([&](Mesh& mesh, const MessageSink& report) { loadOff(TextStream(text).get(), name, mesh, report); });
}

Loaded loadFile(const std::string& path) {
    return collect([&](Mesh& mesh, const MessageSink& report) { loadMeshFile(path, mesh, report); });
}

std::unique_ptr<Mesh> loadMesh(const std::string& text, std::vector<std::string>* messages) {
    auto mesh = std::make_unique<Mesh>();
    mesh->load(TextStream(text).get(), [messages](const std::string& m) {
        if (messages) messages->push_back(m);
    });
    return mesh;
}
