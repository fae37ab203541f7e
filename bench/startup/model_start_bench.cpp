// `vorn MODEL`'s second start against `vorn FOLDER` on the folder it reuses. The model is the
// glTF benchmark's (100,000 triangles, three animations, a 512 x 512 texture) as a .glb file; a
// first start converts it into a private cache and the game's own caches are written there.
// What the two starts share, the load of the data folder, is timed in both; the second start
// adds opening the model: hashing it and the files it names, finding its folder and pruning
// the cache.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/model_start.h"
#include "bench/startup/demo_load.h"
#include "tests/support/gltf_models.h"
#include "tests/support/shared_gl_context.h"

namespace fs = std::filesystem;

namespace {

struct ConvertedModel {
    fs::path model;
    ModelCacheSettings settings;
    fs::path folder;  // the conversion in the cache
    bool ready = false;

    ConvertedModel() {
        const fs::path root = fs::temp_directory_path() / "vorn_bench_model_start";
        fs::remove_all(root);
        fs::create_directories(root);
        model = root / "sheet.glb";
        const std::vector<unsigned char> bytes = SaveModel(LargeModel(100000, 3), true);
        std::ofstream(model, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        settings.root = root / "cache";
        OpenedModel opened;
        std::ostringstream console, errors;
        if (!UseSharedGlContext() || OpenModel(model, settings, opened, console, errors) != 0 ||
            opened.From() != OpenedModel::Source::Converted) {
            return;
        }
        folder = opened.Folder();
        fs::current_path(folder);
        DeleteDemoTextures(*LoadDemoAssets());  // the first start writes the game's caches
        ready = true;
    }
};

ConvertedModel& TheModel() {
    static ConvertedModel model;
    return model;
}

void BM_FolderStart(benchmark::State& state) {
    ConvertedModel& m = TheModel();
    if (!m.ready)
        return state.SkipWithError("no conversion or no context");
    for (auto _ : state) {
        fs::current_path(m.folder);
        TimedDemoLoad(state);
    }
}
BENCHMARK(BM_FolderStart)->Unit(benchmark::kMillisecond);

void BM_ModelSecondStart(benchmark::State& state) {
    ConvertedModel& m = TheModel();
    if (!m.ready)
        return state.SkipWithError("no conversion or no context");
    for (auto _ : state) {
        OpenedModel opened;
        std::ostringstream console, errors;
        if (OpenModel(m.model, m.settings, opened, console, errors) != 0 ||
            opened.From() != OpenedModel::Source::Reused) {
            state.SkipWithError("the conversion was not reused");
            break;
        }
        fs::current_path(opened.Folder());
        TimedDemoLoad(state);
    }
}
BENCHMARK(BM_ModelSecondStart)->Unit(benchmark::kMillisecond);

}  // namespace
