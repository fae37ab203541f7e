// The pixels of the sample textures, made from a few bands, borders and shapes. The robot's
// textures are light blue-greys and the gun's is a saturated orange: drawn with GL_REPLACE
// they reach the screen unlit, so a rendered frame tells robot and gun apart by colour.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
};

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // bottom row first, as TGA and BMP files store them

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

RgbImage PlateImage();    // armour plate: a light panel with a darker rim and four rivets
RgbImage StripeImage();   // limbs: horizontal bands with a dotted seam between them
RgbImage PanelImage();    // chest plate: a bright panel with a blue chevron and vent slots
RgbImage GunSkinImage();  // the gun: orange with darker grooves along its length

// File-order bytes: blue, green, red for TGA files, red, green, blue for our BMP writer.
std::vector<std::uint8_t> BgrBytes(const RgbImage& image);
std::vector<std::uint8_t> RgbBytes(const RgbImage& image);
