#include "assets/animation_writer.h"

#include <limits>

#include "assets/animation.h"
#include "assets/atomic_file.h"
#include "assets/byte_writer.h"

namespace {

constexpr std::size_t kKeyBytes = 12 * 4;

// Row by row of the 3 x 4 matrix whose columns are the rotation rows and the translation,
// gathered and appended at once: a converted model has tens of thousands of keys.
void WriteKey(ByteWriter& out, const Transform& key) {
    const float t[3] = {key.t.x, key.t.y, key.t.z};
    char bytes[kKeyBytes];
    char* at = bytes;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            ByteWriter::PutF32(at, key.r.m[3 * column + row]);
            at += 4;
        }
        ByteWriter::PutF32(at, t[row]);
        at += 4;
    }
    out.Append(bytes, sizeof bytes);
}

}  // namespace

std::optional<std::string> AnimationFileBytes(const AnimationSource& source) {
    constexpr std::size_t kMaxCount = std::numeric_limits<std::int16_t>::max();
    const std::size_t frames = source.tracks.empty() ? 0 : source.tracks.front().keys.size();
    if (frames > kMaxCount || source.tracks.size() > kMaxCount) {
        return std::nullopt;
    }
    ByteWriter out;
    std::size_t size = 4 + source.name.size() + 1 + 2 + 2;
    for (const AnimationTrackSource& track : source.tracks)
        size += track.nodeName.size() + 1 + kKeyBytes * track.keys.size();
    out.Reserve(size);
    out.I32(Animation::kMagic);
    out.String(source.name);
    out.I16(static_cast<std::int16_t>(frames));
    out.I16(static_cast<std::int16_t>(source.tracks.size()));
    for (const AnimationTrackSource& track : source.tracks) {
        if (track.keys.size() != frames) {
            return std::nullopt;
        }
        out.String(track.nodeName);
        for (const Transform& key : track.keys) {
            WriteKey(out, key);
        }
    }
    return out.Take();
}

bool WriteAnimationFile(const std::string& path, const AnimationSource& source) {
    const std::optional<std::string> bytes = AnimationFileBytes(source);
    return bytes && WriteFileAtomically(path, bytes->data(), bytes->size());
}
