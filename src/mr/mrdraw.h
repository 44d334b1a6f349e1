#pragma once
// The colours of the "Colored Edges" display: face k takes entry k mod 14,
// the seven light colours then the seven dark ones.

#include "math/colors.h"

constexpr int kEdgePaletteSize = 14;

// Palette entry k mod kEdgePaletteSize (k >= 0).
const Color& edgePaletteColor(int k);
