// 18-sided discrete oriented polytopes: the extent of a vertex set along nine fixed directions,
// with the index of the vertex that attains each of the eighteen extremes, and trees of them.
//
// Slab directions, in order (not normalised, so the diagonal slabs measure sqrt(2) times the
// distance): x, y, z, x+y, y-x, x+z, z-x, y+z, y-z.
//
// Two tree forms exist: binary trees over a mesh's quad faces (BuildTree, Serialize) and tagged
// trees whose nodes carry the name hash of the model node they enclose (SerializeTagged).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "geometry/math.h"
#include "geometry/zt_object.h"

class BinaryFile;
class ByteReader;
class Mesh;
struct LoadError;

class Zt18DOP final : public ZtObject {
  public:
    static constexpr int kSlabCount = 9;
    // Deepest level (the root is level 0) that BuildTree creates and the readers accept. Real
    // meshes and node hierarchies stay far below it; it bounds recursion on degenerate input.
    static constexpr int kMaxDepth = 256;
    // Bytes of one record without its children.
    static constexpr int kBinaryRecordSize = kSlabCount * 16 + 4;      // 148
    static constexpr int kTaggedRecordSize = 4 + kSlabCount * 16 + 4;  // 152

    struct Slab {
        float min;
        float max;
    };
    struct Extreme {
        std::int32_t minVertex;
        std::int32_t maxVertex;
    };

    Zt18DOP() = default;
    // Moving hands over the children's heap block unchanged, so they stay where they are; the
    // moved-from node is left a leaf. A node below the root of a read tree does not own its
    // children (see ReadTaggedRecords): moved out of the tree, they stay in the root's block and
    // live as long as the root; assigned to a node, that node keeps its own block as well, so a
    // root can take over one of its descendants (root = std::move(root.children[i])).
    Zt18DOP(Zt18DOP&& other) noexcept;
    Zt18DOP& operator=(Zt18DOP&& other) noexcept;
    ~Zt18DOP() = default;

    // The value of a point on slab k.
    static float SlabValue(int k, const Vec3& v);

    // Every slab becomes (+inf, -inf); extremes and children are left as they are.
    void Reset() override;
    // Extends the volume to vertex `index` at `v`; strict tests, so an earlier vertex keeps an
    // extreme on ties.
    void Widen(std::int32_t index, const Vec3& v);
    // Reset, then Widen by each listed vertex in order. 1, or 0 (volume left empty) when an
    // index lies outside `vertices`.
    int FitVertices(std::span<const std::int32_t> indices, std::span<const Vec3> vertices);
    // Takes the other's min (and its vertex) where strictly smaller, its max where strictly
    // larger.
    void Merge(const Zt18DOP& other);

    // Replaces the children by `count` new nodes (none for 0), in a block of this node's own.
    void CreateChildren(std::int32_t count);
    // Replaces the children by nodes[0..count) (null and 0 for none). The block may hold their
    // descendants too; this node keeps all of it alive.
    void AdoptChildren(std::unique_ptr<Zt18DOP[]> nodes, std::int32_t count);

    // Makes this node a leaf, or splits `faces` (indices into mesh.faces) into two children,
    // each fitted to the corners of its faces, recursively. The node itself is not fitted: the
    // caller fits the root. A node whose split would leave one side empty, or that lies at
    // kMaxDepth, stays a leaf. Returns 1, or 0 (node left a leaf, nothing read) when a face
    // index or a corner's vertex index is out of range.
    int BuildTree(std::span<const std::int32_t> faces, const Mesh& mesh,
                  std::span<const Vec3> vertices, std::int32_t leafSize);

    // Writes or reads this node and its subtree as binary-tree records. Returns 1 on success.
    // Reading returns 0, leaving this node without children, for a truncated record, children
    // that the rest of the file cannot hold, or nesting past kMaxDepth; any non-zero child flag
    // reads as two children. Writing returns 0 for a node whose children are not exactly two
    // or that lies past kMaxDepth; the file then holds a partial tree and must not be closed.
    // With `error`, a failed read says which record, count or offset is at fault.
    int Serialize(BinaryFile& file, bool writing, LoadError* error = nullptr);
    // The same for tagged records (tag, slabs, child count, children). Reading also rejects a
    // negative child count.
    int SerializeTagged(BinaryFile& file, bool writing, LoadError* error = nullptr);

    // The readers behind both of the above, for records in memory from `bytes`' position: the
    // same checks and messages, and on success `bytes` stands after the tree. A tree read so
    // keeps all its nodes below this one in one block, owned by this node: its other nodes do
    // not own their children (moving one out of the tree leaves them with this node, and this
    // node keeps the block when one of them is assigned to it).
    bool ReadBinaryRecords(ByteReader& bytes, LoadError* error = nullptr);
    bool ReadTaggedRecords(ByteReader& bytes, LoadError* error = nullptr);

    Slab slabs[kSlabCount] = {};
    Extreme extremes[kSlabCount] = {};
    // children[0..childCount), contiguous; null for a leaf. Owned by this node, or by the root
    // of the tree it was read with.
    Zt18DOP* children = nullptr;
    std::int32_t childCount = 0;
    std::int32_t tag = -1;  // tagged trees: name hash of the enclosed model node

  private:
    void BuildNode(std::span<const std::int32_t> faces, const Mesh& mesh,
                   std::span<const Vec3> vertices, std::int32_t leafSize, int depth);
    void FitFaceCorners(std::span<const std::int32_t> faces, const Mesh& mesh,
                        std::span<const Vec3> vertices);

    void WriteSlabs(BinaryFile& file) const;
    bool WriteBinary(BinaryFile& file, int depth) const;
    bool WriteTagged(BinaryFile& file, int depth) const;
    int ReadFrom(BinaryFile& file, bool (Zt18DOP::*read)(ByteReader&, LoadError*), int recordSize,
                 LoadError* error);

    std::unique_ptr<Zt18DOP[]> ownedNodes_;  // what `children` points into, when this node owns it
};

// A root volume and its descendants.
using DopTree = Zt18DOP;
