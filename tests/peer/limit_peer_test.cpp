// The surface and its limit against OpenSubdiv's (peer/peeragreement.h), on
// the catalogue's oriented meshes, generated ones and shuffled copies, each
// also with random sharp edges and corners (fractional, whole and infinite
// sharpness, from fixed seeds).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "support/catalogue.h"
#include "support/creasetags.h"
#include "support/loading.h"
#include "support/osdpeer.h"
#include "peer/peeragreement.h"

using namespace facetry;

namespace {

// `mesh` with its vertices and faces in a random order and every face
// starting at a random corner: the same surface, numbered otherwise.
RefMesh shuffled(const RefMesh& mesh, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<int> order(mesh.points.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> newIndex(order.size());
    RefMesh out;
    for (std::size_t k = 0; k < order.size(); ++k) {
        newIndex[order[k]] = static_cast<int>(k);
        out.points.push_back(mesh.points[order[k]]);
    }
    for (const std::vector<int>& face : mesh.faces) {
        std::vector<int> f;
        for (int v : face) f.push_back(newIndex[v]);
        std::rotate(f.begin(), f.begin() + random() % f.size(), f.end());
        out.faces.push_back(f);
    }
    std::shuffle(out.faces.begin(), out.faces.end(), random);
    return out;
}

struct PeerCase {
    std::string name;
    RefMesh control;
    unsigned creaseSeed = 0;  // 0: smooth; otherwise the seed of random creases and corners
    double edgeShare = 0;     // of the interior edges, sharp
    double vertexShare = 0;   // of the vertices, corners
};

const std::vector<PeerCase>& peerCases() {
    static const std::vector<PeerCase> cases = [] {
        std::vector<PeerCase> list;
        // OpenSubdiv takes an edge whose faces run along it the same way for
        // a seam of its own; only consistently wound meshes describe one surface.
        for (const CatalogueMesh& entry : meshCatalogue())
            if (entry.oriented) list.push_back({entry.name, entry.control});
        list.push_back({"gridTorus12x8", gridTorus(12, 8)});
        list.push_back({"mixedPatch9x7", mixedPatch(9, 7)});
        list.push_back({"shuffledMixedPatch", shuffled(mixedPatch(9, 7), 7)});
        list.push_back({"shuffledAntiprism", shuffled(catalogueMesh("exampleAntiprism").control, 11)});
        list.push_back({"shuffledOpenPatch", shuffled(catalogueMesh("openPatch").control, 13)});
        list.push_back({"shuffledTorus", shuffled(gridTorus(6, 5), 17)});
        list.push_back({"gridTorus24x16", gridTorus(24, 16)});
        list.push_back({"mixedPatch20x15", mixedPatch(20, 15)});
        // The same meshes with random sharp edges and corners: many (most
        // vertices on a sharp edge, many corners), and few (mostly creases
        // through smooth surroundings, where the side a crease's normal is
        // taken from shows).
        const std::size_t smooth = list.size();
        for (std::size_t k = 0; k < smooth; ++k) {
            const unsigned seed = static_cast<unsigned>(101 + k);
            list.push_back({list[k].name + "Creased", list[k].control, seed, 0.3, 0.1});
            list.push_back({list[k].name + "FewCreases", list[k].control, seed + 1000, 0.08, 0.02});
        }
        return list;
    }();
    return cases;
}

class LimitPeer : public testing::TestWithParam<int> {};

TEST_P(LimitPeer, RefinedPointsLimitPositionsAndNormalsMatchOpenSubdiv) {
    const PeerCase& peer = peerCases()[GetParam()];
    std::unique_ptr<Mesh> control = loadMesh(meshText(peer.control));
    if (peer.creaseSeed) {
        const CreaseTags tags = randomCreases(*control, peer.creaseSeed, peer.edgeShare, peer.vertexShare);
        ASSERT_FALSE(tags.vertices.empty());
        control = withCreases(*control, tags);
    }
    expectAgreesWithOpenSubdiv(*control, meshSize(peer.control));
}

INSTANTIATE_TEST_SUITE_P(Meshes, LimitPeer, testing::Range(0, static_cast<int>(peerCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return peerCases()[instance.param].name; });

}  // namespace
