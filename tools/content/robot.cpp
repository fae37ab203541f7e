#include "tools/content/robot.h"

#include "tools/content/content_names.h"
#include "tools/content/material.h"
#include "tools/content/quad_builder.h"

namespace {

// Materials: four textured looks and two plain ones; the plain parts are lit, the textured
// ones show their texels as they are.
enum RobotMaterial : std::int32_t { kArmour, kLimb, kChestPlate, kJoint, kVisorGlass };
// Textures, in the order of the mesh's texture records.
enum RobotTexture : std::int32_t { kPlateTexture, kStripeTexture, kPanelTexture };

constexpr Surface kArmourSurface{kArmour, kPlateTexture};
constexpr Surface kLimbSurface{kLimb, kStripeTexture};
constexpr Surface kChestSurface{kChestPlate, kPanelTexture};
constexpr Surface kJointSurface{kJoint, -1};
constexpr Surface kVisorSurface{kVisorGlass, -1};

MaterialSource Material(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t specular,
                        float shininess) {
    return MakeMaterial({r, g, b}, {specular, specular, specular}, shininess);
}

// The parts of one side, given for the left (+x); the right side is its mirror image.
struct SideBox {
    std::int32_t left;
    std::int32_t right;
    Surface surface;
    Vec3 low;
    Vec3 high;
};

constexpr SideBox kSideBoxes[] = {
    {kUpperArmL, kUpperArmR, kArmourSurface, {28, 22, -6}, {40, 56, 6}},
    {kForearmL, kForearmR, kLimbSurface, {29, -10, -5.5f}, {39, 22, 5.5f}},
    {kHandL, kHandR, kJointSurface, {28.5f, -24, -6}, {39.5f, -10, 6}},
    {kThighL, kThighR, kArmourSurface, {7, -52, -7.5f}, {21, -14, 7.5f}},
    {kShinL, kShinR, kLimbSurface, {8, -88, -6.5f}, {20, -52, 6.5f}},
    {kFootL, kFootR, kLimbSurface, {7, -100, -9}, {21, -88, 17}},
};

}  // namespace

const std::array<RobotPart, kRobotNodeCount>& RobotParts() {
    static const std::array<RobotPart, kRobotNodeCount> parts = {{
        {"Pelvis", -1, {0, -6, 0}},
        {"Torso", kPelvis, {0, 2, 0}},
        {"Chest", kTorso, {0, 34, 15}},
        {"Neck", kTorso, {0, 56, 0}},
        {"Head", kNeck, {0, 60, 0}},
        {"Visor", kHead, {0, 76, 13}},
        {"Antenna", kHead, {0, 90, 0}},
        {"UpperArmR", kTorso, {-34, 50, 0}},
        {"ForearmR", kUpperArmR, {-34, 22, 0}},
        {"HandR", kForearmR, {-34, -10, 0}},
        {"Gun", kHandR, kGunGripPoint},
        {"UpperArmL", kTorso, {34, 50, 0}},
        {"ForearmL", kUpperArmL, {34, 22, 0}},
        {"HandL", kForearmL, {34, -10, 0}},
        {"ThighR", kPelvis, {-14, -14, 0}},
        {"ShinR", kThighR, {-14, -52, 0}},
        {"FootR", kShinR, {-14, -88, 0}},
        {"ThighL", kPelvis, {14, -14, 0}},
        {"ShinL", kThighL, {14, -52, 0}},
        {"FootL", kShinL, {14, -88, 0}},
    }};
    return parts;
}

MeshSource BuildRobotMesh(int subdivisions) {
    MeshSource mesh;
    mesh.materials = {
        Material(200, 212, 235, 180, 0.30f),  // armour plates
        Material(170, 185, 215, 110, 0.15f),  // limbs
        Material(225, 230, 245, 235, 0.60f),  // chest plate
        Material(110, 125, 160, 60, 0.05f),   // joints, hands, pelvis
        Material(40, 220, 200, 255, 0.90f),   // visor
    };
    mesh.textures = {{kPlateFile, 64, 64}, {kStripeFile, 64, 64}, {kPanelFile, 64, 64}};
    for (const RobotPart& part : RobotParts()) {
        mesh.AddNode(part.name, part.parent);
    }
    // The gun's frame: origin in the hand, z (second point) forward, y (third point) up.
    NodeSource& gun = mesh.nodes[kGun];
    const Vec3 points[3] = {kGunGripPoint, kGunGripPoint + Vec3{0, 0, 10},
                            kGunGripPoint + Vec3{0, 10, 0}};
    for (int i = 0; i < 3; ++i) {
        gun.points[3 * i] = points[i].x;
        gun.points[3 * i + 1] = points[i].y;
        gun.points[3 * i + 2] = points[i].z;
    }

    QuadBuilder quads(mesh, subdivisions);
    quads.AddBox(kPelvis, kJointSurface, {-20, -14, -10}, {20, 2, 10});
    quads.AddBox(kTorso, kArmourSurface, {-26, 2, -13}, {26, 56, 13});
    quads.AddBox(kChest, kChestSurface, {-16, 20, 13}, {16, 48, 17}, kAllSides & ~kSideNegZ);
    quads.AddBox(kNeck, kJointSurface, {-6, 56, -6}, {6, 62, 6},
                 kAllSides & ~(kSideNegY | kSidePosY));
    quads.AddBox(kHead, kArmourSurface, {-13, 62, -12}, {13, 90, 12});
    quads.AddBox(kVisor, kVisorSurface, {-10, 72, 12}, {10, 80, 15}, kAllSides & ~kSideNegZ);
    quads.AddBox(kAntenna, kJointSurface, {-1.5f, 90, -1.5f}, {1.5f, 99, 1.5f},
                 kAllSides & ~kSideNegY);
    for (const SideBox& box : kSideBoxes) {
        quads.AddBox(box.left, box.surface, box.low, box.high);
        quads.AddBox(box.right, box.surface, {-box.high.x, box.low.y, box.low.z},
                     {-box.low.x, box.high.y, box.high.z});
    }
    return mesh;
}
