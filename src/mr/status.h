#pragma once
// Status moved to math/status.h, below the control mesh, whose writers return
// it too; this header keeps the surface's includes working.
#include "math/status.h"

namespace facetry {

}  // namespace facetry
