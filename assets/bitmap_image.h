// BMP images (Windows 40-byte and OS/2 12-byte headers) decoded to 24-bit rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/load_error.h"

struct BitmapImage {
    std::int32_t width = 0;
    // Rows of pixel data. Top-down files are turned bottom-up while decoding, so the image of
    // a top-down file equals that of its bottom-up twin, height included.
    std::int32_t height = 0;
    // Red, green, blue per pixel; rows packed without padding, bottom row first.
    std::vector<std::uint8_t> pixels;

    // What the file's header said, for reports.
    std::uint32_t headerSize = 0;  // 40 (Windows) or 12 (OS/2)
    std::int32_t bitCount = 0;
    std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;
};

// Decodes 1, 4, 8, 16, 24 and 32 bits per pixel: uncompressed, RLE8, RLE4 and bit fields.
// Failures show one of "Failed to open DIB file <name>.\n", "Unknown DIB file format.",
// "Image file conversion error." or "Out of memory." in a box captioned "Error" and give null.
// With `error`, the fault behind the message as well (which field, count or offset).
std::unique_ptr<BitmapImage> LoadBitmapImage(const std::string& fileName,
                                             LoadError* error = nullptr);
