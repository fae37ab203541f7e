#include "platform/sdl_platform.h"

#include <SDL.h>
#include <unistd.h>

namespace {

Platform* installed = nullptr;

SdlPlatform& Sdl() {
    // Never destroyed: the application object lives in static storage as well and still shuts
    // down through the platform at process exit.
    static SdlPlatform* const sdl = new SdlPlatform;
    return *sdl;
}

}  // namespace

Platform& ThePlatform() {
    return installed != nullptr ? *installed : Sdl();
}

void UsePlatform(Platform* platform) {
    installed = platform;
}

std::int64_t SdlPlatform::CounterFrequency() {
    return static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
}

std::int64_t SdlPlatform::Counter() {
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

// A Linux process cannot get a console of its own; its standard output is where the user sees
// text. A duplicate descriptor lets the console be closed without closing standard output.
std::FILE* SdlPlatform::OpenConsole() {
    const int fd = ::dup(STDOUT_FILENO);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr)
        ::close(fd);
    return file;
}

void SdlPlatform::CloseConsole(std::FILE* console) {
    if (console != nullptr)
        std::fclose(console);
}
