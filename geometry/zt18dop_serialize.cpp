// The two record forms of 18-DOP trees, both little-endian and in pre-order.
//
// Readers never trust a count: before a node's children are created, the bytes left in the file
// (less the bytes that the still pending siblings further up need) must hold the minimal records
// of all of them, and nesting stops at kMaxDepth. So a file can never make the reader allocate
// more nodes than it could describe, nor recurse without bound.
#include <algorithm>
#include <bit>
#include <string>

#include "assets/binary_file.h"
#include "assets/load_error.h"
#include "geometry/zt18dop.h"

namespace {

constexpr std::int32_t kBinaryChildFlag = 2;

bool Holds(const BinaryFile& file, std::int64_t reserved, std::int64_t records, int recordSize) {
    const std::int64_t available = file.BytesLeft() - reserved;
    return available >= 0 && available / recordSize >= records;
}

bool Truncated(const BinaryFile& file, std::int64_t reserved, int recordSize, LoadError* error) {
    return Fail(error,
                "a record of " + std::to_string(recordSize) + " bytes should start here, but " +
                    std::to_string(std::max<std::int64_t>(0, file.BytesLeft() - reserved)) +
                    " bytes are left for it",
                file.Offset());
}

bool TooDeep(std::int64_t at, LoadError* error) {
    return Fail(error, "records nest deeper than " + std::to_string(Zt18DOP::kMaxDepth) +
                           " levels", at);
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

int Zt18DOP::Serialize(BinaryFile& file, bool writing, LoadError* error) {
    if (writing) {
        return WriteBinary(file, 0) ? 1 : 0;
    }
    if (ReadBinary(file, 0, 0, error) && !file.ReadFailed()) {
        return 1;
    }
    CreateChildren(0);
    return 0;
}

int Zt18DOP::SerializeTagged(BinaryFile& file, bool writing, LoadError* error) {
    if (writing) {
        return WriteTagged(file, 0) ? 1 : 0;
    }
    if (ReadTagged(file, 0, 0, error) && !file.ReadFailed()) {
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

bool Zt18DOP::ReadBinary(BinaryFile& file, int depth, std::int64_t reserved, LoadError* error) {
    CreateChildren(0);
    if (!Holds(file, reserved, 1, kBinaryRecordSize)) {
        return Truncated(file, reserved, kBinaryRecordSize, error);
    }
    ReadSlabs(file);
    const std::int64_t flagAt = file.Offset();
    const std::int32_t flag = file.ReadInt32();
    if (flag == 0) {
        return true;
    }
    // Any non-zero flag means two children; the count is kept truthful at 2.
    if (depth >= kMaxDepth) {
        return TooDeep(flagAt, error);
    }
    if (!Holds(file, reserved, 2, kBinaryRecordSize)) {
        return Fail(error,
                    "child flag " + std::to_string(flag) + " announces two records of " +
                        std::to_string(kBinaryRecordSize) + " bytes, but " +
                        std::to_string(std::max<std::int64_t>(0, file.BytesLeft() - reserved)) +
                        " bytes are left for them",
                    flagAt);
    }
    CreateChildren(2);
    return children[0].ReadBinary(file, depth + 1, reserved + kBinaryRecordSize, error) &&
           children[1].ReadBinary(file, depth + 1, reserved, error);
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

bool Zt18DOP::ReadTagged(BinaryFile& file, int depth, std::int64_t reserved, LoadError* error) {
    CreateChildren(0);
    if (!Holds(file, reserved, 1, kTaggedRecordSize)) {
        return Truncated(file, reserved, kTaggedRecordSize, error);
    }
    tag = file.ReadInt32();
    ReadSlabs(file);
    const std::int64_t countAt = file.Offset();
    const std::int32_t count = file.ReadInt32();
    if (count == 0) {
        return true;
    }
    if (count < 0) {
        return Fail(error, "child count " + std::to_string(count) + " is below 0", countAt);
    }
    if (depth >= kMaxDepth) {
        return TooDeep(countAt, error);
    }
    if (!Holds(file, reserved, count, kTaggedRecordSize)) {
        return Fail(error,
                    "child count " + std::to_string(count) + " needs at least " +
                        std::to_string(std::int64_t{count} * kTaggedRecordSize) + " bytes, but " +
                        std::to_string(std::max<std::int64_t>(0, file.BytesLeft() - reserved)) +
                        " are left for them",
                    countAt);
    }
    CreateChildren(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t pending = std::int64_t{count - 1 - i} * kTaggedRecordSize;
        if (!children[i].ReadTagged(file, depth + 1, reserved + pending, error)) {
            return false;
        }
    }
    return true;
}
