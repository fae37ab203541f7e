#include "app/entry_point.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/key_codes.h"
#include "platform/scripted_platform.h"
#include "tests/spine/test_app.h"

namespace {

class FailingStart : public TestApp {
  public:
    int Init() { return CreateWindowed(); }
};

class GoodStart : public TestApp {
  public:
    int Init() { return CreateWindowed(); }
};

TEST(EntryPoint, FailedStartGivesAFailingExitStatusWithoutRunning) {
    ScriptedPlatform platform;
    platform.SetCounterFrequency(0);
    EXPECT_NE(EnterApp<FailingStart>(), EXIT_SUCCESS);
    EXPECT_EQ(
        std::count(platform.Calls().begin(), platform.Calls().end(), PlatformCall::ShowWindow), 0);
    EXPECT_EQ(TheAppOf<FailingStart>().updates, 0);
    TheAppOf<FailingStart>().Shutdown();  // before this platform goes; exit finds nothing left
}

TEST(EntryPoint, GoodStartRunsTheFrameLoopAndSucceeds) {
    ScriptedPlatform platform;
    platform.QueueIdle();
    platform.QueueKeyDown(DIK_ESCAPE);
    platform.QueueIdle();
    platform.QueueIdle();

    EXPECT_EQ(EnterApp<GoodStart>(), EXIT_SUCCESS);

    GoodStart& app = TheAppOf<GoodStart>();
    EXPECT_EQ(app.updates, 2);
    EXPECT_FALSE(platform.ScriptRanOut());
    app.Shutdown();
}

}  // namespace
