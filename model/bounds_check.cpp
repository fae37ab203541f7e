#include "model/bounds_check.h"

bool ExtremesWithin(const Zt18DOP& node, std::int32_t vertexCount) {
    for (const auto& e : node.extremes) {
        if (e.minVertex < 0 || e.minVertex >= vertexCount || e.maxVertex < 0 ||
            e.maxVertex >= vertexCount) {
            return false;
        }
    }
    // Readers bound the nesting, so this recursion is bounded too.
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        if (!ExtremesWithin(node.children[i], vertexCount)) return false;
    }
    return true;
}
