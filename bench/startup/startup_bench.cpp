// The load of the sample content, with its caches present and at a first start that writes
// them, against reading the same files' bytes and building the same textures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "bench/startup/demo_load.h"
#include "tests/support/shared_gl_context.h"
#include "tools/content/content_writer.h"

namespace fs = std::filesystem;

namespace {

struct Content {
    fs::path folder;
    std::vector<fs::path> files;                     // everything a start reads, caches included
    std::vector<fs::path> caches;                    // what a first start writes
    std::vector<std::unique_ptr<Texture>> textures;  // decoded once, built in every floor run
    bool ready = false;

    Content() {
        folder = fs::temp_directory_path() / "vorn_bench_startup";
        fs::remove_all(folder);
        std::string failed;
        if (!UseSharedGlContext() || !WriteContent(folder.string(), 1, failed))
            return;
        fs::current_path(folder);
        DeleteDemoTextures(*LoadDemoAssets());  // the first start writes the caches
        for (const auto& entry : fs::directory_iterator(folder)) {
            const fs::path& p = entry.path();
            if (p.filename().string().front() == '.')
                continue;
            files.push_back(p);
            const std::string ext = p.extension().string();
            if (ext == ".prs" || ext == ".kdt")
                caches.push_back(p);
            if (ext == ".tga" || ext == ".bmp") {
                auto texture = std::make_unique<Texture>();
                if (texture->LoadImage(p.string()) == 0)
                    return;
                textures.push_back(std::move(texture));
            }
        }
        ready = !caches.empty() && !textures.empty();
    }
};

Content& TheContent() {
    static Content content;
    return content;
}

void ReadBytesAndBuildTextures(benchmark::State& state) {
    Content& c = TheContent();
    if (!c.ready)
        return state.SkipWithError("no content or no context");
    std::vector<char> buffer;
    for (auto _ : state) {
        for (const fs::path& p : c.files) {
            std::FILE* f = std::fopen(p.c_str(), "rb");
            buffer.resize(static_cast<std::size_t>(fs::file_size(p)));
            benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
            std::fclose(f);
        }
        for (const auto& texture : c.textures) {
            TextureParams params = defaultTextureParams;
            params.width = texture->width;
            params.height = texture->height;
            GLuint name = texture->Build(params);
            glDeleteTextures(1, &name);
        }
        glFinish();
    }
}
BENCHMARK(ReadBytesAndBuildTextures)->Unit(benchmark::kMillisecond);

void StartWithCaches(benchmark::State& state) {
    Content& c = TheContent();
    if (!c.ready)
        return state.SkipWithError("no content or no context");
    for (auto _ : state) {
        TimedDemoLoad(state);
    }
}
BENCHMARK(StartWithCaches)->Unit(benchmark::kMillisecond);

void FirstStartWritingCaches(benchmark::State& state) {
    Content& c = TheContent();
    if (!c.ready)
        return state.SkipWithError("no content or no context");
    for (auto _ : state) {
        state.PauseTiming();
        for (const fs::path& p : c.caches)
            fs::remove(p);
        state.ResumeTiming();
        TimedDemoLoad(state);
    }
}
BENCHMARK(FirstStartWritingCaches)->Unit(benchmark::kMillisecond);

}  // namespace
