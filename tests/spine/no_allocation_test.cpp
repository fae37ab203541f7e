// The frame loop, input sampling and the frame-rate line allocate nothing once running.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "platform/key_codes.h"
#include "platform/scripted_platform.h"
#include "tests/spine/test_app.h"

namespace {

bool counting = false;
long allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(FrameLoopAllocation, NoAllocationPerFrame) {
    ScriptedPlatform platform;
    platform.SetCounterFrequency(1000);
    platform.SetCounterStep(3);
    constexpr int kFrames = 400;
    for (int i = 0; i < kFrames; ++i) {
        if (i % 7 == 0)
            platform.QueueKeyDown(DIK_W);
        if (i % 7 == 3)
            platform.QueueKeyUp(DIK_W);
        platform.QueueMouseMove(i % 5, -(i % 3));
        platform.QueueWheel(i % 2 == 0 ? 120 : 0);
        platform.QueueIdle();
    }
    platform.QueueKeyDown(DIK_ESCAPE);
    platform.QueueIdle();

    TestApp app;
    app.recordFrames = false;
    ASSERT_EQ(app.CreateWindowed(), 1);
    long during = 0;
    app.onUpdate = [&] {
        platform.AdvanceCounter(50);  // 20 frames a second: a rate line every 40 frames
        if (app.updates == 1) {
            allocations = 0;
            counting = true;
        }
        if (app.updates == kFrames + 1) {
            counting = false;
            during = allocations;
        }
    };

    app.Run();
    counting = false;

    EXPECT_EQ(app.updates, kFrames + 1);
    EXPECT_EQ(during, 0);
    EXPECT_NE(platform.ConsoleText().find("Frames per sec: "), std::string::npos);
}

}  // namespace
