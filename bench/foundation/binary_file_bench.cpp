// Reading a multi-megabyte file value by value through BinaryFile, against fread of the same
// bytes into memory: the ratio of the two is the buffered reader's overhead.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assets/binary_file.h"

namespace {

constexpr int kValues = 1 << 20;  // 4 MiB of int32 values

const std::string& SampleFile() {
    static const std::string path = [] {
        std::string p = "/tmp/vorn_bench_binary_file.bin";
        BinaryFile f;
        f.Open(p, 0);
        for (int i = 0; i < kValues; ++i)
            f.WriteInt32(i * 2654435761u);
        f.Close();
        return p;
    }();
    return path;
}

void BM_FreadWholeFile(benchmark::State& state) {
    std::vector<unsigned char> bytes(kValues * 4);
    for (auto _ : state) {
        FILE* f = std::fopen(SampleFile().c_str(), "rb");
        const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * kValues * 4);
}
BENCHMARK(BM_FreadWholeFile);

void BM_BinaryFileReadInt32(benchmark::State& state) {
    for (auto _ : state) {
        BinaryFile f;
        f.Open(SampleFile(), 1);
        std::uint32_t sum = 0;
        for (int i = 0; i < kValues; ++i)
            sum += static_cast<std::uint32_t>(f.ReadInt32());
        f.Close();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kValues * 4);
}
BENCHMARK(BM_BinaryFileReadInt32);

}  // namespace
