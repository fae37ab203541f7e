#include "assets/bitmap_image.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

#include "assets/bitmap_layout.h"
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
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode);
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
Failure ParseLayout(const std::vector<std::uint8_t>& file, BitmapLayout& layout,
                    std::size_t& pixelOffset) {
    const std::size_t size = file.size();
    const bool hasFileHeader = size >= 2 && file[0] == 'B' && file[1] == 'M';
    const std::size_t infoStart = hasFileHeader ? kFileHeaderSize : 0;
    if (size < infoStart + 4) {
        return Failure::kUnknownFormat;
    }
    const std::uint8_t* info = file.data() + infoStart;
    const std::uint32_t headerSize = U32(info);
    if ((headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) ||
        size < infoStart + headerSize) {
        return Failure::kUnknownFormat;
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
        return Failure::kConversion;
    }
    layout.width = static_cast<std::int32_t>(width);
    layout.rows = static_cast<std::int32_t>(rows);
    layout.topDown = height < 0;
    if (!ValidCombination(layout)) {
        return Failure::kConversion;
    }

    std::size_t position = infoStart + headerSize;
    if (layout.compression == BitmapLayout::kBitFields) {
        if (size - position < 12) {
            return Failure::kConversion;
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
        return Failure::kConversion;
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
    return pixelOffset < size ? Failure::kNone : Failure::kConversion;
}

Failure Decode(const std::vector<std::uint8_t>& file, BitmapImage& image) {
    BitmapLayout layout;
    std::size_t offset = 0;
    const Failure failure = ParseLayout(file, layout, offset);
    if (failure != Failure::kNone) {
        return failure;
    }
    const std::uint8_t* data = file.data() + offset;
    const std::size_t size = file.size() - offset;
    if (!PixelDataFits(layout, size)) {
        return Failure::kConversion;
    }
    try {
        image.pixels.resize(static_cast<std::size_t>(layout.width) * layout.rows * 3);
    } catch (const std::bad_alloc&) {
        return Failure::kOutOfMemory;
    }
    const bool runLength =
        layout.compression == BitmapLayout::kRle8 || layout.compression == BitmapLayout::kRle4;
    const bool decoded = runLength ? DecodeRunLength(layout, data, size, image.pixels.data())
                                   : DecodeUncompressed(layout, data, size, image.pixels.data());
    if (!decoded) {
        return Failure::kConversion;
    }
    image.width = layout.width;
    image.height = layout.rows;
    return Failure::kNone;
}

}  // namespace

std::unique_ptr<BitmapImage> LoadBitmapImage(const std::string& fileName) {
    std::vector<std::uint8_t> file;
    bool outOfMemory = false;
    if (!ReadWholeFile(fileName, file, outOfMemory)) {
        if (outOfMemory) {
            Report(Failure::kOutOfMemory);
        } else {
            Report("Failed to open DIB file " + fileName + ".\n");
        }
        return nullptr;
    }
    std::unique_ptr<BitmapImage> image(new (std::nothrow) BitmapImage);
    Failure failure = image == nullptr ? Failure::kOutOfMemory : Decode(file, *image);
    if (failure != Failure::kNone) {
        Report(failure);
        return nullptr;
    }
    return image;
}
