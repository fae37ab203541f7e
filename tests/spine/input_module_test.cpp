#include "input/input_module.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "platform/key_codes.h"
#include "platform/scripted_platform.h"

namespace {

class Input : public ::testing::Test {
  protected:
    void SetUp() override {
        instance = platform.RegisterWindowClass();
        window = platform.CreateWindow(instance, "input", 640, 480, false, PixelFormat{});
    }
    void TearDown() override {
        if (InputModule* input = InputModule::Instance())
            input->Release();
    }

    InputModule& Created() {
        EXPECT_TRUE(InputModule::Init(instance, window, &log));
        return *InputModule::Instance();
    }

    // Applies the script up to its next idle step, as the frame loop's message pump would.
    void Pump() {
        WindowMessage message;
        while (platform.PeekMessage(message)) {
        }
    }

    bool PollAfter(InputModule& input) {
        platform.QueueIdle();
        Pump();
        return input.Poll();
    }

    int CallsOf(PlatformCall call) const {
        return static_cast<int>(std::count(platform.Calls().begin(), platform.Calls().end(), call));
    }

    ScriptedPlatform platform;
    InstanceHandle instance = nullptr;
    WindowHandle window = nullptr;
    std::ostringstream log;
};

bool AllZero(const std::uint8_t* keys) {
    for (int i = 0; i < 256; ++i) {
        if (keys[i] != 0)
            return false;
    }
    return true;
}

TEST_F(Input, FirstPollSeesAKeyHeldAtStartAsNewlyPressed) {
    InputModule& input = Created();
    platform.QueueKeyDown(DIK_A);
    ASSERT_TRUE(PollAfter(input));
    EXPECT_EQ(input.keys[DIK_A], kKeyDown);
    EXPECT_TRUE(AllZero(input.prevKeys));
    EXPECT_NE(input.keys, input.prevKeys);
}

TEST_F(Input, EdgeIsSeenExactlyOncePerPress) {
    InputModule& input = Created();
    // Down for three polls, up for one, down again.
    std::vector<int> edges;
    for (int poll = 0; poll < 6; ++poll) {
        if (poll == 0 || poll == 4)
            platform.QueueKeyDown(DIK_N);
        if (poll == 3)
            platform.QueueKeyUp(DIK_N);
        ASSERT_TRUE(PollAfter(input));
        if (input.keys[DIK_N] != 0 && input.prevKeys[DIK_N] == 0)
            edges.push_back(poll);
    }
    EXPECT_EQ(edges, (std::vector<int>{0, 4}));
    EXPECT_EQ(input.keys[DIK_N], kKeyDown);
    EXPECT_EQ(input.prevKeys[DIK_N], kKeyDown);
}

TEST_F(Input, ATapBetweenTwoPollsReadsAsOnePress) {
    InputModule& input = Created();
    platform.QueueKeyDown(DIK_ESCAPE);
    platform.QueueKeyUp(DIK_ESCAPE);
    ASSERT_TRUE(PollAfter(input));
    EXPECT_EQ(input.keys[DIK_ESCAPE], kKeyDown);
    EXPECT_EQ(input.prevKeys[DIK_ESCAPE], 0);
    ASSERT_TRUE(PollAfter(input));
    EXPECT_EQ(input.keys[DIK_ESCAPE], 0);

    // A tap made before the keyboard was acquired again is not the game's.
    platform.QueueKeyDown(DIK_N);
    platform.QueueKeyUp(DIK_N);
    platform.QueueIdle();
    Pump();
    ASSERT_TRUE(input.Acquire());
    ASSERT_TRUE(PollAfter(input));
    EXPECT_EQ(input.keys[DIK_N], 0);
}

TEST_F(Input, MouseMovementAndWheelPassThroughUnscaled) {
    InputModule& input = Created();
    platform.QueueMouseMove(-4, 9);
    platform.QueueWheel(37);
    platform.QueueWheel(-5);
    platform.QueueButton(0, true);
    platform.QueueButton(2, true);
    ASSERT_TRUE(PollAfter(input));
    EXPECT_EQ(input.mouse[0], -4.0f);
    EXPECT_EQ(input.mouse[1], 9.0f);
    EXPECT_EQ(input.mouse[2], 32.0f);
    EXPECT_EQ(input.mouseButtons[0], 128.0f);
    EXPECT_EQ(input.mouseButtons[1], 0.0f);
    EXPECT_EQ(input.mouseButtons[2], 128.0f);

    ASSERT_TRUE(PollAfter(input));  // movement is relative to the previous reading
    EXPECT_EQ(input.mouse[0], 0.0f);
    EXPECT_EQ(input.mouse[2], 0.0f);
    EXPECT_EQ(input.mouseButtons[2], 128.0f);
}

TEST_F(Input, AcquireBeforeCreationOrAfterReleaseReturnsFalseAndDoesNothing) {
    platform.Fail(PlatformCall::CreateInput);
    EXPECT_FALSE(InputModule::Init(instance, window, &log));
    ASSERT_NE(InputModule::Instance(), nullptr);  // exists even after a failed Init
    EXPECT_FALSE(InputModule::Instance()->Acquire());
    EXPECT_EQ(log.str(), "");

    platform.Succeed(PlatformCall::CreateInput);
    InputModule& input = Created();
    EXPECT_TRUE(input.Acquire());
    EXPECT_EQ(CallsOf(PlatformCall::AcquireKeyboard), 2);
    input.Release();
    EXPECT_FALSE(input.Acquire());
    EXPECT_EQ(CallsOf(PlatformCall::AcquireKeyboard), 2);
    EXPECT_EQ(CallsOf(PlatformCall::AcquireMouse), 2);
}

TEST_F(Input, ReleaseTwiceDoesNothingTheSecondTime) {
    InputModule& input = Created();
    input.Release();
    EXPECT_EQ(input.keyboardDevice, nullptr);
    EXPECT_EQ(input.mouseDevice, nullptr);
    EXPECT_EQ(input.directInput, nullptr);
    const std::size_t calls = platform.Calls().size();
    input.Release();
    EXPECT_EQ(platform.Calls().size(), calls);
    EXPECT_EQ(CallsOf(PlatformCall::ReleaseKeyboard), 1);
    EXPECT_EQ(CallsOf(PlatformCall::ReleaseMouse), 1);
    EXPECT_EQ(CallsOf(PlatformCall::ReleaseInput), 1);
}

TEST_F(Input, DeviceFailuresWriteTheirLines) {
    platform.Fail(PlatformCall::CreateKeyboard);
    EXPECT_FALSE(InputModule::Init(instance, window, &log));
    EXPECT_EQ(log.str(), "InputModule::Init !CreateKeyboard.\n");

    log.str("");
    platform.Succeed(PlatformCall::CreateKeyboard);
    platform.Fail(PlatformCall::CreateMouse);
    EXPECT_FALSE(InputModule::Init(instance, window, &log));
    EXPECT_EQ(log.str(), "InputModule::Init !CreateMouse.\n");
    EXPECT_EQ(InputModule::Instance()->keyboardDevice, nullptr);
    EXPECT_EQ(InputModule::Instance()->directInput, nullptr);

    EXPECT_FALSE(InputModule::Init(instance, window, nullptr));  // no log: nothing written
}

TEST_F(Input, InitAgainReplacesTheModuleAndReleasesTheOldDevices) {
    Created();
    EXPECT_TRUE(InputModule::Init(instance, window, &log));
    EXPECT_EQ(CallsOf(PlatformCall::ReleaseKeyboard), 1);
    EXPECT_EQ(CallsOf(PlatformCall::ReleaseInput), 1);
    EXPECT_NE(InputModule::Instance()->keyboardDevice, nullptr);
}

TEST_F(Input, PollWithoutDevicesFailsQuietly) {
    platform.Fail(PlatformCall::CreateInput);
    EXPECT_FALSE(InputModule::Init(instance, window, &log));
    InputModule& input = *InputModule::Instance();
    EXPECT_FALSE(input.Poll());
    EXPECT_TRUE(AllZero(input.keys));
    EXPECT_EQ(platform.KeyboardReads(), 0);
}

TEST_F(Input, LostKeyboardThatComesBackReadsAsNoKeysDown) {
    InputModule& input = Created();
    platform.QueueKeyDown(DIK_A);
    ASSERT_TRUE(PollAfter(input));
    platform.SetNextKeyboardRead(InputResult::Lost);
    EXPECT_TRUE(PollAfter(input));
    EXPECT_EQ(input.lastResult, InputResult::Ok);  // the mouse was read after it
    EXPECT_TRUE(AllZero(input.keys));
    EXPECT_EQ(CallsOf(PlatformCall::AcquireKeyboard), 2);
    EXPECT_EQ(platform.MouseReads(), 2);
}

TEST_F(Input, FailedKeyboardReadDoesNotBringBackTheStateOfTwoPollsAgo) {
    InputModule& input = Created();
    platform.QueueKeyDown(DIK_A);
    ASSERT_TRUE(PollAfter(input));  // buffer A: A down
    platform.QueueKeyUp(DIK_A);
    ASSERT_TRUE(PollAfter(input));  // buffer B: A up
    platform.SetNextKeyboardRead(InputResult::Failed);
    EXPECT_TRUE(PollAfter(input));  // buffer A again, not read
    EXPECT_EQ(input.keys[DIK_A], 0);
    EXPECT_EQ(input.prevKeys[DIK_A], 0);
}

TEST_F(Input, LostKeyboardThatStaysLostSkipsTheMouseAndReportsNoMovement) {
    InputModule& input = Created();
    platform.QueueMouseMove(5, 5);
    platform.QueueButton(1, true);
    ASSERT_TRUE(PollAfter(input));
    ASSERT_EQ(input.mouse[0], 5.0f);

    platform.Fail(PlatformCall::AcquireKeyboard);
    platform.SetNextKeyboardRead(InputResult::Lost);
    EXPECT_FALSE(PollAfter(input));
    EXPECT_EQ(platform.MouseReads(), 1);
    EXPECT_EQ(input.mouse[0], 0.0f);
    EXPECT_EQ(input.mouse[1], 0.0f);
    EXPECT_EQ(input.mouseButtons[1], 0.0f);
}

TEST_F(Input, LostMouse) {
    InputModule& input = Created();
    platform.QueueMouseMove(5, 5);
    ASSERT_TRUE(PollAfter(input));

    platform.QueueMouseMove(2, 2);
    platform.SetNextMouseRead(InputResult::Lost);
    EXPECT_TRUE(PollAfter(input));  // re-acquired: no movement this time
    EXPECT_EQ(input.mouse[0], 0.0f);
    EXPECT_EQ(CallsOf(PlatformCall::AcquireMouse), 2);

    platform.QueueMouseMove(3, 3);
    ASSERT_TRUE(PollAfter(input));
    ASSERT_EQ(input.mouse[0], 5.0f);  // 2 + 3, gathered since the last successful reading
    platform.Fail(PlatformCall::AcquireMouse);
    platform.SetNextMouseRead(InputResult::Lost);
    EXPECT_FALSE(PollAfter(input));
    EXPECT_EQ(input.mouse[0], 0.0f);  // the last movement is not repeated
}

}  // namespace
