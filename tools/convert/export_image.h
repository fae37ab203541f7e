// A mesh's texture image as PNG bytes for glTF.
#pragma once

#include <string>
#include <vector>

struct PngImage {
    std::vector<unsigned char> bytes;
    bool alpha = false;  // 32-bit TGA pixels: the game blends with their alpha
};

// Decodes the TGA or BMP file with the game's decoders and encodes it as PNG, rows turned so
// that the image's first row is the one the game places at texture coordinate t = 1: glTF's
// v = 0 is the image's top row, so glTF v = 1 - t, which is the mesh file's own v. False with
// the reason in `error`.
bool LoadTextureAsPng(const std::string& path, PngImage& out, std::string& error);
