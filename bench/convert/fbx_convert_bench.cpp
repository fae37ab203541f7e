// Converting an ASCII FBX of 100,000 skinned triangles with three animations (ImportModelFile:
// the read in a child process, the scene's bytes back through the pipe, their decoding and
// checks, and the writer; no files written), against its floor: the asset import library's
// ReadFile of the same file with the same steps and settings. The ratio is what isolating the
// reader and turning its scene into a data folder cost over reading the file.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include "tests/convert_assimp/assimp_models.h"
#include "tools/convert/assimp_reader.h"
#include "tools/convert/model_import.h"

namespace {

namespace fs = std::filesystem;

// The model written once per run into a temporary folder, removed at exit.
class ModelFile {
  public:
    ModelFile() {
        char pattern[] = "/tmp/vorn-fbx-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        folder_ = pattern;
        const std::string path = (folder_ / "character.fbx").string();
        error_ = ExportWithAssimp(*AssimpLargeSkinnedCharacter(100000, 3), "fbxa", path);
        if (error_.empty())
            path_ = path;
    }
    ~ModelFile() {
        std::error_code ec;
        if (!folder_.empty())
            fs::remove_all(folder_, ec);
    }
    const std::string& Path() const { return path_; }  // empty when it could not be written
    std::string Error() const { return error_.empty() ? "no temporary folder" : error_; }
    std::int64_t Bytes() const {
        std::error_code ec;
        return path_.empty() ? 0 : static_cast<std::int64_t>(fs::file_size(path_, ec));
    }

  private:
    fs::path folder_;
    std::string path_, error_;
};

// Processor time of the finished children so far (the reader children), in milliseconds.
double ChildrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

const ModelFile& Model() {
    static const ModelFile model;
    return model;
}

void BM_AssimpReadFile(benchmark::State& state) {
    const ModelFile& model = Model();
    if (model.Path().empty()) {
        state.SkipWithError(model.Error().c_str());
        return;
    }
    for (auto _ : state) {
        Assimp::Importer importer;
        ConfigureAssimpImporter(importer);
        const aiScene* scene = importer.ReadFile(model.Path(), AssimpImportSteps());
        if (scene == nullptr) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
        benchmark::DoNotOptimize(scene->mMeshes);
    }
    state.SetBytesProcessed(state.iterations() * model.Bytes());
}
BENCHMARK(BM_AssimpReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportModelFile(benchmark::State& state) {
    const ModelFile& model = Model();
    if (model.Path().empty()) {
        state.SkipWithError(model.Error().c_str());
        return;
    }
    const double childrenBefore = ChildrenCpuMs();
    for (auto _ : state) {
        ImportedFolder folder;
        std::string error;
        if (!ImportModelFile(model.Path(), ImportOptions{}, folder, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(folder.files.data());
    }
    state.SetBytesProcessed(state.iterations() * model.Bytes());
    // The reader child's share, beside the parent's own (decoding, checks, writer) in "CPU".
    state.counters["reader_cpu_ms"] = benchmark::Counter((ChildrenCpuMs() - childrenBefore) /
                                                         static_cast<double>(state.iterations()));
}
// Real time: most of the work is the child's, which the parent's processor time does not see.
BENCHMARK(BM_ImportModelFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
