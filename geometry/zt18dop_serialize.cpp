// The two record forms of 18-DOP trees, both little-endian and in pre-order.
//
// Readers never trust a count: before a node's children are created, the bytes left in the file
// (less the bytes that the still pending siblings further up need) must hold the minimal records
// of all of them, and nesting stops at kMaxDepth. So a file can never make the reader allocate
// more nodes than it could describe, nor recurse without bound.
#include <bit>

#include "assets/binary_file.h"
#include "geometry/zt18dop.h"

namespace {

constexpr std::int32_t kBinaryChildFlag = 2;

bool Holds(const BinaryFile& file, std::int64_t reserved, std::int64_t records, int recordSize) {
    const std::int64_t available = file.BytesLeft() - reserved;
    return available >= 0 && available / recordSize >= records;
}

}  // namespace

void Zt18DOP::WriteSlabs(BinaryFile& file) const {
    for (int k = 0; k < kSlabCount; ++k) {
        file.WriteFloat(slabs[k].min);
        file.WriteFloat(slabs[k].max);
        file.WriteInt32(extremes[k].minVertex);
        file.WriteInt32(extremes[k].maxVertex);
    }
}

void Zt18DOP::ReadSlabs(BinaryFile& file) {
    std::int32_t words[4 * kSlabCount];
    file.ReadWords(words, 4 * kSlabCount);
    for (int k = 0; k < kSlabCount; ++k) {
        slabs[k].min = std::bit_cast<float>(words[4 * k]);
        slabs[k].max = std::bit_cast<float>(words[4 * k + 1]);
        extremes[k].minVertex = words[4 * k + 2];
        extremes[k].maxVertex = words[4 * k + 3];
    }
}

int Zt18DOP::Serialize(BinaryFile& file, bool writing) {
    if (writing) {
        return WriteBinary(file, 0) ? 1 : 0;
    }
    if (ReadBinary(file, 0, 0) && !file.ReadFailed()) {
        return 1;
    }
    CreateChildren(0);
    return 0;
}

int Zt18DOP::SerializeTagged(BinaryFile& file, bool writing) {
    if (writing) {
        return WriteTagged(file, 0) ? 1 : 0;
    }
    if (ReadTagged(file, 0, 0) && !file.ReadFailed()) {
        return 1;
    }
    CreateChildren(0);
    return 0;
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

bool Zt18DOP::ReadBinary(BinaryFile& file, int depth, std::int64_t reserved) {
    CreateChildren(0);
    if (!Holds(file, reserved, 1, kBinaryRecordSize)) {
        return false;
    }
    ReadSlabs(file);
    const std::int32_t flag = file.ReadInt32();
    if (flag == 0) {
        return true;
    }
    // Any non-zero flag means two children; the count is kept truthful at 2.
    if (depth >= kMaxDepth || !Holds(file, reserved, 2, kBinaryRecordSize)) {
        return false;
    }
    CreateChildren(2);
    return children[0].ReadBinary(file, depth + 1, reserved + kBinaryRecordSize) &&
           children[1].ReadBinary(file, depth + 1, reserved);
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

bool Zt18DOP::ReadTagged(BinaryFile& file, int depth, std::int64_t reserved) {
    CreateChildren(0);
    if (!Holds(file, reserved, 1, kTaggedRecordSize)) {
        return false;
    }
    tag = file.ReadInt32();
    ReadSlabs(file);
    const std::int32_t count = file.ReadInt32();
    if (count == 0) {
        return true;
    }
    if (count < 0 || depth >= kMaxDepth || !Holds(file, reserved, count, kTaggedRecordSize)) {
        return false;
    }
    CreateChildren(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t pending = std::int64_t{count - 1 - i} * kTaggedRecordSize;
        if (!children[i].ReadTagged(file, depth + 1, reserved + pending)) {
            return false;
        }
    }
    return true;
}
