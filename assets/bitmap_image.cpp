#include "assets/bitmap_image.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

#include "assets/bitmap_layout.h"
#include "assets/regular_file.h"
#include "platform/message_box.h"

namespace {

enum class Failure { kNone, kUnknownFormat, kConversion, kOutOfMemory };

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2: 16-bit sizes, 3-byte palette entries
constexpr std::uint32_t kInfoHeaderSize = 40;

void Report(const std::string& text) {
    ShowMessageBox(text, "Error", MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

void Report(Failure failure) {
    switch (failure) {
        case Failure::kUnknownFormat:
            Report("Unknown DIB file format.");
            break;
        case Failure::kConversion:
            Report("Image file conversion error.");
            break;
        case Failure::kOutOfMemory:
            Report("Out of memory.");
            break;
        case Failure::kNone:
            break;
    }
}

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// False when the file cannot be opened or is not a regular file; a failed allocation is
// reported through outOfMemory.
bool ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& bytes, bool& outOfMemory) {
    std::FILE* file = OpenRegularStream(name);
    if (file == nullptr) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(::fileno(file), &info) == 0;
    if (ok) {
        try {
            bytes.resize(static_cast<std::size_t>(info.st_size));
            ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    }
    std::fclose(file);
    return ok;
}

std::int64_t PaletteEntriesFor(int bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

bool ValidCombination(const BitmapLayout& layout) {
    switch (layout.compression) {
        case BitmapLayout::kNone:
            return layout.bitCount == 1 || layout.bitCount == 4 || layout.bitCount == 8 ||
                   layout.bitCount == 16 || layout.bitCount == 24 || layout.bitCount == 32;
        case BitmapLayout::kRle8:
            return layout.bitCount == 8 && !layout.topDown;
        case BitmapLayout::kRle4:
            return layout.bitCount == 4 && !layout.topDown;
        case BitmapLayout::kBitFields:
            return layout.bitCount == 16 || layout.bitCount == 32;
        default:
            return false;
    }
}

void SetDefaultMasks(BitmapLayout& layout) {
    if (layout.bitCount == 16) {  // 5-5-5
        layout.masks[0] = 0x7C00;
        layout.masks[1] = 0x03E0;
        layout.masks[2] = 0x001F;
    } else if (layout.bitCount == 32) {
        layout.masks[0] = 0xFF0000;
        layout.masks[1] = 0x00FF00;
        layout.masks[2] = 0x0000FF;
    }
}

// Reads the headers, masks and palette; `pixelOffset` receives where the pixel data starts.
// The failure, with its detail in `error` when there is one.
Failure Fault(Failure failure, LoadError* error, std::string text, std::int64_t at) {
    Fail(error, std::move(text), at);
    return failure;
}

Failure ParseLayout(const std::vector<std::uint8_t>& file, BitmapLayout& layout,
                    std::size_t& pixelOffset, std::uint32_t& headerSize, LoadError* error) {
    const std::size_t size = file.size();
    const bool hasFileHeader = size >= 2 && file[0] == 'B' && file[1] == 'M';
    const std::size_t infoStart = hasFileHeader ? kFileHeaderSize : 0;
    const auto infoAt = static_cast<std::int64_t>(infoStart);
    if (size < infoStart + 4) {
        return Fault(Failure::kUnknownFormat, error,
                     "file of " + std::to_string(size) + " bytes ends before the info header",
                     infoAt);
    }
    const std::uint8_t* info = file.data() + infoStart;
    headerSize = U32(info);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) {
        return Fault(
            Failure::kUnknownFormat, error,
            "info header size " + std::to_string(headerSize) + " (only 12 and 40 are read)",
            infoAt);
    }
    if (size < infoStart + headerSize) {
        return Fault(Failure::kUnknownFormat, error,
                     "file ends inside the " + std::to_string(headerSize) + "-byte info header",
                     infoAt);
    }

    std::int64_t width, height, paletteEntries;
    std::size_t entrySize;
    if (headerSize == kCoreHeaderSize) {
        width = U16(info + 4);
        height = U16(info + 6);
        layout.bitCount = U16(info + 10);
        layout.compression = BitmapLayout::kNone;
        paletteEntries = PaletteEntriesFor(layout.bitCount);
        entrySize = 3;
    } else {
        width = static_cast<std::int32_t>(U32(info + 4));
        height = static_cast<std::int32_t>(U32(info + 8));
        layout.bitCount = U16(info + 14);
        layout.compression = U32(info + 16);
        const std::uint32_t coloursUsed = U32(info + 32);
        paletteEntries = coloursUsed != 0 ? coloursUsed : PaletteEntriesFor(layout.bitCount);
        entrySize = 4;
    }
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 1 || rows < 1 || rows > INT32_MAX) {
        return Fault(Failure::kConversion, error,
                     "width " + std::to_string(width) + " and height " + std::to_string(height) +
                         " make no image",
                     infoAt + 4);
    }
    layout.width = static_cast<std::int32_t>(width);
    layout.rows = static_cast<std::int32_t>(rows);
    layout.topDown = height < 0;
    if (!ValidCombination(layout)) {
        return Fault(Failure::kConversion, error,
                     "bit count " + std::to_string(layout.bitCount) + " with compression " +
                         std::to_string(layout.compression) +
                         (layout.topDown ? " in a top-down bitmap" : "") + " is not decoded",
                     infoAt + (headerSize == kCoreHeaderSize ? 10 : 14));
    }

    std::size_t position = infoStart + headerSize;
    if (layout.compression == BitmapLayout::kBitFields) {
        if (size - position < 12) {
            return Fault(Failure::kConversion, error, "file ends inside the three bit masks",
                         static_cast<std::int64_t>(position));
        }
        for (int c = 0; c < 3; ++c) {
            layout.masks[c] = U32(file.data() + position + 4 * c);
        }
        position += 12;
    } else {
        SetDefaultMasks(layout);
    }
    const auto paletteBytes = static_cast<std::uint64_t>(paletteEntries) * entrySize;
    if (paletteBytes > size - position) {
        return Fault(Failure::kConversion, error,
                     "palette of " + std::to_string(paletteEntries) + " entries needs " +
                         std::to_string(paletteBytes) + " bytes, the file has " +
                         std::to_string(size - position) + " left",
                     static_cast<std::int64_t>(position));
    }
    layout.paletteSize = static_cast<int>(std::min<std::int64_t>(paletteEntries, 256));
    for (int i = 0; i < layout.paletteSize; ++i) {
        const std::uint8_t* entry = file.data() + position + i * entrySize;  // blue, green, red
        layout.palette[i][0] = entry[2];
        layout.palette[i][1] = entry[1];
        layout.palette[i][2] = entry[0];
    }
    position += static_cast<std::size_t>(paletteBytes);

    pixelOffset = hasFileHeader ? U32(file.data() + 10) : position;
    if (pixelOffset >= size) {
        return Fault(Failure::kConversion, error,
                     "pixel data offset " + std::to_string(pixelOffset) +
                         " is not inside the file of " + std::to_string(size) + " bytes",
                     hasFileHeader ? 10 : static_cast<std::int64_t>(position));
    }
    return Failure::kNone;
}

Failure Decode(const std::vector<std::uint8_t>& file, BitmapImage& image, LoadError* error) {
    BitmapLayout layout;
    std::size_t offset = 0;
    const Failure failure = ParseLayout(file, layout, offset, image.headerSize, error);
    image.bitCount = layout.bitCount;
    image.compression = layout.compression;
    image.topDown = layout.topDown;
    if (failure != Failure::kNone) {
        return failure;
    }
    const std::uint8_t* data = file.data() + offset;
    const std::size_t size = file.size() - offset;
    const auto at = static_cast<std::int64_t>(offset);
    if (!PixelDataFits(layout, size)) {
        return Fault(Failure::kConversion, error,
                     std::to_string(size) + " bytes of pixel data cannot hold " +
                         std::to_string(layout.width) + " x " + std::to_string(layout.rows) +
                         " pixels of " + std::to_string(layout.bitCount) + " bits",
                     at);
    }
    try {
        image.pixels.resize(static_cast<std::size_t>(layout.width) * layout.rows * 3);
    } catch (const std::bad_alloc&) {
        return Fault(Failure::kOutOfMemory, error, "out of memory for the pixels", at);
    }
    const bool runLength =
        layout.compression == BitmapLayout::kRle8 || layout.compression == BitmapLayout::kRle4;
    const bool decoded = runLength ? DecodeRunLength(layout, data, size, image.pixels.data())
                                   : DecodeUncompressed(layout, data, size, image.pixels.data());
    if (!decoded) {
        return Fault(Failure::kConversion, error,
                     runLength ? "run-length data is malformed or ends before the image does"
                               : "a pixel names a palette entry the palette does not have, or "
                                 "a bit mask is unusable",
                     at);
    }
    image.width = layout.width;
    image.height = layout.rows;
    return Failure::kNone;
}

}  // namespace

std::unique_ptr<BitmapImage> LoadBitmapImage(const std::string& fileName, LoadError* error) {
    std::vector<std::uint8_t> file;
    bool outOfMemory = false;
    if (!ReadWholeFile(fileName, file, outOfMemory)) {
        if (outOfMemory) {
            Fail(error, "out of memory for the file");
            Report(Failure::kOutOfMemory);
        } else {
            Fail(error, "cannot be opened as a file");
            Report("Failed to open DIB file " + fileName + ".\n");
        }
        return nullptr;
    }
    if (file.empty()) {
        // An empty file cannot be mapped: it fails as a file that cannot be opened does.
        Fail(error, "is empty");
        Report("Failed to open DIB file " + fileName + ".\n");
        return nullptr;
    }
    std::unique_ptr<BitmapImage> image(new (std::nothrow) BitmapImage);
    Failure failure = image == nullptr ? Failure::kOutOfMemory : Decode(file, *image, error);
    if (failure != Failure::kNone) {
        Report(failure);
        return nullptr;
    }
    return image;
}
