#include "assets/animation.h"

#include <algorithm>
#include <cstdio>
#include <new>
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

// Reads the file into `out`, which it changes only on success. A failed allocation escapes as
// std::bad_alloc.
int ReadAnimation(const std::string& fileName, Animation& out, LoadError* error) {
    BinaryFile file;
    if (!file.Open(fileName, 1)) {
        Fail(error, "cannot be opened as a file");
        return 0;
    }
    Animation loaded;
    loaded.magic = file.ReadInt32();
    if (file.ReadFailed()) {
        Fail(error, "file ends inside the magic number", 0);
        return 0;
    }
    if (loaded.magic != Animation::kMagic) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(loaded.magic));
        Fail(error, std::string("magic ") + hex + " (expected 0x12345679)", 0);
        return 0;
    }
    file.ReadString(loaded.name);
    if (file.ReadFailed()) {
        Fail(error, "name longer than 127 characters or unterminated", 4);
        return 0;
    }
    const std::int64_t countsAt = file.Offset();
    loaded.frameCount = static_cast<std::int16_t>(file.ReadUInt16());
    loaded.trackCount = static_cast<std::int16_t>(file.ReadUInt16());
    const std::int64_t frames = loaded.frameCount;
    const std::int64_t tracks = loaded.trackCount;
    // Every track is at least an empty name and its keyframes.
    if (file.ReadFailed()) {
        Fail(error, "file ends inside the frame and track counts", countsAt);
        return 0;
    }
    if (frames < 1) {
        Fail(error, "frame count " + std::to_string(frames) + " is below 1", countsAt);
        return 0;
    }
    if (tracks < 1) {
        Fail(error, "track count " + std::to_string(tracks) + " is below 1", countsAt + 2);
        return 0;
    }
    if (tracks * (1 + frames * kKeyBytes) > file.BytesLeft()) {
        Fail(error,
             std::to_string(tracks) + " tracks of " + std::to_string(frames) +
                 " frames need at least " + std::to_string(tracks * (1 + frames * kKeyBytes)) +
                 " bytes, the file has " + std::to_string(file.BytesLeft()) + " left",
             countsAt);
        return 0;
    }
    loaded.keys.reserve(static_cast<std::size_t>(tracks * frames));
    loaded.trackHashes.reserve(static_cast<std::size_t>(tracks));
    char nodeName[BinaryFile::kStringSize];
    for (std::int64_t track = 0; track < tracks; ++track) {
        const std::int64_t trackAt = file.Offset();
        file.ReadString(nodeName);
        loaded.trackNames.emplace_back(nodeName);
        loaded.trackHashes.push_back(NameHash(nodeName));
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            loaded.keys.push_back(ReadKey(file));
        }
        if (file.ReadFailed()) {
            Fail(error,
                 "track " + std::to_string(track) +
                     ": node name longer than 127 characters, or the file ends inside "
                     "the track",
                 trackAt);
            return 0;
        }
    }
    loaded.trailingBytes = file.BytesLeft();
    file.Close();
    out = std::move(loaded);
    return 1;
}

}  // namespace

int Animation::Load(const std::string& fileName, LoadError* error) {
    try {
        return ReadAnimation(fileName, *this, error);
    } catch (const std::bad_alloc&) {
        // What was read is released by now, so the short message needs no more memory.
        Fail(error, "out of memory");
        return 0;
    }
}

std::int32_t Animation::TrackOf(std::uint32_t hash) const {
    const auto found = std::find(trackHashes.begin(), trackHashes.end(), hash);
    return found == trackHashes.end() ? -1 : static_cast<std::int32_t>(found - trackHashes.begin());
}

const Transform& Animation::Key(std::int32_t track, int frame) const {
    if (track < 0 || frameCount < 1) {
        return Transform::Identity;
    }
    const auto clamped = static_cast<std::size_t>(std::clamp(frame, 0, frameCount - 1));
    return keys[static_cast<std::size_t>(track) * static_cast<std::size_t>(frameCount) + clamped];
}
