// Whether every extreme of a bounds tree names a vertex of the mesh it was read for.
#pragma once

#include "geometry/zt18dop.h"

bool ExtremesWithin(const Zt18DOP& node, std::int32_t vertexCount);
