#include "app/my_app.h"

#include <GL/gl.h>

#include <cmath>
#include <ostream>
#include <string>
#include <utility>

#include "app/screenshot.h"
#include "assets/name_hash.h"
#include "assets/stats.h"
#include "game/asset_registry.h"
#include "platform/key_codes.h"
#include "platform/message_box.h"

bool orbitMode = false;

MyApp::MyApp() {
    camera.orientation = Matrix3::Identity;
    camera.position = Vec3::Zero;
    camera.target = Vec3::Zero;
    camera.changed = true;
}

MyApp::~MyApp() = default;

int MyApp::Init() {
    if (ShowMessageBox("Would You Like To Run In Fullscreen Mode?", "Start FullScreen?",
                       MessageBoxButtons::YesNo,
                       MessageBoxIcon::Question) == MessageBoxAnswer::No) {
        fullscreen = false;
    }
    Platform& platform = ThePlatform();
    const std::int64_t loadStart = platform.Counter();
    if (Create("The Vorn Project", kWindowWidth, kWindowHeight, 32, fullscreen) == 0)
        return 0;

    LoadWeaponStats("gun82stats.txt", gun82Stats);
    LoadWeaponStats("gun83stats.txt", gun83Stats);
    LoadRobotStats("kordaxstats.txt", kordaxStats);

    AssetRegistry::Create(counterFrequency);
    AssetRegistry& registry = *AssetRegistry::Get();
    registry.robotKey = registry.Load("kordax.txt");
    registry.gunKey = registry.Load("gun82.txt");
    robotInstance_ = registry.CreateInstance(registry.robotKey);
    gunInstance_ = registry.CreateInstance(registry.gunKey);
    robot = dynamic_cast<Kordax*>(robotInstance_.get());
    gun = dynamic_cast<Gun82*>(gunInstance_.get());
    // The scene needs both; without them there is nothing to steer or draw.
    for (const auto& [instance, file] :
         {std::pair<const Clone*, const char*>{robot, "kordax.txt"}, {gun, "gun82.txt"}}) {
        if (instance == nullptr) {
            ShowMessageBox(std::string("Could Not Load ") + file + ".", "ERROR",
                           MessageBoxButtons::Ok, MessageBoxIcon::Warning);
            return 0;
        }
    }
    robot->Attach(gun, NameHash("Gun"));

    camera.SetPosition(kCameraStart);
    camera.SetTarget({0, 0, 0});

    const std::int64_t loadEnd = platform.Counter();
    console << "Load Time " << static_cast<float>(loadEnd - loadStart) / counterFrequency << '\n';
    if (watchStart) {
        reload_ = std::make_unique<ModelReload>(std::move(watchStart->source), watchStart->folder,
                                                watchStart->watched);
        watchStart.reset();
    }
    return 1;
}

bool MyApp::Held(int key) const {
    return keys != nullptr && keys[key] != 0;
}

bool MyApp::Pressed(int key) const {
    return Held(key) && (prevKeys == nullptr || prevKeys[key] == 0);
}

void MyApp::SteerRobot() {
    if (Held(DIK_W))
        robot->TurnAboutX(-1.0f);
    if (Held(DIK_S))
        robot->TurnAboutX(+1.0f);
    if (Held(DIK_A))
        robot->TurnAboutY(+1.0f);
    if (Held(DIK_D))
        robot->TurnAboutY(-1.0f);
    if (Held(DIK_Q))
        robot->TurnAboutZ(+1.0f);
    if (Held(DIK_E))
        robot->TurnAboutZ(-1.0f);

    robot->thrust = Vec3::Zero;
    if (Held(DIK_LEFT))
        robot->thrust.x += 100.0f;
    if (Held(DIK_RIGHT))
        robot->thrust.x -= 100.0f;
    if (Held(DIK_Z))
        robot->thrust.y += 100.0f;
    if (Held(DIK_X))
        robot->thrust.y -= 100.0f;
    if (Held(DIK_UP))
        robot->thrust.z += 100.0f;
    if (Held(DIK_DOWN))
        robot->thrust.z -= 100.0f;

    if (Pressed(DIK_N))
        robot->NextAnimation();
    // Starting again restarts the clock from now: the paused time is not played.
    if (Pressed(DIK_SPACE))
        robot->SetPlaying(!robot->playing);
}

void MyApp::SteerCamera() {
    // These always orbit around the target.
    if (Held(DIK_U))
        camera.Pitch(+1.0f, true);
    if (Held(DIK_J))
        camera.Pitch(-1.0f, true);
    if (Held(DIK_H))
        camera.Yaw(-1.0f, true);
    if (Held(DIK_K))
        camera.Yaw(+1.0f, true);
    if (Held(DIK_Y))
        camera.Roll(-1.0f);
    if (Held(DIK_I))
        camera.Roll(+1.0f);

    // Each move takes the rows afresh: in orbit mode the move before has re-aimed the camera.
    const struct {
        int key;
        int row;
        float sign;
    } moves[] = {{DIK_DELETE, 0, -1.0f}, {DIK_NEXT, 0, +1.0f},   {DIK_END, 1, -1.0f},
                 {DIK_HOME, 1, +1.0f},   {DIK_INSERT, 2, +1.0f}, {DIK_PRIOR, 2, -1.0f}};
    for (const auto& move : moves) {
        if (Held(move.key))
            camera.Move(camera.orientation.Row(move.row) * move.sign, orbitMode);
    }

    if (Pressed(DIK_L))
        orbitMode = !orbitMode;

    if (!Held(DIK_R)) {
        if (mouse[0] != 0)
            camera.Yaw(mouse[0] * -0.2f, orbitMode);
        if (mouse[1] != 0)
            camera.Pitch(mouse[1] * -0.2f, orbitMode);
    } else if (mouse[1] != 0) {
        camera.Roll(mouse[1] * 0.2f);
    }
    if (mouse[2] != 0)
        camera.Move({0, 0, mouse[2] * 0.1f}, true);

    if (Held(DIK_O)) {
        // Each frame takes away a tenth of the tilt.
        camera.Roll(std::asin(camera.orientation.Row(0).y) * 57.2958f * -0.1f);
    }
}

void MyApp::Update() {
    if (reload_)
        reload_->Step(WatchClock::now(), swapIn_, console);
    SteerRobot();
    SteerCamera();
    robot->Move(frameTime);
    Draw();
    // Before the swap, while the back buffer holds this frame.
    if (Pressed(DIK_F12))
        console << SaveScreenshot(width, height) << std::endl;
    ThePlatform().SwapBuffers(dc);
}

void MyApp::Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    float view[16];
    camera.GetViewMatrix(view);
    glMultMatrixf(view);
    // After the view matrix: the planes come from the current matrices.
    camera.UpdateFrustum();
    if (robot->IsVisible(camera) != 0) {
        robot->UpdatePose();
        robot->Draw(camera);
    }
}
