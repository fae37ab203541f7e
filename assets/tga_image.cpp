#include "assets/tga_image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "assets/binary_file.h"

namespace {

constexpr int kUncompressed = 2;
constexpr int kRunLength = 10;
constexpr int kMaxRunPixels = 128;

// Bulk copy through the file's buffer, four bytes per read where it can.
void ReadBytes(BinaryFile& file, std::uint8_t* dest, std::size_t count) {
    for (; count >= 4; count -= 4, dest += 4) {
        const auto v = static_cast<std::uint32_t>(file.ReadInt32());
        dest[0] = static_cast<std::uint8_t>(v);
        dest[1] = static_cast<std::uint8_t>(v >> 8);
        dest[2] = static_cast<std::uint8_t>(v >> 16);
        dest[3] = static_cast<std::uint8_t>(v >> 24);
    }
    for (; count > 0; --count) {
        *dest++ = file.ReadByte();
    }
}

// Packets that run past the last pixel are cut there. False when the file ends first.
bool DecodeRunLength(BinaryFile& file, int bytesPerPixel, std::uint8_t* out, std::uint8_t* end) {
    const auto pixelSize = static_cast<std::size_t>(bytesPerPixel);
    while (out < end) {
        const std::uint8_t header = file.ReadByte();
        const auto room = static_cast<std::size_t>(end - out) / pixelSize;
        if (header > 127) {
            std::uint8_t pixel[4];
            ReadBytes(file, pixel, pixelSize);
            const std::size_t count = std::min<std::size_t>(header - 127u, room);
            for (std::size_t i = 0; i < count; ++i, out += pixelSize) {
                std::memcpy(out, pixel, pixelSize);
            }
        } else {
            const std::size_t count = std::min<std::size_t>(header + 1u, room);
            ReadBytes(file, out, count * pixelSize);
            out += count * pixelSize;
        }
        if (file.ReadFailed()) {
            return false;
        }
    }
    return true;
}

}  // namespace

int TgaImage::BytesPerPixel() const {
    if (pixelDepth == 16)
        return 2;
    if (pixelDepth == 24)
        return 3;
    return 4;
}

int TgaImage::Load(const std::string& fileName) {
    pixels.clear();
    pixelCount = 0;
    BinaryFile file;
    if (!file.Open(fileName, 1)) {
        return 0;
    }
    idLength = file.ReadByte();
    colorMapType = file.ReadByte();
    imageType = file.ReadByte();
    colorMapFirstEntry = file.ReadUInt16();
    colorMapLength = file.ReadUInt16();
    colorMapEntrySize = file.ReadByte();
    xOrigin = file.ReadUInt16();
    yOrigin = file.ReadUInt16();
    width = static_cast<std::int16_t>(file.ReadUInt16());
    height = static_cast<std::int16_t>(file.ReadUInt16());
    pixelDepth = file.ReadByte();
    imageDescriptor = file.ReadByte();
    for (int i = 0; i < idLength; ++i) {
        file.ReadByte();
    }
    const bool accepted = colorMapType == 0 &&
                          (imageType == kUncompressed || imageType == kRunLength) && xOrigin == 0 &&
                          yOrigin == 0 && width >= 1 && height >= 1 && pixelDepth >= 16;
    if (file.ReadFailed() || !accepted) {
        return 0;
    }

    const int bytesPerPixel = BytesPerPixel();
    const std::int64_t count = std::int64_t{width} * height;
    const std::int64_t left = file.BytesLeft();
    // Never allocate more than the rest of the file can describe: every pixel stored, or for
    // run-length data at most 128 pixels per packet of a header byte and one pixel.
    const std::int64_t describable =
        imageType == kUncompressed ? left / bytesPerPixel
                                   : (left + bytesPerPixel) / (bytesPerPixel + 1) * kMaxRunPixels;
    if (count > describable) {
        return 0;
    }
    try {
        pixels.resize(static_cast<std::size_t>(count * bytesPerPixel));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    bool complete;
    if (imageType == kUncompressed) {
        ReadBytes(file, pixels.data(), pixels.size());
        complete = !file.ReadFailed();
    } else {
        complete =
            DecodeRunLength(file, bytesPerPixel, pixels.data(), pixels.data() + pixels.size());
    }
    file.Close();
    if (!complete) {
        pixels.clear();
        return 0;
    }
    pixelCount = static_cast<std::int32_t>(count);
    return 1;
}
