// Hands a pixel format to SDL as OpenGL attributes, for the next window SDL creates. Also asks
// for a compatibility context, since the program draws with OpenGL 1.1 calls.
#pragma once

#include "platform/platform.h"

void ApplyGlAttributes(const PixelFormat& format);
