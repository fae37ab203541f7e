// The robot's animations posed by the game's own pose evaluation: they loop without a jump,
// move what they are meant to move, keep the robot and its gun in the start camera's view.
#include <cmath>
#include <numbers>

#include "tests/content/loaded_content.h"

namespace {

enum AnimationIndex { kIdle, kWalk, kAim };

class ContentMotion : public ContentTest {
  protected:
    // Poses the robot at `frame`; the gun's transform (its mount, then the "Gun" node's pose)
    // lands in `gun`.
    void Pose(int animation, int frame) {
        vertices = RobotMesh().vertices;
        normals = RobotMesh().normals;
        const std::uint32_t hash = NameHash("Gun");
        Transform captured = Transform::Identity;
        ASSERT_EQ(content->robot.PoseNodes(animation, frame, RobotMesh().root, vertices, normals,
                                           {&hash, 1}, {&captured, 1}, Transform::Identity),
                  1);
        gun = Compose(GunMount(Node(RobotMesh(), "Gun")), captured);
    }
    int Frames(int animation) const { return content->robot.animations[animation]->frameCount; }
    Vec3 Centre(const char* node) const { return NodeCentre(Node(RobotMesh(), node), vertices); }

    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    Transform gun;
};

float LargestMove(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
    float largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, (a[i] - b[i]).Length());
    }
    return largest;
}

TEST_F(ContentMotion, EachAnimationMovesAndLoopsWithoutAJump) {
    for (int a : {kIdle, kWalk, kAim}) {
        const int frames = Frames(a);
        std::vector<std::vector<Vec3>> posed;
        for (int f = 0; f < frames; ++f) {
            Pose(a, f);
            posed.push_back(vertices);
        }
        float largestStep = 0;
        float largestFromStart = 0;
        for (int f = 1; f < frames; ++f) {
            largestStep = std::max(largestStep, LargestMove(posed[f], posed[f - 1]));
            largestFromStart = std::max(largestFromStart, LargestMove(posed[f], posed[0]));
        }
        const float wrapStep = LargestMove(posed[0], posed[frames - 1]);
        EXPECT_GT(largestFromStart, 3.0f) << "animation " << a << " moves";
        EXPECT_LT(largestStep, 8.0f) << "animation " << a << " is smooth";
        EXPECT_LE(wrapStep, largestStep * 1.01f + 1e-3f) << "animation " << a;
        EXPECT_GT(wrapStep, 0.0f) << "animation " << a << ": the last frame is not the first";
    }
}

TEST_F(ContentMotion, KeysAreRigidSoNormalsStayUnitLength) {
    for (int a : {kIdle, kWalk, kAim}) {
        for (int f = 0; f < Frames(a); f += 7) {
            Pose(a, f);
            for (const Vec3& n : normals) {
                ASSERT_NEAR(n.Length(), 1.0f, 1e-4f) << "animation " << a << " frame " << f;
            }
        }
    }
}

// Projects through the start camera: at (0, 0, 400) looking at the origin, 45 degrees
// vertically, 640 by 480.
bool InStartView(const Vec3& p) {
    const float tanHalf = static_cast<float>(std::tan(22.5 * std::numbers::pi / 180.0));
    const float depth = 400.0f - p.z;
    return depth > 1 && std::abs(p.y) < 0.95f * tanHalf * depth &&
           std::abs(p.x) < 0.95f * tanHalf * depth * 640.0f / 480.0f;
}

TEST_F(ContentMotion, RobotAndGunStayInTheStartViewInEveryFrame) {
    for (int a : {kIdle, kWalk, kAim}) {
        for (int f = 0; f < Frames(a); ++f) {
            Pose(a, f);
            for (const Vec3& p : vertices) {
                ASSERT_TRUE(InStartView(p)) << "animation " << a << " frame " << f;
            }
            for (const Vec3& p : GunMesh().vertices) {
                ASSERT_TRUE(InStartView(TransformPoint(p, gun)))
                    << "gun, animation " << a << " frame " << f;
            }
        }
    }
}

TEST_F(ContentMotion, IdleBreathesAndSwaysWhileTheFeetStayPut) {
    Pose(kIdle, 0);
    const Vec3 chest0 = Centre("Chest");
    const Vec3 foot0 = Centre("FootR");
    Pose(kIdle, Frames(kIdle) / 4);  // the sway at its widest, a breath fully in
    EXPECT_GT(std::abs(Centre("Chest").x - chest0.x), 1.0f);
    EXPECT_GT(Centre("Torso").y, NodeCentre(Node(RobotMesh(), "Torso"), RobotMesh().vertices).y);
    EXPECT_EQ(Centre("FootR"), foot0);
}

TEST_F(ContentMotion, WalkSwingsLegsAndArmsOpposite) {
    // A quarter into the loop the left leg is forward; the right arm swings with it.
    const Vec3 bindFootL = NodeCentre(Node(RobotMesh(), "FootL"), RobotMesh().vertices);
    const Vec3 bindFootR = NodeCentre(Node(RobotMesh(), "FootR"), RobotMesh().vertices);
    const Vec3 bindHandL = NodeCentre(Node(RobotMesh(), "HandL"), RobotMesh().vertices);
    const Vec3 bindHandR = NodeCentre(Node(RobotMesh(), "HandR"), RobotMesh().vertices);
    for (int quarter : {1, 3}) {
        Pose(kWalk, quarter * Frames(kWalk) / 4);
        const float sign = quarter == 1 ? 1.0f : -1.0f;
        EXPECT_GT(sign * (Centre("FootL").z - bindFootL.z), 10.0f) << quarter;
        EXPECT_LT(sign * (Centre("FootR").z - bindFootR.z), -10.0f) << quarter;
        EXPECT_GT(sign * (Centre("HandR").z - bindHandR.z), 10.0f) << quarter;
        EXPECT_LT(sign * (Centre("HandL").z - bindHandL.z), 0.0f) << quarter;
    }
}

TEST_F(ContentMotion, AimRaisesTheGunArmAndKeepsTheGunLevel) {
    Pose(kAim, 0);
    EXPECT_EQ(gun.r, Matrix3::Identity);
    const Vec3 rest = gun.t;

    Pose(kAim, Frames(kAim) / 2);
    // Still pointing forward with its top up, now at shoulder height well in front.
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(gun.r.m[i], Matrix3::Identity.m[i], 1e-5f) << i;
    }
    EXPECT_GT(gun.t.y, rest.y + 50.0f);
    EXPECT_GT(gun.t.z, rest.z + 50.0f);
    EXPECT_NEAR(gun.t.x, rest.x, 1e-3f);
    // The arm points forward: the hand is in front of the shoulder at about its height.
    const Vec3 hand = Centre("HandR");
    const Vec3 upperArm = Centre("UpperArmR");
    EXPECT_GT(hand.z, upperArm.z + 40.0f);
    EXPECT_NEAR(hand.y, upperArm.y, 10.0f);
}

}  // namespace
