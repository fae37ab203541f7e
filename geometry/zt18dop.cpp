#include "geometry/zt18dop.h"

#include <algorithm>
#include <limits>
#include <utility>

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

Zt18DOP::Zt18DOP(Zt18DOP&& other) noexcept
    : ZtObject(std::move(other)),
      children(std::exchange(other.children, nullptr)),
      childCount(std::exchange(other.childCount, 0)),
      tag(other.tag),
      ownedNodes_(std::move(other.ownedNodes_)) {
    std::copy(std::begin(other.slabs), std::end(other.slabs), slabs);
    std::copy(std::begin(other.extremes), std::end(other.extremes), extremes);
}

Zt18DOP& Zt18DOP::operator=(Zt18DOP&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    std::copy(std::begin(other.slabs), std::end(other.slabs), slabs);
    std::copy(std::begin(other.extremes), std::end(other.extremes), extremes);
    tag = other.tag;
    Zt18DOP* const nodes = std::exchange(other.children, nullptr);
    const std::int32_t count = std::exchange(other.childCount, 0);
    // Children that `other` does not own lie in the block of the tree it was read with, which
    // may be this node's own (a root taking over one of its descendants): then this node's
    // block is kept. Otherwise `other` may lie in the block released here (a node moved up
    // from its own subtree), so it is not touched after this.
    if (other.ownedNodes_ != nullptr || nodes == nullptr) {
        ownedNodes_ = std::move(other.ownedNodes_);
    }
    children = nodes;
    childCount = count;
    return *this;
}

void Zt18DOP::CreateChildren(std::int32_t count) {
    AdoptChildren(
        count > 0 ? std::make_unique<Zt18DOP[]>(static_cast<std::size_t>(count)) : nullptr,
        count > 0 ? count : 0);
}

void Zt18DOP::AdoptChildren(std::unique_ptr<Zt18DOP[]> nodes, std::int32_t count) {
    ownedNodes_ = std::move(nodes);
    children = ownedNodes_.get();
    childCount = children != nullptr ? count : 0;
}
