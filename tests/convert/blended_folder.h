// A data folder as the converter leaves a blended skin: a strip of five rows of two vertices,
// its lower two rows on joint "Hip", its upper two on "Knee" (Hip's child), and its middle row
// on set node "Blend", whose keyframes blend the two joints with weights 3 : 2 (sheared in
// general), with the skin record that names them. Two animations, "bend" and "sway", of three
// frames; the joints' bind matrices are not the identity.
#pragma once

#include <string>

#include "tools/convert/skin_record.h"

inline constexpr float kBlendedStripHeight = 4;

// Writes the folder at `path` (created), with "kordax.txt", "model.ply", the animations and,
// with `withRecord`, "model.skin". Gives the record.
SkinRecord WriteBlendedFolder(const std::string& path, bool withRecord = true);
