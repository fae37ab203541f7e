#include "tools/gltf/image_decode.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

void* ZeroedRealloc(void* old, std::size_t oldSize, std::size_t newSize) {
    auto* grown = static_cast<unsigned char*>(std::realloc(old, newSize));
    if (grown != nullptr && newSize > oldSize)
        std::memset(grown + oldSize, 0, newSize - oldSize);
    return grown;
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
    return length <= static_cast<std::size_t>(INT_MAX) &&
           stbi_info_from_memory(bytes, static_cast<int>(length), &width, &height, &channels) != 0;
}

bool DecodeRgb(const unsigned char* bytes, std::size_t length, std::vector<unsigned char>& rgb,
               int& width, int& height, const char*& reason) {
    int channels = 0;
    unsigned char* pixels =
        length <= static_cast<std::size_t>(INT_MAX)
            ? stbi_load_from_memory(bytes, static_cast<int>(length), &width, &height, &channels, 3)
            : nullptr;
    if (pixels == nullptr) {
        reason = length <= static_cast<std::size_t>(INT_MAX) ? stbi_failure_reason() : "too large";
        return false;
    }
    rgb.assign(pixels,
               pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    stbi_image_free(pixels);
    return true;
}
