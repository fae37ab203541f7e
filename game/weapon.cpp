#include "game/weapon.h"

#include "assets/stats.h"

Gun82::Gun82(const PropModel* model) : Weapon(model, Vec3::Zero), ammunition(gun82Stats.maxammo) {}
