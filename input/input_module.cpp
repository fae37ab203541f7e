#include "input/input_module.h"

#include <cstring>
#include <ostream>

namespace {

// Plain pointer: never destroyed, because the application shuts input down at process exit.
InputModule* theModule = nullptr;

}  // namespace

bool InputModule::Init(InstanceHandle instanceHandle, WindowHandle windowHandle,
                       std::ostream* logStream) {
    if (theModule != nullptr) {
        theModule->Release();
        delete theModule;
    }
    theModule = new InputModule;
    theModule->log = logStream;
    theModule->instance = instanceHandle;
    theModule->window = windowHandle;

    theModule->directInput = ThePlatform().CreateInput(instanceHandle);
    if (theModule->directInput == nullptr)
        return false;
    if (!theModule->CreateKeyboard()) {
        if (logStream != nullptr)
            *logStream << "InputModule::Init !CreateKeyboard.\n";
        return false;
    }
    if (!theModule->CreateMouse()) {
        if (logStream != nullptr)
            *logStream << "InputModule::Init !CreateMouse.\n";
        return false;
    }
    return true;
}

InputModule* InputModule::Instance() {
    return theModule;
}

bool InputModule::Fail(InputResult result) {
    lastResult = result;
    Release();
    return false;
}

bool InputModule::CreateKeyboard() {
    bufferSelect = 1;
    std::memset(keyBuffers, 0, sizeof keyBuffers);
    return CreateAndAcquire(InputDeviceKind::Keyboard, keyboardDevice);
}

bool InputModule::CreateMouse() {
    return CreateAndAcquire(InputDeviceKind::Mouse, mouseDevice);
}

bool InputModule::CreateAndAcquire(InputDeviceKind kind, InputDeviceHandle& device) {
    Platform& platform = ThePlatform();
    device = platform.CreateDevice(directInput, kind, window);
    if (device == nullptr)
        return Fail(InputResult::Failed);
    lastResult = platform.AcquireDevice(device);
    if (lastResult != InputResult::Ok)
        return Fail(lastResult);
    return true;
}

bool InputModule::Poll() {
    if (!PollKeyboard()) {
        // Nothing was read from the mouse this time, so there is no movement to report.
        ClearMouse();
        return false;
    }
    return PollMouse();
}

bool InputModule::PollKeyboard() {
    const int fill = bufferSelect != 0 ? 0 : 1;
    keys = keyBuffers[fill];
    prevKeys = keyBuffers[1 - fill];
    bufferSelect = fill;  // the next poll fills the other buffer

    // A failed reading leaves every key up rather than the state of two polls ago, which
    // would report presses that did not happen.
    if (keyboardDevice == nullptr) {
        lastResult = InputResult::Failed;
        std::memset(keys, 0, 256);
        return false;
    }
    Platform& platform = ThePlatform();
    lastResult = platform.ReadKeyboard(keyboardDevice, keyBuffers[fill]);
    if (lastResult == InputResult::Ok)
        return true;
    std::memset(keys, 0, 256);
    if (lastResult == InputResult::Lost &&
        platform.AcquireDevice(keyboardDevice) != InputResult::Ok) {
        return false;
    }
    return true;
}

bool InputModule::PollMouse() {
    mouseState = MouseReading{};
    if (mouseDevice == nullptr) {
        lastResult = InputResult::Failed;
        ClearMouse();
        return false;
    }
    Platform& platform = ThePlatform();
    lastResult = platform.ReadMouse(mouseDevice, mouseState);
    if (lastResult != InputResult::Ok)
        mouseState = MouseReading{};
    if (lastResult == InputResult::Lost && platform.AcquireDevice(mouseDevice) != InputResult::Ok) {
        // Keeping the last movement would repeat it every frame until the mouse is back.
        ClearMouse();
        return false;
    }
    mouse[0] = static_cast<float>(mouseState.x);
    mouse[1] = static_cast<float>(mouseState.y);
    mouse[2] = static_cast<float>(mouseState.wheel);
    for (int i = 0; i < 3; ++i)
        mouseButtons[i] = static_cast<float>(mouseState.buttons[i]);
    return true;
}

void InputModule::ClearMouse() {
    for (int i = 0; i < 3; ++i) {
        mouse[i] = 0.0f;
        mouseButtons[i] = 0.0f;
    }
}

bool InputModule::Acquire() {
    if (keyboardDevice == nullptr || mouseDevice == nullptr)
        return false;
    Platform& platform = ThePlatform();
    platform.AcquireDevice(keyboardDevice);
    platform.AcquireDevice(mouseDevice);
    return true;
}

void InputModule::Release() {
    if (directInput == nullptr)
        return;
    Platform& platform = ThePlatform();
    if (keyboardDevice != nullptr) {
        platform.ReleaseDevice(keyboardDevice);
        keyboardDevice = nullptr;
    }
    if (mouseDevice != nullptr) {
        platform.ReleaseDevice(mouseDevice);
        mouseDevice = nullptr;
    }
    platform.ReleaseInput(directInput);
    directInput = nullptr;
}
