#include "assets/animation.h"

#include <algorithm>
#include <utility>

#include "assets/binary_file.h"
#include "assets/name_hash.h"

namespace {

constexpr int kFloatsPerKey = 12;
constexpr std::int64_t kKeyBytes = kFloatsPerKey * 4;

// The file holds a 3 x 4 matrix row by row: its first three columns are the rotation rows,
// its fourth column the translation.
Transform ReadKey(BinaryFile& file) {
    float a[kFloatsPerKey];
    for (float& v : a) {
        v = file.ReadFloat();
    }
    Transform key;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            key.r.m[3 * column + row] = a[4 * row + column];
        }
    }
    key.t = {a[3], a[7], a[11]};
    return key;
}

}  // namespace

int Animation::Load(const std::string& fileName) {
    BinaryFile file;
    if (!file.Open(fileName, 1)) {
        return 0;
    }
    Animation loaded;
    loaded.magic = file.ReadInt32();
    if (loaded.magic != kMagic) {
        return 0;
    }
    file.ReadString(loaded.name);
    loaded.frameCount = static_cast<std::int16_t>(file.ReadUInt16());
    loaded.trackCount = static_cast<std::int16_t>(file.ReadUInt16());
    const std::int64_t frames = loaded.frameCount;
    const std::int64_t tracks = loaded.trackCount;
    // Every track is at least an empty name and its keyframes.
    if (file.ReadFailed() || frames < 1 || tracks < 1 ||
        tracks * (1 + frames * kKeyBytes) > file.BytesLeft()) {
        return 0;
    }
    loaded.keys.reserve(static_cast<std::size_t>(tracks * frames));
    loaded.trackHashes.reserve(static_cast<std::size_t>(tracks));
    char nodeName[BinaryFile::kStringSize];
    for (std::int64_t track = 0; track < tracks; ++track) {
        file.ReadString(nodeName);
        loaded.trackHashes.push_back(NameHash(nodeName));
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            loaded.keys.push_back(ReadKey(file));
        }
        if (file.ReadFailed()) {
            return 0;
        }
    }
    file.Close();
    *this = std::move(loaded);
    return 1;
}

const Transform& Animation::FindKey(const MeshNode& node, int frame) const {
    const auto found = std::find(trackHashes.begin(), trackHashes.end(), node.hash);
    if (found == trackHashes.end() || frameCount < 1) {
        return Transform::Identity;
    }
    const auto track = static_cast<std::size_t>(found - trackHashes.begin());
    const auto clamped = static_cast<std::size_t>(std::clamp(frame, 0, frameCount - 1));
    return keys[track * static_cast<std::size_t>(frameCount) + clamped];
}
