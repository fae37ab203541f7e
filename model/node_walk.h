// Pre-order walk over a node hierarchy without recursion, so that no nesting depth can exhaust
// the stack. `visit(node, level)` sees each node of the chain starting at `first` and of all
// their subtrees; the chain itself is level 0.
#pragma once

#include "assets/mesh.h"

template <typename Visit>
void WalkNodes(const MeshNode* first, Visit&& visit) {
    const MeshNode* node = first;
    int level = 0;
    while (node != nullptr) {
        visit(*node, level);
        if (node->firstChild != nullptr) {
            node = node->firstChild;
            ++level;
            continue;
        }
        while (node->nextSibling == nullptr) {
            if (level == 0)
                return;
            node = node->parent;
            --level;
        }
        node = node->nextSibling;
    }
}
