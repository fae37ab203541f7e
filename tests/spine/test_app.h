// A concrete application for the tests: records what each frame saw and runs a hook.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"

class TestApp : public App {
  public:
    struct Frame {
        float frameTime = 0.0f;
        std::array<std::uint8_t, 256> keys{};
        std::array<std::uint8_t, 256> prevKeys{};
        float mouse[3] = {};
        float mouseButtons[3] = {};
        int width = 0;
        int height = 0;
    };

    TestApp() { frames.reserve(64); }

    void Update() override {
        if (recordFrames) {
            Frame frame;
            frame.frameTime = frameTime;
            if (keys != nullptr)
                std::copy(keys, keys + 256, frame.keys.begin());
            if (prevKeys != nullptr)
                std::copy(prevKeys, prevKeys + 256, frame.prevKeys.begin());
            for (int i = 0; i < 3; ++i) {
                frame.mouse[i] = mouse[i];
                frame.mouseButtons[i] = mouseButtons[i];
            }
            frame.width = width;
            frame.height = height;
            frames.push_back(frame);
        }
        ++updates;
        if (onUpdate)
            onUpdate();
    }
    void Draw() override {}

    // Creates the usual 640 x 480 windowed application.
    int CreateWindowed(const char* name = "Spine Test") {
        return Create(name, 640, 480, 32, false);
    }

    bool recordFrames = true;
    std::vector<Frame> frames;
    int updates = 0;
    std::function<void()> onUpdate;
};
