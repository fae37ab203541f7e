// One named motion of an actor: per animated node (one track each) one Transform per frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "geometry/math.h"

class Animation {
  public:
    static constexpr std::int32_t kMagic = 0x12345679;

    // 1 when the whole file was read; 0 otherwise, leaving the animation as it was.
    int Load(const std::string& fileName);

    // The node's keyframe at `frame` from the first track with the node's name hash, or the
    // identity when no track moves the node. Frames outside 0..frameCount-1 are clamped.
    const Transform& FindKey(const MeshNode& node, int frame) const;

    std::int32_t magic = 0;
    char name[128] = {};
    std::int16_t frameCount = 0;
    std::int16_t trackCount = 0;
    std::vector<Transform> keys;             // track-major: keys[track * frameCount + frame]
    std::vector<std::uint32_t> trackHashes;  // NameHash of each track's node name
};
