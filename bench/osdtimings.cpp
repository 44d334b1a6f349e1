// OpenSubdiv's uniform refinement, timed.
#include "osdtimings.h"

#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>

#include <memory>

#include "allocationcounter.h"
#include "stopwatch.h"

namespace {

using namespace OpenSubdiv;

// A position as OpenSubdiv's primvar interpolation wants it.
struct OsdPoint {
    float x, y, z;  // the position
    void Clear(void* = nullptr) { x = y = z = 0; }
    void AddWithWeight(const OsdPoint& p, float weight) {
        x += weight * p.x;
        y += weight * p.y;
        z += weight * p.z;
    }
};

// The control mesh as plain arrays, from which the descriptor reads.
struct ControlArrays {
    std::vector<int> valences;  // vertices per face
    std::vector<int> indices;   // vertex indices of every face in turn
    std::vector<OsdPoint> positions;  // one per control vertex
};

ControlArrays controlArrays(const Mesh& control) {
    ControlArrays arrays;
    for (int f = 0; f < control.numFaces(); ++f) {
        const MeshFace* face = control.face(f);
        arrays.valences.push_back(face->valence());
        for (int k = 0; k < face->valence(); ++k) arrays.indices.push_back(face->vertex(k)->id);
    }
    for (int v = 0; v < control.numVertices(); ++v) {
        Vector p = control.vertex(v)->position();
        arrays.positions.push_back({p.x, p.y, p.z});
    }
    return arrays;
}

// Builds the level-0 topology and refines it uniformly to `level`.
std::unique_ptr<Far::TopologyRefiner> refineTopology(const ControlArrays& arrays, int level) {
    Sdc::Options options;
    options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
    Far::TopologyDescriptor descriptor;
    descriptor.numVertices = static_cast<int>(arrays.positions.size());
    descriptor.numFaces = static_cast<int>(arrays.valences.size());
    descriptor.numVertsPerFace = arrays.valences.data();
    descriptor.vertIndicesPerFace = arrays.indices.data();
    using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
    std::unique_ptr<Far::TopologyRefiner> refiner(
        Factory::Create(descriptor, Factory::Options(Sdc::SCHEME_CATMARK, options)));
    refiner->RefineUniform(Far::TopologyRefiner::UniformOptions(level));
    return refiner;
}

// Interpolates the positions of every level into `all`, which holds every
// level's vertices one after the other, level 0 first and already filled.
void interpolateLevels(const Far::TopologyRefiner& refiner, std::vector<OsdPoint>& all) {
    Far::PrimvarRefiner primvar(refiner);
    OsdPoint* source = all.data();
    for (int level = 1; level <= refiner.GetMaxLevel(); ++level) {
        OsdPoint* destination = source + refiner.GetLevel(level - 1).GetNumVertices();
        primvar.Interpolate(level, source, destination);
        source = destination;
    }
}

}  // namespace

OsdFigures runOpenSubdiv(const Mesh& control, int level, int repetitions) {
    ControlArrays arrays = controlArrays(control);
    OsdFigures figures;
    figures.level = level;
    std::vector<double> topologyTimes, interpolateTimes;
    for (int rep = 0; rep < repetitions; ++rep) {
        std::size_t before = allocationcounter::inUse();
        allocationcounter::markPeak();
        Stopwatch topologyWatch;
        std::unique_ptr<Far::TopologyRefiner> refiner = refineTopology(arrays, level);
        topologyTimes.push_back(topologyWatch.seconds());

        std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
        std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
        Stopwatch interpolateWatch;
        interpolateLevels(*refiner, all);
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
    ControlArrays arrays = controlArrays(control);
    std::unique_ptr<Far::TopologyRefiner> refiner = refineTopology(arrays, level);
    std::vector<OsdPoint> all(refiner->GetNumVerticesTotal());
    std::copy(arrays.positions.begin(), arrays.positions.end(), all.begin());
    interpolateLevels(*refiner, all);
    return refiner->GetLevel(level).GetNumVertices();
}
