// TGA and BMP decoding against stb_image on the same files. Each pair (Ours/Stb) decodes one
// file from disk to pixels; the ratio of their times is the figure to watch (target: ours no
// slower). stb_image also swaps to red-first and flips rows; ours keep the stored order, as
// the texture upload takes it.
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "assets/bitmap_image.h"
#include "assets/image_writer.h"
#include "assets/tga_image.h"

namespace {

// A photo-like image: every pixel different from its neighbours, or, with runs, rows made of
// flat spans of 1 to 24 pixels.
std::vector<std::uint8_t> MakePixels(int width, int height, int channels, bool runs) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(std::size_t(width) * height * channels);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        int span = 0;
        std::uint32_t colour = 0;
        for (int x = 0; x < width; ++x) {
            if (!runs || span == 0) {
                state = state * 1664525u + 1013904223u;
                colour = state >> 8;
                span = int(state % 24) + 1;
            }
            --span;
            for (int c = 0; c < channels; ++c)
                pixels.push_back(std::uint8_t(colour >> (c * 6)));
        }
    }
    return pixels;
}

enum Sample { kTga24, kTga24Rle, kTga32, kTga32Rle, kBmp24, kBmp24Odd };

struct SampleImage {
    const char* suffix;
    int width, height, depth;
    bool runLength;
    bool bmp;
};

// Indexed by Sample.
constexpr SampleImage kSamples[] = {
    {"24.tga", 1024, 1024, 24, false, false}, {"24rle.tga", 1024, 1024, 24, true, false},
    {"32.tga", 1024, 1024, 32, false, false}, {"32rle.tga", 1024, 1024, 32, true, false},
    {"24.bmp", 1024, 1024, 24, false, true},  {"24odd.bmp", 1023, 1025, 24, false, true},
};

const std::string& SampleFile(Sample sample) {
    static std::map<Sample, std::string> files;
    auto found = files.find(sample);
    if (found != files.end())
        return found->second;
    const SampleImage& image = kSamples[sample];
    const std::string path = std::string("/tmp/vorn_bench_images_") + image.suffix;
    const auto pixels = MakePixels(image.width, image.height, image.depth / 8, image.runLength);
    if (image.bmp) {
        WriteBmp24(path, image.width, image.height, pixels);
    } else {
        WriteTga(path, image.width, image.height, image.depth, pixels, image.runLength);
    }
    return files[sample] = path;
}

void BM_Ours(benchmark::State& state) {
    const auto sample = static_cast<Sample>(state.range(0));
    const std::string& path = SampleFile(sample);
    const bool tga = sample <= kTga32Rle;
    for (auto _ : state) {
        if (tga) {
            TgaImage image;
            if (image.Load(path) != 1)
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(image.pixels.data());
        } else {
            auto image = LoadBitmapImage(path);
            if (image == nullptr)
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(image.get());
        }
    }
}

void BM_Stb(benchmark::State& state) {
    const std::string& path = SampleFile(static_cast<Sample>(state.range(0)));
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 0);
        if (pixels == nullptr)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
}

void Samples(benchmark::internal::Benchmark* b) {
    b->ArgName("sample");  // 0 tga24, 1 tga24 rle, 2 tga32, 3 tga32 rle, 4 bmp24, 5 bmp24 odd
    for (int s = kTga24; s <= kBmp24Odd; ++s)
        b->Arg(s);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Ours)->Apply(Samples);
BENCHMARK(BM_Stb)->Apply(Samples);

}  // namespace
