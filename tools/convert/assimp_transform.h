// The asset import library's matrices (rows of column vectors, like ours) as our transforms,
// and the file's own axes and unit as a correction to +Y up, front +Z, metres.
#pragma once

#include <optional>
#include <string>

#include <assimp/scene.h>

#include "tools/convert/scene.h"

Affine ToAffine(const aiMatrix4x4& m);

// A node's local matrix as parts: translation, rotation and scale when they give the matrix
// back (always when `animated`, whose channels replace parts), else the matrix itself.
NodeParts PartsOf(const aiMatrix4x4& m, bool animated, bool& exact);

// What turns the file's axes and unit into ours, from the metadata FBX files carry (UpAxis,
// FrontAxis, CoordAxis with their signs, UnitScaleFactor in centimetres); nullopt when nothing
// needs turning. Formats whose importer already converts (Collada's up axis and unit, 3DS,
// MD5, DirectX's handedness) carry no such metadata. Unusable metadata adds a note.
std::optional<Affine> FileAxesCorrection(const aiScene& scene, std::string& note);

// Parts for `m` as PartsOf gives them for a node that is not animated.
NodeParts PartsOf(const Affine& m);
