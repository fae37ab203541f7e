// The asset import library's node animations as channels. Its channels replace a node's whole
// local transform, so each becomes translation, rotation and scale channels, a missing part
// held at the node's rest value; times go from ticks to seconds.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <assimp/anim.h>

#include "tools/convert/scene.h"

// Many files leave the tick rate unset (0); the library's own viewer then takes 25 per second.
inline constexpr double kDefaultTicksPerSecond = 25;

// `nodes` maps a name to its first node. Channels for other names are left out with a note in
// scene.notes, as are keys whose times do not ascend.
SceneAnimation ConvertAnimation(const aiAnimation& animation, const std::string& fallbackName,
                                const std::map<std::string, int>& nodes, Scene& scene);
