// Whether every extreme of a bounds tree names a vertex of the mesh it was read for.
#pragma once

#include "assets/load_error.h"
#include "geometry/zt18dop.h"

// With `error`, the first record (counted in pre-order from 0) and slab at fault.
bool ExtremesWithin(const Zt18DOP& node, std::int32_t vertexCount, LoadError* error = nullptr);
