// What a BMP header says about its pixel data, and the decoders that turn that data into
// red, green, blue rows (bottom row first). Used by LoadBitmapImage.
#pragma once

#include <cstddef>
#include <cstdint>

struct BitmapLayout {
    enum Compression : std::uint32_t { kNone = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

    std::int32_t width = 0;
    std::int32_t rows = 0;  // |height|
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kNone;
    std::uint32_t masks[3] = {};        // red, green, blue; for 16 and 32 bits per pixel
    int paletteSize = 0;                // entries an index may use (at most 256)
    std::uint8_t palette[256][3] = {};  // red, green, blue
};

// Whether `size` bytes of pixel data can hold the whole image (uncompressed), or are enough to
// describe it plausibly (run-length: at most 256 pixels per byte, twice what runs reach). This
// keeps a small file from asking for a huge allocation.
bool PixelDataFits(const BitmapLayout& layout, std::size_t size);

// Both give false for data that cannot be decoded: a bad mask or palette index, or run-length
// data that ends before the image is complete without an end-of-bitmap mark. `out` holds
// width * rows * 3 bytes, zeroed for the run-length decoder (skipped pixels stay black).
bool DecodeUncompressed(const BitmapLayout& layout, const std::uint8_t* data, std::size_t size,
                        std::uint8_t* out);
bool DecodeRunLength(const BitmapLayout& layout, const std::uint8_t* data, std::size_t size,
                     std::uint8_t* out);
