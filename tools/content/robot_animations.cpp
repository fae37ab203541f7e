#include "tools/content/robot_animations.h"

#include <cmath>
#include <functional>
#include <numbers>

#include "tools/content/robot.h"

namespace {

enum Axis { kAxisX, kAxisY, kAxisZ };

// A rotation counter-clockwise seen from the axis tip, in degrees. The trigonometry runs in
// double precision and is rounded once, which keeps the keyframes the same on every machine.
Matrix3 Turn(Axis axis, double degrees) {
    const double radians = degrees * std::numbers::pi / 180.0;
    const auto c = static_cast<float>(std::cos(radians));
    const auto s = static_cast<float>(std::sin(radians));
    switch (axis) {
        case kAxisX:
            return Matrix3{{1, 0, 0, 0, c, s, 0, -s, c}};
        case kAxisY:
            return Matrix3{{c, 0, -s, 0, 1, 0, s, 0, c}};
        case kAxisZ:
            break;
    }
    return Matrix3{{c, s, 0, -s, c, 0, 0, 0, 1}};
}

// First a, then b.
Matrix3 Then(const Matrix3& a, const Matrix3& b) {
    return Compose({a, Vec3::Zero}, {b, Vec3::Zero}).r;
}

// The key that turns a node by r about its bind-pose pivot: p becomes (p - c) r + c.
Transform TurnAbout(const Matrix3& r, RobotNode node) {
    const Vec3 c = RobotParts()[node].pivot;
    return {r, c - c * r};
}

// One track: the node's key at each frame from its phase 2 pi f / frames.
AnimationTrackSource Track(RobotNode node, int frames,
                           const std::function<Transform(double phase)>& key) {
    AnimationTrackSource track;
    track.nodeName = RobotParts()[node].name;
    for (int f = 0; f < frames; ++f) {
        track.keys.push_back(key(2.0 * std::numbers::pi * f / frames));
    }
    return track;
}

// 0 at the phase 0, 1 at half the loop, with eased ends.
double Rise(double phase) {
    const double s = (1.0 - std::cos(phase)) / 2.0;
    return s * s * (3.0 - 2.0 * s);
}

}  // namespace

AnimationSource BuildIdleAnimation() {
    const int n = kIdleFrames;
    AnimationSource a;
    a.name = "idle";
    a.tracks.push_back(Track(kTorso, n, [](double p) {
        Transform key = TurnAbout(Turn(kAxisZ, 2.5 * std::sin(p)), kTorso);
        key.t.y += static_cast<float>(0.8 * (1.0 - std::cos(2.0 * p)) / 2.0);  // breathing
        return key;
    }));
    a.tracks.push_back(Track(kHead, n, [](double p) {
        return TurnAbout(
            Then(Turn(kAxisX, -3.0 * std::sin(2.0 * p)), Turn(kAxisY, 8.0 * std::sin(p))), kHead);
    }));
    a.tracks.push_back(Track(kUpperArmL, n, [](double p) {
        return TurnAbout(Turn(kAxisZ, 3.0 * (1.0 - std::cos(2.0 * p)) / 2.0), kUpperArmL);
    }));
    a.tracks.push_back(Track(kUpperArmR, n, [](double p) {
        return TurnAbout(Turn(kAxisZ, -3.0 * (1.0 - std::cos(2.0 * p)) / 2.0), kUpperArmR);
    }));
    return a;
}

AnimationSource BuildWalkAnimation() {
    const int n = kWalkFrames;
    AnimationSource a;
    a.name = "walk";
    a.tracks.push_back(Track(kPelvis, n, [](double p) {
        Transform key = TurnAbout(Turn(kAxisY, 3.0 * std::sin(p)), kPelvis);
        key.t.y += static_cast<float>(1.5 * (1.0 - std::cos(2.0 * p)) / 2.0);  // bob per step
        return key;
    }));
    a.tracks.push_back(Track(
        kTorso, n, [](double p) { return TurnAbout(Turn(kAxisY, -5.0 * std::sin(p)), kTorso); }));
    // A negative turn about x swings a limb forward. The left leg is forward while sin > 0
    // and swings forward, knee bent, around the phase 0.
    a.tracks.push_back(Track(kThighL, n, [](double p) {
        return TurnAbout(Turn(kAxisX, -25.0 * std::sin(p)), kThighL);
    }));
    a.tracks.push_back(Track(kShinL, n, [](double p) {
        return TurnAbout(Turn(kAxisX, 35.0 * (1.0 + std::cos(p)) / 2.0), kShinL);
    }));
    a.tracks.push_back(Track(
        kThighR, n, [](double p) { return TurnAbout(Turn(kAxisX, 25.0 * std::sin(p)), kThighR); }));
    a.tracks.push_back(Track(kShinR, n, [](double p) {
        return TurnAbout(Turn(kAxisX, 35.0 * (1.0 - std::cos(p)) / 2.0), kShinR);
    }));
    a.tracks.push_back(Track(kUpperArmL, n, [](double p) {
        return TurnAbout(Turn(kAxisX, 20.0 * std::sin(p)), kUpperArmL);
    }));
    a.tracks.push_back(Track(kForearmL, n, [](double p) {
        return TurnAbout(Turn(kAxisX, -15.0 - 10.0 * (1.0 - std::sin(p)) / 2.0), kForearmL);
    }));
    a.tracks.push_back(Track(kUpperArmR, n, [](double p) {
        return TurnAbout(Turn(kAxisX, -20.0 * std::sin(p)), kUpperArmR);
    }));
    a.tracks.push_back(Track(kForearmR, n, [](double p) {
        return TurnAbout(Turn(kAxisX, -15.0 - 10.0 * (1.0 + std::sin(p)) / 2.0), kForearmR);
    }));
    return a;
}

AnimationSource BuildAimAnimation() {
    const int n = kAimFrames;
    AnimationSource a;
    a.name = "aim";
    // The arm rises until it points forward; the gun turns back by as much about its grip,
    // so it keeps pointing forward while the hand carries it up.
    a.tracks.push_back(Track(kUpperArmR, n, [](double p) {
        return TurnAbout(Turn(kAxisX, -90.0 * Rise(p)), kUpperArmR);
    }));
    a.tracks.push_back(
        Track(kGun, n, [](double p) { return TurnAbout(Turn(kAxisX, 90.0 * Rise(p)), kGun); }));
    a.tracks.push_back(
        Track(kHead, n, [](double p) { return TurnAbout(Turn(kAxisY, -12.0 * Rise(p)), kHead); }));
    return a;
}
