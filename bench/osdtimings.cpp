// OpenSubdiv's uniform refinement, timed.
#include "osdtimings.h"

#include <memory>

#include "allocationcounter.h"
#include "stopwatch.h"
#include "support/osdpeer.h"

using namespace facetry;

using namespace OpenSubdiv;

OsdFigures runOpenSubdiv(const Mesh& control, int level, int repetitions) {
    return runOpenSubdiv(osdControl(control), level, repetitions);
}

OsdFigures runOpenSubdiv(const OsdControl& arrays, int level, int repetitions) {
    OsdFigures figures;
    figures.level = level;
    std::vector<double> topologyTimes, interpolateTimes;
    for (int rep = 0; rep < repetitions; ++rep) {
        std::size_t before = allocationcounter::inUse();
        allocationcounter::markPeak();
        Stopwatch topologyWatch;
        std::unique_ptr<Far::TopologyRefiner> refiner = osdRefine(arrays, level, false);
        topologyTimes.push_back(topologyWatch.seconds());

        std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
        std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
        Stopwatch interpolateWatch;
        osdInterpolate(*refiner, all);
        interpolateTimes.push_back(interpolateWatch.seconds());
        figures.peakBytes = allocationcounter::peak() - before;

        if (rep + 1 == repetitions) {
            int last = refiner->GetLevel(level).GetNumVertices();
            figures.points.resize(last);
            const OsdPoint* finest = all.data() + all.size() - last;
            for (int k = 0; k < last; ++k) figures.points[k] = Vector(finest[k].x, finest[k].y, finest[k].z);
        }
    }
    figures.topologySeconds = median(topologyTimes);
    figures.interpolateSeconds = median(interpolateTimes);
    return figures;
}

int refineWithOpenSubdiv(const Mesh& control, int level) {
    const OsdControl arrays = osdControl(control);
    std::unique_ptr<Far::TopologyRefiner> refiner = osdRefine(arrays, level, false);
    std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
    std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
    osdInterpolate(*refiner, all);
    return refiner->GetLevel(level).GetNumVertices();
}
