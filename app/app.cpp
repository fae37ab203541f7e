#include "app/app.h"

#include <algorithm>
#include <cstring>

#include "input/input_module.h"
#include "platform/key_codes.h"

App::~App() {
    App::Shutdown();
}

int App::Create(const char* newTitle, int newWidth, int newHeight, int newBits,
                bool newFullscreen) {
    const char* source = newTitle != nullptr ? newTitle : "";
    const std::size_t length = std::min(std::strlen(source), sizeof title - 1);
    std::memcpy(title, source, length);
    title[length] = '\0';
    width = newWidth;
    height = newHeight;
    bits = newBits;
    fullscreen = newFullscreen;

    console.Open();

    const std::int64_t frequency = ThePlatform().CounterFrequency();
    if (frequency <= 0) {
        console << "No High Performance Timer\n";
        return 0;
    }
    counterFrequency = static_cast<float>(frequency);

    if (CreateRenderWindow() == 0)
        return 0;

    if (!InputModule::Init(instance, window, &console)) {
        console << "Input Not Acquired, ";
        return 0;
    }
    return 1;
}

void App::Shutdown() {
    if (InputModule* input = InputModule::Instance())
        input->Release();
    DestroyRenderWindow();
    console.Close();
}

int App::Run() {
    BeginFrames();
    Platform& platform = ThePlatform();
    WindowMessage message;
    for (;;) {
        if (platform.PeekMessage(message)) {
            if (message.kind == WindowMessageKind::Quit)
                return 1;
            HandleMessage(window, message);
            continue;
        }
        if (!active) {
            // Only a message can make the application active again.
            platform.WaitMessage();
            continue;
        }
        if (StepFrame())
            return 1;
    }
}

void App::BeginFrames() {
    Platform& platform = ThePlatform();
    platform.ShowWindow(window);
    reportStart = platform.Counter();
    counter = reportStart;
    framesSinceReport = 0;
}

bool App::StepFrame() {
    Platform& platform = ThePlatform();
    bool quit = false;
    if (InputModule* input = InputModule::Instance()) {
        input->Poll();
        keys = input->keys;
        prevKeys = input->prevKeys;
        for (int i = 0; i < 3; ++i) {
            mouse[i] = input->mouse[i];
            mouseButtons[i] = input->mouseButtons[i];
        }
    }
    if (keys != nullptr && keys[DIK_ESCAPE] != 0)
        quit = true;

    Update();

    ++framesSinceReport;
    lastCounter = counter;
    counter = platform.Counter();
    frameTime = static_cast<float>(counter - lastCounter) / counterFrequency;

    const std::int64_t elapsed = counter - reportStart;
    if (static_cast<double>(elapsed) >= 2.0 * counterFrequency) {
        const double rate = framesSinceReport * static_cast<double>(counterFrequency) /
                            static_cast<double>(elapsed);
        console << "Frames per sec: " << static_cast<float>(rate) << std::endl;
        // A fresh reading, so the time spent writing belongs to neither window.
        reportStart = platform.Counter();
        framesSinceReport = 0;
    }
    return quit;
}

long App::HandleMessage(WindowHandle messageWindow, const WindowMessage& message) {
    switch (message.kind) {
        case WindowMessageKind::Activate:
            if (!message.minimized) {
                active = true;
                if (InputModule* input = InputModule::Instance())
                    input->Acquire();
            } else {
                active = false;
            }
            return 0;
        case WindowMessageKind::KillFocus:
            active = false;
            return 0;
        case WindowMessageKind::Size:
            ResizeView(message.width, message.height, kFieldOfView);
            return 0;
        case WindowMessageKind::Close:
            ThePlatform().PostQuitMessage();
            return 0;
        case WindowMessageKind::SysCommand:
            if (message.command == SystemCommand::ScreenSave ||
                message.command == SystemCommand::MonitorPower) {
                return 0;
            }
            break;
        case WindowMessageKind::Quit:
            break;
    }
    return ThePlatform().DefaultHandling(messageWindow, message);
}
