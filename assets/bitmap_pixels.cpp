// Uncompressed and bit-field BMP pixel data to red, green, blue rows.
#include <algorithm>
#include <bit>

#include "assets/bitmap_layout.h"

namespace {

std::int64_t RowStride(const BitmapLayout& layout) {
    return (std::int64_t{layout.width} * layout.bitCount + 31) / 32 * 4;
}

// One colour channel of a bit-field pixel, widened to 8 bits by repeating its bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;  // to bring the channel's top 8 (or fewer) bits down to bit 0
    std::uint8_t levels[256] = {};

    std::uint8_t operator()(std::uint32_t pixel) const { return levels[(pixel & mask) >> shift]; }
};

std::uint8_t Widen(unsigned value, int bits) {
    const unsigned top = value << (8 - bits);
    unsigned widened = top;
    for (int s = bits; s < 8; s += bits) {
        widened |= top >> s;
    }
    return static_cast<std::uint8_t>(widened);
}

// False for a mask with gaps or with bits beyond the pixel.
bool MakeChannel(std::uint32_t mask, int bitCount, Channel& channel) {
    channel = Channel{};
    if (mask == 0) {
        return true;
    }
    if (bitCount < 32 && (mask >> bitCount) != 0) {
        return false;
    }
    const int low = std::countr_zero(mask);
    const std::uint32_t run = mask >> low;
    if ((run & (run + 1)) != 0) {
        return false;
    }
    const int bits = std::popcount(run);
    const int kept = std::min(bits, 8);
    channel.mask = mask;
    channel.shift = low + (bits - kept);
    for (unsigned v = 0; v < (1u << kept); ++v) {
        channel.levels[v] = Widen(v, kept);
    }
    return true;
}

bool MakeChannels(const BitmapLayout& layout, Channel (&channels)[3]) {
    const std::uint32_t* m = layout.masks;
    if ((m[0] & m[1]) != 0 || (m[0] & m[2]) != 0 || (m[1] & m[2]) != 0) {
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        if (!MakeChannel(m[c], layout.bitCount, channels[c])) {
            return false;
        }
    }
    return true;
}

template <int kBits>
bool DecodeIndexedRow(const BitmapLayout& layout, const std::uint8_t* src, std::uint8_t* dst) {
    constexpr int kPerByte = 8 / kBits;
    constexpr unsigned kIndexMask = (1u << kBits) - 1;
    for (std::int32_t x = 0; x < layout.width; ++x, dst += 3) {
        const int shift = (kPerByte - 1 - x % kPerByte) * kBits;
        const unsigned index = (src[x / kPerByte] >> shift) & kIndexMask;
        if (index >= static_cast<unsigned>(layout.paletteSize)) {
            return false;
        }
        const std::uint8_t* colour = layout.palette[index];
        dst[0] = colour[0];
        dst[1] = colour[1];
        dst[2] = colour[2];
    }
    return true;
}

void DecodeBgrRow(const BitmapLayout& layout, const std::uint8_t* src, int step,
                  std::uint8_t* dst) {
    for (std::int32_t x = 0; x < layout.width; ++x, src += step, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

template <int kBytes>
void DecodeMaskedRow(const BitmapLayout& layout, const Channel (&channels)[3],
                     const std::uint8_t* src, std::uint8_t* dst) {
    for (std::int32_t x = 0; x < layout.width; ++x, src += kBytes, dst += 3) {
        std::uint32_t pixel = 0;
        for (int i = 0; i < kBytes; ++i) {
            pixel |= std::uint32_t{src[i]} << (8 * i);
        }
        dst[0] = channels[0](pixel);
        dst[1] = channels[1](pixel);
        dst[2] = channels[2](pixel);
    }
}

bool IsPlainBgrx(const BitmapLayout& layout) {
    return layout.masks[0] == 0xFF0000 && layout.masks[1] == 0xFF00 && layout.masks[2] == 0xFF;
}

}  // namespace

bool PixelDataFits(const BitmapLayout& layout, std::size_t size) {
    const auto available = static_cast<std::int64_t>(size);
    if (layout.compression == BitmapLayout::kRle8 || layout.compression == BitmapLayout::kRle4) {
        return std::int64_t{layout.width} * layout.rows <= available * 256;
    }
    // Divided rather than multiplied: stride times rows can pass 64 bits for a huge header.
    const std::int64_t lastRow = (std::int64_t{layout.width} * layout.bitCount + 7) / 8;
    return lastRow <= available && layout.rows - 1 <= (available - lastRow) / RowStride(layout);
}

bool DecodeUncompressed(const BitmapLayout& layout, const std::uint8_t* data, std::size_t size,
                        std::uint8_t* out) {
    if (!PixelDataFits(layout, size)) {
        return false;
    }
    Channel channels[3];
    if ((layout.bitCount == 16 || layout.bitCount == 32) && !MakeChannels(layout, channels)) {
        return false;
    }
    const bool plainBgrx = layout.bitCount == 32 && IsPlainBgrx(layout);
    const std::int64_t stride = RowStride(layout);
    const std::int64_t outRow = std::int64_t{layout.width} * 3;
    for (std::int32_t r = 0; r < layout.rows; ++r) {
        const std::uint8_t* src = data + r * stride;
        std::uint8_t* dst = out + (layout.topDown ? layout.rows - 1 - r : r) * outRow;
        bool ok = true;
        switch (layout.bitCount) {
            case 1:
                ok = DecodeIndexedRow<1>(layout, src, dst);
                break;
            case 4:
                ok = DecodeIndexedRow<4>(layout, src, dst);
                break;
            case 8:
                ok = DecodeIndexedRow<8>(layout, src, dst);
                break;
            case 16:
                DecodeMaskedRow<2>(layout, channels, src, dst);
                break;
            case 24:
                DecodeBgrRow(layout, src, 3, dst);
                break;
            case 32:
                if (plainBgrx) {
                    DecodeBgrRow(layout, src, 4, dst);
                } else {
                    DecodeMaskedRow<4>(layout, channels, src, dst);
                }
                break;
            default:
                return false;
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}
