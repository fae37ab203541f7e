#include "assets/tga_image.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "assets/regular_file.h"

namespace {

constexpr int kUncompressed = 2;
constexpr int kRunLength = 10;
constexpr int kMaxRunPixels = 128;
constexpr std::size_t kHeaderSize = 18;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool ReadExactly(std::FILE* file, std::uint8_t* dest, std::size_t count) {
    return std::fread(dest, 1, count, file) == count;
}

// Packets that run past the last pixel are cut there. False when the data ends first.
bool DecodeRunLength(const std::uint8_t* p, const std::uint8_t* end, std::size_t pixelSize,
                     std::uint8_t* out, std::uint8_t* outEnd) {
    while (out < outEnd) {
        if (p == end) {
            return false;
        }
        const std::uint8_t header = *p++;
        const std::size_t room = static_cast<std::size_t>(outEnd - out) / pixelSize;
        const auto left = static_cast<std::size_t>(end - p);
        if (header > 127) {
            if (left < pixelSize) {
                return false;
            }
            const std::size_t count = std::min<std::size_t>(header - 127u, room);
            for (std::size_t i = 0; i < count; ++i, out += pixelSize) {
                std::memcpy(out, p, pixelSize);
            }
            p += pixelSize;
        } else {
            const std::size_t bytes = std::min<std::size_t>(header + 1u, room) * pixelSize;
            if (left < bytes) {
                return false;
            }
            std::memcpy(out, p, bytes);
            out += bytes;
            p += bytes;
        }
    }
    return true;
}

// Descriptor bits 4 and 5 say at which corner the stored pixels start.
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopToBottom = 0x20;

// Puts rows bottom row first and each row left to right, however the file stored them, so that
// an image is the same picture whichever corner it was written from.
void ToBottomLeftOrigin(std::vector<std::uint8_t>& pixels, std::size_t width, std::size_t height,
                        std::size_t pixelSize, std::uint8_t descriptor) {
    const std::size_t rowSize = width * pixelSize;
    if (descriptor & kTopToBottom) {
        for (std::size_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * rowSize),
                             pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowSize),
                             pixels.begin() + static_cast<std::ptrdiff_t>(bottom * rowSize));
        }
    }
    if (descriptor & kRightToLeft) {
        for (std::size_t row = 0; row < height; ++row) {
            std::uint8_t* const first = pixels.data() + row * rowSize;
            for (std::size_t left = 0, right = width - 1; left < right; ++left, --right) {
                std::swap_ranges(first + left * pixelSize, first + (left + 1) * pixelSize,
                                 first + right * pixelSize);
            }
        }
    }
}

}  // namespace

int TgaImage::BytesPerPixel() const {
    if (pixelDepth == 16)
        return 2;
    if (pixelDepth == 24)
        return 3;
    return 4;
}

namespace {

// Names the first header field that the decoder does not accept.
bool HeaderFailure(const TgaImage& image, LoadError* error) {
    if (image.colorMapType != 0) {
        return Fail(error,
                    "colour-map type " + std::to_string(image.colorMapType) + " (only 0 is read)",
                    1);
    }
    if (image.imageType != kUncompressed && image.imageType != kRunLength) {
        return Fail(error,
                    "image type " + std::to_string(image.imageType) + " (only 2 and 10 are read)",
                    2);
    }
    if (image.xOrigin != 0) {
        return Fail(error, "x origin " + std::to_string(image.xOrigin) + " (must be 0)", 8);
    }
    if (image.yOrigin != 0) {
        return Fail(error, "y origin " + std::to_string(image.yOrigin) + " (must be 0)", 10);
    }
    if (image.width < 1) {
        return Fail(error, "width " + std::to_string(image.width) + " is below 1", 12);
    }
    if (image.height < 1) {
        return Fail(error, "height " + std::to_string(image.height) + " is below 1", 14);
    }
    return Fail(error, "pixel depth " + std::to_string(image.pixelDepth) + " is below 16", 16);
}

}  // namespace

// The file is read with plain stdio rather than value by value: a single read straight into
// the pixels is what keeps large textures quick to load.

int TgaImage::Load(const std::string& fileName, LoadError* error) {
    pixels.clear();
    pixelCount = 0;
    File file(OpenRegularStream(fileName), &std::fclose);
    struct stat info {};
    if (file == nullptr || ::fstat(::fileno(file.get()), &info) != 0) {
        Fail(error, "cannot be opened as a file");
        return 0;
    }
    std::uint8_t h[kHeaderSize];
    if (!ReadExactly(file.get(), h, kHeaderSize)) {
        Fail(error,
             "file of " + std::to_string(info.st_size) + " bytes ends inside the 18-byte header");
        return 0;
    }
    idLength = h[0];
    colorMapType = h[1];
    imageType = h[2];
    colorMapFirstEntry = U16(h + 3);
    colorMapLength = U16(h + 5);
    colorMapEntrySize = h[7];
    xOrigin = U16(h + 8);
    yOrigin = U16(h + 10);
    width = static_cast<std::int16_t>(U16(h + 12));
    height = static_cast<std::int16_t>(U16(h + 14));
    pixelDepth = h[16];
    imageDescriptor = h[17];
    const bool accepted = colorMapType == 0 &&
                          (imageType == kUncompressed || imageType == kRunLength) && xOrigin == 0 &&
                          yOrigin == 0 && width >= 1 && height >= 1 && pixelDepth >= 16;
    const std::int64_t left = std::int64_t{info.st_size} - std::int64_t{kHeaderSize} - idLength;
    if (!accepted) {
        HeaderFailure(*this, error);
        return 0;
    }
    if (left < 0 || std::fseek(file.get(), idLength, SEEK_CUR) != 0) {
        Fail(error, "id length " + std::to_string(idLength) + " runs past the end of the file", 0);
        return 0;
    }

    const int bytesPerPixel = BytesPerPixel();
    const std::int64_t count = std::int64_t{width} * height;
    // Never allocate more than the rest of the file can describe: every pixel stored, or for
    // run-length data at most 128 pixels per packet of a header byte and one pixel.
    const std::int64_t describable =
        imageType == kUncompressed ? left / bytesPerPixel
                                   : (left + bytesPerPixel) / (bytesPerPixel + 1) * kMaxRunPixels;
    if (count > describable) {
        Fail(error,
             std::to_string(width) + " x " + std::to_string(height) + " pixels of " +
                 std::to_string(bytesPerPixel) + " bytes cannot fit in the " +
                 std::to_string(left) + " bytes after the header",
             static_cast<std::int64_t>(kHeaderSize) + idLength);
        return 0;
    }
    bool complete = false;
    try {
        pixels.resize(static_cast<std::size_t>(count * bytesPerPixel));
        if (imageType == kUncompressed) {
            complete = ReadExactly(file.get(), pixels.data(), pixels.size());
        } else {
            std::vector<std::uint8_t> packets(static_cast<std::size_t>(left));
            complete = ReadExactly(file.get(), packets.data(), packets.size()) &&
                       DecodeRunLength(packets.data(), packets.data() + packets.size(),
                                       static_cast<std::size_t>(bytesPerPixel), pixels.data(),
                                       pixels.data() + pixels.size());
        }
    } catch (const std::bad_alloc&) {
        complete = false;
    }
    if (!complete) {
        pixels.clear();
        Fail(error,
             std::string(imageType == kUncompressed ? "pixel data" : "run-length data") +
                 " ends before all " + std::to_string(count) + " pixels",
             static_cast<std::int64_t>(kHeaderSize) + idLength);
        return 0;
    }
    ToBottomLeftOrigin(pixels, static_cast<std::size_t>(width), static_cast<std::size_t>(height),
                       static_cast<std::size_t>(bytesPerPixel), imageDescriptor);
    pixelCount = static_cast<std::int32_t>(count);
    return 1;
}
