#include "game/robot.h"

#include "assets/stats.h"

Kordax::Kordax(const ActorModel* model, float counterFrequency)
    : Robot(model, counterFrequency, Vec3::Zero, true, 0, 0, kFramesPerSecond),
      energy(kordaxStats.maxep),
      hitPoints(kordaxStats.maxhp) {}
