#include "tools/convert/export_image.h"

#include <stb/stb_image_write.h>

#include <cstdint>
#include <cstring>

#include "assets/bitmap_image.h"
#include "assets/texture.h"
#include "assets/tga_image.h"

namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    int channels = 3;                 // 3: RGB, 4: RGBA
    std::vector<unsigned char> rgba;  // rows as the game uploads them: row 0 at t = 0
};

std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

// TGA pixels are blue, green, red (alpha); 16-bit ones are 5 bits each, as the game widens them.
Pixels FromTga(const TgaImage& tga) {
    Pixels out{tga.width, tga.height, tga.BytesPerPixel() == 4 ? 4 : 3, {}};
    const std::size_t count = static_cast<std::size_t>(tga.pixelCount);
    const auto stride = static_cast<std::size_t>(tga.BytesPerPixel());
    out.rgba.resize(count * static_cast<std::size_t>(out.channels));
    unsigned char* d = out.rgba.data();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* s = tga.pixels.data() + i * stride;
        if (stride == 2) {
            const unsigned v = s[0] | (s[1] << 8);
            *d++ = Widen5((v >> 10) & 0x1F);
            *d++ = Widen5((v >> 5) & 0x1F);
            *d++ = Widen5(v & 0x1F);
            continue;
        }
        *d++ = s[2];
        *d++ = s[1];
        *d++ = s[0];
        if (stride == 4)
            *d++ = s[3];
    }
    return out;
}

// The decoder's rows are red, green, blue, bottom row first: the game uploads them as they are.
Pixels FromBitmap(const BitmapImage& bitmap) {
    return {bitmap.width, bitmap.height, 3, bitmap.pixels};
}

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool LoadTextureAsPng(const std::string& path, PngImage& out, std::string& error) {
    Texture texture;
    LoadError loadError;
    if (texture.LoadImage(path, &loadError) != 1) {
        error = path + ": " + (loadError.what.empty() ? "cannot be decoded" : loadError.what);
        return false;
    }
    const Pixels pixels =
        texture.tga != nullptr ? FromTga(*texture.tga) : FromBitmap(*texture.bitmap);
    const std::size_t rowBytes =
        static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.channels);
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.rgba.size() != rowBytes * static_cast<std::size_t>(pixels.height)) {
        error = path + ": the decoded image holds no pixels";
        return false;
    }
    // The encoder counts bytes in int.
    if (rowBytes * static_cast<std::size_t>(pixels.height) > (std::size_t{1} << 30)) {
        error = path + ": the image is too large to encode";
        return false;
    }
    // The last uploaded row (t = 1) becomes the PNG's first (glTF v = 0).
    std::vector<unsigned char> topDown(pixels.rgba.size());
    for (int row = 0; row < pixels.height; ++row) {
        std::memcpy(
            topDown.data() + static_cast<std::size_t>(row) * rowBytes,
            pixels.rgba.data() + static_cast<std::size_t>(pixels.height - 1 - row) * rowBytes,
            rowBytes);
    }
    out.bytes.clear();
    out.alpha = pixels.channels == 4;
    if (stbi_write_png_to_func(AppendBytes, &out.bytes, pixels.width, pixels.height,
                               pixels.channels, topDown.data(), static_cast<int>(rowBytes)) == 0) {
        error = path + ": the image could not be encoded as PNG";
        return false;
    }
    return true;
}
