#include "assets/image_writer.h"

#include <cstring>

#include "assets/atomic_file.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Append(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t count) {
    out.insert(out.end(), bytes, bytes + count);
}

void EncodeRunLengthRow(const std::uint8_t* row, int width, std::size_t pixelSize,
                        std::vector<std::uint8_t>& out) {
    constexpr int kMaxPacket = 128;
    const auto same = [&](int a, int b) {
        return std::memcmp(row + a * pixelSize, row + b * pixelSize, pixelSize) == 0;
    };
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < kMaxPacket && same(x, x + run)) {
            ++run;
        }
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(127 + run));
            Append(out, row + x * pixelSize, pixelSize);
            x += run;
            continue;
        }
        // Raw pixels up to where the next run starts.
        const int start = x;
        do {
            ++x;
        } while (x < width && x - start < kMaxPacket && !(x + 1 < width && same(x, x + 1)));
        out.push_back(static_cast<std::uint8_t>(x - start - 1));
        Append(out, row + start * pixelSize, static_cast<std::size_t>(x - start) * pixelSize);
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeTga(int width, int height, int depth,
                                    std::span<const std::uint8_t> pixels, bool runLength) {
    std::vector<std::uint8_t> out;
    out.push_back(0);                   // id length
    out.push_back(0);                   // colour-map type
    out.push_back(runLength ? 10 : 2);  // image type
    Put16(out, 0);                      // colour-map first entry
    Put16(out, 0);                      // colour-map length
    out.push_back(0);                   // colour-map entry size
    Put16(out, 0);                      // x origin
    Put16(out, 0);                      // y origin
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    out.push_back(static_cast<std::uint8_t>(depth));
    out.push_back(depth == 32 ? 8 : 0);  // alpha bits; bottom-left origin
    const auto pixelSize = static_cast<std::size_t>(depth / 8);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * pixelSize;
    const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);
    if (pixels.size() < bytes) {
        return {};
    }
    if (!runLength) {
        Append(out, pixels.data(), bytes);
        return out;
    }
    for (int y = 0; y < height; ++y) {
        EncodeRunLengthRow(pixels.data() + y * rowBytes, width, pixelSize, out);
    }
    return out;
}

bool WriteTga(const std::string& path, int width, int height, int depth,
              std::span<const std::uint8_t> pixels, bool runLength) {
    const std::vector<std::uint8_t> bytes = EncodeTga(width, height, depth, pixels, runLength);
    return !bytes.empty() && WriteFileAtomically(path, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> pixels) {
    constexpr std::uint32_t kHeadersSize = 14 + 40;
    constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
    const auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height));
    if (pixels.size() < rowBytes * static_cast<std::size_t>(height)) {
        return {};
    }
    std::vector<std::uint8_t> out;
    out.reserve(kHeadersSize + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, kHeadersSize + imageSize);
    Put32(out, 0);  // reserved
    Put32(out, kHeadersSize);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, 0);   // no compression
    Put32(out, imageSize);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 0);  // colours used
    Put32(out, 0);  // colours important
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = pixels.data() + y * rowBytes;
        for (int x = 0; x < width; ++x, src += 3) {
            out.push_back(src[2]);
            out.push_back(src[1]);
            out.push_back(src[0]);
        }
        out.insert(out.end(), stride - rowBytes, 0);
    }
    return out;
}

bool WriteBmp24(const std::string& path, int width, int height,
                std::span<const std::uint8_t> pixels) {
    const std::vector<std::uint8_t> bytes = EncodeBmp24(width, height, pixels);
    return !bytes.empty() && WriteFileAtomically(path, bytes.data(), bytes.size());
}
