// The demo scene: a robot with its gun, steered with the keyboard, seen through a free or
// orbiting camera.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/model_reload.h"
#include "game/robot.h"
#include "game/weapon.h"
#include "geometry/camera.h"

// false: the mouse and the move keys turn and slide the camera freely; true: they orbit it
// around its target.
extern bool orbitMode;

class MyApp : public App {
  public:
    // How the scene is first seen: the window's size, and the camera's place, aimed at the
    // origin (the converter fits imported models to this view).
    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 480;
    static constexpr Vec3 kCameraStart = {0, 0, 400};

    MyApp();
    ~MyApp() override;

    // The full-screen question, the window, the statistics files, both models, the robot with
    // the gun mounted, the camera, and the "Load Time " line. 0 when the program must end.
    int Init();
    void Update() override;
    void Draw() override;

    Kordax* robot = nullptr;
    Gun82* gun = nullptr;
    Camera camera;

    // `vorn --watch`: set before Init, which starts watching once the scene has loaded.
    struct WatchStart {
        WatchSource source;
        std::string folder;  // the prepared folder the game starts in
        std::vector<std::string> watched;
    };
    std::optional<WatchStart> watchStart;
    // Puts reloaded models in the places of the robot's and the gun's, between two frames. The
    // camera, the robot's place, turn, motion and animation (by index, while it exists) stay.
    bool SwapModels(ReadModels& models, std::string& error);

  private:
    bool Pressed(int key) const;
    bool Held(int key) const;
    void SteerRobot();
    void SteerCamera();

    // The instances live as long as the application.
    std::unique_ptr<Clone> robotInstance_;
    std::unique_ptr<Clone> gunInstance_;

    std::unique_ptr<ModelReload> reload_;
    const SwapInModels swapIn_ = [this](ReadModels& models, std::string& error) {
        return SwapModels(models, error);
    };
};

MyApp& TheApp();
