#include "glcontext.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "app/window.h"

using namespace facetry;

namespace {

// Room for the largest drawing of the tests.
constexpr int kFeedbackSize = 1 << 20;

// Closes GLUT when the tests are over, before the process exits: at exit the
// software renderer's own clean-up would come first and GLUT's then crash.
class GlutShutdown : public ::testing::Environment {
public:
    void TearDown() override {
        if (glutGet(GLUT_INIT_STATE)) glutExit();
    }
};
::testing::Environment* const glutShutdown = ::testing::AddGlobalTestEnvironment(new GlutShutdown);

}  // namespace

void ensureGlContext() {
    static bool open = false;
    if (open) return;
    int argc = 1;
    char name[] = "facetry-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowSize(kTestWindowSize, kTestWindowSize);
    glutCreateWindow("Facetry test");
    setFixedGlState();
    glViewport(0, 0, kTestWindowSize, kTestWindowSize);
    open = true;
}

void reshapeTestWindow(View& view) {
    view.resize(kTestWindowSize, kTestWindowSize);
    glViewport(0, 0, kTestWindowSize, kTestWindowSize);
    setProjection(view, false, 0, 0);
}

std::vector<FeedbackItem> feedback(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(kFeedbackSize);
    glFeedbackBuffer(kFeedbackSize, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint size = glRenderMode(GL_RENDER);
    if (size < 0) throw std::runtime_error("feedback buffer overflow");
    std::vector<FeedbackItem> items;
    GLint k = 0;
    auto readVertex = [&] {
        const GLfloat* v = &buffer[k];
        k += 7;
        return FeedbackVertex{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
    };
    while (k < size) {
        FeedbackItem item;
        item.token = static_cast<GLenum>(buffer[k++]);
        int count = 0;
        switch (item.token) {
            case GL_POINT_TOKEN:
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                count = 1;
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                count = 2;
                break;
            case GL_POLYGON_TOKEN:
                count = static_cast<int>(buffer[k++]);
                break;
            case GL_PASS_THROUGH_TOKEN:
                ++k;
                continue;
            default:
                throw std::runtime_error("unknown feedback token");
        }
        for (int i = 0; i < count; ++i) item.vertices.push_back(readVertex());
        items.push_back(item);
    }
    return items;
}

int countTokens(const std::vector<FeedbackItem>& items, GLenum token) {
    int n = 0;
    for (const FeedbackItem& item : items) n += item.token == token;
    return n;
}

std::vector<FeedbackItem> screenPicture(std::vector<FeedbackItem> items) {
    auto samePlace = [](const FeedbackVertex& a, const FeedbackVertex& b) {
        return a.x == b.x && a.y == b.y && a.z == b.z;
    };
    std::vector<FeedbackItem> shown;
    for (FeedbackItem& item : items) {
        if (item.token == GL_LINE_RESET_TOKEN) item.token = GL_LINE_TOKEN;
        if (item.token == GL_POLYGON_TOKEN) {
            const std::vector<FeedbackVertex>& v = item.vertices;
            bool degenerate = false;
            for (size_t i = 0; i < v.size(); ++i)
                for (size_t j = i + 1; j < v.size(); ++j) degenerate = degenerate || samePlace(v[i], v[j]);
            if (degenerate) continue;
            for (size_t i = 0; i + 1 < item.vertices.size(); ++i) {
                FeedbackVertex& corner = item.vertices[i];
                corner.r = corner.g = corner.b = corner.a = 0;
            }
        }
        shown.push_back(item);
    }
    return shown;
}

bool operator==(const FeedbackVertex& a, const FeedbackVertex& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool operator==(const FeedbackItem& a, const FeedbackItem& b) { return a.token == b.token && a.vertices == b.vertices; }

long firstDifference(const std::vector<FeedbackItem>& a, const std::vector<FeedbackItem>& b) {
    for (size_t k = 0; k < a.size() && k < b.size(); ++k)
        if (!(a[k] == b[k])) return static_cast<long>(k);
    return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

std::vector<unsigned char> readPixels() {
    std::vector<unsigned char> rgb(3 * kTestWindowSize * kTestWindowSize);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kTestWindowSize, kTestWindowSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

int differingPixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t k = 0; k + 2 < a.size(); k += 3) n += a[k] != b[k] || a[k + 1] != b[k + 1] || a[k + 2] != b[k + 2];
    return n;
}

void loadPixelMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kTestWindowSize, 0, kTestWindowSize, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(10, 10, 0);
    glScalef(50, 50, 1);
}
