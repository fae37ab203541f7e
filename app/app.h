// The application frame: owns the window and rendering context, the diagnostic console, the
// frame clock and a per-frame copy of the input state, and runs the message pump and the frame
// loop. A concrete application derives from it and supplies Update (one frame's work, which
// draws and swaps buffers) and Draw.
//
// The window and context calls go through ThePlatform(); the frame loop polls the one
// InputModule.
#pragma once

#include <cstdint>

#include "app/con_stream.h"
#include "platform/platform.h"

class App {
  public:
    // OpenGL name of the 64 x 64 alpha texture that InitRenderState makes (1, as the first
    // texture of a fresh context); it is bound whenever a material has no texture of its own.
    static inline unsigned int defaultTextureName = 0;
    static constexpr double kFieldOfView = 45.0;

    App() = default;
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    virtual void Update() = 0;
    virtual void Draw() = 0;

    // Opens the console, reads the counter frequency, creates the hidden window with its current
    // context and the input module. 1 on success; 0 after the failure has been reported.
    virtual int Create(const char* title, int width, int height, int bits, bool fullscreen);
    // Shows the window and runs frames until Escape or the window is closed; non-zero then.
    virtual int Run();
    // The frame loop's two halves, for drivers that run frames themselves: showing the window
    // and starting the clocks, then one frame (input sample, Update, frame time, the frame-rate
    // line), true when Escape asks to quit.
    void BeginFrames();
    bool StepFrame();
    // Releases input, window and context, console; harmless to repeat or after a failed Create.
    virtual void Shutdown();

    // One window message; returns the handler's result.
    long HandleMessage(WindowHandle messageWindow, const WindowMessage& message);

    int CreateRenderWindow();
    void DestroyRenderWindow();
    void ResizeView(int newWidth, int newHeight, double fovY);
    void InitRenderState();

    DeviceContextHandle dc = nullptr;
    RenderContextHandle renderContext = nullptr;
    WindowHandle window = nullptr;
    InstanceHandle instance = nullptr;
    // The input module's keyboard states of this and the previous sample (valid until the next).
    const std::uint8_t* keys = nullptr;
    const std::uint8_t* prevKeys = nullptr;
    float mouse[3] = {0.0f, 0.0f, 0.0f};         // x, y, wheel movement since the last sample
    float mouseButtons[3] = {0.0f, 0.0f, 0.0f};  // left, right, middle: 0.0 up, 128.0 down
    bool active = true;
    bool fullscreen = true;
    int width = 0;
    int height = 0;
    int bits = 0;
    char title[256] = {};
    std::int64_t lastCounter = 0;
    std::int64_t reportStart = 0;
    std::int64_t counter = 0;
    float frameTime = 0.0f;  // seconds taken by the last completed frame
    int framesSinceReport = 0;
    float counterFrequency = 0.0f;
    ConStream console;

  private:
    // Destroys what was made, then reports text in an "ERROR" box; always 0.
    int FailCreation(const char* text);
};
