#include "platform/display_check.h"

#include <cstdlib>
#include <cstring>

#include <SDL.h>

namespace {

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

std::string Missing(const char* variable) {
    return std::string(variable) + (std::getenv(variable) == nullptr ? " is unset" : " is empty");
}

// A display variable that names no reachable server makes SDL fall back to a driver that shows
// nothing, as if none were set.
std::string UnreachableDisplay() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::string("no display to show the game on: ") + SDL_GetError();
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool unseen = driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
                        std::strcmp(driver, "dummy") == 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!unseen)
        return {};
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (Named(variable))
            named += (named.empty() ? "" : " nor ") + std::string(variable) + "=" +
                     std::getenv(variable);
    }
    return "no display to show the game on: " + named + " could not be opened";
}

}  // namespace

std::string MissingDisplay() {
    if (Named("SDL_VIDEODRIVER"))
        return {};
    if (Named("DISPLAY") || Named("WAYLAND_DISPLAY"))
        return UnreachableDisplay();
    return "no display to show the game on: " + Missing("DISPLAY") + " and " +
           Missing("WAYLAND_DISPLAY") + " (SDL_VIDEODRIVER=offscreen renders without one)";
}
