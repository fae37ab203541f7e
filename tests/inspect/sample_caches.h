// The sample content in a fresh folder, with the caches the game writes beside it on its first
// start. The caches are made without OpenGL, so the robot's and the gun's models (whose meshes
// have textures) cannot be loaded: the face groups come from the meshes themselves, the gun's
// tree is built as the prop model builds it, and the robot's per-frame trees are the actor
// model's records over the bind pose (the game's are over the posed frames: the same layout).
#pragma once

#include <numeric>
#include <string>

#include <gtest/gtest.h>

#include "assets/animation.h"
#include "assets/binary_file.h"
#include "assets/mesh.h"
#include "assets/name_hash.h"
#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"
#include "tools/content/content_names.h"
#include "tools/content/content_writer.h"

inline void WritePropBounds(const Mesh& mesh, const std::string& path) {
    Zt18DOP root;
    std::vector<std::int32_t> all(mesh.vertices.size());
    std::iota(all.begin(), all.end(), 0);
    root.FitVertices(all, mesh.vertices);
    std::vector<std::int32_t> faces(mesh.faces.size());
    std::iota(faces.begin(), faces.end(), 0);
    root.BuildTree(faces, mesh, mesh.vertices, PropModel::kLeafSize);
    BinaryFile file;
    ASSERT_EQ(file.Open(path, 0), 1);
    ASSERT_EQ(root.Serialize(file, true), 1);
    ASSERT_EQ(file.Close(), 1);
}

inline void WriteActorBounds(const Mesh& mesh, const std::string& animationPath,
                             const std::string& boundsName, const std::string& path) {
    Animation animation;
    ASSERT_EQ(animation.Load(animationPath), 1);
    const ActorModel model;
    BinaryFile file;
    ASSERT_EQ(file.Open(path, 0), 1);
    file.WriteInt32(animation.frameCount);
    for (int f = 0; f < animation.frameCount; ++f) {
        Zt18DOP root;
        root.Reset();
        std::int32_t count = 0;
        auto nodes = model.BuildNodeBounds(mesh.root, count, mesh.vertices);
        root.AdoptChildren(std::move(nodes), count);
        for (std::int32_t i = 0; i < root.childCount; ++i)
            root.Merge(root.children[i]);
        root.tag = static_cast<std::int32_t>(NameHash(boundsName.c_str()));
        ASSERT_EQ(root.SerializeTagged(file, true), 1);
    }
    ASSERT_EQ(file.Close(), 1);
}

inline void WriteSampleContent(const TempDir& dir) {
    std::string failed;
    ASSERT_TRUE(WriteContent(dir.Path().string(), 1, failed)) << failed;
    Mesh robot, gun;
    ASSERT_EQ(robot.ReadFile(dir.File(kRobotMeshFile)), 1);
    ASSERT_EQ(gun.ReadFile(dir.File(kGunMeshFile)), 1);
    ASSERT_EQ(robot.BuildGroupFile(dir.File("kordax.prs")), 1);
    ASSERT_EQ(gun.BuildGroupFile(dir.File("gun82.prs")), 1);
    WritePropBounds(gun, dir.File("gun82.kdt"));
    for (const char* name : {"idle", "walk", "aim"}) {
        const std::string bounds = std::string(name) + ".kdt";
        WriteActorBounds(robot, dir.File(std::string(name) + ".anm"), bounds, dir.File(bounds));
    }
}

// RootAndArm() as "arm.ply" and a still animation of both its nodes, `frames` long, as
// "wave.anm", with the bounds the real models write beside them: the actor's "wave.kdt" and the
// prop's "arm.kdt", and with `groups` the face groups "arm.prs" (no OpenGL needed: no textures).
inline void WriteArmCaches(const TempDir& dir, int frames, bool groups) {
    ASSERT_TRUE(WriteMeshFile(dir.File("arm.ply"), RootAndArm()));
    ASSERT_TRUE(WriteAnimationFile(dir.File("wave.anm"),
                                   Constant({"Root", "Arm"}, frames, Transform::Identity)));
    ActorModel actor;
    ASSERT_EQ(actor.LoadMesh(dir.File("arm.ply"), defaultTextureParams), 1);
    if (groups) {
        ASSERT_EQ(actor.LoadGroups(dir.File("arm.prs")), 1);
    }
    ASSERT_EQ(actor.LoadAnimation(dir.File("wave.anm")), 1);
    ASSERT_EQ(actor.LoadBounds(dir.File("wave.kdt"), 0), 1);
    PropModel prop;
    ASSERT_EQ(prop.LoadMesh(dir.File("arm.ply"), defaultTextureParams), 1);
    ASSERT_EQ(prop.LoadBounds(dir.File("arm.kdt"), PropModel::kLeafSize), 1);
}
