#include "tools/content/texture_images.h"

#include <algorithm>
#include <cstdlib>

namespace {

RgbImage Filled(int width, int height, Rgb colour) {
    return {width, height, std::vector<Rgb>(static_cast<std::size_t>(width * height), colour)};
}

void Set(RgbImage& image, int x, int y, Rgb colour) {
    image.pixels[static_cast<std::size_t>(y * image.width + x)] = colour;
}

}  // namespace

RgbImage PlateImage() {
    constexpr Rgb kBase{200, 212, 235};
    constexpr Rgb kRim{140, 155, 190};
    constexpr Rgb kRivet{95, 105, 135};
    RgbImage image = Filled(64, 64, kBase);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int edge = std::min(std::min(x, 63 - x), std::min(y, 63 - y));
            if (edge < 3) {
                Set(image, x, y, kRim);
            }
        }
    }
    for (int cy : {7, 56}) {
        for (int cx : {7, 56}) {
            for (int y = cy - 1; y <= cy + 1; ++y) {
                for (int x = cx - 1; x <= cx + 1; ++x) {
                    Set(image, x, y, kRivet);
                }
            }
        }
    }
    return image;
}

RgbImage StripeImage() {
    constexpr Rgb kLight{185, 200, 230};
    constexpr Rgb kDark{120, 140, 185};
    constexpr Rgb kSeam{230, 236, 250};
    RgbImage image = Filled(64, 64, kLight);
    for (int y = 0; y < 64; ++y) {
        const bool dark = (y / 8) % 2 == 1;
        const bool seam = y % 8 == 0;
        for (int x = 0; x < 64; ++x) {
            if (seam && x % 2 == 0) {
                Set(image, x, y, kSeam);
            } else if (dark) {
                Set(image, x, y, kDark);
            }
        }
    }
    return image;
}

RgbImage PanelImage() {
    constexpr Rgb kBase{225, 230, 245};
    constexpr Rgb kChevron{60, 110, 200};
    constexpr Rgb kVent{150, 165, 200};
    RgbImage image = Filled(64, 64, kBase);
    // A chevron pointing down in the upper half: two strokes meeting at (32, 34).
    for (int y = 34; y < 58; ++y) {
        const int offset = y - 34;
        for (int x = 0; x < 64; ++x) {
            const int fromCentre = std::abs(x - 32) - offset;
            if (fromCentre >= 0 && fromCentre < 5) {
                Set(image, x, y, kChevron);
            }
        }
    }
    // Three vent slots below it.
    for (int slot = 0; slot < 3; ++slot) {
        for (int y = 8 + 7 * slot; y < 11 + 7 * slot; ++y) {
            for (int x = 14; x < 50; ++x) {
                Set(image, x, y, kVent);
            }
        }
    }
    return image;
}

RgbImage GunSkinImage() {
    constexpr Rgb kOrange{255, 128, 0};
    constexpr Rgb kGroove{205, 90, 0};
    RgbImage image = Filled(32, 32, kOrange);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (x % 8 == 3 || y == 0 || y == 31) {
                Set(image, x, y, kGroove);
            }
        }
    }
    return image;
}

std::vector<std::uint8_t> BgrBytes(const RgbImage& image) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 3);
    for (const Rgb& p : image.pixels) {
        bytes.insert(bytes.end(), {p.b, p.g, p.r});
    }
    return bytes;
}

std::vector<std::uint8_t> RgbBytes(const RgbImage& image) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 3);
    for (const Rgb& p : image.pixels) {
        bytes.insert(bytes.end(), {p.r, p.g, p.b});
    }
    return bytes;
}
