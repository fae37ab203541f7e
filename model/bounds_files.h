// The readers of the two ".kdt" bounds files, as the models trust them: a file is good only
// when it is whole, holds nothing after its records, and every extreme names a vertex of the
// mesh. With `error`, the first fault (which count, record or offset).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/load_error.h"
#include "geometry/zt18dop.h"

// A count the caller does not know: any frame count, any non-negative vertex index.
inline constexpr std::int32_t kAnyCount = -1;

// A prop's file: one binary tree.
bool ReadPropBoundsFile(const std::string& fileName, std::int32_t vertexCount, Zt18DOP& root,
                        LoadError* error = nullptr);

// An actor animation's file: the int32 frame count, which must equal `frames`, then one tagged
// root per frame.
bool ReadAnimationBoundsFile(const std::string& fileName, std::int32_t frames,
                             std::int32_t vertexCount, std::vector<Zt18DOP>& roots,
                             LoadError* error = nullptr);
