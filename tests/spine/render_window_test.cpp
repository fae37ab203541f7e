// Creation and destruction of the window and context, step by step, on the scripted platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "input/input_module.h"
#include "platform/scripted_platform.h"
#include "tests/spine/test_app.h"

namespace {

using ::testing::ElementsAre;
using Calls = std::vector<PlatformCall>;
using PC = PlatformCall;

class RenderWindow : public ::testing::Test {
  protected:
    // The calls made from now on.
    Calls CallsFrom(std::size_t start) const {
        const Calls& all = platform.Calls();
        return Calls(all.begin() + static_cast<std::ptrdiff_t>(std::min(start, all.size())),
                     all.end());
    }

    // Every handle of the window released.
    void ExpectNoHandlesLeft() const {
        EXPECT_EQ(app.instance, nullptr);
        EXPECT_EQ(app.window, nullptr);
        EXPECT_EQ(app.dc, nullptr);
        EXPECT_EQ(app.renderContext, nullptr);
    }

    ScriptedPlatform platform;
    TestApp app;
};

TEST_F(RenderWindow, CreateMakesEverythingInOrderAndKeepsTheWindowHidden) {
    ASSERT_EQ(app.Create("The Vorn Project", 640, 480, 32, false), 1);

    EXPECT_EQ(platform.Calls(),
              (Calls{PC::OpenConsole, PC::RegisterWindowClass, PC::CreateWindow,
                     PC::GetDeviceContext, PC::ChoosePixelFormat, PC::SetPixelFormat,
                     PC::CreateRenderContext, PC::MakeCurrent, PC::CreateInput, PC::CreateKeyboard,
                     PC::AcquireKeyboard, PC::CreateMouse, PC::AcquireMouse}));
    EXPECT_TRUE(platform.Boxes().empty());
    EXPECT_EQ(platform.ConsoleText(), "");
    EXPECT_EQ(platform.WindowTitle(), "The Vorn Project");
    EXPECT_FALSE(platform.WindowFullscreen());
    const WindowState state = platform.QueryWindow(app.window);
    EXPECT_EQ(state.clientWidth, 640);
    EXPECT_EQ(state.clientHeight, 480);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
    EXPECT_FALSE(state.visible);

    PixelFormat expected;
    expected.colorBits = 32;
    expected.depthBits = 16;
    expected.doubleBuffer = true;
    EXPECT_EQ(platform.LastPixelFormat(), expected);

    EXPECT_EQ(app.counterFrequency, 1000.0f);
    EXPECT_NE(app.instance, nullptr);
    EXPECT_NE(app.window, nullptr);
    EXPECT_NE(app.dc, nullptr);
    EXPECT_NE(app.renderContext, nullptr);
    ASSERT_NE(InputModule::Instance(), nullptr);
    EXPECT_EQ(InputModule::Instance()->log, &app.console);
}

TEST_F(RenderWindow, PixelFormatFollowsEachCreationsColourDepth) {
    ASSERT_EQ(app.Create("a", 320, 240, 16, false), 1);
    EXPECT_EQ(platform.LastPixelFormat().colorBits, 16);
    app.Shutdown();
    ASSERT_EQ(app.Create("b", 320, 240, 24, false), 1);
    EXPECT_EQ(platform.LastPixelFormat().colorBits, 24);
}

TEST_F(RenderWindow, TitleIsCutAt255Characters) {
    const std::string longTitle(300, 'x');
    ASSERT_EQ(app.Create(longTitle.c_str(), 640, 480, 32, false), 1);
    EXPECT_EQ(std::strlen(app.title), 255u);
    EXPECT_EQ(platform.WindowTitle(), std::string(255, 'x'));
}

TEST_F(RenderWindow, NoPerformanceCounterFailsOnTheConsoleBeforeAnyWindow) {
    platform.SetCounterFrequency(0);
    EXPECT_EQ(app.CreateWindowed(), 0);
    EXPECT_EQ(platform.ConsoleText(), "No High Performance Timer\r\n");
    EXPECT_EQ(platform.Calls(), Calls{PC::OpenConsole});
    EXPECT_TRUE(platform.Boxes().empty());
}

TEST_F(RenderWindow, WindowClassFailureIsReportedAndNothingIsReleased) {
    platform.Fail(PC::RegisterWindowClass);
    EXPECT_EQ(app.CreateWindowed(), 0);
    EXPECT_EQ(platform.Calls(), (Calls{PC::OpenConsole, PC::RegisterWindowClass, PC::MessageBox}));
    ASSERT_EQ(platform.Boxes().size(), 1u);
    EXPECT_EQ(platform.Boxes()[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(platform.Boxes()[0].caption, "ERROR");
    EXPECT_EQ(platform.Boxes()[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(platform.Boxes()[0].icon, MessageBoxIcon::Warning);
}

struct StepFailure {
    PlatformCall failing;
    const char* text;
    Calls releases;  // what DestroyRenderWindow releases before the box
};

class RenderWindowStep : public RenderWindow, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(RenderWindowStep, FailureReleasesWhatWasMadeThenShowsItsMessage) {
    const StepFailure& step = GetParam();
    platform.Fail(step.failing);

    EXPECT_EQ(app.CreateWindowed(), 0);

    const Calls& calls = platform.Calls();
    const auto failed = std::find(calls.begin(), calls.end(), step.failing);
    ASSERT_NE(failed, calls.end());
    Calls after(failed + 1, calls.end());
    Calls expected = step.releases;
    expected.push_back(PC::MessageBox);
    EXPECT_EQ(after, expected);

    ASSERT_EQ(platform.Boxes().size(), 1u);
    EXPECT_EQ(platform.Boxes()[0].text, step.text);
    EXPECT_EQ(platform.Boxes()[0].caption, "ERROR");
    EXPECT_EQ(platform.Boxes()[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(platform.Boxes()[0].icon, MessageBoxIcon::Warning);
    ExpectNoHandlesLeft();

    // Shutdown at exit finds nothing left but the console.
    const std::size_t before = platform.Calls().size();
    app.Shutdown();
    EXPECT_EQ(CallsFrom(before), Calls{PC::CloseConsole});
    EXPECT_EQ(platform.Boxes().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, RenderWindowStep,
    ::testing::Values(
        StepFailure{PC::CreateWindow, "Window Creation Error.", {PC::UnregisterWindowClass}},
        StepFailure{PC::GetDeviceContext,
                    "Can't Create A GL Device Context.",
                    {PC::DestroyWindow, PC::UnregisterWindowClass}},
        StepFailure{PC::ChoosePixelFormat,
                    "Can't Find A Suitable PixelFormat.",
                    {PC::ReleaseDeviceContext, PC::DestroyWindow, PC::UnregisterWindowClass}},
        StepFailure{PC::SetPixelFormat,
                    "Can't Set The PixelFormat.",
                    {PC::ReleaseDeviceContext, PC::DestroyWindow, PC::UnregisterWindowClass}},
        StepFailure{PC::CreateRenderContext,
                    "Can't Create A GL Rendering Context.",
                    {PC::ReleaseDeviceContext, PC::DestroyWindow, PC::UnregisterWindowClass}},
        StepFailure{PC::MakeCurrent,
                    "Can't Activate The GL Rendering Context.",
                    {PC::ReleaseCurrent, PC::DeleteRenderContext, PC::ReleaseDeviceContext,
                     PC::DestroyWindow, PC::UnregisterWindowClass}}),
    [](const ::testing::TestParamInfo<StepFailure>& info) {
        return std::string(PlatformCallName(info.param.failing));
    });

TEST_F(RenderWindow, AcceptedFullScreenModeIsRestoredBeforeTheContextIsReleased) {
    ASSERT_EQ(app.Create("Full", 640, 480, 32, true), 1);
    EXPECT_TRUE(platform.Boxes().empty());
    EXPECT_EQ(platform.DisplayModeWidth(), 640);
    EXPECT_EQ(platform.DisplayModeHeight(), 480);
    EXPECT_EQ(platform.DisplayModeBits(), 32);
    EXPECT_TRUE(platform.WindowFullscreen());
    EXPECT_TRUE(app.fullscreen);

    const std::size_t before = platform.Calls().size();
    app.Shutdown();
    EXPECT_EQ(
        CallsFrom(before),
        (Calls{PC::ReleaseKeyboard, PC::ReleaseMouse, PC::ReleaseInput, PC::RestoreDisplayMode,
               PC::ReleaseCurrent, PC::DeleteRenderContext, PC::ReleaseDeviceContext,
               PC::DestroyWindow, PC::UnregisterWindowClass, PC::CloseConsole}));
}

TEST_F(RenderWindow, RefusedFullScreenModeAnsweredYesGivesAWindowOfTheRequestedSize) {
    platform.Fail(PC::ChangeDisplayMode);
    platform.AnswerNextBox(MessageBoxAnswer::Yes);

    ASSERT_EQ(app.Create("Windowed", 640, 480, 32, true), 1);

    ASSERT_EQ(platform.Boxes().size(), 1u);
    EXPECT_EQ(platform.Boxes()[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
              "Mode Instead?");
    EXPECT_EQ(platform.Boxes()[0].caption, "App");
    EXPECT_EQ(platform.Boxes()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(platform.Boxes()[0].icon, MessageBoxIcon::Warning);
    EXPECT_FALSE(app.fullscreen);
    EXPECT_FALSE(platform.WindowFullscreen());
    EXPECT_EQ(platform.QueryWindow(app.window).clientWidth, 640);
    EXPECT_EQ(platform.QueryWindow(app.window).clientHeight, 480);

    const std::size_t before = platform.Calls().size();
    app.Shutdown();
    const Calls shutdown = CallsFrom(before);
    EXPECT_EQ(std::count(shutdown.begin(), shutdown.end(), PC::RestoreDisplayMode), 0);
}

TEST_F(RenderWindow, RefusedFullScreenModeAnsweredNoClosesWithTheClassStillRegistered) {
    platform.Fail(PC::ChangeDisplayMode);  // the unanswered box takes No, as Escape would

    EXPECT_EQ(app.Create("Closing", 640, 480, 32, true), 0);

    ASSERT_EQ(platform.Boxes().size(), 2u);
    EXPECT_EQ(platform.Boxes()[0].caption, "App");
    EXPECT_EQ(platform.Boxes()[1].text, "Program Will Now Close.");
    EXPECT_EQ(platform.Boxes()[1].caption, "ERROR");
    EXPECT_EQ(platform.Boxes()[1].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(platform.Boxes()[1].icon, MessageBoxIcon::Error);
    EXPECT_NE(app.instance, nullptr);
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(std::count(platform.Calls().begin(), platform.Calls().end(), PC::CreateWindow), 0);

    const std::size_t before = platform.Calls().size();
    app.Shutdown();
    EXPECT_EQ(CallsFrom(before),
              (Calls{PC::RestoreDisplayMode, PC::UnregisterWindowClass, PC::CloseConsole}));
    EXPECT_EQ(app.instance, nullptr);
}

TEST_F(RenderWindow, InputSystemFailureWritesOnlyTheCreateLine) {
    platform.Fail(PC::CreateInput);
    EXPECT_EQ(app.CreateWindowed(), 0);
    EXPECT_EQ(platform.ConsoleText(), "Input Not Acquired, ");
    ASSERT_NE(InputModule::Instance(), nullptr);
    EXPECT_EQ(InputModule::Instance()->directInput, nullptr);
}

TEST_F(RenderWindow, KeyboardFailureIsReportedByTheInputModuleAndTheFrame) {
    platform.Fail(PC::AcquireKeyboard);
    EXPECT_EQ(app.CreateWindowed(), 0);
    EXPECT_EQ(platform.ConsoleText(), "InputModule::Init !CreateKeyboard.\r\nInput Not Acquired, ");
    EXPECT_THAT(CallsFrom(platform.Calls().size() - 3),
                ElementsAre(PC::AcquireKeyboard, PC::ReleaseKeyboard, PC::ReleaseInput));
}

TEST_F(RenderWindow, MouseFailureReleasesTheKeyboardToo) {
    platform.Fail(PC::AcquireMouse);
    EXPECT_EQ(app.CreateWindowed(), 0);
    EXPECT_EQ(platform.ConsoleText(), "InputModule::Init !CreateMouse.\r\nInput Not Acquired, ");
    EXPECT_THAT(CallsFrom(platform.Calls().size() - 5),
                ElementsAre(PC::CreateMouse, PC::AcquireMouse, PC::ReleaseKeyboard,
                            PC::ReleaseMouse, PC::ReleaseInput));

    const std::size_t before = platform.Calls().size();
    app.Shutdown();  // input is already released
    const Calls shutdown = CallsFrom(before);
    EXPECT_EQ(shutdown.front(), PC::ReleaseCurrent);
}

TEST_F(RenderWindow, EveryReleaseFailureIsReportedAndTheRestStillRuns) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    for (PlatformCall call : {PC::ReleaseCurrent, PC::DeleteRenderContext, PC::ReleaseDeviceContext,
                              PC::DestroyWindow, PC::UnregisterWindowClass}) {
        platform.Fail(call);
    }

    app.DestroyRenderWindow();

    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : platform.Boxes()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
        EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
        EXPECT_EQ(box.icon, MessageBoxIcon::Information);
    }
    EXPECT_THAT(texts,
                ElementsAre("Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                            "Release Device Context Failed.", "Could Not Release hWnd.",
                            "Could Not Unregister Class."));
    ExpectNoHandlesLeft();

    const std::size_t before = platform.Calls().size();
    app.DestroyRenderWindow();
    EXPECT_TRUE(CallsFrom(before).empty());
    EXPECT_EQ(platform.Boxes().size(), 5u);
}

TEST_F(RenderWindow, DestroyTwiceReleasesNothingTwice) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    const std::size_t before = platform.Calls().size();
    app.DestroyRenderWindow();
    EXPECT_EQ(CallsFrom(before),
              (Calls{PC::ReleaseCurrent, PC::DeleteRenderContext, PC::ReleaseDeviceContext,
                     PC::DestroyWindow, PC::UnregisterWindowClass}));
    const std::size_t second = platform.Calls().size();
    app.DestroyRenderWindow();
    EXPECT_TRUE(CallsFrom(second).empty());
    EXPECT_TRUE(platform.Boxes().empty());
}

TEST_F(RenderWindow, DestroyWithNothingCreatedReleasesNothing) {
    app.DestroyRenderWindow();  // fullscreen is wanted by default: only the mode is restored
    EXPECT_EQ(platform.Calls(), Calls{PC::RestoreDisplayMode});
    EXPECT_TRUE(platform.Boxes().empty());
}

TEST_F(RenderWindow, ResizeViewNeverStoresAZeroHeight) {
    app.ResizeView(800, 0, 45.0);
    EXPECT_EQ(app.width, 800);
    EXPECT_EQ(app.height, 1);
    app.ResizeView(300, 200, 45.0);
    EXPECT_EQ(app.height, 200);
}

}  // namespace
