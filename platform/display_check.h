// Whether the game has a display to show its window on, asked before SDL starts: without one SDL
// falls back to its off-screen driver and the game would run unseen until killed.
#pragma once

#include <string>

// Empty when DISPLAY or WAYLAND_DISPLAY names a display SDL can open, or SDL_VIDEODRIVER chooses a
// video driver on purpose (offscreen, for rendering headless); otherwise the one line that says
// which variables are missing.
std::string MissingDisplay();
