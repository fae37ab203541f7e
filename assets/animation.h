// One named motion of an actor: per animated node (one track each) one Transform per frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/load_error.h"
#include "assets/mesh.h"
#include "geometry/math.h"

class Animation {
  public:
    static constexpr std::int32_t kMagic = 0x12345679;

    // 1 when the whole file was read; 0 otherwise, leaving the animation as it was.
    // With `error`, the first fault (which count or offset).
    int Load(const std::string& fileName, LoadError* error = nullptr);

    // The node's keyframe at `frame` from the first track with the node's name hash, or the
    // identity when no track moves the node. Frames outside 0..frameCount-1 are clamped.
    const Transform& FindKey(const MeshNode& node, int frame) const {
        return Key(TrackOf(node.hash), frame);
    }
    // The first track with this name hash, or -1. A search over the tracks: callers that pose
    // every frame look their nodes' tracks up once.
    std::int32_t TrackOf(std::uint32_t hash) const;
    // The track's keyframe at `frame` (clamped as above); the identity for track -1.
    const Transform& Key(std::int32_t track, int frame) const;

    std::int32_t magic = 0;
    char name[128] = {};
    std::int16_t frameCount = 0;
    std::int16_t trackCount = 0;
    std::vector<Transform> keys;             // track-major: keys[track * frameCount + frame]
    std::vector<std::uint32_t> trackHashes;  // NameHash of each track's node name
    std::vector<std::string> trackNames;     // as the file spells them, for reports
    std::int64_t trailingBytes = 0;          // bytes after the last track, which nothing reads
};
