// The signal generator's synthesis: each refilled buffer must be ready well within the quarter
// second the other buffer plays.

#include "siggen/WaveDevice.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_SiggenSineRefill(benchmark::State& state) {
    TSineTable table;
    BuildSineTable(table, AttenuationGain(6));
    std::vector<std::int16_t> buffer(kRefillSamples);
    std::uint32_t phase = 0;
    for (auto _ : state) {
        SynthesizeSine(table, phase, 1000, buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRefillSamples));
}
BENCHMARK(BM_SiggenSineRefill);

void BM_SiggenNoiseRefill(benchmark::State& state) {
    TNoiseGenerator noise;
    std::vector<std::int16_t> buffer(kRefillSamples);
    for (auto _ : state) {
        noise.Fill(buffer, 1.0);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRefillSamples));
}
BENCHMARK(BM_SiggenNoiseRefill);

void BM_SiggenFastSweepBuffer(benchmark::State& state) {
    TSineTable table;
    BuildSineTable(table, 1.0);
    std::vector<std::int16_t> buffer(kBufferSamples);
    std::uint32_t phase = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSweepBuffer(table, phase, 20, 20000, kFastSweepSteps, buffer));
}
BENCHMARK(BM_SiggenFastSweepBuffer);

void BM_SiggenSineTable(benchmark::State& state) {
    TSineTable table;
    for (auto _ : state) {
        BuildSineTable(table, AttenuationGain(20));
        benchmark::DoNotOptimize(table.data());
    }
}
BENCHMARK(BM_SiggenSineTable);

} // namespace
