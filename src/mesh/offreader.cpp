// The OFF reader: a header word, a counts line, the vertices and the faces,
// read on TextScanner so that no count in the file commits any memory before
// the data behind it has been read.

#include <cctype>
#include <cstdio>
#include <new>
#include <string>

#include "math/format.h"
#include "mesh/meshbuilder.h"
#include "mesh/meshfile.h"
#include "mesh/textscanner.h"

namespace facetry {

namespace {

constexpr std::size_t kMaxHeaderWord = 16;

// Reads an OFF file on top of the shared scanner, keeping the file name and
// the line numbers for messages. Line numbers count from the start of the
// file: the header is read before the scanner takes over.
class OffReader {
public:
    OffReader(FILE* input, const std::string& name_, const MessageSink& report)
        : file(input), name(name_), builder(report) {}

    void read(Mesh& mesh);

private:
    void readHeader();
    void readVertices(int count);
    void readFaces(int count, int vertexCount);
    int readIndex(int face, int vertexCount);
    int peekData();
    [[noreturn]] void fail(const std::string& message);

    FILE* file;                       // the input, read from where the caller left it
    std::string name;                 // the file name for messages
    MeshBuilder builder;              // checks the faces and builds the mesh
    long headerLines = 0;             // line breaks taken by the header, before the scanner starts
    TextScanner* scanner = nullptr;   // reads everything after the header word
};

// OFF, optionally announcing texture coordinates, colours or normals per
// vertex (ST, C, N); those trail each vertex line and are skipped with it.
bool isHeaderWord(const std::string& word) {
    std::string rest = word;
    if (rest.compare(0, 2, "ST") == 0) rest.erase(0, 2);
    if (!rest.empty() && rest[0] == 'C') rest.erase(0, 1);
    if (!rest.empty() && rest[0] == 'N') rest.erase(0, 1);
    return rest == "OFF";
}

void OffReader::fail(const std::string& message) {
    long line = headerLines + (scanner ? scanner->line() : 1);
    throw LoadError(name + ":" + std::to_string(line) + ": " + message, name, line);
}

// The header word, after any blank or comment lines, read straight from the
// file before the scanner exists.
void OffReader::readHeader() {
    int c = std::getc(file);
    for (;; c = std::getc(file)) {
        if (c == '\n') ++headerLines;
        else if (c == '#') {
            while (c != EOF && c != '\n') c = std::getc(file);
            if (c == '\n') ++headerLines;
        } else if (c == EOF || !std::isspace(c)) break;
    }
    std::string word;
    while (c != EOF && std::isalnum(c) && word.size() < kMaxHeaderWord) {
        word.push_back(static_cast<char>(c));
        c = std::getc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    if (!isHeaderWord(word)) {
        long line = headerLines + 1;
        throw LoadError(name + ":" + std::to_string(line) + ": not an OFF file (it must begin with OFF)", name, line);
    }
}

// Skips whitespace and comments; returns the next character (EOF at the end).
int OffReader::peekData() {
    for (;;) {
        int c = scanner->skipSpaceAndPeek();
        if (c != '#') return c;
        scanner->skipLine();
    }
}

void OffReader::readVertices(int count) {
    for (int i = 0; i < count; ++i) {
        float xyz[3];
        for (float& value : xyz) {
            if (peekData() == EOF) fail(format("vertex %d: the file ends inside the vertices", i));
            if (!scanner->readFloat(value)) fail(format("vertex %d: expected three numbers x y z", i));
        }
        builder.addVertex(Vector(xyz[0], xyz[1], xyz[2]));
        scanner->skipLine();  // colours, normals or texture coordinates
    }
}

int OffReader::readIndex(int face, int vertexCount) {
    int index;
    if (peekData() == EOF) fail(format("face %d: the file ends inside the face", face));
    if (!scanner->readInt(index)) fail(format("face %d: expected a vertex index", face));
    if (index < 0 || index >= vertexCount)
        fail(format("face %d: vertex index ", face) + std::to_string(index) + " out of range (" +
             std::to_string(vertexCount) + " vertices)");
    return index;
}

// Face records: the vertex count, the indices, then an optional colour.
// Faces the builder drops still use up their record.
void OffReader::readFaces(int count, int vertexCount) {
    int list[kMaxFaceValence];
    for (int record = 0; record < count; ++record) {
        int size;
        if (peekData() == EOF) fail(format("face %d: the file ends before the last face", record));
        if (!scanner->readInt(size)) fail(format("face %d: expected its vertex count", record));
        if (size < 0) fail(format("face %d: negative vertex count", record));
        for (int k = 0; k < size; ++k) {
            int index = readIndex(record, vertexCount);
            if (k < kMaxFaceValence) list[k] = index;
        }
        scanner->skipLine();
        builder.addFace(list, size);
    }
}

void OffReader::read(Mesh& mesh) {
    readHeader();
    TextScanner in(file);
    scanner = &in;
    int vertexCount, faceCount;
    peekData();
    if (!scanner->readInt(vertexCount) || vertexCount < 0) fail("expected the vertex count");
    peekData();
    if (!scanner->readInt(faceCount) || faceCount < 0) fail("expected the face count");
    scanner->skipLine();  // the edge count, which the faces determine
    readVertices(vertexCount);
    readFaces(faceCount, vertexCount);
    scanner = nullptr;
    builder.finish(mesh);
}

}  // namespace

void loadOff(FILE* input, const std::string& name, Mesh& mesh, const MessageSink& report) {
    FACETRY_ASSERT(input);
    try {
        OffReader reader(input, name, report);
        reader.read(mesh);
    } catch (const std::bad_alloc&) {
        throw LoadError("ERROR: not enough memory to load the mesh");
    }
}

}  // namespace facetry
