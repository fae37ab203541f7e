#include "assets/animation_writer.h"

#include <limits>

#include "assets/animation.h"
#include "assets/atomic_file.h"
#include "assets/byte_writer.h"

namespace {

// Row by row of the 3 x 4 matrix whose columns are the rotation rows and the translation.
void WriteKey(ByteWriter& out, const Transform& key) {
    const float t[3] = {key.t.x, key.t.y, key.t.z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            out.F32(key.r.m[3 * column + row]);
        }
        out.F32(t[row]);
    }
}

}  // namespace

std::optional<std::string> AnimationFileBytes(const AnimationSource& source) {
    constexpr std::size_t kMaxCount = std::numeric_limits<std::int16_t>::max();
    const std::size_t frames = source.tracks.empty() ? 0 : source.tracks.front().keys.size();
    if (frames > kMaxCount || source.tracks.size() > kMaxCount) {
        return std::nullopt;
    }
    ByteWriter out;
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
