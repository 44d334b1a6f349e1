#pragma once
// The named colours of math/colors.h as OpenGL's current colour.

#include "math/colors.h"

namespace facetry {

// Makes c the current OpenGL colour.
void setColor(const Color& c);

}  // namespace facetry
