// The two record forms of 18-DOP trees, both little-endian and in pre-order.
//
// Readers never trust a count: before a node's children are counted, the bytes left in the file
// (less the bytes that the still pending siblings further up need) must hold the minimal records
// of all of them, and nesting stops at kMaxDepth. So a file can never make the reader allocate
// more nodes than it could describe, nor recurse without bound.
//
// Reading takes two passes over the bytes in memory: the first checks the structure and counts
// the nodes, touching only the counts, so that the second can put every node below the root in
// one exact block instead of one allocation per node. Siblings are given consecutive places as
// their parent is read, which keeps children[i] contiguous.
#include <algorithm>
#include <bit>
#include <span>
#include <string>

#include "assets/binary_file.h"
#include "assets/byte_reader.h"
#include "assets/load_error.h"
#include "geometry/zt18dop.h"

namespace {

constexpr std::int32_t kBinaryChildFlag = 2;
constexpr int kSlabWords = 4 * Zt18DOP::kSlabCount;

// Bytes left for the record at the reader's position once the pending siblings have theirs.
std::int64_t Available(const ByteReader& bytes, std::int64_t reserved) {
    return static_cast<std::int64_t>(bytes.BytesLeft()) - reserved;
}

bool Holds(const ByteReader& bytes, std::int64_t reserved, std::int64_t records, int recordSize) {
    const std::int64_t available = Available(bytes, reserved);
    return available >= 0 && available / recordSize >= records;
}

std::string LeftText(std::int64_t available) {
    return std::to_string(std::max<std::int64_t>(0, available));
}

bool Truncated(std::int64_t available, std::int64_t at, int recordSize, LoadError* error) {
    return Fail(error,
                "a record of " + std::to_string(recordSize) + " bytes should start here, but " +
                    LeftText(available) + " bytes are left for it",
                at);
}

bool TooDeep(std::int64_t at, LoadError* error) {
    return Fail(error, "records nest deeper than " + std::to_string(Zt18DOP::kMaxDepth) + " levels",
                at);
}

// First pass: every check the readers make, counting the records into `nodes`.
bool ScanBinary(ByteReader& bytes, int depth, std::int64_t reserved, std::int64_t& nodes,
                LoadError* error) {
    if (!Holds(bytes, reserved, 1, Zt18DOP::kBinaryRecordSize)) {
        return Truncated(Available(bytes, reserved), bytes.Offset(), Zt18DOP::kBinaryRecordSize,
                         error);
    }
    bytes.Skip(4 * kSlabWords);
    const std::int64_t flagAt = bytes.Offset();
    const std::int32_t flag = bytes.UncheckedI32();
    ++nodes;
    if (flag == 0) {
        return true;
    }
    // Any non-zero flag means two children; the count is kept truthful at 2.
    if (depth >= Zt18DOP::kMaxDepth) {
        return TooDeep(flagAt, error);
    }
    if (!Holds(bytes, reserved, 2, Zt18DOP::kBinaryRecordSize)) {
        return Fail(error,
                    "child flag " + std::to_string(flag) + " announces two records of " +
                        std::to_string(Zt18DOP::kBinaryRecordSize) + " bytes, but " +
                        LeftText(Available(bytes, reserved)) + " bytes are left for them",
                    flagAt);
    }
    return ScanBinary(bytes, depth + 1, reserved + Zt18DOP::kBinaryRecordSize, nodes, error) &&
           ScanBinary(bytes, depth + 1, reserved, nodes, error);
}

bool ScanTagged(ByteReader& bytes, int depth, std::int64_t reserved, std::int64_t& nodes,
                LoadError* error) {
    if (!Holds(bytes, reserved, 1, Zt18DOP::kTaggedRecordSize)) {
        return Truncated(Available(bytes, reserved), bytes.Offset(), Zt18DOP::kTaggedRecordSize,
                         error);
    }
    bytes.Skip(4 + 4 * kSlabWords);
    const std::int64_t countAt = bytes.Offset();
    const std::int32_t count = bytes.UncheckedI32();
    ++nodes;
    if (count == 0) {
        return true;
    }
    if (count < 0) {
        return Fail(error, "child count " + std::to_string(count) + " is below 0", countAt);
    }
    if (depth >= Zt18DOP::kMaxDepth) {
        return TooDeep(countAt, error);
    }
    if (!Holds(bytes, reserved, count, Zt18DOP::kTaggedRecordSize)) {
        return Fail(error,
                    "child count " + std::to_string(count) + " needs at least " +
                        std::to_string(std::int64_t{count} * Zt18DOP::kTaggedRecordSize) +
                        " bytes, but " + LeftText(Available(bytes, reserved)) +
                        " are left for them",
                    countAt);
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t pending = std::int64_t{count - 1 - i} * Zt18DOP::kTaggedRecordSize;
        if (!ScanTagged(bytes, depth + 1, reserved + pending, nodes, error)) {
            return false;
        }
    }
    return true;
}

// Second pass, over records the first pass accepted: fills `node` and its subtree, taking the
// places for children from `next`.
void FillSlabs(ByteReader& bytes, Zt18DOP& node) {
    std::int32_t words[kSlabWords];
    bytes.Words(words, kSlabWords);
    for (int k = 0; k < Zt18DOP::kSlabCount; ++k) {
        node.slabs[k].min = std::bit_cast<float>(words[4 * k]);
        node.slabs[k].max = std::bit_cast<float>(words[4 * k + 1]);
        node.extremes[k].minVertex = words[4 * k + 2];
        node.extremes[k].maxVertex = words[4 * k + 3];
    }
}

void PlaceChildren(Zt18DOP& node, std::int32_t count, Zt18DOP*& next) {
    node.childCount = count;
    node.children = count > 0 ? next : nullptr;
    next += count;
}

void FillBinary(ByteReader& bytes, Zt18DOP& node, Zt18DOP*& next) {
    FillSlabs(bytes, node);
    PlaceChildren(node, bytes.UncheckedI32() != 0 ? 2 : 0, next);
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        FillBinary(bytes, node.children[i], next);
    }
}

void FillTagged(ByteReader& bytes, Zt18DOP& node, Zt18DOP*& next) {
    node.tag = bytes.UncheckedI32();
    FillSlabs(bytes, node);
    PlaceChildren(node, bytes.UncheckedI32(), next);
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        FillTagged(bytes, node.children[i], next);
    }
}

// Room for the nodes below a root of `nodes` in all.
std::unique_ptr<Zt18DOP[]> NodesBelowRoot(std::int64_t nodes) {
    return nodes > 1 ? std::make_unique<Zt18DOP[]>(static_cast<std::size_t>(nodes - 1)) : nullptr;
}

// Both passes over the tree at `bytes`: `below` receives the block of every node under `root`.
// A failed scan allocates and fills nothing.
template <typename Scan, typename Fill>
bool ScanAndFill(ByteReader& bytes, Zt18DOP& root, std::unique_ptr<Zt18DOP[]>& below, Scan scan,
                 Fill fill, LoadError* error) {
    ByteReader ahead = bytes;
    std::int64_t nodes = 0;
    if (!scan(ahead, 0, 0, nodes, error)) {
        return false;
    }
    below = NodesBelowRoot(nodes);
    Zt18DOP* next = below.get();
    fill(bytes, root, next);
    return true;
}

}  // namespace

bool Zt18DOP::ReadBinaryRecords(ByteReader& bytes, LoadError* error) {
    CreateChildren(0);
    return ScanAndFill(bytes, *this, ownedNodes_, ScanBinary, FillBinary, error);
}

bool Zt18DOP::ReadTaggedRecords(ByteReader& bytes, LoadError* error) {
    CreateChildren(0);
    return ScanAndFill(bytes, *this, ownedNodes_, ScanTagged, FillTagged, error);
}

// The file's bytes in memory go through the same reader; the file then continues after the tree.
int Zt18DOP::ReadFrom(BinaryFile& file, bool (Zt18DOP::*read)(ByteReader&, LoadError*),
                      int recordSize, LoadError* error) {
    const std::span<const std::uint8_t> contents = file.Contents();
    const std::int64_t at = file.Offset();
    bool ok = false;
    if (at > static_cast<std::int64_t>(contents.size())) {
        // Only after a read past the end: nothing is left for the record.
        Truncated(0, at, recordSize, error);
    } else {
        ByteReader bytes(contents.data(), contents.size());
        bytes.Skip(static_cast<std::size_t>(at));
        ok = (this->*read)(bytes, error);
        file.Seek(bytes.Offset());
    }
    if (ok && !file.ReadFailed()) {
        return 1;
    }
    CreateChildren(0);
    return 0;
}

void Zt18DOP::WriteSlabs(BinaryFile& file) const {
    for (int k = 0; k < kSlabCount; ++k) {
        file.WriteFloat(slabs[k].min);
        file.WriteFloat(slabs[k].max);
        file.WriteInt32(extremes[k].minVertex);
        file.WriteInt32(extremes[k].maxVertex);
    }
}

int Zt18DOP::Serialize(BinaryFile& file, bool writing, LoadError* error) {
    if (writing) {
        return WriteBinary(file, 0) ? 1 : 0;
    }
    return ReadFrom(file, &Zt18DOP::ReadBinaryRecords, kBinaryRecordSize, error);
}

int Zt18DOP::SerializeTagged(BinaryFile& file, bool writing, LoadError* error) {
    if (writing) {
        return WriteTagged(file, 0) ? 1 : 0;
    }
    return ReadFrom(file, &Zt18DOP::ReadTaggedRecords, kTaggedRecordSize, error);
}

bool Zt18DOP::WriteBinary(BinaryFile& file, int depth) const {
    if (depth > kMaxDepth) {
        return false;
    }
    // A node either has no children or exactly two; decided by the array, not the count.
    if (children != nullptr && childCount != 2) {
        return false;
    }
    WriteSlabs(file);
    if (children == nullptr) {
        file.WriteInt32(0);
        return true;
    }
    file.WriteInt32(kBinaryChildFlag);
    return children[0].WriteBinary(file, depth + 1) && children[1].WriteBinary(file, depth + 1);
}

bool Zt18DOP::WriteTagged(BinaryFile& file, int depth) const {
    if (depth > kMaxDepth || childCount < 0 || (childCount > 0 && children == nullptr)) {
        return false;
    }
    file.WriteInt32(tag);
    WriteSlabs(file);
    file.WriteInt32(childCount);
    for (std::int32_t i = 0; i < childCount; ++i) {
        if (!children[i].WriteTagged(file, depth + 1)) {
            return false;
        }
    }
    return true;
}
