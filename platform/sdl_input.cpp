// Keyboard and mouse of the SDL backend. SDL keeps both states up to date as events are pumped,
// so a device is simply the state it is read from; acquiring cannot fail. A key pressed and
// released between two readings has left SDL's state again, so the presses the event pump saw
// are added to each keyboard reading.
#include <SDL.h>

#include <cstring>

#include "platform/key_codes.h"
#include "platform/sdl_key_table.h"
#include "platform/sdl_platform.h"

InputHandle SdlPlatform::CreateInput(InstanceHandle instance) {
    if (instance != reinterpret_cast<InstanceHandle>(&instanceToken_))
        return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
        return nullptr;
    wheel_ = 0;
    std::memset(pressed_, 0, sizeof pressed_);
    return reinterpret_cast<InputHandle>(&inputToken_);
}

void SdlPlatform::ReleaseInput(InputHandle input) {
    if (input == reinterpret_cast<InputHandle>(&inputToken_))
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

InputDeviceHandle SdlPlatform::CreateDevice(InputHandle input, InputDeviceKind kind,
                                            WindowHandle window) {
    if (input != reinterpret_cast<InputHandle>(&inputToken_) || window == nullptr)
        return nullptr;
    char* token = kind == InputDeviceKind::Keyboard ? &keyboardToken_ : &mouseToken_;
    return reinterpret_cast<InputDeviceHandle>(token);
}

InputResult SdlPlatform::AcquireDevice(InputDeviceHandle device) {
    if (device == reinterpret_cast<InputDeviceHandle>(&keyboardToken_)) {
        // Presses made while the keyboard was not ours do not count.
        std::memset(pressed_, 0, sizeof pressed_);
        return InputResult::Ok;
    }
    if (device == reinterpret_cast<InputDeviceHandle>(&mouseToken_)) {
        // Movement made while the mouse was not ours does not count.
        SDL_GetRelativeMouseState(nullptr, nullptr);
        wheel_ = 0;
        return InputResult::Ok;
    }
    return InputResult::Failed;
}

void SdlPlatform::ReleaseDevice(InputDeviceHandle) {}

InputResult SdlPlatform::ReadKeyboard(InputDeviceHandle device, std::uint8_t (&keys)[256]) {
    if (device != reinterpret_cast<InputDeviceHandle>(&keyboardToken_))
        return InputResult::Failed;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    std::memcpy(keys, pressed_, sizeof keys);
    std::memset(pressed_, 0, sizeof pressed_);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (state[scancode] == 0)
            continue;
        const std::uint8_t dik = DikFromSdlScancode(scancode);
        if (dik != 0)
            keys[dik] = kKeyDown;
    }
    return InputResult::Ok;
}

InputResult SdlPlatform::ReadMouse(InputDeviceHandle device, MouseReading& reading) {
    if (device != reinterpret_cast<InputDeviceHandle>(&mouseToken_))
        return InputResult::Failed;
    int dx = 0;
    int dy = 0;
    const Uint32 buttons = SDL_GetRelativeMouseState(&dx, &dy);
    reading.x = dx;
    reading.y = dy;
    reading.wheel = wheel_;
    wheel_ = 0;
    const Uint32 masks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK,
                             SDL_BUTTON_X1MASK};
    for (int i = 0; i < 4; ++i)
        reading.buttons[i] = (buttons & masks[i]) != 0 ? kKeyDown : 0;
    return InputResult::Ok;
}
