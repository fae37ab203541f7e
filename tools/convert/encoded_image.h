// Decodes a texture the reader child sent undecoded, in the parent, with the hardened decoders:
// PNG and JPEG through the converter's checked stb build, TGA and BMP through the game's own
// readers. The format is told by the bytes (TGA, which has no signature, is the fallback).
#pragma once

#include <string>

#include "tools/convert/scene.h"
#include "tools/convert/scene_wire.h"

// False with a short reason when the bytes are no image of those kinds, or one too large.
bool DecodeEncodedImage(const EncodedImage& encoded, SceneImage& image, std::string& why);
