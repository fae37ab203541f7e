// Window events of the SDL backend, translated into the messages the application handles.
#include <SDL.h>

#include "platform/key_codes.h"
#include "platform/sdl_key_table.h"
#include "platform/sdl_platform.h"

namespace {

constexpr std::int32_t kWheelUnitsPerNotch = 120;

bool IsMinimized(Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

// false for events that are not window messages; the wheel and key presses are gathered for the
// next readings.
bool Translate(const SDL_Event& event, std::int32_t& wheel, std::uint8_t (&pressed)[256],
               WindowMessage& message) {
    switch (event.type) {
        case SDL_KEYDOWN: {
            const std::uint8_t dik = DikFromSdlScancode(event.key.keysym.scancode);
            if (dik != 0)
                pressed[dik] = kKeyDown;
            return false;
        }
        case SDL_QUIT:
            message = WindowMessage::Close();
            return true;
        case SDL_MOUSEWHEEL: {
            const std::int32_t notches =
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            wheel += notches * kWheelUnitsPerNotch;
            return false;
        }
        case SDL_WINDOWEVENT:
            break;
        default:
            return false;
    }
    switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            message = WindowMessage::Activate(IsMinimized(event.window.windowID));
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            message = WindowMessage::Activate(true);
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            message = WindowMessage::KillFocus();
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            message = WindowMessage::Size(event.window.data1, event.window.data2);
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            message = WindowMessage::Close();
            return true;
        default:
            return false;
    }
}

}  // namespace

bool SdlPlatform::PeekMessage(WindowMessage& message) {
    if (quitPosted_) {
        quitPosted_ = false;
        message = WindowMessage::Quit();
        return true;
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0)
        return false;
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        if (Translate(event, wheel_, pressed_, message))
            return true;
    }
    return false;
}

void SdlPlatform::WaitMessage() {
    if (quitPosted_ || SDL_WasInit(SDL_INIT_EVENTS) == 0)
        return;
    SDL_WaitEvent(nullptr);
}

void SdlPlatform::PostQuitMessage() {
    quitPosted_ = true;
}

long SdlPlatform::DefaultHandling(WindowHandle window, const WindowMessage& message) {
    if (message.kind != WindowMessageKind::SysCommand)
        return 0;
    switch (message.command) {
        case SystemCommand::Minimize:
            if (window != nullptr)
                SDL_MinimizeWindow(reinterpret_cast<SDL_Window*>(window));
            break;
        case SystemCommand::ScreenSave:
        case SystemCommand::MonitorPower:
            SDL_EnableScreenSaver();
            break;
        default:
            break;
    }
    return 0;
}
