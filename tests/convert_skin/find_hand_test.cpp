#include "tools/convert/find_hand.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A skeleton at rest, every node a joint unless said otherwise, unrotated.
struct Rig {
    HandSkeleton s;

    int Add(const std::string& name, int parent, const Vec3d& at, bool joint = true) {
        Affine world;
        world.t = at;
        s.names.push_back(name);
        s.parents.push_back(parent);
        s.restWorlds.push_back(world);
        s.joints.push_back(joint);
        return static_cast<int>(s.names.size()) - 1;
    }
    // A chain from `parent` through the points, numbered after the stem (nameless without);
    // returns its last joint.
    int Chain(const std::string& stem, int parent, std::initializer_list<Vec3d> points) {
        int at = parent;
        for (const Vec3d& p : points)
            at = Add(stem.empty() ? "" : stem + std::to_string(s.names.size()), at, p);
        return at;
    }
};

void ExpectNear(const Vec3d& got, const Vec3d& wanted) {
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(got[c], wanted[c], 1e-9) << "coordinate " << c;
}

TEST(FindHand, NamesSayRightHandAcrossSeparatorsAndCase) {
    for (const char* name : {"mixamorig:RightHand", "hand_r", "Hand.R", "R_Wrist", "Bip01 R Hand",
                             "RtPalm", "RTHand", "wrist-right", "HAND_R_01"})
        EXPECT_TRUE(NameSaysRightHand(name)) << name;
    for (const char* name : {"LeftHand", "Handle", "hand_l", "Bip01 L Hand", "RightArm", "Rhand",
                             "HandRail", "Bip01 R Forearm"})
        EXPECT_FALSE(NameSaysRightHand(name)) << name;
}

TEST(FindHand, ByNameTakesTheHandAboveItsFingersAndSkipsDecoys) {
    Rig r;
    r.Add("R_Hand_geo", -1, {0, 0, 0}, false);  // a mesh node, not a joint
    const int hips = r.Add("mixamorig:Hips", -1, {0, 1, 0});
    const int chest = r.Add("mixamorig:Spine", hips, {0, 1.4, 0});
    const int left =
        r.Add("mixamorig:LeftHand", r.Chain("L", chest, {{0.2, 1.4, 0}}), {0.6, 1.4, 0});
    r.Add("Handle", left, {0.7, 1.4, 0});
    r.Add("hand_l", hips, {0.1, 0.5, 0});
    const int fore = r.Chain("mixamorig:RightArm", chest, {{-0.2, 1.4, 0}, {-0.4, 1.4, 0}});
    const int hand = r.Add("mixamorig:RightHand", fore, {-0.6, 1.4, 0});
    r.Add("mixamorig:RightHandIndex1", hand, {-0.7, 1.4, 0});
    const std::optional<HandChoice> choice = FindRightHand(r.s);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->node, hand);
    EXPECT_EQ(choice->reason, "gun on joint 'mixamorig:RightHand' (its name says right hand)");
    ExpectNear(choice->origin, {-0.6, 1.4, 0});
    ExpectNear(choice->barrel, {-1, 0, 0});  // along the outstretched arm
    ExpectNear(choice->top, {0, 1, 0});
}

TEST(FindHand, ByShapeAmongNumberedJointsTheRightArmsEndAboveTheHips) {
    Rig r;
    const int root = r.Add("joint0", -1, {0, 0, 0});
    const int hips = r.Add("joint1", root, {0, 1, 0});
    // Legs first, so that order cannot pick the arm; each ends in a toe.
    r.Chain("joint", hips, {{-0.1, 0.95, 0}, {-0.1, 0.5, 0}, {-0.1, 0.05, 0}, {-0.1, 0, 0.1}});
    r.Chain("joint", hips, {{0.1, 0.95, 0}, {0.1, 0.5, 0}, {0.1, 0.05, 0}, {0.1, 0, 0.1}});
    const int chest = r.Chain("joint", hips, {{0, 1.2, 0}, {0, 1.4, 0}});
    r.Chain("joint", chest, {{0, 1.55, 0}, {0, 1.7, 0}});
    r.Chain("joint", chest, {{0.08, 1.45, 0}, {0.18, 1.45, 0}, {0.28, 1.2, 0}, {0.36, 0.98, 0}});
    // The right arm hangs down: a twist bone beside the forearm, five two-joint fingers.
    const int upper = r.Chain("joint", chest, {{-0.08, 1.45, 0}, {-0.18, 1.45, 0}});
    r.Chain("joint", upper, {{-0.22, 1.35, 0}});
    const int hand = r.Chain("joint", upper, {{-0.28, 1.2, 0}, {-0.36, 0.98, 0}});
    for (int f = 0; f < 5; ++f)
        r.Chain("joint", hand, {{-0.38, 0.94, 0.01 * f}, {-0.39, 0.9, 0.01 * f}});
    const std::optional<HandChoice> choice = FindRightHand(r.s);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->node, hand);
    EXPECT_EQ(choice->reason,
              "gun on joint 'joint" + std::to_string(hand) + "' (the end of the right arm)");
    ExpectNear(choice->origin, {-0.36, 0.98, 0});
    ExpectNear(choice->barrel, {0, 0, 1});  // turned forward from the hanging arm
    ExpectNear(choice->top, {0, 1, 0});
}

TEST(FindHand, AQuadrupedsRightFrontPaw) {
    Rig r;
    const int pelvis = r.Add("", -1, {0, 0.6, -0.4});
    r.Chain("", pelvis, {{-0.1, 0.55, -0.4}, {-0.1, 0.3, -0.45}, {-0.1, 0, -0.4}});
    r.Chain("", pelvis, {{0.1, 0.55, -0.4}, {0.1, 0.3, -0.45}, {0.1, 0, -0.4}});
    r.Chain("", pelvis, {{0, 0.6, -0.6}, {0, 0.55, -0.8}});  // the tail
    const int chest = r.Chain("", pelvis, {{0, 0.62, 0}, {0, 0.62, 0.35}});
    r.Chain("", chest, {{0, 0.75, 0.5}, {0, 0.85, 0.6}});
    r.Chain("", chest, {{0.1, 0.5, 0.35}, {0.1, 0.25, 0.38}, {0.1, 0, 0.36}});
    const int paw = r.Chain("", chest, {{-0.1, 0.5, 0.35}, {-0.1, 0.25, 0.38}, {-0.1, 0, 0.36}});
    const std::optional<HandChoice> choice = FindRightHand(r.s);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->node, paw);
    EXPECT_EQ(choice->reason,
              "gun on joint " + std::to_string(paw) + " (the end of the right arm)");
    ExpectNear(choice->barrel, {0, 0, 1});
}

TEST(FindHand, ASingleBoneArmAndNoSkeleton) {
    Rig r;
    const int body = r.Add("body", -1, {0, 1, 0});
    r.Add("head", body, {0, 1.6, 0});
    r.Add("leg.R", body, {-0.12, 0.8, 0});
    r.Add("arm.L", body, {0.25, 1.4, 0});
    const int arm = r.Add("arm.R", body, {-0.25, 1.4, 0});
    r.Add("leg.L", body, {0.12, 0.8, 0});
    const std::optional<HandChoice> choice = FindRightHand(r.s);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->node, arm);
    // Pointing out along the bone from the body, its top square to that and upwards.
    const double length = std::hypot(0.25, 0.4);
    ExpectNear(choice->barrel, {-0.25 / length, 0.4 / length, 0});
    ExpectNear(choice->top, {0.4 / length, 0.25 / length, 0});

    r.s.joints.assign(r.s.joints.size(), false);
    EXPECT_FALSE(FindRightHand(r.s));
}

}  // namespace
