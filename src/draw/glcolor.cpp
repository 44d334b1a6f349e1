#include "draw/glcolor.h"

#include <GL/gl.h>

namespace facetry {

void setColor(const Color& c) { glColor3f(c.r, c.g, c.b); }

}  // namespace facetry
