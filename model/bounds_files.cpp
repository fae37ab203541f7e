#include "model/bounds_files.h"

#include <limits>

#include "assets/byte_reader.h"
#include "model/bounds_check.h"

namespace {

std::int32_t VertexLimit(std::int32_t vertexCount) {
    return vertexCount == kAnyCount ? std::numeric_limits<std::int32_t>::max() : vertexCount;
}

bool NothingAfter(const ByteReader& bytes, LoadError* error) {
    if (bytes.BytesLeft() == 0)
        return true;
    return Fail(error, std::to_string(bytes.BytesLeft()) + " bytes after the last record",
                bytes.Offset());
}

}  // namespace

bool ReadPropBoundsFile(const std::string& fileName, std::int32_t vertexCount, Zt18DOP& root,
                        LoadError* error) {
    MappedFile file;
    if (!file.Open(fileName))
        return Fail(error, "cannot be opened as a file");
    ByteReader bytes(file.Data(), file.Size());
    Zt18DOP read;
    if (!read.ReadBinaryRecords(bytes, error) || !NothingAfter(bytes, error) ||
        !ExtremesWithin(read, VertexLimit(vertexCount), error)) {
        return false;
    }
    root = std::move(read);
    return true;
}

bool ReadAnimationBoundsFile(const std::string& fileName, std::int32_t frames,
                             std::int32_t vertexCount, std::vector<Zt18DOP>& roots,
                             LoadError* error) {
    // Parsed in place: through BinaryFile's window the records cost several times as much.
    MappedFile file;
    if (!file.Open(fileName))
        return Fail(error, "cannot be opened as a file");
    ByteReader bytes(file.Data(), file.Size());
    const std::int32_t count = bytes.I32();
    if (bytes.Failed())
        return Fail(error, "file ends inside the frame count", 0);
    if (frames != kAnyCount && count != frames) {
        return Fail(error,
                    "frame count " + std::to_string(count) + ", the animation has " +
                        std::to_string(frames),
                    0);
    }
    const auto left = static_cast<std::int64_t>(bytes.BytesLeft());
    if (count < 0 || left / Zt18DOP::kTaggedRecordSize < count) {
        return Fail(error,
                    "frame count " + std::to_string(count) + " needs " +
                        std::to_string(std::int64_t{count} * Zt18DOP::kTaggedRecordSize) +
                        " bytes or more, the file has " + std::to_string(left) + " left",
                    0);
    }
    std::vector<Zt18DOP> read(static_cast<std::size_t>(count));
    for (std::size_t f = 0; f < read.size(); ++f) {
        LoadError frameError;
        LoadError* detail = error != nullptr ? &frameError : nullptr;
        if (!read[f].ReadTaggedRecords(bytes, detail) ||
            !ExtremesWithin(read[f], VertexLimit(vertexCount), detail)) {
            return Fail(error, "frame " + std::to_string(f) + ": " + frameError.what,
                        frameError.offset);
        }
    }
    if (!NothingAfter(bytes, error))
        return false;
    roots = std::move(read);
    return true;
}
