// One whole frame of the demo scene in a real window (input, update, pose, draw, swap) against a
// bare loop that sends the same visible quads with glBegin and glEnd and swaps. The two run in
// turn in every iteration, so both see the same machine load; the ratio is the figure.
//
//     scripts/with-display build/bench/frame/bench_frame [--scale=N] [benchmark flags]
//
// --scale=N cuts every quad of the robot into N x N (15 gives about 100,000 vertices).
#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/my_app.h"
#include "bench/frame/allocation_count.h"
#include "bench/frame/bare_quads.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "tools/content/content_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

void PumpMessages(MyApp& app) {
    WindowMessage message;
    while (ThePlatform().PeekMessage(message))
        app.HandleMessage(app.window, message);
}

void DemoFrame(benchmark::State& state, MyApp* app, const std::vector<BareDrawing>* bare) {
    double frameSeconds = 0;
    double bareSeconds = 0;
    AllocationCounts allocations;
    for (auto _ : state) {
        const AllocationCounts before = CountAllocations();
        const auto t0 = Clock::now();
        PumpMessages(*app);
        app->StepFrame();
        const auto t1 = Clock::now();
        const AllocationCounts after = CountAllocations();
        allocations.ours += after.ours - before.ours;
        allocations.driver += after.driver - before.driver;
        SendBareFrame(*app, *bare);
        const auto t2 = Clock::now();
        frameSeconds += std::chrono::duration<double>(t1 - t0).count();
        bareSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["frame_ms"] = 1e3 * frameSeconds / n;
    state.counters["bare_ms"] = 1e3 * bareSeconds / n;
    state.counters["ratio"] = frameSeconds / bareSeconds;
    state.counters["quads"] = static_cast<double>(QuadCount(*bare));
    state.counters["allocs_per_frame"] = static_cast<double>(allocations.ours) / n;
    state.counters["driver_allocs_per_frame"] = static_cast<double>(allocations.driver) / n;
}

// Takes --scale=N out of the arguments; 0 when it is malformed.
int TakeScale(std::vector<char*>& args) {
    int scale = 1;
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (std::strncmp(*it, "--scale=", 8) != 0)
            continue;
        const char* text = *it + 8;
        const char* end = text + std::strlen(text);
        const auto [stop, error] = std::from_chars(text, end, scale);
        if (error != std::errc() || stop != end || scale < 1 || scale > kMaxSubdivisions)
            return 0;
        args.erase(it);
        break;
    }
    return scale;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    const int scale = TakeScale(args);
    if (scale == 0) {
        std::fprintf(stderr, "bench_frame: --scale=N takes N from 1 to %d\n", kMaxSubdivisions);
        return 2;
    }
    const auto folder =
        std::filesystem::temp_directory_path() / ("vorn_bench_frame_" + std::to_string(scale));
    std::filesystem::remove_all(folder);
    std::string failed;
    if (!WriteContent(folder.string(), scale, failed)) {
        std::fprintf(stderr, "bench_frame: cannot write %s\n", failed.c_str());
        return 1;
    }
    std::filesystem::current_path(folder);
    // A window, not the full screen.
    SetMessageBoxPresenter([](const std::string&, const std::string&, MessageBoxButtons,
                              MessageBoxIcon) { return MessageBoxAnswer::No; });

    auto app = std::make_unique<MyApp>();
    if (app->Init() == 0)
        return 1;
    app->BeginFrames();
    for (int i = 0; i < 10; ++i) {
        PumpMessages(*app);
        app->StepFrame();
    }
    const std::vector<BareDrawing> bare = CaptureVisibleQuads(*app);
    // Both loops once in turn before timing, so that the driver has compiled its shader variants
    // for the state each leaves behind.
    for (int i = 0; i < 10; ++i) {
        PumpMessages(*app);
        app->StepFrame();
        SendBareFrame(*app, bare);
    }

    const std::string name = "DemoFrame/scale:" + std::to_string(scale);
    benchmark::RegisterBenchmark(name.c_str(), DemoFrame, app.get(), &bare)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
