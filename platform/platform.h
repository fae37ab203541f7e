// The operating-system services the application frame and the input module use: window and
// OpenGL context, display mode, window events, keyboard and mouse, the performance counter and
// the console. Each step that can fail on its own is its own call, so that the callers can name
// the step that failed.
//
// Two backends implement it: the SDL one (the default) and a scripted one for tests
// (platform/scripted_platform.h). Handles are opaque; each backend decides what they point at.
#pragma once

#include <cstdint>
#include <cstdio>

struct PlatformInstance;
struct PlatformWindow;
struct PlatformDeviceContext;
struct PlatformRenderContext;
struct PlatformInput;
struct PlatformInputDevice;
using InstanceHandle = PlatformInstance*;
using WindowHandle = PlatformWindow*;
using DeviceContextHandle = PlatformDeviceContext*;
using RenderContextHandle = PlatformRenderContext*;
using InputHandle = PlatformInput*;
using InputDeviceHandle = PlatformInputDevice*;

// What the window's framebuffer must offer. Always RGBA and drawable to the window.
struct PixelFormat {
    int colorBits = 0;  // red + green + blue, without alpha
    int alphaBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    int accumBits = 0;
    int auxBuffers = 0;
    bool doubleBuffer = false;

    bool operator==(const PixelFormat&) const = default;
};

// Window events, numbered like the window messages they stand for.
enum class WindowMessageKind : std::uint32_t {
    Size = 5,
    Activate = 6,
    KillFocus = 8,
    Close = 16,
    Quit = 18,
    SysCommand = 274,
};

// System commands carried by a SysCommand message.
namespace SystemCommand {
inline constexpr std::uint32_t Minimize = 0xF020;
inline constexpr std::uint32_t ScreenSave = 0xF140;
inline constexpr std::uint32_t MonitorPower = 0xF170;
}  // namespace SystemCommand

struct WindowMessage {
    WindowMessageKind kind = WindowMessageKind::Quit;
    bool minimized = false;  // Activate: the window is minimised
    int width = 0;           // Size: new client size
    int height = 0;
    std::uint32_t command = 0;  // SysCommand

    static WindowMessage Activate(bool minimized) {
        return {WindowMessageKind::Activate, minimized, 0, 0, 0};
    }
    static WindowMessage KillFocus() { return {WindowMessageKind::KillFocus, false, 0, 0, 0}; }
    static WindowMessage Size(int width, int height) {
        return {WindowMessageKind::Size, false, width, height, 0};
    }
    static WindowMessage Close() { return {WindowMessageKind::Close, false, 0, 0, 0}; }
    static WindowMessage Quit() { return {WindowMessageKind::Quit, false, 0, 0, 0}; }
    static WindowMessage SysCommand(std::uint32_t command) {
        return {WindowMessageKind::SysCommand, false, 0, 0, command};
    }
};

enum class InputDeviceKind { Keyboard, Mouse };

// Result of acquiring or reading an input device. Lost means the device was taken away (the
// window lost the foreground) and must be acquired again.
enum class InputResult { Ok, Failed, Lost };

// One mouse reading: movement since the previous reading, the wheel in units of 120 per notch
// (positive away from the user), and buttons 0-3 (left, right, middle, fourth) as 0x80 when down.
struct MouseReading {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::uint8_t buttons[4] = {0, 0, 0, 0};
};

// What a window looks like now; used by tests and tools.
struct WindowState {
    int x = 0;
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    bool fullscreen = false;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // High-resolution performance counter, in ticks. A frequency of 0 means there is none.
    virtual std::int64_t CounterFrequency() = 0;
    virtual std::int64_t Counter() = 0;

    // Makes windows possible at all (the window class); null on failure.
    virtual InstanceHandle RegisterWindowClass() = 0;
    virtual bool UnregisterWindowClass(InstanceHandle instance) = 0;

    // Prepares full screen for the next full-screen window: the display switches to width x
    // height at bits colour depth when it offers that mode; otherwise the window covers the
    // display at the display's own mode, and its client size is then the display's, reported by
    // a Size message. False when neither can be had. RestoreDisplayMode returns to the desktop
    // mode and shows the mouse cursor; it does nothing more when no mode is in force.
    virtual bool ChangeDisplayMode(int width, int height, int bits) = 0;
    virtual void RestoreDisplayMode() = 0;

    // A hidden window at the screen origin whose client area is width x height. A windowed one
    // can be resized by the user; each new size arrives as a Size message.
    virtual WindowHandle CreateWindow(InstanceHandle instance, const char* title, int width,
                                      int height, bool fullscreen, const PixelFormat& format) = 0;
    virtual bool DestroyWindow(WindowHandle window) = 0;
    // Shows the window, raises it and gives it the input focus.
    virtual void ShowWindow(WindowHandle window) = 0;
    virtual WindowState QueryWindow(WindowHandle window) = 0;

    virtual DeviceContextHandle GetDeviceContext(WindowHandle window) = 0;
    virtual bool ReleaseDeviceContext(WindowHandle window, DeviceContextHandle dc) = 0;
    // 0 when no format fits.
    virtual int ChoosePixelFormat(DeviceContextHandle dc, const PixelFormat& format) = 0;
    virtual bool SetPixelFormat(DeviceContextHandle dc, int chosen, const PixelFormat& format) = 0;
    virtual RenderContextHandle CreateRenderContext(DeviceContextHandle dc) = 0;
    // MakeCurrent(nullptr, nullptr) leaves the thread without a current context.
    virtual bool MakeCurrent(DeviceContextHandle dc, RenderContextHandle context) = 0;
    virtual bool DeleteRenderContext(RenderContextHandle context) = 0;
    virtual void SwapBuffers(DeviceContextHandle dc) = 0;

    // Takes the next pending window message; false when none is pending. Once PostQuitMessage
    // has been called the next call returns a Quit message.
    virtual bool PeekMessage(WindowMessage& message) = 0;
    // Blocks until a message is pending.
    virtual void WaitMessage() = 0;
    virtual void PostQuitMessage() = 0;
    // What the system does with a message the application does not handle.
    virtual long DefaultHandling(WindowHandle window, const WindowMessage& message) = 0;

    // Keyboard and mouse, read on demand. A keyboard reading is 256 bytes indexed by DirectInput
    // scan code (platform/key_codes.h), 0x80 for a key that is down or that went down since the
    // previous reading: a tap shorter than the time between two readings reads as down once.
    // Acquiring the keyboard forgets the presses made before.
    virtual InputHandle CreateInput(InstanceHandle instance) = 0;
    virtual void ReleaseInput(InputHandle input) = 0;
    virtual InputDeviceHandle CreateDevice(InputHandle input, InputDeviceKind kind,
                                           WindowHandle window) = 0;
    virtual InputResult AcquireDevice(InputDeviceHandle device) = 0;
    // Unacquires and releases.
    virtual void ReleaseDevice(InputDeviceHandle device) = 0;
    virtual InputResult ReadKeyboard(InputDeviceHandle device, std::uint8_t (&keys)[256]) = 0;
    virtual InputResult ReadMouse(InputDeviceHandle device, MouseReading& reading) = 0;

    // A text sink the user can see; null when none can be had. CloseConsole closes the stream.
    virtual std::FILE* OpenConsole() = 0;
    virtual void CloseConsole(std::FILE* console) = 0;
};

// The backend in use: the SDL one unless a test installed another.
Platform& ThePlatform();
// Installs a backend; null restores the SDL one. The caller keeps ownership.
void UsePlatform(Platform* platform);
