// The named palette: base colours by value, light and dark ones blended.
#include "math/colors.h"

#include <gtest/gtest.h>

using namespace facetry;

namespace {

void expectColor(float r, float g, float b, const Color& c, const char* name) {
    EXPECT_EQ(r, c.r) << name;
    EXPECT_EQ(g, c.g) << name;
    EXPECT_EQ(b, c.b) << name;
}

TEST(Palette, BaseLightAndDarkColoursAreExact) {
    expectColor(1, 1, 1, white, "white");
    expectColor(0, 0, 0, black, "black");
    expectColor(0.5f, 0.5f, 0.5f, grey, "grey");
    expectColor(0, 1, 1, cyan, "cyan");
    expectColor(0.75f, 0.75f, 0.75f, lightGrey, "lightGrey");
    expectColor(1, 0.5f, 0.5f, lightRed, "lightRed");
    expectColor(1, 1, 0.5f, lightYellow, "lightYellow");
    expectColor(0.5f, 1, 0.5f, lightGreen, "lightGreen");
    expectColor(0.5f, 1, 1, lightCyan, "lightCyan");
    expectColor(0.5f, 0.5f, 1, lightBlue, "lightBlue");
    expectColor(1, 0.5f, 1, lightMagenta, "lightMagenta");
    expectColor(0.25f, 0.25f, 0.25f, darkGrey, "darkGrey");
    expectColor(0.5f, 0, 0, darkRed, "darkRed");
    expectColor(0.5f, 0.5f, 0, darkYellow, "darkYellow");
    expectColor(0, 0.5f, 0, darkGreen, "darkGreen");
    expectColor(0, 0.5f, 0.5f, darkCyan, "darkCyan");
    expectColor(0, 0, 0.5f, darkBlue, "darkBlue");
    expectColor(0.5f, 0, 0.5f, darkMagenta, "darkMagenta");
}

TEST(Palette, BlendIsTheHalfwayColour) {
    expectColor(0.5f, 0.25f, 0.75f, Color(1, 0, 0.5f).blend(Color(0, 0.5f, 1)), "blend");
}

}  // namespace
