#include "math/quaternion.h"

namespace facetry {

const Quaternion identityQuaternion(0, 0, 0, 1);
const float identityMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void toMatrix(const Quaternion& q, float m[16]) {
    float n = q.norm();
    float s = n != 0 ? 2 / n : 0;
    Quaternion qs = q * s;
    float xx = q.x * qs.x, xy = q.x * qs.y, xz = q.x * qs.z;
    float yy = q.y * qs.y, yz = q.y * qs.z;
    float zz = q.z * qs.z;
    float wx = q.w * qs.x, wy = q.w * qs.y, wz = q.w * qs.z;
    m[0] = 1 - (yy + zz);
    m[1] = xy - wz;
    m[2] = xz + wy;
    m[3] = 0;
    m[4] = xy + wz;
    m[5] = 1 - (xx + zz);
    m[6] = yz - wx;
    m[7] = 0;
    m[8] = xz - wy;
    m[9] = yz + wx;
    m[10] = 1 - (xx + yy);
    m[11] = 0;
    m[12] = m[13] = m[14] = 0;
    m[15] = 1;
}

}  // namespace facetry
