// Parses glTF bytes (.gltf text or .glb) into a tinygltf model without trusting them: the
// binary header is checked before tinygltf reads it, JSON nesting is bounded, files are read
// only from inside the model's folder, and images are sized up before they are decoded.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include <tiny_gltf.h>

// The largest model file, and the largest file it may refer to.
inline constexpr std::size_t kMaxModelFileBytes = std::size_t{1} << 30;

// `baseDir` empty: the model may not refer to any file. Images come out decoded as 8-bit RGB.
// `read` gets the files read beside the model.
bool LoadGltf(std::span<const unsigned char> bytes, const std::string& baseDir,
              tinygltf::Model& model, std::vector<std::string>& read, std::string& error);

// Why a URI found in a model may not be followed (empty when it is a plain relative path that
// stays inside the model's folder): absolute paths, ".." steps, schemes and back slashes are
// refused.
std::string UriRefusal(const std::string& uri);
