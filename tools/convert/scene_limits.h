// What one model may become: the game's file formats' limits, and bounds that keep any file
// from making the converter allocate without end.
#pragma once

#include <cstddef>

// Far beyond what the game draws at speed, and small enough that no file makes us allocate
// without bound (a mesh used by many nodes multiplies its vertices).
inline constexpr std::size_t kMaxVertices = std::size_t{1} << 22;
inline constexpr std::size_t kMaxTriangles = std::size_t{1} << 22;

inline constexpr double kFramesPerSecond = 30;  // animations are sampled at this rate
inline constexpr int kMaxFrames = 32767;        // the animation file's 16-bit count
inline constexpr int kMaxTracks = 32767;        // likewise
inline constexpr std::size_t kMaxKeys = std::size_t{1} << 22;  // over all animations
inline constexpr int kMaxTextures = 9999;                      // texture indices run to 9998
inline constexpr int kMaxImageSide = 32767;                    // texture records hold 16-bit sizes
