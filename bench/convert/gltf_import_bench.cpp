// Importing a .glb of 100,000 triangles with three animations and a 512x512 PNG texture from
// memory (ImportModelBytes, no files written), against its floor: tinygltf's parse of the same
// bytes, which decodes the images too. The ratio is what turning the model into a data folder
// costs over reading it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/gltf_models.h"
#include "tools/convert/model_import.h"

namespace {

// Minor page faults so far: fresh memory, what the import paid most for before it held less.
long PageFaults() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

const std::vector<unsigned char>& ModelBytes() {
    static const std::vector<unsigned char> bytes = SaveModel(LargeModel(100000, 3), true);
    return bytes;
}

void BM_TinygltfParseWithImages(benchmark::State& state) {
    const std::vector<unsigned char>& bytes = ModelBytes();
    for (auto _ : state) {
        tinygltf::TinyGLTF loader;
        tinygltf::Model model;
        std::string error;
        std::string warning;
        if (!loader.LoadBinaryFromMemory(&model, &error, &warning, bytes.data(),
                                         static_cast<unsigned>(bytes.size()))) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(model.images.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ModelBytes().size()));
}
BENCHMARK(BM_TinygltfParseWithImages)->Unit(benchmark::kMillisecond);

void BM_ImportModelBytes(benchmark::State& state) {
    const std::vector<unsigned char>& bytes = ModelBytes();
    const long faults = PageFaults();
    for (auto _ : state) {
        ImportedFolder folder;
        std::string error;
        if (!ImportModelBytes(bytes, "", ImportOptions{}, folder, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(folder.files.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ModelBytes().size()));
    state.counters["page_faults"] = benchmark::Counter(static_cast<double>(PageFaults() - faults),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ImportModelBytes)->Unit(benchmark::kMillisecond);

}  // namespace
