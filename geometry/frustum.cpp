#include "geometry/frustum.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

void ZtFrustum::ExtractPlanes() {
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    ComputePlanes();
}

void ZtFrustum::ExtractPlanes(const float projectionMatrix[16], const float modelviewMatrix[16]) {
    std::copy(projectionMatrix, projectionMatrix + 16, projection);
    std::copy(modelviewMatrix, modelviewMatrix + 16, modelview);
    ComputePlanes();
}

void ZtFrustum::ComputePlanes() {
    const float* p = projection;
    const float* m = modelview;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            clip[4 * i + j] = m[4 * i] * p[j] + m[4 * i + 1] * p[4 + j] + m[4 * i + 2] * p[8 + j] +
                              m[4 * i + 3] * p[12 + j];
        }
    }
    // Each plane is the fourth row of clip plus or minus one of the first three.
    static constexpr struct {
        int row;
        float sign;
    } kRows[kPlaneCount] = {{0, -1}, {0, 1}, {1, 1}, {1, -1}, {2, -1}, {2, 1}};
    for (int plane = 0; plane < kPlaneCount; ++plane) {
        const int r = kRows[plane].row;
        const float s = kRows[plane].sign;
        float* out = planes[plane];
        for (int column = 0; column < 4; ++column) {
            out[column] = clip[4 * column + 3] + s * clip[4 * column + r];
        }
        const float inverseLength =
            1.0f / std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
        for (float& value : planes[plane]) {
            value *= inverseLength;
        }
    }
}

bool ZtFrustum::IsSphereVisible(const Vec3& centre, float radius) const {
    for (const float* plane : planes) {
        const float distance =
            plane[0] * centre.x + plane[1] * centre.y + plane[2] * centre.z + plane[3] + radius;
        if (distance < 0.0f) {
            return false;
        }
    }
    return true;
}
