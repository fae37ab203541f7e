#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/key_codes.h"
#include "platform/scripted_platform.h"
#include "tests/spine/test_app.h"

namespace {

class FrameLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        platform.SetCounterFrequency(1000);
        ASSERT_EQ(app.CreateWindowed(), 1);
    }

    // Each frame takes `ticks` on the fake counter; the console is noted at every Update.
    void FramesTake(std::int64_t ticks) {
        app.onUpdate = [this, ticks] {
            consoleAtUpdate.push_back(platform.ConsoleText());
            platform.AdvanceCounter(ticks);
        };
    }

    // Runs the loop over `frames` idle turns, then to its end.
    void RunIdleFrames(int frames) {
        platform.QueueIdle(frames);
        app.Run();
    }

    ScriptedPlatform platform;
    TestApp app;
    std::vector<std::string> consoleAtUpdate;
};

TEST_F(FrameLoop, EscapeEndsTheLoopAfterThatFramesUpdateAndTiming) {
    FramesTake(10);
    platform.QueueIdle();
    platform.QueueKeyDown(DIK_ESCAPE);
    platform.QueueIdle(3);

    EXPECT_NE(app.Run(), 0);

    ASSERT_EQ(app.updates, 2);
    EXPECT_EQ(app.frames[1].keys[DIK_ESCAPE], kKeyDown);
    EXPECT_FLOAT_EQ(app.frameTime, 0.010f);  // the Escape frame was timed too
    EXPECT_EQ(app.counter, 20);
    EXPECT_EQ(platform.StepsLeft(), 2u);
    EXPECT_FALSE(platform.ScriptRanOut());
}

TEST_F(FrameLoop, FirstFrameSeesZeroAndEachLaterFrameThePreviousDuration) {
    platform.SetCounter(5000);
    const std::int64_t durations[] = {25, 40, 7};
    app.onUpdate = [&] { platform.AdvanceCounter(durations[app.updates - 1]); };
    RunIdleFrames(3);

    ASSERT_EQ(app.frames.size(), 3u);
    EXPECT_EQ(app.frames[0].frameTime, 0.0f);
    EXPECT_FLOAT_EQ(app.frames[1].frameTime, 0.025f);
    EXPECT_FLOAT_EQ(app.frames[2].frameTime, 0.040f);
    EXPECT_FLOAT_EQ(app.frameTime, 0.007f);
    EXPECT_EQ(app.lastCounter, 5065);
    EXPECT_EQ(app.counter, 5072);
}

TEST_F(FrameLoop, RateLineOnTheFrameThatReachesTwoSeconds) {
    FramesTake(500);
    RunIdleFrames(5);

    // Frame 4 ends at exactly 2000 ticks: 4 frames in 2 seconds.
    ASSERT_EQ(consoleAtUpdate.size(), 5u);
    EXPECT_EQ(consoleAtUpdate[3], "");
    EXPECT_EQ(consoleAtUpdate[4], "Frames per sec: 2\r\n");
    EXPECT_EQ(platform.ConsoleText(), "Frames per sec: 2\r\n");
}

TEST_F(FrameLoop, NoRateLineJustShortOfTwoSeconds) {
    const std::int64_t durations[] = {500, 500, 500, 499, 500};
    app.onUpdate = [&] {
        consoleAtUpdate.push_back(platform.ConsoleText());
        platform.AdvanceCounter(durations[app.updates - 1]);
    };
    RunIdleFrames(5);

    // 1999 ticks after four frames: no line; the fifth frame ends the window at 2499.
    ASSERT_EQ(consoleAtUpdate.size(), 5u);
    EXPECT_EQ(consoleAtUpdate[4], "");
    EXPECT_EQ(platform.ConsoleText(), "Frames per sec: 2.0008\r\n");
}

TEST_F(FrameLoop, RateCoversTheFramesOfItsWindowAndTheNextWindowStartsFromAFreshReading) {
    // Writing the rate line takes time: it belongs to neither window.
    platform.SetConsoleWriteTicks(40);
    FramesTake(300);
    RunIdleFrames(15);

    // Window 1 ends with frame 7 at 2100 ticks. Window 2 starts after the line is written and
    // again covers 7 frames of 300 ticks; had it started at frame 7's end it would include the
    // writing and give a lower rate.
    ASSERT_EQ(consoleAtUpdate.size(), 15u);
    EXPECT_EQ(consoleAtUpdate[6], "");
    EXPECT_EQ(consoleAtUpdate[7], "Frames per sec: 3.33333\r\n");
    EXPECT_EQ(consoleAtUpdate[13], "Frames per sec: 3.33333\r\n");
    EXPECT_EQ(platform.ConsoleText(), "Frames per sec: 3.33333\r\nFrames per sec: 3.33333\r\n");
}

TEST_F(FrameLoop, InactiveOrMinimisedSamplesNoInputAndRunsNoUpdateButHandlesMessages) {
    const int readsBefore = platform.KeyboardReads();
    platform.QueueMessage(WindowMessage::Activate(true));  // minimised
    platform.QueueIdle(2);
    platform.QueueMessage(WindowMessage::Size(800, 600));
    platform.QueueMessage(WindowMessage::Activate(false));
    platform.QueueIdle();
    platform.QueueMessage(WindowMessage::KillFocus());
    platform.QueueIdle();
    platform.QueueMessage(WindowMessage::Size(320, 200));
    platform.QueueMessage(WindowMessage::Activate(false));
    platform.QueueIdle();
    platform.QueueMessage(WindowMessage::Close());
    platform.ClearCalls();

    app.Run();

    ASSERT_EQ(app.updates, 2);
    EXPECT_EQ(app.frames[0].width, 800);
    EXPECT_EQ(app.frames[0].height, 600);
    EXPECT_EQ(app.frames[1].width, 320);
    EXPECT_EQ(platform.KeyboardReads() - readsBefore, 2);
    EXPECT_EQ(platform.MouseReads(), 2);
    EXPECT_EQ(platform.Waits(), 3);  // the idle polls while inactive
    // Each activation re-acquires both devices.
    EXPECT_EQ(platform.Calls(),
              (std::vector<PlatformCall>{PlatformCall::ShowWindow, PlatformCall::AcquireKeyboard,
                                         PlatformCall::AcquireMouse, PlatformCall::AcquireKeyboard,
                                         PlatformCall::AcquireMouse}));
    EXPECT_FALSE(platform.ScriptRanOut());
}

TEST_F(FrameLoop, MessagesAreDrainedBeforeTheFrame) {
    platform.QueueMessage(WindowMessage::Size(100, 100));
    platform.QueueMessage(WindowMessage::Size(200, 150));
    platform.QueueIdle();

    app.Run();

    ASSERT_EQ(app.frames.size(), 1u);
    EXPECT_EQ(app.frames[0].width, 200);
    EXPECT_EQ(app.frames[0].height, 150);
}

TEST_F(FrameLoop, CloseEndsTheRunOnTheNextPollWithoutDispatchingTheQuit) {
    platform.QueueIdle();
    platform.QueueMessage(WindowMessage::Close());
    platform.QueueMessage(WindowMessage::Size(100, 100));
    platform.QueueIdle();

    EXPECT_NE(app.Run(), 0);

    EXPECT_EQ(app.updates, 1);
    EXPECT_EQ(app.width, 640);
    EXPECT_EQ(platform.StepsLeft(), 2u);
    EXPECT_FALSE(platform.ScriptRanOut());
    EXPECT_EQ(platform.QuitsPosted(), 1);
    EXPECT_TRUE(platform.DefaultHandled().empty());
}

TEST_F(FrameLoop, EachFrameGetsTheInputOfItsSample) {
    platform.QueueKeyDown(DIK_W);
    platform.QueueMouseMove(3, -2);
    platform.QueueWheel(240);
    platform.QueueButton(1, true);
    platform.QueueIdle();
    platform.QueueMouseMove(1, 1);
    platform.QueueIdle();
    platform.QueueKeyUp(DIK_W);
    platform.QueueIdle();

    app.Run();

    ASSERT_EQ(app.frames.size(), 3u);
    const TestApp::Frame& first = app.frames[0];
    EXPECT_EQ(first.keys[DIK_W], kKeyDown);
    EXPECT_EQ(first.prevKeys[DIK_W], 0);
    EXPECT_EQ(first.mouse[0], 3.0f);
    EXPECT_EQ(first.mouse[1], -2.0f);
    EXPECT_EQ(first.mouse[2], 240.0f);
    EXPECT_EQ(first.mouseButtons[0], 0.0f);
    EXPECT_EQ(first.mouseButtons[1], 128.0f);
    EXPECT_EQ(first.mouseButtons[2], 0.0f);

    const TestApp::Frame& second = app.frames[1];
    EXPECT_EQ(second.keys[DIK_W], kKeyDown);
    EXPECT_EQ(second.prevKeys[DIK_W], kKeyDown);
    EXPECT_EQ(second.mouse[0], 1.0f);
    EXPECT_EQ(second.mouse[1], 1.0f);
    EXPECT_EQ(second.mouse[2], 0.0f);
    EXPECT_EQ(second.mouseButtons[1], 128.0f);

    EXPECT_EQ(app.frames[2].keys[DIK_W], 0);
    EXPECT_EQ(app.frames[2].prevKeys[DIK_W], kKeyDown);
}

TEST_F(FrameLoop, ScreenSaverRequestsNeverReachTheDefaultHandler) {
    const std::uint32_t commands[] = {SystemCommand::ScreenSave, SystemCommand::Minimize,
                                      SystemCommand::MonitorPower, SystemCommand::ScreenSave | 1};
    for (std::uint32_t command : commands)
        platform.QueueMessage(WindowMessage::SysCommand(command));
    platform.QueueMessage(WindowMessage::Close());
    app.Run();

    ASSERT_EQ(platform.DefaultHandled().size(), 2u);
    EXPECT_EQ(platform.DefaultHandled()[0].command, SystemCommand::Minimize);
    EXPECT_EQ(platform.DefaultHandled()[1].command, SystemCommand::ScreenSave | 1);

    WindowHandle window = app.window;
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::SysCommand(SystemCommand::ScreenSave)), 0);
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::SysCommand(SystemCommand::MonitorPower)), 0);
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::SysCommand(SystemCommand::Minimize)),
              ScriptedPlatform::kDefaultHandlingResult);
}

TEST_F(FrameLoop, HandledMessagesAnswerZero) {
    WindowHandle window = app.window;
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::Activate(true)), 0);
    EXPECT_FALSE(app.active);
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::Activate(false)), 0);
    EXPECT_TRUE(app.active);
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::KillFocus()), 0);
    EXPECT_FALSE(app.active);
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::Size(1024, 0)), 0);
    EXPECT_EQ(app.width, 1024);
    EXPECT_EQ(app.height, 1);  // never 0
    EXPECT_EQ(app.HandleMessage(window, WindowMessage::Close()), 0);
    EXPECT_EQ(platform.QuitsPosted(), 1);
    EXPECT_TRUE(platform.DefaultHandled().empty());
}

}  // namespace
