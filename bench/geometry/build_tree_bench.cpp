// Zt18DOP::BuildTree over wavy grid meshes of 10,000 to 1,000,000 quads with leaf size 10, the
// prop model's setting. The time should grow as n log n: from 10^4 to 10^6 faces the exponent
// log(t(10^6) / t(10^4)) / log(100) should stay at or below about 1.15.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "geometry/zt18dop.h"
#include "tests/support/quad_meshes.h"

namespace {

// A side x side grid of quads sharing their corners, in row order like a modelled surface.
void FillGrid(Mesh& mesh, int side) {
    mesh.vertices.clear();
    mesh.faces.clear();
    for (int j = 0; j <= side; ++j) {
        for (int i = 0; i <= side; ++i) {
            const float x = static_cast<float>(i), y = static_cast<float>(j);
            mesh.vertices.push_back({x, y, 8.0f * std::sin(x * 0.05f) * std::cos(y * 0.07f)});
        }
    }
    const int row = side + 1;
    for (int j = 0; j < side; ++j) {
        for (int i = 0; i < side; ++i) {
            Face face{};
            face.vertex[0] = j * row + i;
            face.vertex[1] = j * row + i + 1;
            face.vertex[2] = (j + 1) * row + i + 1;
            face.vertex[3] = (j + 1) * row + i;
            mesh.faces.push_back(face);
        }
    }
}

void BM_BuildTree(benchmark::State& state) {
    const int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(state.range(0)))));
    Mesh mesh;
    FillGrid(mesh, side);
    const std::vector<std::int32_t> faces = AllFaces(mesh);
    std::vector<std::int32_t> all(mesh.vertices.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int32_t>(i);

    for (auto _ : state) {
        state.PauseTiming();
        auto root = std::make_unique<Zt18DOP>();
        root->FitVertices(all, mesh.vertices);
        state.ResumeTiming();
        benchmark::DoNotOptimize(root->BuildTree(faces, mesh, mesh.vertices, 10));
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = static_cast<double>(faces.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(faces.size()));
}
BENCHMARK(BM_BuildTree)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
