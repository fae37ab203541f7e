// Writes animation files for our own use: the sample-content tool, tests and benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geometry/math.h"

struct AnimationTrackSource {
    std::string nodeName;
    std::vector<Transform> keys;  // one per frame
};

struct AnimationSource {
    std::string name;
    std::vector<AnimationTrackSource> tracks;
};

// The file image: magic, name, frame count, track count (both 16-bit), the tracks.
// The frame count is the first track's key count; nullopt when the tracks' key counts differ
// or a count does not fit in 16 bits. Empty tracks or no tracks are written as they are
// (a file the loader rejects).
std::optional<std::string> AnimationFileBytes(const AnimationSource& source);

// Writes the file atomically; false when the source is malformed or the file cannot be written.
bool WriteAnimationFile(const std::string& path, const AnimationSource& source);
