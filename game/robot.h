// The robot that the user steers.
#pragma once

#include "game/actor_clone.h"

class Robot : public ActorClone {
  public:
    using ActorClone::ActorClone;
};

class Kordax : public Robot {
  public:
    static constexpr std::int32_t kFramesPerSecond = 30;

    // At the origin, playing animation 0 from frame 0; energy and hit points from kordaxStats.
    Kordax(const ActorModel* model, float counterFrequency);

    float energy;
    float hitPoints;
};
