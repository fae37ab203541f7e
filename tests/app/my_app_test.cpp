// The demo scene driven frame by frame through the scripted platform, drawing into a real
// OpenGL context.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "app/my_app.h"
#include "assets/stats.h"
#include "platform/key_codes.h"
#include "platform/scripted_platform.h"
#include "tests/gl_call_log.h"
#include "tests/support/model_meshes.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"

namespace {

class DemoScene : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        MeshSource robot = RootAndArm();
        const auto gun = robot.AddNode("Gun", 1);
        const float points[9] = {5, 0, 0, 5, 0, 1, 5, 1, 0};
        for (int i = 0; i < 9; ++i)
            robot.nodes[static_cast<std::size_t>(gun)].points[i] = points[i];
        ASSERT_TRUE(WriteMeshFile("robot.ply", robot));
        // Every frame of the first animation poses the arm differently.
        ASSERT_TRUE(WriteAnimationFile("idle.anm", Moving({"Arm"}, 30, {0, 0.1f, 0})));
        ASSERT_TRUE(WriteAnimationFile("walk.anm", Constant({"Root"}, 40, Transform::Identity)));
        ASSERT_TRUE(WriteMeshFile("gun.ply", RootAndArm()));
        dir.Write("kordax.txt", "actor\nrobot.ply\n2\nidle.anm\nwalk.anm\n");
        dir.Write("gun82.txt", "prop\ngun.ply\n");
        dir.Write("gun82stats.txt", "maxammo\n30\n");
        dir.Write("kordaxstats.txt", "maxhp\n250\nmaxep\n40.5\n");
        platform.SetCounterFrequency(1000);
        platform.SetCounterStep(10);
        platform.AnswerNextBox(MessageBoxAnswer::No);
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    // Runs one frame with these keys down (all others up).
    void Frame(std::initializer_list<std::uint8_t> down, int mouseX = 0, int mouseY = 0,
               int wheel = 0) {
        for (std::uint8_t k : held)
            platform.QueueKeyUp(k);
        held.assign(down.begin(), down.end());
        for (std::uint8_t k : held)
            platform.QueueKeyDown(k);
        if (mouseX != 0 || mouseY != 0)
            platform.QueueMouseMove(mouseX, mouseY);
        if (wheel != 0)
            platform.QueueWheel(wheel);
        platform.QueueIdle();
    }

    ScriptedPlatform platform;
    TempDir dir;
    std::filesystem::path previous;
    std::vector<std::uint8_t> held;
};

TEST_F(DemoScene, InitAsksLoadsMountsAndPlacesTheCamera) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    ASSERT_GE(platform.Boxes().size(), 1u);
    EXPECT_EQ(platform.Boxes()[0].caption, "Start FullScreen?");
    EXPECT_EQ(platform.Boxes()[0].text, "Would You Like To Run In Fullscreen Mode?");
    EXPECT_FALSE(app.fullscreen);
    EXPECT_EQ(app.width, 640);
    ASSERT_NE(app.robot, nullptr);
    ASSERT_NE(app.gun, nullptr);
    EXPECT_EQ(app.robot->attachmentCount, 1);
    EXPECT_EQ(app.robot->hitPoints, 250.0f);
    EXPECT_EQ(app.gun->ammunition, 30);
    EXPECT_EQ(app.camera.position, (Vec3{0, 0, 400}));
    EXPECT_NE(platform.ConsoleText().find("Load Time "), std::string::npos);
}

TEST_F(DemoScene, AMissingDescriptorIsReportedAndEndsTheProgram) {
    std::filesystem::remove("gun82.txt");
    MyApp app;
    EXPECT_EQ(app.Init(), 0);
    ASSERT_GE(platform.Boxes().size(), 2u);
    EXPECT_EQ(platform.Boxes().back().caption, "ERROR");
    EXPECT_EQ(platform.Boxes().back().text, "Could Not Load gun82.txt.");
}

TEST_F(DemoScene, OppositeKeysCancelAndThrustIsIntegratedOverTheFrameTime) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    Frame({DIK_W, DIK_S, DIK_Z, DIK_X});
    Frame({DIK_UP});
    app.Run();
    EXPECT_EQ(app.robot->zAxis, Vec3::UnitZ);
    EXPECT_EQ(app.robot->thrust, (Vec3{0, 0, 100}));
    EXPECT_GT(app.robot->velocity.z, 0.0f);
    EXPECT_EQ(app.robot->velocity.y, 0.0f);
    EXPECT_EQ(app.robot->position.x, 0.0f);
}

TEST_F(DemoScene, NAndLActOncePerPress) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    orbitMode = false;
    // Held for two frames: switching every frame would end where it started.
    Frame({DIK_N, DIK_L});
    Frame({DIK_N, DIK_L});
    app.Run();
    EXPECT_EQ(app.robot->animationIndex, 1);
    EXPECT_TRUE(orbitMode);

    Frame({});
    Frame({DIK_N, DIK_L});
    app.Run();
    EXPECT_EQ(app.robot->animationIndex, 0);
    EXPECT_FALSE(orbitMode);
}

TEST_F(DemoScene, SpaceHoldsTheAnimationWhileTurningAndTheCameraGoOnAndResumesWhereItHeld) {
    // Every reading of the counter is where the test put it; at 1000 ticks a second the robot
    // plays 0.03 frames a tick. Each step stays clear of whole frames.
    platform.SetCounterStep(0);
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    platform.AdvanceCounter(84);
    Frame({});
    app.Run();
    ASSERT_EQ(app.robot->frame, 2);

    platform.AdvanceCounter(34);
    Frame({DIK_SPACE});
    app.Run();
    EXPECT_EQ(app.robot->frame, 2);
    const std::vector<Vec3> held = app.robot->posedVertices;

    // A clock that counted the paused time would go on at frame 19.
    platform.AdvanceCounter(525);
    Frame({DIK_A, DIK_U});
    Frame({DIK_A, DIK_U});
    app.Run();
    EXPECT_EQ(app.robot->frame, 2);
    EXPECT_EQ(app.robot->posedVertices, held);
    EXPECT_NE(app.robot->zAxis, Vec3::UnitZ);
    EXPECT_NE(app.camera.position, (Vec3{0, 0, 400}));

    Frame({DIK_SPACE});
    app.Run();
    EXPECT_EQ(app.robot->frame, 2);
    platform.AdvanceCounter(110);
    Frame({});
    app.Run();
    EXPECT_EQ(app.robot->frame, 5);
    EXPECT_NE(app.robot->posedVertices, held);
}

TEST_F(DemoScene, EachCameraMoveGoesAlongTheRowsTheMoveBeforeLeft) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    orbitMode = true;
    // Close to the target, a one-unit slide to the left turns the camera by about 27 degrees,
    // so the back row of the second move is far from the one the frame started with.
    app.camera.SetPosition({0, 0, 2});
    Camera expected = app.camera;
    expected.Move(expected.orientation.Row(0) * -1.0f, true);
    expected.Move(expected.orientation.Row(2) * +1.0f, true);
    Frame({DIK_DELETE, DIK_INSERT});
    app.Run();
    EXPECT_NEAR((app.camera.position - expected.position).Length(), 0.0f, 1e-5f);
}

TEST_F(DemoScene, TheMouseTurnsInPlaceOrOrbitsAndTheWheelMovesAlongWorldZ) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    orbitMode = false;
    Frame({}, 0, 0, 100);  // ten units toward the viewer
    app.Run();
    EXPECT_NEAR(app.camera.position.z, 410.0f, 1e-3f);

    orbitMode = true;
    Frame({}, -450, 0);  // yaw 90 degrees around the target
    app.Run();
    EXPECT_NEAR(app.camera.position.x, 410.0f, 0.5f);
    EXPECT_NEAR(app.camera.position.z, 0.0f, 0.5f);

    orbitMode = false;
    const Vec3 before = app.camera.position;
    Frame({}, 50, 0);  // turns the view in place
    app.Run();
    EXPECT_NEAR((app.camera.position - before).Length(), 0.0f, 1e-3f);
}

TEST_F(DemoScene, RHeldRollsWithVerticalMouseAndOLevelsTheCamera) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    Frame({DIK_R}, 300, 50);  // horizontal movement ignored, vertical rolls by 10 degrees
    app.Run();
    const float tilt = std::asin(app.camera.orientation.Row(0).y) * 57.2958f;
    EXPECT_NEAR(std::fabs(tilt), 10.0f, 1e-2f);
    EXPECT_NEAR(app.camera.orientation.Row(2).z, 1.0f, 1e-5f);
    for (int i = 0; i < 60; ++i)
        Frame({DIK_O});
    app.Run();
    EXPECT_LT(std::fabs(std::asin(app.camera.orientation.Row(0).y) * 57.2958f), 0.1f);
}

TEST_F(DemoScene, ARobotOutsideTheFrustumIsNeitherPosedNorDrawnAndNorIsItsGun) {
    MyApp app;
    ASSERT_EQ(app.Init(), 1);
    GlCallLog& log = TheGlCallLog();
    log.Clear();
    Frame({});
    app.Run();
    // Each drawing binds once for its first group: the gun's, then the robot's.
    EXPECT_EQ(log.binds.size(), 2u);
    EXPECT_GE(log.quads, 2);
    const std::int64_t posedAt = app.robot->lastCounter;
    EXPECT_NE(posedAt, 0);

    for (const Vec3 away : {Vec3{0, 0, 1000}, Vec3{5000, 0, 0}, Vec3{0, -5000, 0}}) {
        app.robot->position = away;
        app.robot->velocity = Vec3::Zero;
        log.Clear();
        Frame({});
        app.Run();
        EXPECT_EQ(log.quads, 0);
        EXPECT_TRUE(log.binds.empty());
        EXPECT_EQ(app.robot->lastCounter, posedAt);
    }

    app.robot->position = Vec3::Zero;
    log.Clear();
    Frame({});
    app.Run();
    EXPECT_EQ(log.binds.size(), 2u);
    EXPECT_GT(app.robot->lastCounter, posedAt);
}

}  // namespace
