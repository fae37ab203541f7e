// The gun that the robot carries.
#pragma once

#include <cstdint>

#include "game/prop_clone.h"

class Weapon : public PropClone {
  public:
    using PropClone::PropClone;
};

class Gun82 : public Weapon {
  public:
    // At the origin, with the ammunition of gun82Stats.
    explicit Gun82(const PropModel* model);

    std::int32_t ammunition;
};
