// The demo scene's half of `vorn --watch`: new instances on the reloaded models, in the state
// the old ones were in.
#include <utility>

#include "app/my_app.h"
#include "assets/name_hash.h"
#include "game/asset_registry.h"

namespace {

void KeepState(const Kordax& from, Kordax& to) {
    to.thrust = from.thrust;
    to.velocity = from.velocity;
    to.position = from.position;
    to.xAxis = from.xAxis;
    to.yAxis = from.yAxis;
    to.zAxis = from.zAxis;
    to.transform = from.transform;
    to.energy = from.energy;
    to.hitPoints = from.hitPoints;
    // The clock goes on as it was, running or stopped.
    to.playing = from.playing;
    to.frameFraction = from.frameFraction;
    to.lastCounter = from.lastCounter;
    const auto& animations = to.model->animations;
    if (animations.empty())
        return;
    const bool stillThere = from.animationIndex >= 0 &&
                            static_cast<std::size_t>(from.animationIndex) < animations.size();
    to.animationIndex = stillThere ? from.animationIndex : 0;
    const std::int32_t frames = animations[static_cast<std::size_t>(to.animationIndex)]->frameCount;
    to.frame = from.frame >= 0 && from.frame < frames ? from.frame : 0;
}

}  // namespace

bool MyApp::SwapModels(ReadModels& models, std::string& error) {
    if (!BuildReadTextures(models, error))
        return false;
    AssetRegistry& registry = *AssetRegistry::Get();
    auto newRobot = std::make_unique<Kordax>(models.actor.get(), registry.counterFrequency);
    auto newGun = std::make_unique<Gun82>(models.prop.get());
    KeepState(*robot, *newRobot);
    newGun->ammunition = gun->ammunition;
    newRobot->Attach(newGun.get(), NameHash("Gun"));

    robot->DeleteDisplayLists();
    gun->DeleteDisplayLists();
    robot = newRobot.get();
    gun = newGun.get();
    robotInstance_ = std::move(newRobot);
    gunInstance_ = std::move(newGun);
    // From here `models` holds the replaced models, which nothing uses any more.
    registry.SwapModels(models);
    models.actor->mesh->DeleteTextures();
    models.prop->mesh->DeleteTextures();
    return true;
}
