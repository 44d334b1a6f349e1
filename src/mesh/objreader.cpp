// The OBJ reader. tinyobjloader splits the file into statements and hands us
// each vertex, texture coordinate and face as it comes (its callback
// interface, so nothing is triangulated and nothing is kept that we do not
// use). It is lenient where we must not be: a coordinate or an index it
// cannot read becomes 0 without a word. So every vertex, texture-coordinate
// and face line is also checked here against the strict OBJ syntax, on the
// line's own text, which a small stream buffer keeps together with its line
// number; the coordinates are converted from that text too (see addVertex).
//
// Tag lines (t), which tinyobjloader passes over, are taken from the same
// buffer as each line ends. A crease tag names the two vertices of an edge
// (or a chain of them), a corner tag a vertex, by 0-based index. They are
// checked for form as they are read and applied once every face is in, so
// a tag may come before the faces that make its edges.

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <new>
#include <set>
#include <streambuf>
#include <string>
#include <vector>

#include "mesh/meshbuilder.h"
#include "mesh/meshfile.h"

namespace facetry {

namespace {

// A line longer than this is refused rather than buffered.
constexpr std::size_t kMaxCheckedLine = 1 << 16;

// Passes a stream through character by character, remembering the number and
// the text of the line being read. stop() makes it report the end of input,
// which ends the parse early after an error.
class LineTrackingBuffer : public std::streambuf {
public:
    explicit LineTrackingBuffer(std::streambuf* source_) : source(source_) {}

    long line() const { return lineNumber; }
    // The current line without its line break; when it was too long, its
    // first kMaxCheckedLine characters.
    const std::string& text() const { return lineText; }
    bool tooLong() const { return overflow; }
    void stop() { stopped = true; }
    // Calls `handler` as each line ends, when the next one starts or the
    // input ends (a last line needs no line break), with line() and text()
    // still those of the line; not once reading has stopped.
    void onLineEnd(std::function<void()> handler) { lineEnd = std::move(handler); }

protected:
    int_type underflow() override {
        if (stopped) return traits_type::eof();
        int_type c = source->sgetc();
        if (traits_type::eq_int_type(c, traits_type::eof())) endInput();
        return c;
    }
    int_type uflow() override {
        if (stopped) return traits_type::eof();
        int_type c = source->sbumpc();
        if (traits_type::eq_int_type(c, traits_type::eof()))
            endInput();
        else
            take(traits_type::to_char_type(c));
        return c;
    }

private:
    void take(char c);
    void endLine() {
        if (lineNumber > 0 && !stopped && lineEnd) lineEnd();
    }
    void endInput() {
        if (ended) return;
        ended = true;
        endLine();
    }

    std::streambuf* source; // the stream being passed through
    long lineNumber = 0;    // 1 for the first line, once its first character is read
    std::string lineText;   // the current line, at most kMaxCheckedLine characters
    bool overflow = false;  // the current line was longer than that
    char previous = '\n';   // the character read last
    bool stopped = false;   // report the end of input from now on
    bool ended = false;     // the source has reported its end
    std::function<void()> lineEnd;  // called as each line ends, if set
};

void LineTrackingBuffer::take(char c) {
    // A line starts after "\n", and after a "\r" that no "\n" follows.
    if (previous == '\n' || (previous == '\r' && c != '\n')) {
        endLine();
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

// The words inf, infinity and nan, signed or not, in any case: numbers, but
// not finite ones.
bool isNonFiniteWord(const std::string& token) {
    std::string word = token.substr(!token.empty() && (token[0] == '+' || token[0] == '-') ? 1 : 0);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == "inf" || word == "infinity" || word == "nan";
}

// An optionally signed decimal integer that fits in 32 bits.
bool readInt32(const std::string& token, int& value) {
    if (token.empty()) return false;
    std::size_t k = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (k == token.size()) return false;
    for (std::size_t i = k; i < token.size(); ++i)
        if (token[i] < '0' || token[i] > '9') return false;
    errno = 0;
    long long wide = std::strtoll(token.c_str(), nullptr, 10);
    if (errno != 0 || wide < INT_MIN || wide > INT_MAX) return false;
    value = static_cast<int>(wide);
    return true;
}

// An OBJ index: a non-zero integer that fits in 32 bits.
bool isIndex(const std::string& token) {
    int value = 0;
    return readInt32(token, value) && value != 0;
}

// A tag's counts word nint/nfloat/nstring: three non-negative integers.
bool readTagCounts(const std::string& word, long long counts[3]) {
    int part = 0;
    long long value = -1;  // -1 before the part's first digit
    for (char c : word) {
        if (c == '/') {
            if (value < 0 || part == 2) return false;
            counts[part++] = value;
            value = -1;
        } else if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : 10 * value) + (c - '0');
            if (value > INT_MAX) return false;
        } else {
            return false;
        }
    }
    if (value < 0 || part != 2) return false;
    counts[2] = value;
    return true;
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

// The words after the statement keyword, up to a comment, into `words`,
// whose storage serves one line after another: checking a line asks nothing
// of the heap once the first lines have set it up.
void statementArguments(const std::string& line, std::vector<std::string>& words) {
    std::size_t count = 0;
    std::size_t k = line.find_first_not_of(" \t");
    k = line.find_first_of(" \t", k);  // past the keyword
    while (k != std::string::npos) {
        std::size_t start = line.find_first_not_of(" \t", k);
        if (start == std::string::npos || line[start] == '#') break;
        k = line.find_first_of(" \t", start);
        if (count == words.size()) words.emplace_back();
        words[count++].assign(line, start, k == std::string::npos ? std::string::npos : k - start);
    }
    words.resize(count);
}

// What the callbacks gather: the vertices and texture coordinates go straight
// into the builder, the faces wait until every vertex and texture coordinate
// is known (an OBJ face may name one that is defined after it), and the tags
// until every face is in.
struct ObjState {
    // A face as read: its line, its corner count, its largest vertex index
    // and where its vertex indices start in `indices` (none are kept for a
    // face of more than 20 corners, which is dropped).
    struct PendingFace {
        long line;                 // its line in the file
        int count;                 // its number of corners
        long long largest;         // its largest 0-based vertex index
        long long largestTexture;  // its largest 0-based texture-coordinate index, -1 for none
        std::size_t start;         // its first index in `indices` (and in `textureIndices`)
    };

    // A crease or corner tag as read: its vertex indices start at
    // tagVertices[vertexStart], its sharpness values at tagSharpness[sharpnessStart].
    struct PendingTag {
        long line;                   // its line in the file
        bool crease;                 // a crease (edges) rather than a corner (vertices)
        int count;                   // its number of vertex indices
        int sharpnessCount;          // 1, or one per edge (crease) or vertex (corner)
        std::size_t vertexStart;     // its first index in `tagVertices`
        std::size_t sharpnessStart;  // its first value in `tagSharpness`
    };

    ObjState(const std::string& name_, const MessageSink& report_, LineTrackingBuffer& buffer_)
        : name(name_), report(report_), builder(report_), buffer(buffer_) {}

    [[noreturn]] void fail(const std::string& message) const { failAt(buffer.line(), message); }
    [[noreturn]] void failAt(long line, const std::string& message) const {
        throw LoadError(name + ":" + std::to_string(line) + ": " + message, name, line);
    }
    void addVertex();
    void addTextureCoordinate();
    void addFace(const tinyobj::index_t* corners, int count);
    void readTag();
    void tagCounts(long long counts[3]) const;
    void tagValues(long long values) const;
    void readOptionTag();
    void finishFaces();
    void applyTags();
    void applyHoles();

    const std::string& name;            // the file name for messages
    const MessageSink& report;          // where warnings go
    MeshBuilder builder;                // holds the vertices; checks the faces and builds the mesh
    LineTrackingBuffer& buffer;         // the line being parsed
    int vertexCount = 0;                // vertices read so far
    int textureCoordinateCount = 0;     // texture coordinates read so far
    bool keepTextureCoordinates = true; // no face without them yet: the builder keeps them
    bool facesTextured = false;         // the faces so far have texture coordinates
    std::vector<PendingFace> faces;     // every face line, in order
    std::vector<int> indices;           // 0-based vertex indices of the kept faces
    std::vector<int> textureIndices;    // 0-based texture-coordinate indices, as `indices`, if the faces have them
    std::vector<PendingTag> tags;       // every crease and corner tag, in order
    std::vector<int> tagVertices;       // their vertex indices, as written
    std::vector<float> tagSharpness;    // their sharpness values
    // A face of a hole tag: its line and the face's index among the file's faces.
    struct PendingHole {
        long line;
        int face;
    };
    std::vector<PendingHole> holes;     // every face of a hole tag, in order
    std::vector<int> acceptedSlot;      // per face line, its slot in the builder, or -1 when dropped
    SchemeOptions options;              // as the option tags set them
    std::set<std::string> unknownTags;  // the other tag names met so far
    std::vector<std::string> words;     // the words of the line being checked
    std::exception_ptr error;           // the first error, raised once the parse has ended
};

// The coordinates are converted here rather than taken from tinyobjloader,
// whose conversion can miss by one unit in the last place where a decimal
// lies exactly halfway between two floats: so an OBJ file gives the same
// floats, and the same surface, as the text format with the same numbers.
void ObjState::addVertex() {
    if (buffer.tooLong()) fail("vertex line too long");
    statementArguments(buffer.text(), words);
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

// Converted from the text like the vertex coordinates; a missing v is 0, a w
// is checked and dropped.
void ObjState::addTextureCoordinate() {
    if (buffer.tooLong()) fail("texture coordinate line too long");
    statementArguments(buffer.text(), words);
    bool good = !words.empty() && words.size() <= 3;
    float uvw[3] = {0, 0, 0};
    for (std::size_t k = 0; good && k < words.size(); ++k) {
        good = isDecimal(words[k]);
        if (good) uvw[k] = std::strtof(words[k].c_str(), nullptr);
        good = good && std::isfinite(uvw[k]);
    }
    if (!good) fail("malformed texture coordinate: expected vt u [v [w]] with finite numbers");
    // Once a face without texture coordinates is in, no face can have any:
    // they are counted, not kept.
    if (keepTextureCoordinates) builder.addTextureCoordinate(uvw[0], uvw[1]);
    ++textureCoordinateCount;
}

// Negative indices count back from the last vertex (texture coordinate) read
// so far. Texture coordinates are on every corner of every face or on none.
void ObjState::addFace(const tinyobj::index_t* corners, int count) {
    if (buffer.tooLong()) fail("face line too long");
    statementArguments(buffer.text(), words);
    for (const std::string& word : words)
        if (!isCorner(word)) fail("malformed face corner \"" + word + "\": expected v, v/t, v//n or v/t/n");
    count = std::min(count, static_cast<int>(words.size()));
    int textured = 0;  // corners with a texture coordinate
    for (int k = 0; k < count; ++k) textured += corners[k].texcoord_index != 0;
    if (textured != 0 && textured != count) fail("face has texture coordinates on only some of its corners");
    const bool withTexture = textured > 0;
    if (!faces.empty() && withTexture && !facesTextured)
        fail("face has texture coordinates, but the faces before it have none");
    if (!faces.empty() && !withTexture && facesTextured)
        fail("face has no texture coordinates, but the faces before it have them");
    facesTextured = withTexture;
    keepTextureCoordinates = withTexture;
    PendingFace face{buffer.line(), count, -1, -1, indices.size()};
    for (int k = 0; k < count; ++k) {
        int index = corners[k].vertex_index;
        long long resolved = index > 0 ? index - 1LL : static_cast<long long>(vertexCount) + index;
        if (resolved < 0) fail("face index " + std::to_string(index) + " points before the first vertex");
        face.largest = std::max(face.largest, resolved);
        if (count <= kMaxFaceValence) indices.push_back(static_cast<int>(resolved));
        if (!withTexture) continue;
        index = corners[k].texcoord_index;
        resolved = index > 0 ? index - 1LL : static_cast<long long>(textureCoordinateCount) + index;
        if (resolved < 0)
            fail("texture coordinate index " + std::to_string(index) + " points before the first texture coordinate");
        face.largestTexture = std::max(face.largestTexture, resolved);
        if (count <= kMaxFaceValence) textureIndices.push_back(static_cast<int>(resolved));
    }
    faces.push_back(face);
}

// The faces in file order, through the builder's checks: an index beyond the
// vertices or texture coordinates is fatal, also in a face that the builder
// would drop.
void ObjState::finishFaces() {
    for (const PendingFace& face : faces) {
        if (face.largest >= vertexCount)
            failAt(face.line, "face index " + std::to_string(face.largest + 1) + " out of range (" +
                                  std::to_string(vertexCount) + " vertices)");
        if (face.largestTexture >= textureCoordinateCount)
            failAt(face.line, "texture coordinate index " + std::to_string(face.largestTexture + 1) +
                                  " out of range (" + std::to_string(textureCoordinateCount) +
                                  " texture coordinates)");
        const int slot = builder.faceCount();
        const bool accepted = builder.addFace(indices.data() + face.start, face.count,
                                              facesTextured ? textureIndices.data() + face.start : nullptr);
        acceptedSlot.push_back(accepted ? slot : -1);
    }
}

// t name nint/nfloat/nstring, then the integers, the numbers and the strings.
// crease n/nf/0 v0 v1 ... s...: n >= 2 vertices, each two in a row joined by
// an edge; nf is 1 (one sharpness for all the edges) or n-1 (one each).
// corner n/nf/0 v... s...: n >= 1 vertices; nf is 1 or n. The scheme options
// and holes are read by readOptionTag. Any other tag is reported, once per
// name, and passed over.
void ObjState::readTag() {
    const std::string& line = buffer.text();
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] != 't') return;
    if (start + 1 < line.size() && line[start + 1] != ' ' && line[start + 1] != '\t') return;
    statementArguments(line, words);
    if (words.empty()) fail("malformed tag: no tag name");
    const std::string& tag = words[0];
    const bool crease = tag == "crease";
    if (!crease && tag != "corner") {
        if (tag == "interpolateboundary" || tag == "creasemethod" || tag == "smoothtriangles" || tag == "hole" ||
            tag == "facevaryinginterpolateboundary" || tag == "facevaryingpropagatecorners") {
            readOptionTag();
            return;
        }
        if (unknownTags.insert(tag).second)
            report("PARSE WARNING: " + name + ":" + std::to_string(buffer.line()) + ": unknown tag \"" + tag +
                   "\" ignored");
        return;
    }
    const std::string malformed = "malformed " + tag + " tag";
    long long counts[3];
    tagCounts(counts);
    const long long n = counts[0], nf = counts[1];
    if (counts[2] != 0) fail(malformed + ": string count " + std::to_string(counts[2]) + ", expected 0");
    const long long least = crease ? 2 : 1;
    if (n < least)
        fail(malformed + ": vertex count " + std::to_string(n) + ", expected at least " + std::to_string(least));
    const long long each = crease ? n - 1 : n;  // one sharpness per edge, or per vertex
    if (nf != 1 && nf != each)
        fail(malformed + ": sharpness count " + std::to_string(nf) + " for " + std::to_string(n) +
             " vertices, expected 1" + (each != 1 ? " or " + std::to_string(each) : std::string()));
    tagValues(n + nf);
    // The counts now match words of the line: what they size is there.
    tags.push_back(PendingTag{buffer.line(), crease, static_cast<int>(n), static_cast<int>(nf), tagVertices.size(),
                              tagSharpness.size()});
    for (long long k = 0; k < n; ++k) {
        const std::string& word = words[2 + k];
        int vertex = 0;
        if (!readInt32(word, vertex)) fail(malformed + ": vertex index \"" + word + "\" is not a 32-bit integer");
        tagVertices.push_back(vertex);
    }
    for (long long k = 0; k < nf; ++k) {
        const std::string& word = words[2 + n + k];
        if (!isDecimal(word) && !isNonFiniteWord(word))
            fail(malformed + ": sharpness \"" + word + "\" is not a number");
        const float s = std::strtof(word.c_str(), nullptr);
        if (!std::isfinite(s)) fail(tag + " sharpness \"" + word + "\" is not finite");
        if (s < 0) fail(tag + " sharpness \"" + word + "\" is negative");
        tagSharpness.push_back(s == 0 ? 0.0f : s);  // -0 is 0
    }
}

// The counts word of the tag in `words` (nint/nfloat/nstring) into `counts`.
void ObjState::tagCounts(long long counts[3]) const {
    const std::string malformed = "malformed " + words[0] + " tag";
    if (words.size() < 2) fail(malformed + ": no counts nint/nfloat/nstring after the name");
    if (!readTagCounts(words[1], counts))
        fail(malformed + " counts \"" + words[1] + "\": expected nint/nfloat/nstring, three non-negative integers");
}

// Checks that the tag in `words` gives as many values as its counts call for.
void ObjState::tagValues(long long values) const {
    const long long given = static_cast<long long>(words.size()) - 2;
    if (given != values)
        fail("malformed " + words[0] + " tag: counts " + words[1] + " call for " + std::to_string(values) +
             " values, " + std::to_string(given) + " given");
}

// The scheme options and holes:
// interpolateboundary 1/0/0 N: N 0 none, 1 edge and corner, 2 edge only;
// creasemethod 0/0/1 normal|chaikin; smoothtriangles 0/0/1 catmark|smooth;
// facevaryinginterpolateboundary 1/0/0 N: N 0 none to 5 all, the rule of the
// texture coordinates; facevaryingpropagatecorners 1/0/0 N: N 0 or 1, checked
// and without effect, as OpenSubdiv's refiner leaves it;
// hole n/0/0 f...: n >= 1 faces by their 0-based index among the file's
// faces, dropped ones counted (checked once every face is read). A later
// option tag replaces an earlier one; holes add up.
void ObjState::readOptionTag() {
    const std::string tag = words[0];
    const std::string malformed = "malformed " + tag + " tag";
    long long counts[3];
    tagCounts(counts);
    const bool hole = tag == "hole", faceVarying = tag == "facevaryinginterpolateboundary",
               propagate = tag == "facevaryingpropagatecorners";
    const bool boundary = tag == "interpolateboundary", integer = boundary || faceVarying || propagate;
    const std::string expected = hole ? "n/0/0" : integer ? "1/0/0" : "0/0/1";
    const bool fits = hole ? counts[0] >= 1 && counts[1] == 0 && counts[2] == 0
                           : counts[0] == (integer ? 1 : 0) && counts[1] == 0 && counts[2] == (integer ? 0 : 1);
    if (!fits) fail(malformed + ": counts " + words[1] + ", expected " + expected + (hole ? " with n >= 1" : ""));
    tagValues(counts[0] + counts[2]);
    if (hole) {
        for (std::size_t k = 2; k < words.size(); ++k) {
            int face = 0;
            if (!readInt32(words[k], face)) fail(malformed + ": face index \"" + words[k] + "\" is not a 32-bit integer");
            holes.push_back({buffer.line(), face});
        }
        return;
    }
    const std::string& word = words[2];
    if (boundary) {
        int rule = -1;
        if (!readInt32(word, rule) || rule < 0 || rule > 2)
            fail(malformed + ": \"" + word + "\", expected 0 (none), 1 (edge and corner) or 2 (edge only)");
        options.boundary = static_cast<BoundaryInterpolation>(rule);
    } else if (faceVarying) {
        int rule = -1;
        if (!readInt32(word, rule) || rule < 0 || rule > 5)
            fail(malformed + ": \"" + word +
                 "\", expected 0 (none), 1 (corners only), 2 (corners plus one), 3 (corners plus two), "
                 "4 (boundaries) or 5 (all)");
        options.faceVarying = static_cast<FaceVaryingInterpolation>(rule);
    } else if (propagate) {
        int value = -1;
        if (!readInt32(word, value) || value < 0 || value > 1) fail(malformed + ": \"" + word + "\", expected 0 or 1");
    } else if (tag == "creasemethod") {
        if (word != "normal" && word != "chaikin") fail(malformed + ": \"" + word + "\", expected normal or chaikin");
        options.creasing = word == "chaikin" ? CreasingMethod::Chaikin : CreasingMethod::Uniform;
    } else {
        if (word != "catmark" && word != "smooth") fail(malformed + ": \"" + word + "\", expected catmark or smooth");
        options.triangles = word == "smooth" ? TriangleSubdivision::Smooth : TriangleSubdivision::CatmullClark;
    }
}

// The holes on the faces as accepted: a face the builder dropped has no
// surface anyway and is passed over with a warning.
void ObjState::applyHoles() {
    for (const PendingHole& hole : holes) {
        if (hole.face < 0 || static_cast<std::size_t>(hole.face) >= faces.size())
            failAt(hole.line, "hole face index " + std::to_string(hole.face) + " out of range (" +
                                  std::to_string(faces.size()) + " faces)");
        const int slot = acceptedSlot[hole.face];
        if (slot >= 0)
            builder.setHole(slot);
        else
            report("PARSE WARNING: " + name + ":" + std::to_string(hole.line) + ": hole face " +
                   std::to_string(hole.face) + " was dropped, hole ignored");
    }
    builder.setOptions(options);
}

// The tags in file order, on the faces as accepted: a later tag of the same
// edge or vertex replaces an earlier one. Every index of a tag is checked
// before any of its edges, as the builder checks one edge at a time.
void ObjState::applyTags() {
    for (const PendingTag& tag : tags) {
        const std::string kind = tag.crease ? "crease" : "corner";
        const int* vertices = tagVertices.data() + tag.vertexStart;
        const float* sharpness = tagSharpness.data() + tag.sharpnessStart;
        for (int k = 0; k < tag.count; ++k)
            if (vertices[k] < 0 || vertices[k] >= vertexCount)
                failAt(tag.line, kind + " vertex index " + std::to_string(vertices[k]) + " out of range (" +
                                     std::to_string(vertexCount) + " vertices)");
        try {
            if (!tag.crease) {
                for (int k = 0; k < tag.count; ++k)
                    builder.tagCorner(vertices[k], sharpness[tag.sharpnessCount == 1 ? 0 : k]);
                continue;
            }
            for (int k = 0; k + 1 < tag.count; ++k)
                builder.tagCrease(vertices[k], vertices[k + 1], sharpness[tag.sharpnessCount == 1 ? 0 : k]);
        } catch (const LoadError& refused) {
            failAt(tag.line, refused.what());
        }
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

void onTextureCoordinate(void* data, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t) {
    guarded(data, [&](ObjState& state) { state.addTextureCoordinate(); });
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
        buffer.onLineEnd([&state] { guarded(&state, [](ObjState& s) { s.readTag(); }); });
        tinyobj::callback_t callbacks;
        callbacks.vertex_cb = onVertex;
        callbacks.texcoord_cb = onTextureCoordinate;
        callbacks.index_cb = onFace;
        std::string warnings, errors;
        // No material reader: a mtllib statement never opens another file.
        tinyobj::LoadObjWithCallback(tracked, callbacks, &state, nullptr, &warnings, &errors);
        if (state.error) std::rethrow_exception(state.error);
        if (buffer.tooLong()) state.fail("line too long");
        state.finishFaces();
        state.applyTags();
        state.applyHoles();
        state.builder.finish(mesh);
    } catch (const std::bad_alloc&) {
        throw LoadError("ERROR: not enough memory to load the mesh");
    }
}

}  // namespace facetry
