// Tagged bounds records worked out independently of the code under test: slab values straight
// from the nine directions, and the bytes assembled by hand.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "assets/byte_writer.h"
#include "geometry/math.h"

struct ExpectedBox {
    float min[9];
    float max[9];
    std::int32_t minVertex[9] = {};
    std::int32_t maxVertex[9] = {};

    ExpectedBox() {
        for (int k = 0; k < 9; ++k) {
            min[k] = std::numeric_limits<float>::infinity();
            max[k] = -std::numeric_limits<float>::infinity();
        }
    }

    static ExpectedBox Of(const std::vector<Vec3>& vertices, const std::vector<int>& indices) {
        ExpectedBox b;
        for (int i : indices) {
            const Vec3 v = vertices[static_cast<std::size_t>(i)];
            const float values[9] = {v.x,       v.y,       v.z,       v.x + v.y, v.y - v.x,
                                     v.x + v.z, v.z - v.x, v.y + v.z, v.y - v.z};
            for (int k = 0; k < 9; ++k) {
                if (values[k] < b.min[k])
                    b.min[k] = values[k], b.minVertex[k] = i;
                if (values[k] > b.max[k])
                    b.max[k] = values[k], b.maxVertex[k] = i;
            }
        }
        return b;
    }

    ExpectedBox& Merge(const ExpectedBox& o) {
        for (int k = 0; k < 9; ++k) {
            if (o.min[k] < min[k])
                min[k] = o.min[k], minVertex[k] = o.minVertex[k];
            if (o.max[k] > max[k])
                max[k] = o.max[k], maxVertex[k] = o.maxVertex[k];
        }
        return *this;
    }

    void Put(ByteWriter& w) const {
        for (int k = 0; k < 9; ++k) {
            w.F32(min[k]);
            w.F32(max[k]);
            w.I32(minVertex[k]);
            w.I32(maxVertex[k]);
        }
    }
};

// Opens a tagged record; the caller then writes `children` records.
inline void PutTagged(ByteWriter& w, std::uint32_t tag, const ExpectedBox& box,
                      std::int32_t children) {
    w.I32(static_cast<std::int32_t>(tag));
    box.Put(w);
    w.I32(children);
}
