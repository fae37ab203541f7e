// F12's picture of the window.
#pragma once

#include <string>

#include "app/png_file.h"

// What the window shows: the back buffer of the current context at width x height, read after
// drawing and before the swap. Allocates, so only on request.
Picture ReadWindowPicture(int width, int height);

// Saves the window's picture as a PNG in the user's Pictures folder; the console line naming the
// file, or saying why there is none.
std::string SaveScreenshot(int width, int height);
