#include "mesh/meshfile.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>

namespace facetry {

namespace {

// Whether `path` ends in `extension` (given in lower case), in any case.
bool hasExtension(const std::string& path, const char* extension) {
    const std::string ext(extension);
    if (path.size() <= ext.size()) return false;
    for (std::size_t k = 0; k < ext.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - ext.size() + k])) != ext[k]) return false;
    return true;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

MeshFormat meshFormatOf(const std::string& path) {
    if (hasExtension(path, ".obj")) return MeshFormat::Obj;
    if (hasExtension(path, ".off")) return MeshFormat::Off;
    return MeshFormat::Text;
}

// A directory opens for reading on Linux and reads as an empty file, so each
// reader says what it says of one (the text format that it finds no vertex
// count, OBJ no vertices, OFF no header) and the load fails as for any file
// that holds no mesh.
//
// Every error of a file that could be opened is about that file: those the
// readers give without it (the text format's, the finished mesh's) get it
// here, their messages unchanged.
void loadMeshFile(const std::string& path, Mesh& mesh, const MessageSink& report) {
    const LoadError cannotOpen("cannot open " + path);
    const MeshFormat format = meshFormatOf(path);
    try {
        if (format == MeshFormat::Obj) {
            std::ifstream input(path, std::ios::binary);
            if (!input) throw cannotOpen;
            loadObj(input, path, mesh, report);
            return;
        }
        std::unique_ptr<FILE, FileCloser> input(std::fopen(path.c_str(), "rt"));
        if (!input) throw cannotOpen;
        if (format == MeshFormat::Off)
            loadOff(input.get(), path, mesh, report);
        else
            mesh.load(input.get(), report);
    } catch (const LoadError& error) {
        if (!error.file().empty() || error.what() == std::string(cannotOpen.what())) throw;
        throw LoadError(error.what(), path, error.line());
    }
}

}  // namespace facetry
