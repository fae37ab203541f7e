#include "model/bounds_check.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

bool Within(std::int32_t vertex, std::int32_t count) {
    return (vertex >= 0) & (vertex < count);
}

// `record` counts the records visited so far, in pre-order.
bool Check(const Zt18DOP& node, std::int32_t vertexCount, std::int64_t& record, LoadError* error) {
    const std::int64_t self = record++;
    // Every record of every frame passes through here at load: all eighteen indices are tested
    // at once, as unsigned numbers (a negative index becomes huge), without a branch, and only a
    // record that fails is gone through again to say which one.
    const auto limit = static_cast<std::uint32_t>(std::max(vertexCount, 0));
    std::uint32_t outside = 0;
    for (const Zt18DOP::Extreme& e : node.extremes) {
        outside |= static_cast<std::uint32_t>(static_cast<std::uint32_t>(e.minVertex) >= limit);
        outside |= static_cast<std::uint32_t>(static_cast<std::uint32_t>(e.maxVertex) >= limit);
    }
    for (int k = 0; outside != 0 && k < Zt18DOP::kSlabCount; ++k) {
        const Zt18DOP::Extreme& e = node.extremes[k];
        for (const std::int32_t vertex : {e.minVertex, e.maxVertex}) {
            if (!Within(vertex, vertexCount)) {
                return Fail(error, "record " + std::to_string(self) + " slab " + std::to_string(k) +
                                       ": " + (vertex == e.minVertex ? "min" : "max") + " vertex " +
                                       std::to_string(vertex) + " is outside 0.." +
                                       std::to_string(vertexCount - 1));
            }
        }
    }
    // Readers bound the nesting, so this recursion is bounded too.
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        if (!Check(node.children[i], vertexCount, record, error))
            return false;
    }
    return true;
}

}  // namespace

bool ExtremesWithin(const Zt18DOP& node, std::int32_t vertexCount, LoadError* error) {
    std::int64_t record = 0;
    return Check(node, vertexCount, record, error);
}
