// Chaikin creasing and smooth triangles against OpenSubdiv
// (peer/peeragreement.h), alone and together, with edge-only boundaries: on
// the catalogue's oriented meshes (triangles, boundaries, corners among them)
// and generated ones, smooth and with random sharp edges and corners from
// fixed seeds: many (where semi-sharp edges meet in twos and threes, which
// Chaikin's rule blends), dense, and few.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "peer/peeragreement.h"
#include "support/catalogue.h"
#include "support/creasetags.h"
#include "support/loading.h"
#include "support/meshcopy.h"

using namespace facetry;

namespace {

struct OptionSet {
    const char* name;
    SchemeOptions options;
};

SchemeOptions optionsOf(CreasingMethod creasing, TriangleSubdivision triangles) {
    SchemeOptions options;
    options.creasing = creasing;
    options.triangles = triangles;
    return options;
}

const OptionSet kOptionSets[] = {
    {"Chaikin", optionsOf(CreasingMethod::Chaikin, TriangleSubdivision::CatmullClark)},
    {"SmoothTriangles", optionsOf(CreasingMethod::Uniform, TriangleSubdivision::Smooth)},
    {"ChaikinSmoothTriangles", optionsOf(CreasingMethod::Chaikin, TriangleSubdivision::Smooth)},
};

struct Creases {
    const char* name;
    unsigned seed;       // 0: none
    double edgeShare;    // of the interior edges, sharp
    double vertexShare;  // of the vertices, corners
};

const Creases kCreases[] = {
    {"Smooth", 0, 0, 0},
    {"Creased", 301, 0.3, 0.1},
    {"DenselyCreased", 401, 0.7, 0.05},
    {"FewCreases", 501, 0.08, 0.02},
};

struct PeerCase {
    std::string name;
    RefMesh control;
    SchemeOptions options;
    Creases creases;
};

const std::vector<PeerCase>& peerCases() {
    static const std::vector<PeerCase> cases = [] {
        std::vector<std::pair<std::string, RefMesh>> meshes;
        // OpenSubdiv takes an edge whose faces run along it the same way for a
        // seam of its own; only consistently wound meshes describe one surface.
        for (const CatalogueMesh& entry : meshCatalogue())
            if (entry.oriented) meshes.push_back({entry.name, entry.control});
        meshes.push_back({"gridTorus6x5", gridTorus(6, 5)});
        meshes.push_back({"mixedPatch9x7", mixedPatch(9, 7)});
        std::vector<PeerCase> list;
        for (const auto& [name, control] : meshes)
            for (const OptionSet& set : kOptionSets)
                for (const Creases& creases : kCreases) {
                    // Without a sharp edge Chaikin's rule has nothing to do.
                    const bool chaikinOnly = set.options.triangles == TriangleSubdivision::CatmullClark;
                    if (chaikinOnly && !creases.seed) continue;
                    list.push_back({name + set.name + creases.name, control, set.options, creases});
                }
        return list;
    }();
    return cases;
}

class CreasingPeer : public testing::TestWithParam<int> {};

TEST_P(CreasingPeer, RefinedPointsLimitPositionsAndNormalsMatchOpenSubdiv) {
    const PeerCase& peer = peerCases()[GetParam()];
    std::unique_ptr<Mesh> control = loadMesh(meshText(peer.control));
    if (peer.creases.seed) {
        const CreaseTags tags = randomCreases(*control, peer.creases.seed, peer.creases.edgeShare,
                                              peer.creases.vertexShare);
        control = withCreases(*control, tags);
    }
    control = withOptions(*control, peer.options);
    ASSERT_EQ(control->options(), peer.options);
    expectAgreesWithOpenSubdiv(*control, meshSize(peer.control));
}

INSTANTIATE_TEST_SUITE_P(Meshes, CreasingPeer, testing::Range(0, static_cast<int>(peerCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return peerCases()[instance.param].name; });

}  // namespace
