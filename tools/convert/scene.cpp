#include "tools/convert/scene.h"

#include <cmath>

Affine NodeParts::Local() const {
    if (matrix)
        return fixed;
    double x = rotation[0], y = rotation[1], z = rotation[2], w = rotation[3];
    const double length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length > 0) {
        x /= length, y /= length, z /= length, w /= length;
    } else {
        x = y = z = 0, w = 1;
    }
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Affine m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m.a[i][j] = r[i][j] * scale[static_cast<std::size_t>(j)];
    }
    m.t = translation;
    return m;
}
