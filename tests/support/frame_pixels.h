// Drawing into the shared context's 64 x 64 frame and reading single pixels back.
#pragma once

#include <array>

// The whole frame as the viewport, identity matrices (the model view one current), lighting,
// texturing, depth test and face culling off, and the frame cleared to opaque black.
void BeginFlatFrame();

// Red, green and blue of the frame's pixel at (x, y), counted from the lower left corner.
std::array<int, 3> PixelRgb(int x, int y);
