#include "platform/scripted_platform.h"

#include <cstring>
#include <ostream>

namespace {

template <typename Handle>
Handle As(char& token) {
    return reinterpret_cast<Handle>(&token);
}

}  // namespace

const char* PlatformCallName(PlatformCall call) {
    switch (call) {
        case PlatformCall::RegisterWindowClass:
            return "RegisterWindowClass";
        case PlatformCall::UnregisterWindowClass:
            return "UnregisterWindowClass";
        case PlatformCall::ChangeDisplayMode:
            return "ChangeDisplayMode";
        case PlatformCall::RestoreDisplayMode:
            return "RestoreDisplayMode";
        case PlatformCall::CreateWindow:
            return "CreateWindow";
        case PlatformCall::DestroyWindow:
            return "DestroyWindow";
        case PlatformCall::ShowWindow:
            return "ShowWindow";
        case PlatformCall::GetDeviceContext:
            return "GetDeviceContext";
        case PlatformCall::ReleaseDeviceContext:
            return "ReleaseDeviceContext";
        case PlatformCall::ChoosePixelFormat:
            return "ChoosePixelFormat";
        case PlatformCall::SetPixelFormat:
            return "SetPixelFormat";
        case PlatformCall::CreateRenderContext:
            return "CreateRenderContext";
        case PlatformCall::MakeCurrent:
            return "MakeCurrent";
        case PlatformCall::ReleaseCurrent:
            return "ReleaseCurrent";
        case PlatformCall::DeleteRenderContext:
            return "DeleteRenderContext";
        case PlatformCall::CreateInput:
            return "CreateInput";
        case PlatformCall::ReleaseInput:
            return "ReleaseInput";
        case PlatformCall::CreateKeyboard:
            return "CreateKeyboard";
        case PlatformCall::CreateMouse:
            return "CreateMouse";
        case PlatformCall::AcquireKeyboard:
            return "AcquireKeyboard";
        case PlatformCall::AcquireMouse:
            return "AcquireMouse";
        case PlatformCall::ReleaseKeyboard:
            return "ReleaseKeyboard";
        case PlatformCall::ReleaseMouse:
            return "ReleaseMouse";
        case PlatformCall::OpenConsole:
            return "OpenConsole";
        case PlatformCall::CloseConsole:
            return "CloseConsole";
        case PlatformCall::MessageBox:
            return "MessageBox";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, PlatformCall call) {
    return out << PlatformCallName(call);
}

ScriptedPlatform::ScriptedPlatform() {
    UsePlatform(this);
    SetMessageBoxPresenter(
        [this](const std::string& text, const std::string& caption, MessageBoxButtons buttons,
               MessageBoxIcon icon) { return PresentBox(text, caption, buttons, icon); });
}

ScriptedPlatform::~ScriptedPlatform() {
    SetMessageBoxPresenter({});
    UsePlatform(nullptr);
    if (console_ != nullptr)
        std::fclose(console_);
}

// --- Script ---

void ScriptedPlatform::Push(const Step& step) {
    // A script used up is dropped, so that a long run queueing frame by frame stays in the same
    // memory.
    if (nextStep_ == steps_.size()) {
        steps_.clear();
        nextStep_ = 0;
    }
    steps_.push_back(step);
}

void ScriptedPlatform::QueueMessage(const WindowMessage& message) {
    Push({Step::Kind::Message, message});
}

void ScriptedPlatform::QueueIdle(int count) {
    for (int i = 0; i < count; ++i)
        Push({Step::Kind::Idle, {}});
}

void ScriptedPlatform::QueueKeyDown(std::uint8_t dik) {
    Push({Step::Kind::KeyDown, {}, dik});
}

void ScriptedPlatform::QueueKeyUp(std::uint8_t dik) {
    Push({Step::Kind::KeyUp, {}, dik});
}

void ScriptedPlatform::QueueMouseMove(int dx, int dy) {
    Push({Step::Kind::MouseMove, {}, dx, dy});
}

void ScriptedPlatform::QueueWheel(int units) {
    Push({Step::Kind::Wheel, {}, units});
}

void ScriptedPlatform::QueueButton(int button, bool down) {
    Push({Step::Kind::Button, {}, button, down ? 1 : 0});
}

void ScriptedPlatform::ApplyInput(const Step& step) {
    switch (step.kind) {
        case Step::Kind::KeyDown:
            keys_[step.a & 0xFF] = 0x80;
            pressed_[step.a & 0xFF] = 0x80;
            break;
        case Step::Kind::KeyUp:
            keys_[step.a & 0xFF] = 0;
            break;
        case Step::Kind::MouseMove:
            mouse_.x += step.a;
            mouse_.y += step.b;
            break;
        case Step::Kind::Wheel:
            mouse_.wheel += step.a;
            break;
        case Step::Kind::Button:
            if (step.a >= 0 && step.a < 4)
                mouse_.buttons[step.a] = step.b != 0 ? 0x80 : 0;
            break;
        case Step::Kind::Message:
        case Step::Kind::Idle:
            break;
    }
}

bool ScriptedPlatform::PeekMessage(WindowMessage& message) {
    if (quitPosted_) {
        quitPosted_ = false;
        message = WindowMessage::Quit();
        return true;
    }
    while (nextStep_ < steps_.size()) {
        const Step& step = steps_[nextStep_++];
        if (step.kind == Step::Kind::Idle)
            return false;
        if (step.kind == Step::Kind::Message) {
            message = step.message;
            return true;
        }
        ApplyInput(step);
    }
    ranOut_ = true;
    message = WindowMessage::Quit();
    return true;
}

void ScriptedPlatform::PostQuitMessage() {
    quitPosted_ = true;
    ++quitsPosted_;
}

long ScriptedPlatform::DefaultHandling(WindowHandle, const WindowMessage& message) {
    defaultHandled_.push_back(message);
    return kDefaultHandlingResult;
}

// --- Counter ---

std::int64_t ScriptedPlatform::Counter() {
    const std::int64_t reading = now_;
    now_ += step_;
    return reading;
}

// --- Window and context ---

bool ScriptedPlatform::Record(PlatformCall call) {
    calls_.push_back(call);
    return failing_.count(call) != 0;
}

WindowHandle ScriptedPlatform::Window() const {
    return windowExists_ ? reinterpret_cast<WindowHandle>(const_cast<char*>(&windowToken_))
                         : nullptr;
}

InstanceHandle ScriptedPlatform::RegisterWindowClass() {
    if (Record(PlatformCall::RegisterWindowClass))
        return nullptr;
    return As<InstanceHandle>(instanceToken_);
}

bool ScriptedPlatform::UnregisterWindowClass(InstanceHandle instance) {
    return !Record(PlatformCall::UnregisterWindowClass) &&
           instance == As<InstanceHandle>(instanceToken_);
}

bool ScriptedPlatform::ChangeDisplayMode(int width, int height, int bits) {
    if (Record(PlatformCall::ChangeDisplayMode))
        return false;
    modeWidth_ = width;
    modeHeight_ = height;
    modeBits_ = bits;
    return true;
}

void ScriptedPlatform::RestoreDisplayMode() {
    Record(PlatformCall::RestoreDisplayMode);
    modeWidth_ = modeHeight_ = modeBits_ = 0;
}

WindowHandle ScriptedPlatform::CreateWindow(InstanceHandle instance, const char* title, int width,
                                            int height, bool fullscreen,
                                            const PixelFormat& format) {
    if (Record(PlatformCall::CreateWindow) || instance != As<InstanceHandle>(instanceToken_)) {
        return nullptr;
    }
    windowExists_ = true;
    title_ = title != nullptr ? title : "";
    window_ = {0, 0, width, height, false, fullscreen};
    windowFullscreen_ = fullscreen;
    pixelFormat_ = format;
    return As<WindowHandle>(windowToken_);
}

bool ScriptedPlatform::DestroyWindow(WindowHandle window) {
    if (Record(PlatformCall::DestroyWindow) || window != As<WindowHandle>(windowToken_)) {
        return false;
    }
    windowExists_ = false;
    window_ = {};
    return true;
}

void ScriptedPlatform::ShowWindow(WindowHandle window) {
    Record(PlatformCall::ShowWindow);
    if (window == As<WindowHandle>(windowToken_) && windowExists_)
        window_.visible = true;
}

WindowState ScriptedPlatform::QueryWindow(WindowHandle window) {
    return window == As<WindowHandle>(windowToken_) && windowExists_ ? window_ : WindowState{};
}

DeviceContextHandle ScriptedPlatform::GetDeviceContext(WindowHandle window) {
    if (Record(PlatformCall::GetDeviceContext) || window != As<WindowHandle>(windowToken_)) {
        return nullptr;
    }
    return As<DeviceContextHandle>(dcToken_);
}

bool ScriptedPlatform::ReleaseDeviceContext(WindowHandle, DeviceContextHandle dc) {
    return !Record(PlatformCall::ReleaseDeviceContext) && dc == As<DeviceContextHandle>(dcToken_);
}

int ScriptedPlatform::ChoosePixelFormat(DeviceContextHandle dc, const PixelFormat&) {
    if (Record(PlatformCall::ChoosePixelFormat) || dc != As<DeviceContextHandle>(dcToken_)) {
        return 0;
    }
    return 1;
}

bool ScriptedPlatform::SetPixelFormat(DeviceContextHandle dc, int chosen, const PixelFormat&) {
    return !Record(PlatformCall::SetPixelFormat) && dc == As<DeviceContextHandle>(dcToken_) &&
           chosen == 1;
}

RenderContextHandle ScriptedPlatform::CreateRenderContext(DeviceContextHandle dc) {
    if (Record(PlatformCall::CreateRenderContext) || dc != As<DeviceContextHandle>(dcToken_)) {
        return nullptr;
    }
    return As<RenderContextHandle>(contextToken_);
}

bool ScriptedPlatform::MakeCurrent(DeviceContextHandle dc, RenderContextHandle context) {
    if (dc == nullptr && context == nullptr)
        return !Record(PlatformCall::ReleaseCurrent);
    return !Record(PlatformCall::MakeCurrent) && dc == As<DeviceContextHandle>(dcToken_) &&
           context == As<RenderContextHandle>(contextToken_);
}

bool ScriptedPlatform::DeleteRenderContext(RenderContextHandle context) {
    return !Record(PlatformCall::DeleteRenderContext) &&
           context == As<RenderContextHandle>(contextToken_);
}

void ScriptedPlatform::SwapBuffers(DeviceContextHandle dc) {
    if (dc == As<DeviceContextHandle>(dcToken_))
        ++swaps_;
}

// --- Input ---

InputHandle ScriptedPlatform::CreateInput(InstanceHandle instance) {
    if (Record(PlatformCall::CreateInput) || instance != As<InstanceHandle>(instanceToken_)) {
        return nullptr;
    }
    return As<InputHandle>(inputToken_);
}

void ScriptedPlatform::ReleaseInput(InputHandle) {
    Record(PlatformCall::ReleaseInput);
}

InputDeviceHandle ScriptedPlatform::CreateDevice(InputHandle input, InputDeviceKind kind,
                                                 WindowHandle window) {
    const bool keyboard = kind == InputDeviceKind::Keyboard;
    if (Record(keyboard ? PlatformCall::CreateKeyboard : PlatformCall::CreateMouse) ||
        input != As<InputHandle>(inputToken_) || window == nullptr) {
        return nullptr;
    }
    return As<InputDeviceHandle>(keyboard ? keyboardToken_ : mouseToken_);
}

InputResult ScriptedPlatform::AcquireDevice(InputDeviceHandle device) {
    const bool keyboard = device == As<InputDeviceHandle>(keyboardToken_);
    if (!keyboard && device != As<InputDeviceHandle>(mouseToken_))
        return InputResult::Failed;
    const bool fails =
        Record(keyboard ? PlatformCall::AcquireKeyboard : PlatformCall::AcquireMouse);
    if (keyboard && !fails)
        std::memset(pressed_, 0, sizeof pressed_);
    return fails ? InputResult::Failed : InputResult::Ok;
}

void ScriptedPlatform::ReleaseDevice(InputDeviceHandle device) {
    Record(device == As<InputDeviceHandle>(keyboardToken_) ? PlatformCall::ReleaseKeyboard
                                                           : PlatformCall::ReleaseMouse);
}

InputResult ScriptedPlatform::NextRead(InputResult& next, InputDeviceHandle device, char& token) {
    const InputResult result = next;
    next = InputResult::Ok;
    return device == As<InputDeviceHandle>(token) ? result : InputResult::Failed;
}

InputResult ScriptedPlatform::ReadKeyboard(InputDeviceHandle device, std::uint8_t (&keys)[256]) {
    ++keyboardReads_;
    const InputResult result = NextRead(nextKeyboardRead_, device, keyboardToken_);
    if (result != InputResult::Ok)
        return result;
    for (int i = 0; i < 256; ++i)
        keys[i] = keys_[i] | pressed_[i];
    std::memset(pressed_, 0, sizeof pressed_);
    return result;
}

InputResult ScriptedPlatform::ReadMouse(InputDeviceHandle device, MouseReading& reading) {
    ++mouseReads_;
    const InputResult result = NextRead(nextMouseRead_, device, mouseToken_);
    if (result != InputResult::Ok)
        return result;
    reading = mouse_;
    mouse_.x = mouse_.y = mouse_.wheel = 0;
    return result;
}

// --- Console ---

long ScriptedPlatform::WriteConsole(void* cookie, const char* bytes, std::size_t count) {
    auto* platform = static_cast<ScriptedPlatform*>(cookie);
    platform->consoleText_.append(bytes, count);
    platform->now_ += platform->consoleWriteTicks_;
    return static_cast<long>(count);
}

std::FILE* ScriptedPlatform::OpenConsole() {
    if (Record(PlatformCall::OpenConsole) || console_ != nullptr)
        return nullptr;
    // Room for any test's output, so that writing never allocates.
    consoleText_.reserve(consoleText_.size() + (1 << 16));
    cookie_io_functions_t functions{};
    functions.write = &ScriptedPlatform::WriteConsole;
    console_ = ::fopencookie(this, "w", functions);
    return console_;
}

void ScriptedPlatform::CloseConsole(std::FILE* console) {
    Record(PlatformCall::CloseConsole);
    if (console == nullptr || console != console_)
        return;
    std::fclose(console_);
    console_ = nullptr;
}

// --- Message boxes ---

MessageBoxAnswer ScriptedPlatform::PresentBox(const std::string& text, const std::string& caption,
                                              MessageBoxButtons buttons, MessageBoxIcon icon) {
    Record(PlatformCall::MessageBox);
    boxes_.push_back({text, caption, buttons, icon});
    if (nextAnswer_ < answers_.size())
        return answers_[nextAnswer_++];
    return EscapeAnswer(buttons);
}
