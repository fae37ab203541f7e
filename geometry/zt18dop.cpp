#include "geometry/zt18dop.h"

#include <limits>

namespace {

void SlabValues(const Vec3& v, float out[Zt18DOP::kSlabCount]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
    out[3] = v.x + v.y;
    out[4] = v.y - v.x;
    out[5] = v.x + v.z;
    out[6] = v.z - v.x;
    out[7] = v.y + v.z;
    out[8] = v.y - v.z;
}

}  // namespace

float Zt18DOP::SlabValue(int k, const Vec3& v) {
    float values[kSlabCount];
    SlabValues(v, values);
    return values[k];
}

void Zt18DOP::Reset() {
    for (Slab& slab : slabs) {
        slab.min = std::numeric_limits<float>::infinity();
        slab.max = -std::numeric_limits<float>::infinity();
    }
}

void Zt18DOP::Widen(std::int32_t index, const Vec3& v) {
    float values[kSlabCount];
    SlabValues(v, values);
    for (int k = 0; k < kSlabCount; ++k) {
        if (values[k] < slabs[k].min) {
            slabs[k].min = values[k];
            extremes[k].minVertex = index;
        }
        if (values[k] > slabs[k].max) {
            slabs[k].max = values[k];
            extremes[k].maxVertex = index;
        }
    }
}

int Zt18DOP::FitVertices(std::span<const std::int32_t> indices, std::span<const Vec3> vertices) {
    Reset();
    for (const std::int32_t i : indices) {
        if (i < 0 || static_cast<std::size_t>(i) >= vertices.size()) {
            return 0;
        }
    }
    for (const std::int32_t i : indices) {
        Widen(i, vertices[static_cast<std::size_t>(i)]);
    }
    return 1;
}

void Zt18DOP::Merge(const Zt18DOP& other) {
    for (int k = 0; k < kSlabCount; ++k) {
        if (other.slabs[k].min < slabs[k].min) {
            slabs[k].min = other.slabs[k].min;
            extremes[k].minVertex = other.extremes[k].minVertex;
        }
        if (other.slabs[k].max > slabs[k].max) {
            slabs[k].max = other.slabs[k].max;
            extremes[k].maxVertex = other.extremes[k].maxVertex;
        }
    }
}

void Zt18DOP::CreateChildren(std::int32_t count) {
    children.reset();
    childCount = 0;
    if (count > 0) {
        children = std::make_unique<Zt18DOP[]>(static_cast<std::size_t>(count));
        childCount = count;
    }
}
