// The alpha that texture builds generate from a pixel's three colour bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// b0, b1, b2 in memory order; `key` in the same order. Modes: 1 colour key, 2-4 sums, 5-8
// sums of squares, 9 length of the colour; any other mode (0 included) gives 255.
std::uint8_t GenerateAlpha(int alphaMode, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                           const std::uint8_t (&key)[3]);

// Copies `count` pixels of `srcStride` bytes (the first three are the colour) into 4-byte
// pixels with the generated alpha last.
void AddAlphaChannel(const std::uint8_t* src, int srcStride, std::size_t count, int alphaMode,
                     const std::uint8_t (&key)[3], std::uint8_t* dst);
