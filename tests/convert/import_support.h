// Importing the test models into folders and loading the result with the game's loaders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/name_hash.h"
#include "assets/texture.h"
#include "model/actor_model.h"
#include "tests/support/gltf_models.h"
#include "tests/temp_dir.h"
#include "tools/convert/model_import.h"

// The model as .glb bytes through ImportModelBytes, with no folder to read from.
inline ImportedFolder Import(const tinygltf::Model& model, const ImportOptions& options = {},
                             bool binary = true) {
    ImportedFolder out;
    std::string error;
    const std::vector<unsigned char> bytes = SaveModel(model, binary);
    EXPECT_TRUE(ImportModelBytes(bytes, "", options, out, error)) << error;
    return out;
}

// The animation file names that "kordax.txt" lists.
inline std::vector<std::string> AnimationNames(const std::filesystem::path& folder) {
    std::ifstream in(folder / "kordax.txt");
    std::string line;
    std::getline(in, line);  // actor
    std::getline(in, line);  // mesh
    int count = 0;
    in >> count;
    std::getline(in, line);
    std::vector<std::string> names(static_cast<std::size_t>(count));
    for (std::string& name : names)
        std::getline(in, name);
    return names;
}

// The imported robot loaded as the game loads it (without textures, which need OpenGL).
inline void LoadActor(const std::filesystem::path& folder, ActorModel& actor) {
    ASSERT_EQ(actor.LoadMesh((folder / "model.ply").string(), defaultTextureParams), 1);
    for (const std::string& name : AnimationNames(folder))
        ASSERT_EQ(actor.LoadAnimation((folder / name).string()), 1) << name;
}

// Bind pose posed by frame `frame` of animation `animation`; `capture` gets the "Gun" node's
// transform.
inline std::vector<Vec3> Posed(const ActorModel& actor, int animation, int frame,
                               Transform* gun = nullptr) {
    std::vector<Vec3> vertices = actor.mesh->vertices;
    std::vector<Vec3> normals = actor.mesh->normals;
    const std::uint32_t hashes[] = {NameHash("Gun")};
    Transform captured[1] = {Transform::Identity};
    actor.PoseNodes(animation, frame, actor.mesh->root, vertices, normals, hashes, captured,
                    Transform::Identity);
    if (gun != nullptr)
        *gun = captured[0];
    return vertices;
}
