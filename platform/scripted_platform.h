// A Platform without a display, driven by a script, for tests of everything above the platform.
//
// While it exists it is the current platform (ThePlatform()) and it records message boxes
// instead of showing them. Only one may exist at a time.
//
// Window messages and input come from a script queued beforehand: PeekMessage walks it, applying
// keyboard and mouse steps as it passes them, returning each message step, and returning "no
// message" once for each idle step, which is when a frame loop does one frame. A key that goes
// down and up again between two idle steps is a tap: it reads as down in the next reading only.
// When the script is used up PeekMessage returns Quit (ScriptRanOut() then tells so).
// PostQuitMessage makes the next PeekMessage return Quit, as on a real system.
//
// The performance counter is a number that the test moves; each reading, and each write that
// reaches the console, may also advance it by a fixed step. Every call that can fail can be made to
// fail; lifecycle calls are logged in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/platform.h"

enum class PlatformCall {
    RegisterWindowClass,
    UnregisterWindowClass,
    ChangeDisplayMode,
    RestoreDisplayMode,
    CreateWindow,
    DestroyWindow,
    ShowWindow,
    GetDeviceContext,
    ReleaseDeviceContext,
    ChoosePixelFormat,
    SetPixelFormat,
    CreateRenderContext,
    MakeCurrent,
    ReleaseCurrent,  // MakeCurrent(nullptr, nullptr)
    DeleteRenderContext,
    CreateInput,
    ReleaseInput,
    CreateKeyboard,
    CreateMouse,
    AcquireKeyboard,
    AcquireMouse,
    ReleaseKeyboard,
    ReleaseMouse,
    OpenConsole,
    CloseConsole,
    MessageBox,
};

const char* PlatformCallName(PlatformCall call);
std::ostream& operator<<(std::ostream& out, PlatformCall call);

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
};

class ScriptedPlatform final : public Platform {
  public:
    // What DefaultHandling returns, so tests can tell that the default handler answered.
    static constexpr long kDefaultHandlingResult = 42;

    ScriptedPlatform();
    ~ScriptedPlatform() override;
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    // --- Script ---
    void QueueMessage(const WindowMessage& message);
    void QueueIdle(int count = 1);
    void QueueKeyDown(std::uint8_t dik);
    void QueueKeyUp(std::uint8_t dik);
    void QueueMouseMove(int dx, int dy);
    void QueueWheel(int units);
    void QueueButton(int button, bool down);
    bool ScriptRanOut() const { return ranOut_; }
    // Script steps not reached yet.
    std::size_t StepsLeft() const { return steps_.size() - nextStep_; }

    // --- Performance counter ---
    void SetCounterFrequency(std::int64_t frequency) { frequency_ = frequency; }
    void SetCounter(std::int64_t ticks) { now_ = ticks; }
    void AdvanceCounter(std::int64_t ticks) { now_ += ticks; }
    // Each reading advances the counter by this many ticks after it is taken.
    void SetCounterStep(std::int64_t ticks) { step_ = ticks; }
    std::int64_t CounterNow() const { return now_; }

    // --- Failures ---
    // Every later call of this kind fails until Succeed is called.
    void Fail(PlatformCall call) { failing_.insert(call); }
    void Succeed(PlatformCall call) { failing_.erase(call); }
    // The result of the next keyboard or mouse reading only.
    void SetNextKeyboardRead(InputResult result) { nextKeyboardRead_ = result; }
    void SetNextMouseRead(InputResult result) { nextMouseRead_ = result; }
    // Answers for the coming message boxes, in order; boxes beyond them get the Escape answer.
    void AnswerNextBox(MessageBoxAnswer answer) { answers_.push_back(answer); }

    // --- What happened ---
    const std::vector<PlatformCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    const std::vector<RecordedMessageBox>& Boxes() const { return boxes_; }
    const std::vector<WindowMessage>& DefaultHandled() const { return defaultHandled_; }
    // Everything that reached the console (flushed), across opens.
    const std::string& ConsoleText() const { return consoleText_; }
    // Each write that reaches the console takes this many ticks of the counter.
    void SetConsoleWriteTicks(std::int64_t ticks) { consoleWriteTicks_ = ticks; }
    bool ConsoleOpen() const { return console_ != nullptr; }
    PixelFormat LastPixelFormat() const { return pixelFormat_; }
    std::string WindowTitle() const { return title_; }
    bool WindowFullscreen() const { return windowFullscreen_; }
    int DisplayModeWidth() const { return modeWidth_; }
    int DisplayModeHeight() const { return modeHeight_; }
    int DisplayModeBits() const { return modeBits_; }
    int KeyboardReads() const { return keyboardReads_; }
    int MouseReads() const { return mouseReads_; }
    int Swaps() const { return swaps_; }
    int Waits() const { return waits_; }
    int QuitsPosted() const { return quitsPosted_; }
    WindowHandle Window() const;

    // --- Platform ---
    std::int64_t CounterFrequency() override { return frequency_; }
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
    void WaitMessage() override { ++waits_; }
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
    struct Step {
        enum class Kind { Message, Idle, KeyDown, KeyUp, MouseMove, Wheel, Button };
        Kind kind;
        WindowMessage message;
        int a = 0;
        int b = 0;
    };

    // Logs the call and tells whether it is to fail.
    bool Record(PlatformCall call);
    void ApplyInput(const Step& step);
    MessageBoxAnswer PresentBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxIcon icon);

    void Push(const Step& step);
    std::vector<Step> steps_;
    std::size_t nextStep_ = 0;
    bool ranOut_ = false;
    bool quitPosted_ = false;
    int quitsPosted_ = 0;

    std::int64_t frequency_ = 1000;
    std::int64_t now_ = 0;
    std::int64_t step_ = 0;

    std::set<PlatformCall> failing_;
    // The result the test set for this reading (Ok for the next), or Failed for a device that is
    // not `token`'s.
    InputResult NextRead(InputResult& next, InputDeviceHandle device, char& token);
    InputResult nextKeyboardRead_ = InputResult::Ok;
    InputResult nextMouseRead_ = InputResult::Ok;
    std::vector<MessageBoxAnswer> answers_;
    std::size_t nextAnswer_ = 0;

    std::vector<PlatformCall> calls_;
    std::vector<RecordedMessageBox> boxes_;
    std::vector<WindowMessage> defaultHandled_;

    // Distinct addresses that stand for the handles.
    char instanceToken_ = 0;
    char windowToken_ = 0;
    char dcToken_ = 0;
    char contextToken_ = 0;
    char inputToken_ = 0;
    char keyboardToken_ = 0;
    char mouseToken_ = 0;

    bool windowExists_ = false;
    std::string title_;
    WindowState window_;
    bool windowFullscreen_ = false;
    PixelFormat pixelFormat_;
    int modeWidth_ = 0;
    int modeHeight_ = 0;
    int modeBits_ = 0;
    int swaps_ = 0;
    int waits_ = 0;

    std::uint8_t keys_[256] = {};
    std::uint8_t pressed_[256] = {};  // keys that went down since the last keyboard reading
    MouseReading mouse_;              // movement gathered since the last reading, buttons held
    int keyboardReads_ = 0;
    int mouseReads_ = 0;

    static long WriteConsole(void* cookie, const char* bytes, std::size_t count);

    std::FILE* console_ = nullptr;
    std::string consoleText_;
    std::int64_t consoleWriteTicks_ = 0;
};
