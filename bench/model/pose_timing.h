// The two timings every posing benchmark compares: a plain copy of a mesh's bind pose into
// buffers of its size (the floor), and ActorClone::UpdatePose on a stopped clone whose frame is
// set, a different one each time, so that every pose is a new one.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/actor_clone.h"

inline void TimeBindPoseCopy(benchmark::State& state, const Mesh& mesh) {
    std::vector<Vec3> vertices(mesh.vertices.size()), normals(mesh.normals.size());
    for (auto _ : state) {
        std::copy(mesh.vertices.begin(), mesh.vertices.end(), vertices.begin());
        std::copy(mesh.normals.begin(), mesh.normals.end(), normals.begin());
        benchmark::DoNotOptimize(vertices.data());
        benchmark::DoNotOptimize(normals.data());
    }
}

inline void TimeUpdatePose(benchmark::State& state, ActorModel* model, std::int32_t frames) {
    ActorClone clone(model, 1e6f, Vec3::Zero, false, 0, 0, 30);
    std::int32_t frame = 0;
    for (auto _ : state) {
        clone.SetFrame(frame);
        clone.UpdatePose();
        frame = (frame + 1) % frames;
        benchmark::DoNotOptimize(clone.posedVertices.data());
        benchmark::DoNotOptimize(clone.posedNormals.data());
    }
}
