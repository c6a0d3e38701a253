// The floor of loading a full song disk: deciphering 79,920 records of 140 bytes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/LineCipher.h"

namespace {

constexpr int kFullDiskLines = 79920;
constexpr size_t kRecordLength = 140;

std::vector<std::string> EncipheredRecords() {
    qv::BuildLineCipherTables();
    std::vector<std::string> lines(kFullDiskLines);
    for (int i = 0; i < kFullDiskLines; ++i) {
        std::string record(kRecordLength, ' ');
        for (size_t j = 0; j < kRecordLength; ++j)
            record[j] = static_cast<char>(0x20 + (i * 7 + j * 13) % 0xDF);
        lines[i] = qv::EncodeLine(i, record);
    }
    return lines;
}

void BM_DecodeLineFullDisk(benchmark::State& state) {
    const std::vector<std::string> lines = EncipheredRecords();
    for (auto _ : state) {
        size_t bytes = 0;
        for (int i = 0; i < kFullDiskLines; ++i) {
            std::string plain = qv::DecodeLine(i, lines[i]);
            bytes += plain.size();
            benchmark::DoNotOptimize(plain.data());
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFullDiskLines * kRecordLength);
}
BENCHMARK(BM_DecodeLineFullDisk)->Unit(benchmark::kMillisecond);

void BM_DecodeLineListFullDisk(benchmark::State& state) {
    const std::vector<std::string> lines = EncipheredRecords();
    for (auto _ : state) {
        std::vector<std::string> copy = lines;
        qv::DecodeLineList(copy);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_DecodeLineListFullDisk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
