// Where a character holds the gun when the model does not say: its right hand, found among the
// skin joints by name or, failing that, by the skeleton's shape. The model faces +Z with +Y up,
// so its right is -X.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/convert/affine.h"

struct HandSkeleton {
    std::vector<std::string> names;  // per node
    std::vector<int> parents;        // per node: an earlier node, -1 for a root
    std::vector<Affine> restWorlds;  // per node, in the model's space
    std::vector<bool> joints;        // per node: whether some skin lists it
};

struct HandChoice {
    int node = -1;
    std::string reason;  // for the converter's notes, one line
    // The gun's frame at rest in the model's space: at the hand, the barrel pointing the way
    // the hand does (forward, +Z, where the arm hangs down) and its top up; both unit length.
    Vec3d origin = {0, 0, 0};
    Vec3d barrel = {0, 0, 1};
    Vec3d top = {0, 1, 0};
};

// Whether a name says right hand: a word hand, wrist or palm and a word R, Right or Rt, split
// case-insensitively at separators and at case changes ("mixamorig:RightHand", "hand_r",
// "Hand.R", "Bip01 R Hand", "RtPalm"; not "LeftHand", "Handle", "hand_l").
bool NameSaysRightHand(std::string_view name);

// The right hand: the joint highest in the tree whose name says so; otherwise the end of the
// chain of joints that leaves the spine sideways on the right, above the hips (a quadruped's
// right front leg). None for a model without joints or without such a chain.
std::optional<HandChoice> FindRightHand(const HandSkeleton& skeleton);
