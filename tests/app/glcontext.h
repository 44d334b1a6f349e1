#pragma once
// A real OpenGL context for drawing tests (a GLUT window on the test's own
// X server), and OpenGL feedback mode to see what a drawing call issues.

#include <GL/gl.h>

#include <functional>
#include <vector>

#include "app/view.h"

// The side of the test window, in pixels.
constexpr int kTestWindowSize = 300;

// Opens the test window once per process, with the program's fixed OpenGL
// state and a viewport over the whole window.
void ensureGlContext();
// Gives the view the test window's size and loads its projection, as the
// first reshape does.
void reshapeTestWindow(facetry::View& view);

// One primitive as feedback mode reports it: its token and its vertices.
struct FeedbackVertex {
    float x, y, z;     // window coordinates
    float r, g, b, a;  // colour after lighting
};
struct FeedbackItem {
    GLenum token;                         // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, GL_POLYGON_TOKEN
    std::vector<FeedbackVertex> vertices; // 1 for a point, 2 for a line, n for a polygon
};
// Runs `draw` in feedback mode (GL_3D_COLOR) and returns what it issued.
std::vector<FeedbackItem> feedback(const std::function<void()>& draw);
// The number of items with the given token.
int countTokens(const std::vector<FeedbackItem>& items, GLenum token);
// What of a feedback record reaches the screen, so that two drawings of one
// picture compare equal: every line token as GL_LINE_TOKEN (a strip's first
// segment resets the stipple, which is never used); no triangle with two
// equal corners (a quad strip's quad between two cells has no area); and a
// triangle's colour only on its last corner, the one flat shading paints
// the whole triangle with (the others' are blanked).
std::vector<FeedbackItem> screenPicture(std::vector<FeedbackItem> items);
bool operator==(const FeedbackVertex& a, const FeedbackVertex& b);
bool operator==(const FeedbackItem& a, const FeedbackItem& b);
// The index of the first item where the two differ, or -1.
long firstDifference(const std::vector<FeedbackItem>& a, const std::vector<FeedbackItem>& b);

// The window's colour buffer, RGB row by row from the bottom.
std::vector<unsigned char> readPixels();
// The number of pixels whose colours differ.
int differingPixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);

// Projection and modelview under which model (x, y) lands on window pixel
// (10 + 50x, 10 + 50y): for checking coordinates by eye.
void loadPixelMatrices();
