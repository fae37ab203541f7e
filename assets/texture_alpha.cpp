#include "assets/texture_alpha.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t Clamp(int value) {
    return static_cast<std::uint8_t>(std::min(value, 255));
}

}  // namespace

std::uint8_t GenerateAlpha(int alphaMode, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                           const std::uint8_t (&key)[3]) {
    const int sum = b0 + b1 + b2;
    const int squares = b0 * b0 + b1 * b1 + b2 * b2;
    switch (alphaMode) {
        case 1:
            return (b0 == key[0] && b1 == key[1] && b2 == key[2]) ? 0 : 255;
        case 2:
            return Clamp(sum);
        case 3:
            return Clamp(sum >> 1);
        case 4:
            return static_cast<std::uint8_t>(sum / 3);
        case 5:
            return Clamp(squares);
        case 6:
            return Clamp(squares >> 1);
        case 7:
            return Clamp(squares / 3);
        case 8:
            return Clamp(squares >> 2);
        case 9:
            return Clamp(static_cast<int>(std::sqrt(static_cast<double>(squares))));
        default:
            return 255;
    }
}

void AddAlphaChannel(const std::uint8_t* src, int srcStride, std::size_t count, int alphaMode,
                     const std::uint8_t (&key)[3], std::uint8_t* dst) {
    for (std::size_t i = 0; i < count; ++i, src += srcStride, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = GenerateAlpha(alphaMode, src[0], src[1], src[2], key);
    }
}
