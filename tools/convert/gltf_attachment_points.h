// A mesh node's three attachment points, carried through glTF in the node's "extras" (glTF has
// no place of its own for them), so that a prop mounts on an exported and re-imported model as
// before. The points are in the model's space at rest.
#pragma once

#include <array>

#include <tiny_gltf.h>

#include "assets/mesh.h"

// {"attachmentPoints": [9 numbers]}, or an empty value when every point is at the origin.
tinygltf::Value AttachmentPointsExtras(const MeshNode& node);

// The nine coordinates from a node's extras; false when they are absent, not nine numbers, or
// not all finite.
bool ReadAttachmentPoints(const tinygltf::Value& extras, std::array<double, 9>& points);
