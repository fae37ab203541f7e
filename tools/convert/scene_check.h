// The bounds every scene keeps, whoever filled it, and the check that a scene is whole: what the
// shared steps and the writer may then rely on without looking again.
#pragma once

#include <cstddef>
#include <string>

#include "tools/convert/scene.h"

inline constexpr std::size_t kMaxSceneNodes = 32767;  // the animation file's 16-bit track count
inline constexpr std::size_t kMaxSceneMeshes = std::size_t{1} << 16;
inline constexpr std::size_t kMaxSceneVertices = std::size_t{1} << 22;  // over all meshes
inline constexpr std::size_t kMaxSceneTriangles = std::size_t{1} << 22;
inline constexpr std::size_t kMaxSceneSkins = std::size_t{1} << 16;
inline constexpr std::size_t kMaxSceneJoints = std::size_t{1} << 20;  // over all skins
inline constexpr std::size_t kMaxSceneMaterials = 9999;
inline constexpr std::size_t kMaxSceneImages = 9999;                  // texture indices run to 9998
inline constexpr std::size_t kMaxImagePixels = std::size_t{1} << 24;  // 4096 x 4096
inline constexpr int kMaxImageSide = 32767;                           // 16-bit sizes on disk
inline constexpr std::size_t kMaxSceneAnimations = 32767;
inline constexpr std::size_t kMaxSceneKeys = std::size_t{1} << 22;  // over all channels
inline constexpr std::size_t kMaxSceneNameBytes = 4096;             // names, notes and paths
inline constexpr std::size_t kMaxSceneNotes = 1000;
inline constexpr std::size_t kMaxSceneSources = 4096;

// False with one line naming the first fault: an index out of range, a node before its parent
// or out of pre-order, a number that is not finite, sizes that disagree (normals, uvs,
// influences, pixels, key values), times that do not ascend, or a count past the bounds above.
bool CheckScene(const Scene& scene, std::string& error);
// The same, with materials also allowed to name `pendingImages` images after the scene's own:
// images that are still to be decoded and will be appended in that order.
bool CheckScene(const Scene& scene, std::size_t pendingImages, std::string& error);
