// A scene as bytes, for the reader child to hand to its parent. The parent treats them as
// untrusted: every count is bounded (by the scene's limits and by the bytes left, so nothing
// large is allocated on a false claim), every number must be finite, and the decoded scene must
// pass CheckScene.
//
// Layout (little-endian): "VSCNWIR1", then nodes, meshes, skins, materials, images, animations,
// notes, sources and encoded images, each a u32 count and its records, and nothing after.
// Strings and byte runs are a u32 length and the bytes; numbers are IEEE doubles, indices i32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/convert/scene.h"

inline constexpr std::size_t kMaxImageFileBytes = std::size_t{1} << 26;

// An image as its file holds it (PNG, JPEG, TGA or BMP), decoded by the parent, not the reader.
// Materials name these after the scene's own decoded images: index images.size() + k.
struct EncodedImage {
    std::string name;  // a stem for the image's file name
    std::string file;  // where it came from, for notes
    std::vector<std::uint8_t> bytes;
};

std::string EncodeScene(const Scene& scene, const std::vector<EncodedImage>& encoded);
// False with one line when the bytes are not a whole, consistent scene.
bool DecodeScene(std::span<const std::uint8_t> bytes, Scene& scene,
                 std::vector<EncodedImage>& encoded, std::string& error);
