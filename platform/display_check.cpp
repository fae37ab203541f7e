#include "platform/display_check.h"

#include <cstdlib>

namespace {

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

std::string Missing(const char* variable) {
    return std::string(variable) + (std::getenv(variable) == nullptr ? " is unset" : " is empty");
}

}  // namespace

std::string MissingDisplay() {
    if (Named("SDL_VIDEODRIVER") || Named("DISPLAY") || Named("WAYLAND_DISPLAY"))
        return {};
    return "no display to show the game on: " + Missing("DISPLAY") + " and " +
           Missing("WAYLAND_DISPLAY") + " (SDL_VIDEODRIVER=offscreen renders without one)";
}
