#include "tools/convert/image_decode.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void* ZeroedRealloc(void* old, std::size_t oldSize, std::size_t newSize) {
    auto* grown = static_cast<unsigned char*>(std::realloc(old, newSize));
    if (grown != nullptr && newSize > oldSize)
        std::memset(grown + oldSize, 0, newSize - oldSize);
    return grown;
}

// stb's JPEG decoder takes a Huffman table's code counts as they come and writes past its
// 256-entry tables when they add up to more. Such a table is refused here first: the marker
// segments are walked (entropy-coded data skipped) and every table of every DHT segment checked.
bool JpegTablesFit(const unsigned char* bytes, std::size_t length) {
    std::size_t at = 2;  // after the start-of-image marker
    while (at + 1 < length) {
        if (bytes[at] != 0xFF) {
            ++at;  // entropy-coded data, which holds no 0xFF but as 0xFF 0x00 or a marker
            continue;
        }
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF || marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2;  // fill bytes, stuffing and markers without a length
            continue;
        }
        if (marker == 0xD9 || at + 3 >= length)
            return true;
        const std::size_t size = (std::size_t{bytes[at + 2]} << 8) | bytes[at + 3];
        const std::size_t end = std::min(length, at + 2 + size);
        if (marker == 0xC4) {
            // As the decoder reads the segment: whole table headers for as long as its length
            // has bytes left, even when a header runs past it (and 0 past the end of the file).
            std::int64_t left = static_cast<std::int64_t>(size) - 2;
            for (std::size_t table = at + 4; left > 0;) {
                std::size_t codes = 0;
                for (std::size_t i = 1; i <= 16; ++i)
                    codes += table + i < length ? bytes[table + i] : 0;
                if (codes > 256)
                    return false;
                table += 17 + codes;
                left -= static_cast<std::int64_t>(17 + codes);
            }
        }
        at = end;
    }
    return true;
}

bool IsJpeg(const unsigned char* bytes, std::size_t length) {
    return length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

// stb's PNG decoder grows its buffer to a chunk's declared length before reading the chunk, so
// a few bytes could ask for a gigabyte: every chunk up to the end chunk must lie in the file.
bool PngChunksFit(const unsigned char* bytes, std::size_t length) {
    for (std::size_t at = 8; at + 8 <= length;) {
        const std::size_t size = (std::size_t{bytes[at]} << 24) |
                                 (std::size_t{bytes[at + 1]} << 16) |
                                 (std::size_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (size > length - at - 8)
            return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + size;
    }
    return true;
}

// What stb's decoders cannot be trusted with, checked before they see the bytes.
bool SafeForStb(const unsigned char* bytes, std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX))
        return false;
    if (IsJpeg(bytes, length))
        return JpegTablesFit(bytes, length);
    return PngChunksFit(bytes, length);
}

}  // namespace

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_REALLOC_SIZED(pointer, oldSize, newSize) ZeroedRealloc(pointer, oldSize, newSize)
#define STBI_FREE(pointer) std::free(pointer)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

bool ImageSize(const unsigned char* bytes, std::size_t length, int& width, int& height) {
    int channels = 0;
    return SafeForStb(bytes, length) &&
           stbi_info_from_memory(bytes, static_cast<int>(length), &width, &height, &channels) != 0;
}

bool DecodeRgb(const unsigned char* bytes, std::size_t length, std::vector<unsigned char>& rgb,
               int& width, int& height, const char*& reason) {
    int channels = 0;
    if (!SafeForStb(bytes, length)) {
        reason = "too large, or a Huffman table or chunk that overruns the decoder";
        return false;
    }
    unsigned char* pixels =
        stbi_load_from_memory(bytes, static_cast<int>(length), &width, &height, &channels, 3);
    if (pixels == nullptr) {
        reason = stbi_failure_reason();
        return false;
    }
    rgb.assign(pixels,
               pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    stbi_image_free(pixels);
    return true;
}
