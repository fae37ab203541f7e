// The per-frame skinning of a 100,000-vertex actor instance against a plain copy of its bind
// pose into the same buffers, and the bounds generation per animation frame. The instance builds
// display lists, so this needs an X server with OpenGL: run it under scripts/with-display.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "assets/animation_writer.h"
#include "assets/mesh_writer.h"
#include "bench/model/pose_timing.h"
#include "game/actor_clone.h"
#include "model/actor_model.h"
#include "tests/support/shared_gl_context.h"

namespace {

constexpr int kNodes = 25;
constexpr int kQuadsPerNode = 1000;  // 4 vertices each: 100,000 vertices

struct Fixture {
    ActorModel model;
    std::string dir;
    bool hasContext = false;

    Fixture() {
        hasContext = UseSharedGlContext();
        dir = (std::filesystem::temp_directory_path() / "vorn_bench_model").string();
        std::filesystem::create_directories(dir);
        MeshSource s;
        s.materials.push_back({});
        AnimationSource anim;
        anim.name = "bench";
        std::int32_t parent = -1;
        for (int n = 0; n < kNodes; ++n) {
            const std::string name = "Node" + std::to_string(n);
            parent = s.AddNode(name, n % 5 == 0 ? -1 : parent);
            if (n % 5 == 0 && n > 0)
                s.nodes.back().parent = 0;
            AnimationTrackSource track{name, {}};
            for (int f = 0; f < 30; ++f) {
                track.keys.push_back(
                    Transform::Rotation(0.01f * static_cast<float>(f), Vec3{0, 1, 0}));
            }
            anim.tracks.push_back(track);
            for (int q = 0; q < kQuadsPerNode; ++q) {
                FaceSource face;
                for (int k = 0; k < 4; ++k) {
                    const auto v = static_cast<std::int32_t>(s.vertices.size());
                    s.vertices.push_back(
                        {static_cast<float>(q), static_cast<float>(n), static_cast<float>(k)});
                    s.normals.push_back({0, 0, 1});
                    face.vertex[k] = v;
                    face.normal[k] = v;
                    s.nodes.back().vertices.push_back(v);
                }
                s.faces.push_back(face);
            }
        }
        WriteMeshFile(dir + "/bench.ply", s);
        WriteAnimationFile(dir + "/bench.anm", anim);
        model.LoadMesh(dir + "/bench.ply", defaultTextureParams);
        model.LoadAnimation(dir + "/bench.anm");
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_CopyBindPose(benchmark::State& state) {
    TimeBindPoseCopy(state, *TheFixture().model.mesh);
}
BENCHMARK(BM_CopyBindPose);

void BM_UpdatePose(benchmark::State& state) {
    Fixture& f = TheFixture();
    if (!f.hasContext)
        return state.SkipWithError("no display or no OpenGL context");
    TimeUpdatePose(state, &f.model, 30);
}
BENCHMARK(BM_UpdatePose);

void BM_BoundsFilePerFrame(benchmark::State& state) {
    Fixture& f = TheFixture();
    const std::string name = f.dir + "/bench.kdt";
    for (auto _ : state) {
        std::filesystem::remove(name);
        f.model.BuildBoundsFile(name, 0);
    }
    state.counters["frames"] = 30;
    state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_BoundsFilePerFrame)->Unit(benchmark::kMillisecond);

}  // namespace
