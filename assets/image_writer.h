// Image files the program writes itself: test data, sample content, benchmark inputs. The
// Encode functions give the file's bytes (none when `pixels` holds fewer than the size needs),
// the Write functions write them atomically and give false when the file could not be written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A TGA of type 2 or, with runLength, type 10 with run packets for repeated pixels and raw
// packets between them (no packet spans two rows). `pixels`: width * height pixels of
// depth / 8 bytes (depth 16, 24 or 32) in file order: blue, green, red (alpha), bottom row first.
std::vector<std::uint8_t> EncodeTga(int width, int height, int depth,
                                    std::span<const std::uint8_t> pixels, bool runLength);
bool WriteTga(const std::string& path, int width, int height, int depth,
              std::span<const std::uint8_t> pixels, bool runLength);

// A 24-bit BMP with a 40-byte header. `pixels` as LoadBitmapImage gives them: red, green,
// blue, bottom row first, rows without padding.
std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> pixels);
bool WriteBmp24(const std::string& path, int width, int height,
                std::span<const std::uint8_t> pixels);
