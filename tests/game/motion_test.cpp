// Turning and moving instances, mounting props on actor nodes.
#include <array>
#include <cmath>

#include "assets/name_hash.h"
#include "game/actor_clone.h"
#include "game/prop_clone.h"
#include "game/robot.h"
#include "tests/game/game_fixture.h"

namespace {

class Motion : public GameTest {
  protected:
    // An actor whose root carries the node "Gun" with the given attachment points.
    void LoadActor(const std::array<float, 9>& points = {}) {
        MeshSource s = RootAndArm();
        const auto gun = s.AddNode("Gun", 1);
        for (int i = 0; i < 9; ++i)
            s.nodes[static_cast<std::size_t>(gun)].points[i] = points[static_cast<std::size_t>(i)];
        ASSERT_TRUE(WriteMeshFile(dir.File("a.ply"), s));
        ASSERT_EQ(actorModel.LoadMesh(dir.File("a.ply"), defaultTextureParams), 1);
        ASSERT_EQ(actorModel.LoadGroups(dir.File("a.prs")), 1);
    }
    ActorModel actorModel;
    PropModel propModel;
};

TEST_F(Motion, MoveIntegratesConstantAccelerationExactlyAndThenCoasts) {
    LoadActor();
    Kordax robot(&actorModel, 1000.0f);
    robot.thrust = {0, 0, 100};
    robot.Move(0.5f);
    EXPECT_EQ(robot.position, (Vec3{0, 0, 12.5f}));
    EXPECT_EQ(robot.velocity, (Vec3{0, 0, 50}));
    robot.thrust = Vec3::Zero;
    robot.Move(0.5f);
    EXPECT_EQ(robot.position, (Vec3{0, 0, 37.5f}));
}

TEST_F(Motion, TurnsRotateTheOtherTwoAxesCounterClockwiseAndThrustFollowsThem) {
    LoadActor();
    Kordax robot(&actorModel, 1000.0f);
    robot.TurnAboutZ(90);
    EXPECT_NEAR(robot.xAxis.x, 0, 1e-6f);
    EXPECT_NEAR(robot.xAxis.y, 1, 1e-6f);
    EXPECT_NEAR(robot.yAxis.x, -1, 1e-6f);
    EXPECT_EQ(robot.zAxis, Vec3::UnitZ);
    robot.thrust = {100, 0, 0};
    robot.Move(1.0f);
    EXPECT_NEAR(robot.velocity.y, 100, 1e-4f);

    robot.TurnAboutX(0);  // exactly 0 turns nothing
    EXPECT_EQ(robot.zAxis, Vec3::UnitZ);
}

TEST_F(Motion, TheMountComesFromTheNodesThreePointsAndTenSlotsAreAllThereIs) {
    LoadActor({0, 0, 0, 0, 0, 2, 0, 3, 0});
    Kordax robot(&actorModel, 1000.0f);
    PropClone prop(&propModel, Vec3::Zero);
    EXPECT_EQ(robot.Attach(&prop, NameHash("Nowhere")), 0);
    EXPECT_EQ(robot.Attach(&prop, NameHash("Gun")), 1);
    EXPECT_EQ(prop.transform.r, Matrix3::Identity);
    EXPECT_EQ(prop.transform.t, Vec3::Zero);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(robot.Attach(&prop, NameHash("Gun")), 1);
    EXPECT_EQ(robot.Attach(&prop, NameHash("Gun")), 0);
    EXPECT_EQ(robot.attachmentCount, 10);
}

TEST_F(Motion, CoincidentAttachmentPointsStillGiveAFiniteMount) {
    LoadActor({1, 2, 3, 1, 2, 3, 1, 2, 3});
    Kordax robot(&actorModel, 1000.0f);
    PropClone prop(&propModel, Vec3::Zero);
    ASSERT_EQ(robot.Attach(&prop, NameHash("Gun")), 1);
    for (float v : prop.transform.r.m)
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(prop.transform.t, (Vec3{1, 2, 3}));
}

TEST_F(Motion, VisibilityKeepsASphereTouchingAPlaneAndDropsOneJustOutside) {
    LoadActor();
    Kordax robot(&actorModel, 1000.0f);
    Camera camera;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    camera.frustum.ExtractPlanes(identity, identity);  // the cube -1..1
    const float r = actorModel.mesh->radius;
    robot.position = {1 + r, 0, 0};
    EXPECT_EQ(robot.IsVisible(camera), 1);
    robot.position = {1 + r + 0.01f, 0, 0};
    EXPECT_EQ(robot.IsVisible(camera), 0);
}

}  // namespace
