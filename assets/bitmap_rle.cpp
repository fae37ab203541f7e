// RLE8 and RLE4 BMP pixel data to red, green, blue rows. Pixels that runs, literal groups or
// deltas would put outside the image are dropped; pixels the data skips stay black.
#include <algorithm>

#include "assets/bitmap_layout.h"

namespace {

constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

class RunLengthWriter {
  public:
    RunLengthWriter(const BitmapLayout& layout, std::uint8_t* out) : layout_(layout), out_(out) {}

    // Writes `count` pixels whose palette indices alternate between `first` and `second`.
    bool Run(std::int64_t count, unsigned first, unsigned second) {
        if (!Valid(first) || (count > 1 && !Valid(second))) {
            return false;
        }
        const std::int64_t inside = InsideRow(count);
        for (std::int64_t i = 0; i < inside; ++i) {
            Put((i % 2 == 0) ? first : second, x_ + i);
        }
        x_ += count;
        return true;
    }
    bool Literal(unsigned index) {
        if (!Valid(index)) {
            return false;
        }
        if (InsideRow(1) == 1) {
            Put(index, x_);
        }
        ++x_;
        return true;
    }
    void EndOfLine() {
        x_ = 0;
        ++y_;
    }
    void Move(int dx, int dy) {
        x_ += dx;
        y_ += dy;
    }
    bool PastLastRow() const { return y_ >= layout_.rows; }
    bool Complete() const {
        return PastLastRow() || (y_ == layout_.rows - 1 && x_ >= layout_.width);
    }

  private:
    bool Valid(unsigned index) const { return index < static_cast<unsigned>(layout_.paletteSize); }
    std::int64_t InsideRow(std::int64_t count) const {
        if (PastLastRow() || x_ >= layout_.width) {
            return 0;
        }
        return std::min(count, layout_.width - x_);
    }
    void Put(unsigned index, std::int64_t x) {
        std::uint8_t* dst = out_ + (y_ * layout_.width + x) * 3;
        const std::uint8_t* colour = layout_.palette[index];
        dst[0] = colour[0];
        dst[1] = colour[1];
        dst[2] = colour[2];
    }

    const BitmapLayout& layout_;
    std::uint8_t* out_;
    std::int64_t x_ = 0;  // 64 bits: a long line of runs cannot overflow it
    std::int64_t y_ = 0;
};

}  // namespace

bool DecodeRunLength(const BitmapLayout& layout, const std::uint8_t* data, std::size_t size,
                     std::uint8_t* out) {
    if (layout.topDown || !PixelDataFits(layout, size)) {
        return false;
    }
    const bool fourBits = layout.compression == BitmapLayout::kRle4;
    RunLengthWriter writer(layout, out);
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    while (!writer.PastLastRow()) {
        if (end - p < 2) {
            return writer.Complete();
        }
        const std::uint8_t count = p[0];
        const std::uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            const bool ok = fourBits ? writer.Run(count, value >> 4, value & 0xFu)
                                     : writer.Run(count, value, value);
            if (!ok) {
                return false;
            }
            continue;
        }
        if (value == kEndOfLine) {
            writer.EndOfLine();
        } else if (value == kEndOfBitmap) {
            return true;
        } else if (value == kDelta) {
            if (end - p < 2) {
                return false;
            }
            writer.Move(p[0], p[1]);
            p += 2;
        } else {
            // A literal group, padded to a 16-bit boundary.
            const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (static_cast<std::size_t>(end - p) < bytes) {
                return false;
            }
            for (unsigned i = 0; i < value; ++i) {
                const unsigned index =
                    fourBits ? (p[i / 2] >> ((i % 2 == 0) ? 4 : 0)) & 0xFu : p[i];
                if (!writer.Literal(index)) {
                    return false;
                }
            }
            p += std::min(padded, static_cast<std::size_t>(end - p));
        }
    }
    return true;
}
