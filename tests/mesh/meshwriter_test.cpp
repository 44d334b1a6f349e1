// Writing the control mesh: every format read back gives the same mesh (moved
// vertices, unused vertices, dropped faces, texture coordinates and tags in
// OBJ), and a write that fails leaves the file that was there as it was.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "math/format.h"
#include "mesh/filewriting.h"
#include "mesh/meshwriter.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

std::string written(const Mesh& mesh, MeshFormat format) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    EXPECT_TRUE(writeMesh(out, mesh, format));
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

Loaded readBack(const std::string& text, MeshFormat format) {
    switch (format) {
        case MeshFormat::Obj:
            return loadObjText(text);
        case MeshFormat::Off:
            return loadOffText(text);
        case MeshFormat::Text:
            break;
    }
    return loadText(text);
}

const struct {
    MeshFormat format;
    const char* name;
} kFormats[] = {{MeshFormat::Text, "text"}, {MeshFormat::Obj, "obj"}, {MeshFormat::Off, "off"}};

bool sameBits(const Vector& a, const Vector& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The same vertices bit for bit, the same faces, the same number of edges.
void expectSameMesh(const Mesh& want, const Mesh& got, const std::string& what) {
    ASSERT_EQ(want.numVertices(), got.numVertices()) << what;
    for (int v = 0; v < want.numVertices(); ++v)
        EXPECT_TRUE(sameBits(want.vertex(v)->position(), got.vertex(v)->position())) << what << " vertex " << v;
    EXPECT_EQ(facesOf(want), facesOf(got)) << what;
    EXPECT_EQ(want.numEdges(), got.numEdges()) << what;
}

// Moves every vertex to coordinates that nine digits must get right: thirds,
// tiny and large magnitudes, negative zero.
void moveToAwkwardFloats(Mesh& mesh) {
    const float awkward[] = {1.0f / 3, -2.0f / 7, 1e-7f, 123456.789f, -0.0f, 1.5e30f, 1.17549435e-38f, 0.1f};
    for (int v = 0; v < mesh.numVertices(); ++v) {
        const Vector p = mesh.vertex(v)->position();
        mesh.vertex(v)->setPosition(p + Vector(awkward[v % 8] * 1e-3f, p.y * awkward[(v + 3) % 8], 0) +
                                    Vector(0, 0, awkward[(v + 5) % 8]));
    }
}

TEST(MeshWriter, EveryFormatReadsBackAsTheSameMeshWithItsMovedVertices) {
    for (const CatalogueMesh& shape : meshCatalogue())
        for (const auto& format : kFormats) {
            Loaded original = loadObjText(objText(shape.control));
            ASSERT_EQ("", original.fatal) << shape.name;
            moveToAwkwardFloats(*original.mesh);
            const std::string what = shape.name + " as " + format.name;
            Loaded back = readBack(written(*original.mesh, format.format), format.format);
            ASSERT_EQ("", back.fatal) << what;
            EXPECT_TRUE(back.messages.empty()) << what << ": " << back.messages.front();
            expectSameMesh(*original.mesh, *back.mesh, what);
        }
}

// Face 1 shares the edge 0-1 with faces 0 and 2 and is dropped; vertex 6 is
// used by no face. The file written has the accepted faces only, and the
// unused vertex in its place.
TEST(MeshWriter, DroppedFacesAreLeftOutAndUnusedVerticesKept) {
    const std::string text =
        "numV = 7\n0 0 0\n1 0 0\n1 1 0\n0 -1 0\n0 1 1\n0 0 1\n5 5 5\nnumE = 20\nnumF = 3\n"
        "0 1 2 -1\n0 1 5 -1\n1 0 3 -1\n";
    for (const auto& format : kFormats) {
        Loaded original = loadText(text);
        ASSERT_EQ("", original.fatal);
        ASSERT_EQ(2, original.mesh->numFaces());
        Loaded back = readBack(written(*original.mesh, format.format), format.format);
        ASSERT_EQ("", back.fatal) << format.name;
        EXPECT_TRUE(back.messages.empty()) << format.name;  // nothing dropped, no edge count warning
        expectSameMesh(*original.mesh, *back.mesh, format.name);
        EXPECT_TRUE(sameBits(Vector(5, 5, 5), back.mesh->vertex(6)->position()));
    }
}

// The sharp edges by their ends (smaller first), and every vertex's sharpness.
std::vector<std::array<float, 3>> edgeTags(const Mesh& mesh) {
    std::vector<std::array<float, 3>> tags;
    const MeshTopology& t = mesh.topology();
    for (int e = 0; e < t.numE; ++e) {
        const int a = t.edgeVertices[2 * e], b = t.edgeVertices[2 * e + 1];
        if (mesh.edge(e)->sharpness() > 0)
            tags.push_back({float(std::min(a, b)), float(std::max(a, b)), mesh.edge(e)->sharpness()});
    }
    std::sort(tags.begin(), tags.end());
    return tags;
}

std::vector<float> cornerTags(const Mesh& mesh) {
    std::vector<float> s;
    for (int v = 0; v < mesh.numVertices(); ++v) s.push_back(mesh.vertex(v)->sharpness());
    return s;
}

// Every third edge and every fifth vertex tagged, with sharpness values of
// every kind: fractional, whole, infinite.
std::string withTags(const std::string& obj, const Mesh& mesh) {
    const float sharpness[] = {0.3f, 1, 2.75f, 10, 12.5f, 1.0f / 3};
    std::string tags;
    const MeshTopology& t = mesh.topology();
    for (int e = 0; e < t.numE; e += 3)
        tags += "t crease 2/1/0 " + std::to_string(t.edgeVertices[2 * e]) + " " +
                std::to_string(t.edgeVertices[2 * e + 1]) + " " + format(FACETRY_FLOAT, sharpness[e % 6]) + "\n";
    for (int v = 1; v < t.numV; v += 5)
        tags += "t corner 1/1/0 " + std::to_string(v) + " " + format(FACETRY_FLOAT, sharpness[v % 6]) + "\n";
    return obj + tags;
}

TEST(MeshWriter, ObjKeepsCreasesAndCornersWithTheirSharpness) {
    for (const CatalogueMesh& shape : meshCatalogue()) {
        Loaded plain = loadObjText(objText(shape.control));
        ASSERT_EQ("", plain.fatal);
        Loaded creased = loadObjText(withTags(objText(shape.control), *plain.mesh));
        ASSERT_EQ("", creased.fatal) << shape.name;
        ASSERT_TRUE(creased.mesh->hasCreases()) << shape.name;
        Loaded back = loadObjText(written(*creased.mesh, MeshFormat::Obj));
        ASSERT_EQ("", back.fatal) << shape.name;
        EXPECT_TRUE(back.messages.empty()) << shape.name;
        expectSameMesh(*creased.mesh, *back.mesh, shape.name);
        EXPECT_EQ(edgeTags(*creased.mesh), edgeTags(*back.mesh)) << shape.name;
        EXPECT_EQ(cornerTags(*creased.mesh), cornerTags(*back.mesh)) << shape.name;
    }
}

// A cube whose six faces name texture coordinates of their own, some shared
// and one never used, with negative indices in one face and a crease.
TEST(MeshWriter, ObjKeepsEveryCornersTextureCoordinate) {
    const std::string cube =
        "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5 0.25\nvt 0.333333343 0.7\nvt 9 9\n"
        "f 1/1 4/2 3/3 2/4\nf 5/5 6/6 7/1 8/2\nf 1/3 2/4 6/5 5/6\nf 3/1 4/1 8/1 7/1\nf 1/6 5/5 8/4 4/3\n"
        "f -7/-7 -6/-6 -2/-5 -3/-4\nt crease 2/1/0 0 1 2.5\n";
    Loaded original = loadObjText(cube);
    ASSERT_EQ("", original.fatal);
    ASSERT_TRUE(original.mesh->hasTextureCoordinates());
    Loaded back = loadObjText(written(*original.mesh, MeshFormat::Obj));
    ASSERT_EQ("", back.fatal);
    expectSameMesh(*original.mesh, *back.mesh, "cube");
    ASSERT_TRUE(back.mesh->hasTextureCoordinates());
    EXPECT_EQ(original.mesh->textureCoordinates(), back.mesh->textureCoordinates());
    for (int f = 0; f < original.mesh->numFaces(); ++f)
        for (int k = 0; k < original.mesh->topology().valence(f); ++k)
            EXPECT_EQ(original.mesh->cornerTextureCoordinate(f, k), back.mesh->cornerTextureCoordinate(f, k))
                << f << " " << k;
    EXPECT_EQ(edgeTags(*original.mesh), edgeTags(*back.mesh));
}

// --- replacing a file ---


const char kOld[] = "the previous contents\n";

TEST(ReplaceFile, WritesTheWholeFileUnderItsNameAndKeepsAReplacedFilesMode) {
    TempDir dir;
    const std::string path = dir.write("out.mesh", kOld);
    ASSERT_EQ(0, chmod(path.c_str(), 0640));
    const Status done = replaceFile(path, [](FILE* out) { return std::fputs("new\n", out) >= 0; });
    EXPECT_TRUE(done.ok) << done.message;
    EXPECT_EQ("", done.message);
    EXPECT_EQ("new\n", readFile(path));
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(std::vector<std::string>{"out.mesh"}, directoryEntries(dir.path()));
}

// A write that stops half way: the file size limit holds for root too, and
// with SIGXFSZ ignored the write fails with EFBIG as on a full disk.
Status writeUnderSizeLimit(const std::string& path, rlim_t limit) {
    struct rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    struct rlimit low = before;
    low.rlim_cur = limit;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &low);
    const Status done = replaceFile(path, [](FILE* out) {
        for (int k = 0; k < 10000; ++k) std::fputs("0.123456789 0.123456789 0.123456789\n", out);
        return !std::ferror(out);
    });
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    return done;
}

// What is at the path beforehand, and whether a failed write must leave it.
TEST(ReplaceFile, AFailedWriteLeavesWhatWasThereAndNoTemporaryFile) {
    TempDir dir;
    dir.write("old.mesh", kOld);
    mkdir(dir.path("directory").c_str(), 0755);
    dir.write("plain-file", "x");
    struct Case {
        std::string path;     // where to write
        std::string reason;   // the end of the message
        std::string keep;     // a file whose contents must stay kOld, or empty
    };
    const Case cases[] = {
        {dir.path("directory"), "Is a directory", ""},
        {dir.path("plain-file/out.mesh"), "Not a directory", ""},
        {dir.path("missing/out.mesh"), "No such file or directory", ""},
    };
    for (const Case& c : cases) {
        const auto before = directoryEntries(dir.path());
        const Status done = replaceFile(c.path, [](FILE* out) { return std::fputs("new\n", out) >= 0; });
        EXPECT_FALSE(done.ok) << c.path;
        EXPECT_EQ("cannot write " + c.path + ": " + c.reason, done.message);
        EXPECT_EQ(before, directoryEntries(dir.path())) << c.path;
    }
    const std::string old = dir.path("old.mesh");
    const Status full = writeUnderSizeLimit(old, 4096);
    EXPECT_FALSE(full.ok);
    EXPECT_EQ("cannot write " + old + ": File too large", full.message);
    EXPECT_EQ(kOld, readFile(old));
    EXPECT_EQ((std::vector<std::string>{"directory", "old.mesh", "plain-file"}), directoryEntries(dir.path()));
}

// Without write permission on the directory. Root writes anyway, so the case
// is tried only where the permission holds.
TEST(ReplaceFile, AReadOnlyDirectoryRefusesAndKeepsTheOldFile) {
    TempDir dir;
    const std::string sub = dir.path("readonly");
    mkdir(sub.c_str(), 0755);
    const std::string old = sub + "/out.mesh";
    { FILE* f = std::fopen(old.c_str(), "w"); std::fputs(kOld, f); std::fclose(f); }
    chmod(sub.c_str(), 0555);
    if (access(sub.c_str(), W_OK) == 0) {
        chmod(sub.c_str(), 0755);
        GTEST_SKIP() << "permissions do not stop this user's writes";
    }
    const Status done = replaceFile(old, [](FILE* out) { return std::fputs("new\n", out) >= 0; });
    chmod(sub.c_str(), 0755);
    EXPECT_FALSE(done.ok);
    EXPECT_EQ("cannot write " + old + ": Permission denied", done.message);
    EXPECT_EQ(kOld, readFile(old));
    EXPECT_EQ(std::vector<std::string>{"out.mesh"}, directoryEntries(sub));
}

}  // namespace
