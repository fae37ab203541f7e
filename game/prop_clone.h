// An instance of a rigid prop, drawn from its model's mesh through its mount transform.
#pragma once

#include "game/clone.h"
#include "model/prop_model.h"

class PropClone : public Clone {
  public:
    PropClone(const PropModel* model, const Vec3& position);

    void Draw(const Camera& camera) override;

    const PropModel* model;
};
