#include "tools/content/texture_images.h"

#include <algorithm>
#include <cstdlib>

namespace {

RgbImage Filled(int width, int height, Rgb colour) {
    return {width, height, std::vector<Rgb>(static_cast<std::size_t>(width * height), colour)};
}

// Sets every pixel (x, y) for which `inside(x, y)` holds; later strokes paint over earlier ones.
template <typename Inside>
void Paint(RgbImage& image, Rgb colour, Inside inside) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (inside(x, y)) {
                image.pixels[static_cast<std::size_t>(y * image.width + x)] = colour;
            }
        }
    }
}

}  // namespace

RgbImage PlateImage() {
    constexpr Rgb kBase{200, 212, 235};
    constexpr Rgb kRim{140, 155, 190};
    constexpr Rgb kRivet{95, 105, 135};
    RgbImage image = Filled(64, 64, kBase);
    Paint(image, kRim,
          [](int x, int y) { return std::min(std::min(x, 63 - x), std::min(y, 63 - y)) < 3; });
    // A 3 x 3 rivet six pixels in from each corner.
    Paint(image, kRivet, [](int x, int y) {
        const auto nearRivet = [](int c) { return std::abs(c - 7) <= 1 || std::abs(c - 56) <= 1; };
        return nearRivet(x) && nearRivet(y);
    });
    return image;
}

RgbImage StripeImage() {
    constexpr Rgb kLight{185, 200, 230};
    constexpr Rgb kDark{120, 140, 185};
    constexpr Rgb kSeam{230, 236, 250};
    RgbImage image = Filled(64, 64, kLight);
    Paint(image, kDark, [](int, int y) { return (y / 8) % 2 == 1; });
    Paint(image, kSeam, [](int x, int y) { return y % 8 == 0 && x % 2 == 0; });
    return image;
}

RgbImage PanelImage() {
    constexpr Rgb kBase{225, 230, 245};
    constexpr Rgb kChevron{60, 110, 200};
    constexpr Rgb kVent{150, 165, 200};
    RgbImage image = Filled(64, 64, kBase);
    // A chevron pointing down in the upper half: two strokes meeting at (32, 34).
    Paint(image, kChevron, [](int x, int y) {
        const int fromCentre = std::abs(x - 32) - (y - 34);
        return y >= 34 && y < 58 && fromCentre >= 0 && fromCentre < 5;
    });
    // Three vent slots below it, 3 rows high and 7 rows apart.
    Paint(image, kVent,
          [](int x, int y) { return x >= 14 && x < 50 && y >= 8 && y < 29 && (y - 8) % 7 < 3; });
    return image;
}

RgbImage GunSkinImage() {
    constexpr Rgb kOrange{255, 128, 0};
    constexpr Rgb kGroove{205, 90, 0};
    RgbImage image = Filled(32, 32, kOrange);
    Paint(image, kGroove, [](int x, int y) { return x % 8 == 3 || y == 0 || y == 31; });
    return image;
}

namespace {

std::vector<std::uint8_t> Bytes(const RgbImage& image, bool blueFirst) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 3);
    for (const Rgb& p : image.pixels) {
        bytes.insert(bytes.end(), {blueFirst ? p.b : p.r, p.g, blueFirst ? p.r : p.b});
    }
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> BgrBytes(const RgbImage& image) {
    return Bytes(image, true);
}

std::vector<std::uint8_t> RgbBytes(const RgbImage& image) {
    return Bytes(image, false);
}
