#pragma once
// Checks that two point sets describe the same surface: the same number of
// points, and every point of each set within a tolerance of a point of the
// other. The points are looked up in a sorted grid of cells as wide as the
// tolerance, so a query looks at no more than eight cells.

#include <cstddef>
#include <string>
#include <vector>

#include "math/vector.h"

struct WeldResult {
    bool countsEqual = false;      // both sets have as many points
    std::size_t unmatched = 0;     // points of either set with no partner within the tolerance
    double largestDistance = 0;    // over the matched points, the largest distance to the nearest partner
    bool matched() const { return countsEqual && unmatched == 0; }
    std::string summary() const;   // "yes" or what differs
};

WeldResult compareWelded(const std::vector<Vector>& a, const std::vector<Vector>& b, double tolerance);
