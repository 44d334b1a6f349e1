#pragma once
// Color and the program's fixed palette of named colours. The drawing
// makes them OpenGL's current colour (draw/glcolor.h).

namespace facetry {

struct Color {
    float r = 0, g = 0, b = 0;
    Color() = default;
    Color(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
    Color blend(const Color& o) const { return Color((r + o.r) * 0.5f, (g + o.g) * 0.5f, (b + o.b) * 0.5f); }
};

extern const Color white, black, grey, red, yellow, green, cyan, blue, magenta;
extern const Color lightGrey, lightRed, lightYellow, lightGreen, lightCyan, lightBlue, lightMagenta;
extern const Color darkGrey, darkRed, darkYellow, darkGreen, darkCyan, darkBlue, darkMagenta;

}  // namespace facetry
