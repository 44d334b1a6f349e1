#include "mr/texturecoordinates.h"

namespace facetry {

Block<float> levelZeroTextureCoordinates(const Mesh& mesh, const LevelZeroNumbering& numbering) {
    if (!mesh.hasTextureCoordinates()) return Block<float>();
    const std::vector<float>& uv = mesh.textureCoordinates();
    Block<float> corners(8 * static_cast<std::size_t>(numbering.numF()));
    auto cornerUV = [&](int f, int k, int axis) { return uv[2 * mesh.cornerTextureCoordinate(f, k) + axis]; };
    const MeshTopology& c = mesh.topology();
    for (int f = 0; f < c.numF; ++f) {
        const int n = c.valence(f);
        if (!numbering.refined()) {
            for (int k = 0; k < 4; ++k)
                for (int axis = 0; axis < 2; ++axis) corners[8 * f + 2 * k + axis] = cornerUV(f, k, axis);
            continue;
        }
        for (int axis = 0; axis < 2; ++axis) {
            float centre = 0;
            for (int k = 0; k < n; ++k) centre += cornerUV(f, k, axis);
            centre /= static_cast<float>(n);
            for (int j = 0; j < n; ++j) {
                float* q = corners.data() + 8 * static_cast<std::size_t>(c.faceStart[f] + j);
                const float before = cornerUV(f, (j + n - 1) % n, axis), at = cornerUV(f, j, axis),
                            after = cornerUV(f, (j + 1) % n, axis);
                q[axis] = centre;
                q[2 + axis] = (before + at) * 0.5f;
                q[4 + axis] = at;
                q[6 + axis] = (at + after) * 0.5f;
            }
        }
    }
    return corners;
}

void bilinearTextureCoordinate(const float* q, int cells, int i, int j, float uv[2]) {
    const float m = static_cast<float>(cells), s = static_cast<float>(i) / m, t = static_cast<float>(j) / m;
    // corner 0 at (0, 0), 1 at (m, 0), 2 at (m, m), 3 at (0, m)
    for (int axis = 0; axis < 2; ++axis)
        uv[axis] = (q[axis] * (1 - s) + q[2 + axis] * s) * (1 - t) + (q[6 + axis] * (1 - s) + q[4 + axis] * s) * t;
}

}  // namespace facetry
