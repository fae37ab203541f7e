#include "tools/content/gun.h"

#include <cmath>

#include "tools/content/content_names.h"
#include "tools/content/material.h"
#include "tools/content/quad_builder.h"

namespace {

enum GunMaterial : std::int32_t { kGunBody, kDarkMetal };

constexpr Surface kBodySurface{kGunBody, 0};
constexpr Surface kDarkSurface{kDarkMetal, -1};

constexpr int kSegments = 4;  // along the barrel and the frame, so the bounds tree has depth
constexpr int kBarrelSides = 8;

// A box whose four sides along z are cut into kSegments, with both ends closed.
void AddFrame(QuadBuilder& quads, std::int32_t node, const Vec3& low, const Vec3& high) {
    for (int i = 0; i < kSegments; ++i) {
        const float z0 = low.z + (high.z - low.z) * static_cast<float>(i) / kSegments;
        const float z1 = low.z + (high.z - low.z) * static_cast<float>(i + 1) / kSegments;
        quads.AddBox(node, kBodySurface, {low.x, low.y, z0}, {high.x, high.y, z1},
                     kSideNegX | kSidePosX | kSideNegY | kSidePosY);
    }
    quads.AddBox(node, kBodySurface, low, high, kSideNegZ | kSidePosZ);
}

// An octagonal prism along z, flat on top, its open back against the frame and its muzzle
// closed by three quads.
void AddBarrel(QuadBuilder& quads, std::int32_t node, float centreY, float radius, float z0,
               float z1) {
    // The corners at 22.5 + 45k degrees, from square roots alone so that every machine
    // computes the same bits.
    const float a = radius * static_cast<float>(std::sqrt(2.0 + std::sqrt(2.0)) / 2.0);
    const float b = radius * static_cast<float>(std::sqrt(2.0 - std::sqrt(2.0)) / 2.0);
    const float unit[kBarrelSides][2] = {{a, b},   {b, a},   {-b, a}, {-a, b},
                                         {-a, -b}, {-b, -a}, {b, -a}, {a, -b}};
    Vec3 ring[kBarrelSides];
    for (int k = 0; k < kBarrelSides; ++k) {
        ring[k] = {unit[k][0], centreY + unit[k][1], 0};
    }
    auto at = [&](int k, float z) {
        return Vec3{ring[k % kBarrelSides].x, ring[k % kBarrelSides].y, z};
    };
    for (int i = 0; i < kSegments; ++i) {
        const float za = z0 + (z1 - z0) * static_cast<float>(i) / kSegments;
        const float zb = z0 + (z1 - z0) * static_cast<float>(i + 1) / kSegments;
        for (int k = 0; k < kBarrelSides; ++k) {
            const Vec3 side[4] = {at(k, za), at(k + 1, za), at(k + 1, zb), at(k, zb)};
            quads.AddQuad(node, kBodySurface, side);
        }
    }
    const Vec3 upper[4] = {at(0, z1), at(1, z1), at(2, z1), at(3, z1)};
    const Vec3 middle[4] = {at(3, z1), at(4, z1), at(7, z1), at(0, z1)};
    const Vec3 lower[4] = {at(4, z1), at(5, z1), at(6, z1), at(7, z1)};
    quads.AddQuad(node, kBodySurface, upper);
    quads.AddQuad(node, kBodySurface, middle);
    quads.AddQuad(node, kBodySurface, lower);
}

}  // namespace

MeshSource BuildGunMesh() {
    MeshSource mesh;
    const MaterialSource body = MakeMaterial({255, 130, 20}, {255, 200, 150}, 0.45f);
    const MaterialSource dark = MakeMaterial({70, 70, 78}, {140, 140, 140}, 0.7f);
    mesh.materials = {body, dark};
    mesh.textures = {{kGunSkinFile, 32, 32}};

    const std::int32_t frame = mesh.AddNode("Frame", -1);
    const std::int32_t grip = mesh.AddNode("Grip", frame);
    const std::int32_t barrel = mesh.AddNode("Barrel", frame);
    const std::int32_t sight = mesh.AddNode("Sight", frame);

    QuadBuilder quads(mesh, 1);
    AddFrame(quads, frame, {-3.5f, 0, -4}, {3.5f, 10, 28});
    quads.AddBox(grip, kDarkSurface, {-2.5f, -11, -1}, {2.5f, 0, 6}, kAllSides & ~kSidePosY);
    AddBarrel(quads, barrel, 5, 3, 28, 48);
    quads.AddBox(sight, kDarkSurface, {-1.2f, 10, 22}, {1.2f, 13, 27}, kAllSides & ~kSideNegY);
    return mesh;
}
