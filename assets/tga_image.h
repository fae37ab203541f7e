// TGA images of the two true-colour kinds the textures use: type 2 (uncompressed) and type 10
// (run-length). Pixel bytes stay as stored (blue, green, red, and alpha), but rows always come
// bottom row first and left to right: a file stored from another corner is turned to match.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/load_error.h"

struct TgaImage {
    // The 18-byte header, in file order.
    std::uint8_t idLength = 0;
    std::uint8_t colorMapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t colorMapFirstEntry = 0;
    std::uint16_t colorMapLength = 0;
    std::uint8_t colorMapEntrySize = 0;
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t pixelDepth = 0;
    std::uint8_t imageDescriptor = 0;  // bit 4: stored right to left; bit 5: top row first

    std::int32_t pixelCount = 0;  // width * height
    std::vector<std::uint8_t> pixels;

    // 1 when the file is a TGA of type 2 or 10 without colour map, at origin 0, at least 1 x 1,
    // 16 bits per pixel or more, and holds all of its pixels; 0 otherwise (pixels left empty).
    // The header fields stay set when a later check fails. With `error`, which one failed.
    int Load(const std::string& fileName, LoadError* error = nullptr);

    // 2 for depth 16, 3 for depth 24, 4 for any other depth.
    int BytesPerPixel() const;
};
