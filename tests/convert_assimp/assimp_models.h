// Test models built in code as the asset import library's scenes, written to files through
// its own exporters ("collada", "fbx", "fbxa", "x", "obj").
#pragma once

#include <memory>
#include <string>

#include <assimp/scene.h>

// Root > Body (the mesh) and Root > Hips > Arm. Hips stands at (0, 1, 0), Arm 0.5 above it.
// Four vertices: 0 and 1 on Hips alone, 2 shared 0.25 Hips / 0.75 Arm, 3 on Arm alone.
// "Walk" moves Hips from y 1 to 1.2 in one second; "Wave" turns Arm 90 degrees about Z in one
// second. (The FBX exporter takes key times as seconds whatever the tick rate, so it is 1.)
std::unique_ptr<aiScene> AssimpSkinnedCharacter();

// Root > Spinner, a rigid triangle; "Spin" turns Spinner by 90 degrees about Y in one second
// and moves it to (1, 0, 0).
std::unique_ptr<aiScene> AssimpNodeAnimatedModel();

// Root > Body, a triangle with texture coordinates (0,0), (1,0), (0,1) and one material whose
// diffuse texture is `texture` (a file name, or "*0" for the scene's first embedded texture).
std::unique_ptr<aiScene> AssimpTexturedModel(const std::string& texture);

// A rigid triangle standing 180 units along Z (0,0,0), (50,0,0), (0,0,180) under a root that
// the exporter writes as the file's axes and unit: Z up, centimetres.
std::unique_ptr<aiScene> AssimpZUpCentimetreModel();

// A vertical sheet of exactly `triangles` triangles (2 m tall, with normals and texture
// coordinates) skinned to a chain of eight joints "Bone0" .. "Bone7", 0.25 m apart and blended
// between neighbours, and `animations` animations "Sway1", ... of two seconds (nine keys each on
// every joint). The benchmark's character.
std::unique_ptr<aiScene> AssimpLargeSkinnedCharacter(int triangles, int animations);

// Writes `scene` with the exporter `format` to `path`; the error text when that fails.
std::string ExportWithAssimp(const aiScene& scene, const std::string& format,
                             const std::string& path);

// The library's binary FBX export (5.2) ends no node's children with the null record its own
// reader requires, so it cannot read the file back. The same nodes, properties and footer as an
// FBX 7400 file (32-bit offsets), with the null records.
std::string BinaryFbxWithNullRecords(const std::string& exported);
