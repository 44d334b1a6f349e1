// The OBJ reader. tinyobjloader splits the file into statements and hands us
// each vertex and each face as it comes (its callback interface, so nothing
// is triangulated and nothing is kept that we do not use). It is lenient
// where we must not be: a coordinate or an index it cannot read becomes 0
// without a word. So every vertex and face line is also checked here against
// the strict OBJ syntax, on the line's own text, which a small stream buffer
// keeps together with its line number; the coordinates are converted from
// that text too (see addVertex).

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <new>
#include <streambuf>
#include <vector>

#include "mesh/meshbuilder.h"
#include "mesh/meshfile.h"

namespace {

// A vertex or face line longer than this is refused rather than buffered.
constexpr std::size_t kMaxCheckedLine = 1 << 16;

// Passes a stream through character by character, remembering the number and
// the text of the line being read. stop() makes it report the end of input,
// which ends the parse early after an error.
class LineTrackingBuffer : public std::streambuf {
public:
    explicit LineTrackingBuffer(std::streambuf* source_) : source(source_) {}

    long line() const { return lineNumber; }
    // The current line without its line break; empty when it was too long.
    const std::string& text() const { return lineText; }
    bool tooLong() const { return overflow; }
    void stop() { stopped = true; }

protected:
    int_type underflow() override { return stopped ? traits_type::eof() : source->sgetc(); }
    int_type uflow() override {
        if (stopped) return traits_type::eof();
        int_type c = source->sbumpc();
        if (!traits_type::eq_int_type(c, traits_type::eof())) take(traits_type::to_char_type(c));
        return c;
    }

private:
    void take(char c);

    std::streambuf* source; // the stream being passed through
    long lineNumber = 0;    // 1 for the first line, once its first character is read
    std::string lineText;   // the current line, at most kMaxCheckedLine characters
    bool overflow = false;  // the current line was longer than that
    char previous = '\n';   // the character read last
    bool stopped = false;   // report the end of input from now on
};

void LineTrackingBuffer::take(char c) {
    // A line starts after "\n", and after a "\r" that no "\n" follows.
    if (previous == '\n' || (previous == '\r' && c != '\n')) {
        ++lineNumber;
        lineText.clear();
        overflow = false;
    }
    previous = c;
    if (c == '\n' || c == '\r') return;
    if (lineText.size() < kMaxCheckedLine) {
        lineText.push_back(c);
    } else {
        // The parser gathers each line whole: past the limit, reading stops,
        // so that no line can make it hold more than that.
        overflow = true;
        stopped = true;
    }
}

// [+-] digits [. digits] [e [+-] digits], or with the digits after the point:
// the decimal numbers tinyobjloader reads correctly.
bool isDecimal(const std::string& token) {
    std::size_t k = 0, n = token.size();
    auto digits = [&]() {
        std::size_t start = k;
        while (k < n && token[k] >= '0' && token[k] <= '9') ++k;
        return k - start;
    };
    if (k < n && (token[k] == '+' || token[k] == '-')) ++k;
    std::size_t mantissa = digits();
    if (k < n && token[k] == '.') {
        ++k;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (k < n && (token[k] == 'e' || token[k] == 'E')) {
        ++k;
        if (k < n && (token[k] == '+' || token[k] == '-')) ++k;
        if (digits() == 0) return false;
    }
    return k == n;
}

// An OBJ index: a non-zero integer that fits in 32 bits.
bool isIndex(const std::string& token) {
    if (token.empty()) return false;
    std::size_t k = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (k == token.size()) return false;
    for (std::size_t i = k; i < token.size(); ++i)
        if (token[i] < '0' || token[i] > '9') return false;
    errno = 0;
    long long value = std::strtoll(token.c_str(), nullptr, 10);
    return errno == 0 && value != 0 && value >= INT_MIN && value <= INT_MAX;
}

// v, v/t, v//n or v/t/n.
bool isCorner(const std::string& token) {
    std::vector<std::string> parts(1);
    for (char c : token) {
        if (c == '/') parts.emplace_back();
        else parts.back().push_back(c);
    }
    if (parts.size() > 3 || !isIndex(parts[0])) return false;
    if (parts.size() >= 2 && !(parts[1].empty() ? parts.size() == 3 : isIndex(parts[1]))) return false;
    return parts.size() < 3 || isIndex(parts[2]);
}

// The words after the statement keyword, up to a comment.
std::vector<std::string> statementArguments(const std::string& line) {
    std::vector<std::string> words;
    std::size_t k = line.find_first_not_of(" \t");
    k = line.find_first_of(" \t", k);  // past the keyword
    while (k != std::string::npos) {
        std::size_t start = line.find_first_not_of(" \t", k);
        if (start == std::string::npos || line[start] == '#') break;
        k = line.find_first_of(" \t", start);
        words.push_back(line.substr(start, k == std::string::npos ? std::string::npos : k - start));
    }
    return words;
}

// What the callbacks gather: the vertices go straight into the builder, the
// faces wait until every vertex is known (an OBJ face may name a vertex that
// is defined after it).
struct ObjState {
    // A face as read: its line, its corner count, its largest vertex index
    // and where its vertex indices start in `indices` (none are kept for a
    // face of more than 20 corners, which is dropped).
    struct PendingFace {
        long line;          // its line in the file
        int count;          // its number of corners
        long long largest;  // its largest 0-based vertex index
        std::size_t start;  // its first index in `indices`
    };

    ObjState(const std::string& name_, const MessageSink& report, LineTrackingBuffer& buffer_)
        : name(name_), builder(report), buffer(buffer_) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw LoadError(name + ":" + std::to_string(buffer.line()) + ": " + message);
    }
    void addVertex();
    void addFace(const tinyobj::index_t* corners, int count);
    void finishFaces();

    const std::string& name;            // the file name for messages
    MeshBuilder builder;                // holds the vertices; checks the faces and builds the mesh
    LineTrackingBuffer& buffer;         // the line being parsed
    int vertexCount = 0;                // vertices read so far
    std::vector<PendingFace> faces;     // every face line, in order
    std::vector<int> indices;           // 0-based vertex indices of the kept faces
    std::exception_ptr error;           // the first error, raised once the parse has ended
};

// The coordinates are converted here rather than taken from tinyobjloader,
// whose conversion can miss by one unit in the last place where a decimal
// lies exactly halfway between two floats: so an OBJ file gives the same
// floats, and the same surface, as the text format with the same numbers.
void ObjState::addVertex() {
    if (buffer.tooLong()) fail("vertex line too long");
    std::vector<std::string> words = statementArguments(buffer.text());
    bool good = words.size() >= 3 && words.size() <= 7;
    for (const std::string& word : words) good = good && isDecimal(word);
    float xyz[3] = {0, 0, 0};
    for (int k = 0; good && k < 3; ++k) {
        xyz[k] = std::strtof(words[k].c_str(), nullptr);
        good = std::isfinite(xyz[k]);
    }
    if (!good) fail("malformed vertex: expected v x y z [w] with finite numbers");
    builder.addVertex(Vector(xyz[0], xyz[1], xyz[2]));
    ++vertexCount;
}

// Negative indices count back from the last vertex read so far.
void ObjState::addFace(const tinyobj::index_t* corners, int count) {
    if (buffer.tooLong()) fail("face line too long");
    std::vector<std::string> words = statementArguments(buffer.text());
    for (const std::string& word : words)
        if (!isCorner(word)) fail("malformed face corner \"" + word + "\": expected v, v/t, v//n or v/t/n");
    count = std::min(count, static_cast<int>(words.size()));
    PendingFace face{buffer.line(), count, -1, indices.size()};
    for (int k = 0; k < count; ++k) {
        int index = corners[k].vertex_index;
        long long resolved = index > 0 ? index - 1LL : static_cast<long long>(vertexCount) + index;
        if (resolved < 0) fail("face index " + std::to_string(index) + " points before the first vertex");
        face.largest = std::max(face.largest, resolved);
        if (count <= kMaxFaceValence) indices.push_back(static_cast<int>(resolved));
    }
    faces.push_back(face);
}

// The faces in file order, through the builder's checks: an index beyond the
// vertices is fatal, also in a face that the builder would drop.
void ObjState::finishFaces() {
    for (const PendingFace& face : faces) {
        if (face.largest >= vertexCount)
            throw LoadError(name + ":" + std::to_string(face.line) + ": face index " +
                            std::to_string(face.largest + 1) + " out of range (" + std::to_string(vertexCount) +
                            " vertices)");
        builder.addFace(indices.data() + face.start, face.count);
    }
}

// Runs `step` for a callback; the first failure is kept and ends the parse.
template <class Step>
void guarded(void* data, Step step) {
    ObjState& state = *static_cast<ObjState*>(data);
    if (state.error) return;
    try {
        step(state);
    } catch (...) {
        state.error = std::current_exception();
        state.buffer.stop();
    }
}

void onVertex(void* data, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t) {
    guarded(data, [&](ObjState& state) { state.addVertex(); });
}

void onFace(void* data, tinyobj::index_t* corners, int count) {
    guarded(data, [&](ObjState& state) { state.addFace(corners, count); });
}

}  // namespace

void loadObj(std::istream& input, const std::string& name, Mesh& mesh, const MessageSink& report) {
    FACETRY_ASSERT(input.rdbuf());
    try {
        LineTrackingBuffer buffer(input.rdbuf());
        std::istream tracked(&buffer);
        ObjState state(name, report, buffer);
        tinyobj::callback_t callbacks;
        callbacks.vertex_cb = onVertex;
        callbacks.index_cb = onFace;
        std::string warnings, errors;
        // No material reader: a mtllib statement never opens another file.
        tinyobj::LoadObjWithCallback(tracked, callbacks, &state, nullptr, &warnings, &errors);
        if (state.error) std::rethrow_exception(state.error);
        if (buffer.tooLong()) state.fail("line too long");
        state.finishFaces();
        state.builder.finish(mesh);
    } catch (const std::bad_alloc&) {
        throw LoadError("ERROR: not enough memory to load the mesh");
    }
}
