// Mesh::Load of a 100,000-quad mesh without textures, against fread of the same bytes into
// memory: the ratio of the two is what parsing and checking the file costs over reading it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "assets/mesh_writer.h"

namespace {

constexpr int kColumns = 400;
constexpr int kRows = 250;  // 100,000 quads
constexpr int kNodes = 10;

// A flat grid with one normal per vertex, cut into strips of rows, one node per strip.
MeshSource GridSource() {
    MeshSource s;
    s.materials.push_back({{200, 200, 200}, 0, {255, 255, 255}, 0, 0.5f, {}});
    for (int y = 0; y <= kRows; ++y) {
        for (int x = 0; x <= kColumns; ++x) {
            s.vertices.push_back(
                {static_cast<float>(x), static_cast<float>(y), 0.01f * static_cast<float>(x ^ y)});
            s.normals.push_back({0, 0, 1});
        }
    }
    const auto at = [](int x, int y) { return y * (kColumns + 1) + x; };
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const std::int32_t corners[4] = {at(x, y), at(x + 1, y), at(x + 1, y + 1),
                                             at(x, y + 1)};
            FaceSource face;
            for (int k = 0; k < 4; ++k) {
                face.vertex[k] = corners[k];
                face.normal[k] = corners[k];
            }
            s.faces.push_back(face);
        }
    }
    const auto root = s.AddNode("Root", -1);
    const int perNode = static_cast<int>(s.vertices.size()) / kNodes + 1;
    for (int n = 0; n < kNodes; ++n) {
        const auto node = s.AddNode("Strip" + std::to_string(n), root);
        for (int v = n * perNode; v < (n + 1) * perNode && v < static_cast<int>(s.vertices.size());
             ++v) {
            s.nodes[node].vertices.push_back(v);
        }
    }
    return s;
}

const std::string& SampleFile() {
    static const std::string path = [] {
        std::string p = "/tmp/vorn_bench_mesh_100k.ply";
        WriteMeshFile(p, GridSource());
        return p;
    }();
    return path;
}

void BM_FreadMeshFile(benchmark::State& state) {
    std::FILE* probe = std::fopen(SampleFile().c_str(), "rb");
    std::fseek(probe, 0, SEEK_END);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::ftell(probe)));
    std::fclose(probe);
    for (auto _ : state) {
        std::FILE* f = std::fopen(SampleFile().c_str(), "rb");
        const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_FreadMeshFile)->Unit(benchmark::kMillisecond);

void BM_MeshLoad(benchmark::State& state) {
    TextureParams params;
    for (auto _ : state) {
        Mesh mesh;
        const int ok = mesh.Load(SampleFile(), params);
        benchmark::DoNotOptimize(ok);
        if (ok != 1 || mesh.faceCount != kColumns * kRows) {
            state.SkipWithError("the sample mesh did not load");
            break;
        }
    }
}
BENCHMARK(BM_MeshLoad)->Unit(benchmark::kMillisecond);

}  // namespace
