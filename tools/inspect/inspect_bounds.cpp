// Bounds files: the prop's binary tree over its faces, or an actor animation's tagged tree per
// frame; their size and depth and the root's slabs.
#include <algorithm>

#include "assets/name_hash.h"
#include "tools/inspect/inspectors.h"
#include "tools/inspect/paths.h"

namespace {

constexpr const char* kSlabNames[Zt18DOP::kSlabCount] = {"x",   "y",   "z",   "x+y", "y-x",
                                                         "x+z", "z-x", "y+z", "y-z"};

struct TreeSize {
    std::int64_t nodes = 0;
    std::int64_t leaves = 0;
    int depth = 0;  // levels: a lone root has depth 1
};

// The readers bound the nesting (Zt18DOP::kMaxDepth), so this recursion is bounded too.
void Measure(const Zt18DOP& node, int level, TreeSize& size) {
    ++size.nodes;
    size.depth = std::max(size.depth, level + 1);
    if (node.childCount == 0)
        ++size.leaves;
    for (std::int32_t i = 0; i < node.childCount; ++i)
        Measure(node.children[i], level + 1, size);
}

Value Slabs(const Zt18DOP& node) {
    Value list = Value::List();
    for (int k = 0; k < Zt18DOP::kSlabCount; ++k) {
        Value& item = list.Append(Value::Object());
        item.Set("axis", kSlabNames[k]);
        item.Set("min", Value::Real(node.slabs[k].min));
        item.Set("max", Value::Real(node.slabs[k].max));
        item.Set("min vertex", node.extremes[k].minVertex);
        item.Set("max vertex", node.extremes[k].maxVertex);
    }
    return list;
}

void SetSize(Value& s, const TreeSize& size) {
    s.Set("nodes", size.nodes);
    s.Set("leaves", size.leaves);
    s.Set("depth", size.depth);
}

std::int32_t VertexLimit(const Neighbours& neighbours, FileReport& report) {
    if (neighbours.mesh == nullptr) {
        report.Note("no mesh found for it: vertex indices are checked only for their sign");
        return kAnyCount;
    }
    report.summary.Set("mesh", neighbours.meshPath);
    return neighbours.mesh->vertexCount;
}

}  // namespace

FileReport InspectPropBounds(const std::string& path, const Neighbours& neighbours) {
    FileReport report(path, "prop bounds");
    const std::int32_t vertices = VertexLimit(neighbours, report);
    Zt18DOP root;
    if (!report.Loaded(
            [&](LoadError* error) { return ReadPropBoundsFile(path, vertices, root, error); }))
        return report;
    TreeSize size;
    Measure(root, 0, size);
    SetSize(report.summary, size);
    report.summary.Set("root slabs", Slabs(root));
    return report;
}

FileReport InspectActorBounds(const std::string& path, const Neighbours& neighbours) {
    FileReport report(path, "actor bounds");
    const std::int32_t vertices = VertexLimit(neighbours, report);
    if (neighbours.frames == kAnyCount) {
        report.Note("no animation found for it: its frame count is not compared");
    }
    std::vector<Zt18DOP> roots;
    if (!report.Loaded([&](LoadError* error) {
            return ReadAnimationBoundsFile(path, neighbours.frames, vertices, roots, error);
        }))
        return report;
    Value& s = report.summary;
    s.Set("frames", static_cast<std::int64_t>(roots.size()));
    TreeSize largest;
    for (const Zt18DOP& root : roots) {
        TreeSize size;
        Measure(root, 0, size);
        if (size.nodes > largest.nodes)
            largest.nodes = size.nodes;
        largest.leaves = std::max(largest.leaves, size.leaves);
        largest.depth = std::max(largest.depth, size.depth);
    }
    SetSize(s, largest);  // per frame, the largest
    if (roots.empty())
        return report;
    const Zt18DOP& first = roots.front();
    s.Set("root tag", Value::Hash(static_cast<std::uint32_t>(first.tag)));
    s.Set("root children", first.childCount);
    const std::string name = neighbours.gameName.empty() ? BaseName(path) : neighbours.gameName;
    if (static_cast<std::uint32_t>(first.tag) != NameHash(name.c_str())) {
        report.Note("the roots' tag is not the name hash of \"" + name + "\"");
    }
    s.Set("frame 0 root slabs", Slabs(first));
    return report;
}
