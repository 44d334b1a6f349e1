#include "math/colors.h"

namespace facetry {

// Base colours by value; light ones are halfway to white, dark ones halfway to black.
const Color white(1, 1, 1), black(0, 0, 0), grey(0.5f, 0.5f, 0.5f);
const Color red(1, 0, 0), yellow(1, 1, 0), green(0, 1, 0), cyan(0, 1, 1), blue(0, 0, 1), magenta(1, 0, 1);
const Color lightGrey = white.blend(grey), lightRed = white.blend(red), lightYellow = white.blend(yellow),
            lightGreen = white.blend(green), lightCyan = white.blend(cyan), lightBlue = white.blend(blue),
            lightMagenta = white.blend(magenta);
const Color darkGrey = black.blend(grey), darkRed = black.blend(red), darkYellow = black.blend(yellow),
            darkGreen = black.blend(green), darkCyan = black.blend(cyan), darkBlue = black.blend(blue),
            darkMagenta = black.blend(magenta);

}  // namespace facetry
