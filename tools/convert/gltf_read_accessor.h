// Reads glTF accessors with every offset, stride and count checked against the buffer view and
// the buffer it lies in, so that no file can make us read outside what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tiny_gltf.h>

// Elements at most one accessor may hold: far beyond any model the game can draw, and small
// enough that no count makes a huge allocation.
inline constexpr std::size_t kMaxAccessorElements = std::size_t{1} << 24;
// Elements of an accessor without a buffer view (zeros but for its sparse values).
inline constexpr std::size_t kMaxElementsWithoutView = std::size_t{1} << 16;

// Accessor `index` of glTF type `type` (TINYGLTF_TYPE_SCALAR, _VEC3, ...) as count x components
// values, integers normalised when the accessor says so; sparse accessors are applied.
// Matrices must have float components. False with one line in `error` on any violation.
bool ReadAccessor(const tinygltf::Model& model, int index, int type, std::vector<double>& out,
                  std::string& error);

// Whether accessor `index` holds plain indices: unsigned bytes, shorts or ints in a buffer
// view, neither normalised nor sparse.
bool PlainIndices(const tinygltf::Model& model, int index);
// Such an accessor, read as a scalar accessor with ReadAccessor's checks and failures, its
// values as they are (no trip through double precision).
bool ReadPlainIndices(const tinygltf::Model& model, int index, std::vector<std::uint32_t>& out,
                      std::string& error);

// Components of a glTF type, 0 for an unknown one.
int ComponentsOf(int type);
