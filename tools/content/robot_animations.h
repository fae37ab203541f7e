// The robot's three looping motions, 30 frames per second. Frame f is taken at the phase
// 2 pi f / F, so the frame after the last would equal the first: the loop has no jump.
// Only the nodes that move have a track; the rest follow their parents.
#pragma once

#include "assets/animation_writer.h"

inline constexpr int kIdleFrames = 90;
inline constexpr int kWalkFrames = 60;
inline constexpr int kAimFrames = 90;

// Standing: breathing, a slight sway of the torso, the head looking about.
AnimationSource BuildIdleAnimation();
// Walking in place: legs swinging with bending knees, each arm swinging with the other leg.
AnimationSource BuildWalkAnimation();
// The gun arm rising to aim straight ahead, holding, and lowering; the gun stays level.
AnimationSource BuildAimAnimation();
