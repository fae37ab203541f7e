#include "model/bounds_files.h"

#include <limits>

#include "assets/binary_file.h"
#include "model/bounds_check.h"

namespace {

std::int32_t VertexLimit(std::int32_t vertexCount) {
    return vertexCount == kAnyCount ? std::numeric_limits<std::int32_t>::max() : vertexCount;
}

bool NothingAfter(const BinaryFile& file, LoadError* error) {
    if (file.BytesLeft() == 0) return true;
    return Fail(error, std::to_string(file.BytesLeft()) + " bytes after the last record",
                file.Offset());
}

}  // namespace

bool ReadPropBoundsFile(const std::string& fileName, std::int32_t vertexCount, Zt18DOP& root,
                        LoadError* error) {
    BinaryFile file;
    if (file.Open(fileName, 1) != 1) return Fail(error, "cannot be opened as a file");
    Zt18DOP read;
    if (read.Serialize(file, false, error) != 1 || !NothingAfter(file, error) ||
        !ExtremesWithin(read, VertexLimit(vertexCount), error)) {
        return false;
    }
    root = std::move(read);
    return true;
}

bool ReadAnimationBoundsFile(const std::string& fileName, std::int32_t frames,
                             std::int32_t vertexCount, std::vector<Zt18DOP>& roots,
                             LoadError* error) {
    BinaryFile file;
    if (file.Open(fileName, 1) != 1) return Fail(error, "cannot be opened as a file");
    const std::int32_t count = file.ReadInt32();
    if (file.ReadFailed()) return Fail(error, "file ends inside the frame count", 0);
    if (frames != kAnyCount && count != frames) {
        return Fail(error, "frame count " + std::to_string(count) + ", the animation has " +
                               std::to_string(frames), 0);
    }
    if (count < 0 || file.BytesLeft() / Zt18DOP::kTaggedRecordSize < count) {
        return Fail(error, "frame count " + std::to_string(count) + " needs " +
                               std::to_string(std::int64_t{count} * Zt18DOP::kTaggedRecordSize) +
                               " bytes or more, the file has " +
                               std::to_string(file.BytesLeft()) + " left", 0);
    }
    std::vector<Zt18DOP> read(static_cast<std::size_t>(count));
    for (std::size_t f = 0; f < read.size(); ++f) {
        LoadError frameError;
        LoadError* detail = error != nullptr ? &frameError : nullptr;
        if (read[f].SerializeTagged(file, false, detail) != 1 ||
            !ExtremesWithin(read[f], VertexLimit(vertexCount), detail)) {
            return Fail(error, "frame " + std::to_string(f) + ": " + frameError.what,
                        frameError.offset);
        }
    }
    if (!NothingAfter(file, error)) return false;
    roots = std::move(read);
    return true;
}
