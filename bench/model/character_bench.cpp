// An imported character of CesiumMan's size (3,000 vertices, 700 nodes: one per set of skin
// influences, each with its own track) posed per frame against a plain copy of its bind pose,
// and its start through the asset registry: the first one writing the ".prs" and ".kdt" caches,
// and a warm one reading them back. The instance builds display lists, so this needs an X
// server with OpenGL: run it under scripts/with-display.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "assets/animation_writer.h"
#include "assets/atomic_file.h"
#include "assets/mesh_writer.h"
#include "bench/model/pose_timing.h"
#include "game/actor_clone.h"
#include "game/asset_registry.h"
#include "tests/support/shared_gl_context.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNodes = 700;
constexpr int kQuads = 750;  // 4 vertices each: 3,000 vertices
constexpr int kFrames = 60;  // two seconds at 30 frames per second
const char* const kAnimations[] = {"walk.anm", "run.anm"};

// The converter's shape: a root with one child per influence set, each keyframe a whole
// (sheared, in general) matrix; quads spread over the sets in turn.
MeshSource CharacterMesh() {
    MeshSource s;
    s.materials.push_back({});
    const std::int32_t root = s.AddNode("Root", -1);
    for (int n = 1; n < kNodes; ++n)
        s.AddNode("Set" + std::to_string(n), root);
    for (int q = 0; q < kQuads; ++q) {
        FaceSource face;
        NodeSource& owner = s.nodes[static_cast<std::size_t>(q % kNodes)];
        for (int k = 0; k < 4; ++k) {
            const auto v = static_cast<std::int32_t>(s.vertices.size());
            s.vertices.push_back(
                {static_cast<float>(q % 30), static_cast<float>(q / 30), static_cast<float>(k)});
            s.normals.push_back({0, 0, 1});
            face.vertex[k] = v;
            face.normal[k] = v;
            owner.vertices.push_back(v);
        }
        s.faces.push_back(face);
    }
    return s;
}

AnimationSource CharacterAnimation(const MeshSource& mesh, float speed) {
    AnimationSource anim;
    anim.name = "motion";
    for (const NodeSource& node : mesh.nodes) {
        AnimationTrackSource track{node.name, {}};
        for (int f = 0; f < kFrames; ++f) {
            Transform key = Transform::Rotation(speed * static_cast<float>(f), Vec3{0, 1, 0});
            key.t = {std::sin(static_cast<float>(f)), 0, 0};
            track.keys.push_back(key);
        }
        anim.tracks.push_back(track);
    }
    return anim;
}

struct Character {
    fs::path folder;
    std::unique_ptr<AssetRegistry> registry;  // the warm start's, posed by the benchmarks
    bool ready = false;

    Character() {
        folder = fs::temp_directory_path() / "vorn_bench_character";
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (!UseSharedGlContext())
            return;
        const MeshSource mesh = CharacterMesh();
        std::string descriptor = "actor\ncharacter.ply\n2\n";
        bool written = WriteMeshFile((folder / "character.ply").string(), mesh);
        float speed = 0.01f;
        for (const char* name : kAnimations) {
            written &=
                WriteAnimationFile((folder / name).string(), CharacterAnimation(mesh, speed));
            descriptor += std::string(name) + "\n";
            speed *= 3;
        }
        written &= WriteFileAtomically((folder / "kordax.txt").string(), descriptor.data(),
                                       descriptor.size());
        fs::current_path(folder);
        registry = Load();
        ready = written && registry != nullptr && registry->actorModels[0]->animations.size() == 2;
    }

    static std::unique_ptr<AssetRegistry> Load() {
        auto registry = std::make_unique<AssetRegistry>(1e9f);
        registry->robotKey = registry->Load("kordax.txt");
        return registry->robotKey != 0 ? std::move(registry) : nullptr;
    }

    void RemoveCaches() const {
        fs::remove(folder / "character.prs");
        for (const char* name : kAnimations)
            fs::remove(folder / fs::path(name).replace_extension(".kdt"));
    }
};

Character& TheCharacter() {
    static Character character;
    return character;
}

void BM_CharacterCopyBindPose(benchmark::State& state) {
    Character& c = TheCharacter();
    if (!c.ready)
        return state.SkipWithError("no display, no OpenGL context, or the files failed");
    TimeBindPoseCopy(state, *c.registry->actorModels[0]->mesh);
}
BENCHMARK(BM_CharacterCopyBindPose);

void BM_CharacterUpdatePose(benchmark::State& state) {
    Character& c = TheCharacter();
    if (!c.ready)
        return state.SkipWithError("no display, no OpenGL context, or the files failed");
    TimeUpdatePose(state, c.registry->actorModels[0].get(), kFrames);
}
BENCHMARK(BM_CharacterUpdatePose);

void BM_CharacterFirstStart(benchmark::State& state) {
    Character& c = TheCharacter();
    if (!c.ready)
        return state.SkipWithError("no display, no OpenGL context, or the files failed");
    c.RemoveCaches();
    for (auto _ : state) {
        auto registry = Character::Load();
        state.PauseTiming();  // neither the teardown nor the removal is timed
        if (registry == nullptr)
            state.SkipWithError("load failed");
        registry.reset();
        c.RemoveCaches();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CharacterFirstStart)->Unit(benchmark::kMillisecond);

void BM_CharacterWarmStart(benchmark::State& state) {
    Character& c = TheCharacter();
    if (!c.ready)
        return state.SkipWithError("no display, no OpenGL context, or the files failed");
    Character::Load();  // writes the caches, should a first start have removed them
    for (auto _ : state) {
        auto registry = Character::Load();
        state.PauseTiming();
        if (registry == nullptr)
            state.SkipWithError("load failed");
        registry.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CharacterWarmStart)->Unit(benchmark::kMillisecond);

}  // namespace
