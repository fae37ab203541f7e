// A scene with one of everything, each field with a value of its own, and an undecoded image:
// the scene wire's round trip and the seeds of its fuzz target.
#pragma once

#include <vector>

#include "tools/convert/scene.h"
#include "tools/convert/scene_wire.h"

// One of everything, each field with a value of its own.
inline Scene SampleScene() {
    Scene scene;
    SceneNode root;
    root.name = "Root";
    root.rest.matrix = true;
    root.rest.fixed.a[0][1] = 0.5;
    root.rest.fixed.t = {1, 2, 3};
    SceneNode arm;
    arm.name = "Arm";
    arm.parent = 0;
    arm.rest.translation = {0, 1.5, 0};
    arm.rest.rotation = {0, 0, 0.6, 0.8};
    arm.rest.scale = {2, 2, 2};
    arm.attachmentPoints = std::array<double, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    scene.nodes = {root, arm};
    SceneMesh mesh;
    mesh.node = 0;
    mesh.skin = 0;
    mesh.material = 0;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh.uvs = {{0, 0}, {1, 0}, {0.25, 0.75}};
    mesh.influences.resize(3);
    mesh.influences[1][0] = {1, 0.25};
    mesh.influences[1][1] = {0, 0.75};
    mesh.triangles = {{0, 1, 2}};
    scene.meshes = {mesh};
    SceneSkin skin;
    skin.joints = {0, 1};
    skin.inverseBinds.resize(2);
    skin.inverseBinds[1].t = {0, -1.5, 0};
    scene.skins = {skin};
    scene.materials = {{"Paint", {0.5, 0.25, 1}, {0.1, 0.2, 0.3}, 0.4, 0, {1, 0.5, 1}}};
    scene.images = {{"plate", 1, 2, {1, 2, 3, 4, 5, 6}}};
    SceneChannel turn{1, ScenePath::kRotation, SceneInterpolation::kCubic, {0, 0.5}, {}};
    for (int i = 0; i < 24; ++i)
        turn.values.push_back(i / 24.0);
    SceneChannel step{1, ScenePath::kScale, SceneInterpolation::kStep, {0.25}, {1, 2, 3}};
    scene.animations = {{"Wave", {turn, step}}};
    scene.notes = {"skipped 2 meshes of points or lines"};
    scene.sources = {"/models/arm.fbx", "/models/arm.png"};
    return scene;
}

inline std::vector<EncodedImage> SampleEncodedImages() {
    return {{"skin", "\"skin.png\"", {0x89, 'P', 'N', 'G'}}};
}
