// The SDL2 backend of Platform. Internal to platform/: the rest of the program reaches it
// through ThePlatform().
//
// How the steps map onto SDL: the window class is SDL's video subsystem; the device context is
// the window itself, whose pixel format SDL fixes when it creates the window (X11 chooses the
// visual then), so choosing and setting it afterwards only confirms that choice; input is SDL's
// event subsystem, with the keyboard state translated to DirectInput scan codes (and every key
// that went down since the last reading added, so that a tap between two readings is seen) and
// the mouse read as relative movement; the console is the process's standard output.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct SDL_Window;

class SdlPlatform final : public Platform {
  public:
    std::int64_t CounterFrequency() override;
    std::int64_t Counter() override;

    InstanceHandle RegisterWindowClass() override;
    bool UnregisterWindowClass(InstanceHandle instance) override;
    bool ChangeDisplayMode(int width, int height, int bits) override;
    void RestoreDisplayMode() override;

    WindowHandle CreateWindow(InstanceHandle instance, const char* title, int width, int height,
                              bool fullscreen, const PixelFormat& format) override;
    bool DestroyWindow(WindowHandle window) override;
    void ShowWindow(WindowHandle window) override;
    WindowState QueryWindow(WindowHandle window) override;

    DeviceContextHandle GetDeviceContext(WindowHandle window) override;
    bool ReleaseDeviceContext(WindowHandle window, DeviceContextHandle dc) override;
    int ChoosePixelFormat(DeviceContextHandle dc, const PixelFormat& format) override;
    bool SetPixelFormat(DeviceContextHandle dc, int chosen, const PixelFormat& format) override;
    RenderContextHandle CreateRenderContext(DeviceContextHandle dc) override;
    bool MakeCurrent(DeviceContextHandle dc, RenderContextHandle context) override;
    bool DeleteRenderContext(RenderContextHandle context) override;
    void SwapBuffers(DeviceContextHandle dc) override;

    bool PeekMessage(WindowMessage& message) override;
    void WaitMessage() override;
    void PostQuitMessage() override;
    long DefaultHandling(WindowHandle window, const WindowMessage& message) override;

    InputHandle CreateInput(InstanceHandle instance) override;
    void ReleaseInput(InputHandle input) override;
    InputDeviceHandle CreateDevice(InputHandle input, InputDeviceKind kind,
                                   WindowHandle window) override;
    InputResult AcquireDevice(InputDeviceHandle device) override;
    void ReleaseDevice(InputDeviceHandle device) override;
    InputResult ReadKeyboard(InputDeviceHandle device, std::uint8_t (&keys)[256]) override;
    InputResult ReadMouse(InputDeviceHandle device, MouseReading& reading) override;

    std::FILE* OpenConsole() override;
    void CloseConsole(std::FILE* console) override;

  private:
    struct DisplayMode {
        int width = 0;
        int height = 0;
        std::uint32_t format = 0;
        int refreshRate = 0;
    };

    // Distinct addresses that stand for the objects SDL has no handle for.
    char instanceToken_ = 0;
    char inputToken_ = 0;
    char keyboardToken_ = 0;
    char mouseToken_ = 0;

    bool modeChosen_ = false;  // an exact full-screen mode waits for (or is used by) the window
    DisplayMode mode_;
    SDL_Window* fullscreenWindow_ = nullptr;
    bool quitPosted_ = false;
    std::int32_t wheel_ = 0;  // wheel units gathered from events since the last mouse reading
    // Keys that went down since the last keyboard reading, by DirectInput scan code.
    std::uint8_t pressed_[256] = {};
};
