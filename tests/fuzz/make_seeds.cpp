// vorn-fuzz-seeds OUTPUT_DIR: writes the seed files that vorn-content does not make, with the
// game's own writers: the caches of the sample robot, gun and short walk as the fuzz targets
// load them, a gun mesh that loads without an OpenGL context, the short walk itself, and the
// small glTF test models as .glb and .gltf files, and scenes as the reader child sends them.
// tests/fuzz/make-corpus.sh puts them into the corpus.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/convert_assimp/assimp_models.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/gltf_models.h"
#include "tests/support/plain_content.h"
#include "tests/support/sample_scene.h"
#include "tools/convert/assimp_reader.h"

namespace {

bool Fail(const std::string& what) {
    std::fprintf(stderr, "vorn-fuzz-seeds: cannot write %s\n", what.c_str());
    return false;
}

bool WriteSeeds(const std::filesystem::path& folder) {
    const auto in = [&](const char* name) { return (folder / name).string(); };
    WriteStandIn(in("gun82-plain.ply"), PlainGun());
    WriteStandIn(in("kordax-plain.ply"), PlainRobot());
    WriteStandIn(in("walk-short.anm"), ShortWalk());

    PropModel gun;
    if (gun.LoadMesh(in("gun82-plain.ply"), defaultTextureParams) != 1 ||
        gun.LoadBounds(in("gun82.kdt"), PropModel::kLeafSize) != 1 ||
        gun.LoadGroups(in("gun82.prs")) != 1) {
        return Fail("the gun's caches");
    }
    ActorModel robot;
    if (robot.LoadMesh(in("kordax-plain.ply"), defaultTextureParams) != 1 ||
        robot.LoadGroups(in("kordax.prs")) != 1 || robot.LoadAnimation(in("walk-short.anm")) != 1 ||
        robot.LoadBounds(in("walk-short.kdt"), 0) != 1) {
        return Fail("the robot's caches");
    }
    std::filesystem::remove(in("kordax-plain.ply"));

    // Both file forms and both image formats, each under 32 KiB.
    if (!WriteModelFile(SkinnedModel(), in("skinned.glb")) ||
        !WriteModelFile(NodeAnimatedModel(), in("node-animated.gltf")) ||
        !WriteModelFile(TexturedModel(false), in("textured-png.glb")) ||
        !WriteModelFile(TexturedModel(true), in("textured-jpeg.gltf")) ||
        !WriteModelFile(StaticModel(), in("static.glb"))) {
        return Fail("the glTF models");
    }

    // The scene wire: one of everything, and the skinned character as the reader gives it.
    const std::string character = in("character.fbx");
    Scene scene;
    std::string error;
    if (!ExportWithAssimp(*AssimpSkinnedCharacter(), "fbxa", character).empty() ||
        !ReadWithAssimp(character, scene, error)) {
        return Fail("the skinned character");
    }
    std::filesystem::remove(character);
    scene.sources = {"character.fbx"};
    for (const auto& [name, bytes] :
         {std::pair{"sample.scene", EncodeScene(SampleScene(), SampleEncodedImages())},
          std::pair{"character.scene", EncodeScene(scene, {})}}) {
        std::ofstream out(in(name), std::ios::binary);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
            return Fail(name);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorn-fuzz-seeds OUTPUT_DIR\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    return WriteSeeds(argv[1]) ? 0 : 1;
}
