// Keyboard and mouse, sampled once per frame. Keeps the last two keyboard states in two
// alternating buffers, so that a key press shows as an edge: down in `keys`, up in `prevKeys`.
//
// There is one process-wide instance, made by Init and reached through Instance.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "platform/platform.h"

class InputModule {
  public:
    // Makes the instance (replacing an earlier one, whose devices are released) and creates and
    // acquires both devices. On failure the instance exists with nothing created; a failed
    // device creation also writes its line to log (when there is one).
    static bool Init(InstanceHandle instance, WindowHandle window, std::ostream* log);
    // Null before Init.
    static InputModule* Instance();

    bool CreateKeyboard();
    bool CreateMouse();
    // PollKeyboard, then PollMouse unless the keyboard failed.
    bool Poll();
    bool PollKeyboard();
    bool PollMouse();
    // Re-acquires both devices; false (and nothing done) unless both exist.
    bool Acquire();
    // Releases the devices and the input system; the module itself stays. Harmless when repeated.
    void Release();

    std::ostream* log = nullptr;
    InstanceHandle instance = nullptr;
    WindowHandle window = nullptr;
    InputResult lastResult = InputResult::Ok;
    InputHandle directInput = nullptr;  // the platform's input system
    InputDeviceHandle keyboardDevice = nullptr;
    InputDeviceHandle mouseDevice = nullptr;
    MouseReading mouseState;
    std::uint8_t keyBuffers[2][256] = {};
    int bufferSelect = 1;  // 1: the next keyboard poll fills buffer 0; 0: it fills buffer 1
    std::uint8_t* keys = keyBuffers[0];
    std::uint8_t* prevKeys = keyBuffers[1];
    float mouse[3] = {0.0f, 0.0f, 0.0f};         // x, y, wheel movement of the last reading
    float mouseButtons[3] = {0.0f, 0.0f, 0.0f};  // left, right, middle: 0.0 up, 128.0 down

  private:
    InputModule() = default;
    bool CreateAndAcquire(InputDeviceKind kind, InputDeviceHandle& device);
    // Releases everything and reports false, for a failed creation step.
    bool Fail(InputResult result);
    void ClearMouse();
};
