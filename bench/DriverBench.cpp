// Cost of the driver responses per frequency point, as the box models call them per curve.

#include "model/Driver.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

TDriverObject BenchDriver() {
    TDriverObject driver;
    driver.Data.Fs = 35.6;
    driver.Data.Qms = 2.98;
    driver.Data.Qes = 0.49;
    driver.Data.Qts = 0.42;
    driver.Data.Vas = 0.0683;
    driver.Data.Re = 6;
    driver.Data.Le = 0.5e-3;
    driver.Data.BL = 7;
    driver.Data.Sd = 0.022;
    driver.rho = 1.2;
    driver.c = 343;
    driver.PrepareModel();
    return driver;
}

// One curve of 2000 logarithmically spaced points from 10 Hz to 20 kHz against a sealed chamber.
template <typename Response> void Curve(benchmark::State& state, Response response) {
    const TDriverObject driver = BenchDriver();
    const double cab = 0.03 / (1.2 * 343 * 343);
    // The frequencies and the chamber's load are the caller's, not the driver's: outside the timer.
    std::vector<double> frequencies(2000);
    std::vector<TComplex> loads(2000);
    for (int i = 0; i < 2000; ++i) {
        frequencies[i] = 10 * std::pow(2000.0, i / 1999.0);
        loads[i] = MakeComplex(0, -1 / (2 * HV_Pi * frequencies[i] * cab));
    }
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < 2000; ++i) {
            const TComplex z = response(driver, loads[i], frequencies[i]);
            sum += z.re + z.im;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}

void BM_DriverLoadedResponse(benchmark::State& state) {
    Curve(state,
          [](const TDriverObject& d, TComplex load, double f) { return d.LoadedResponse(load, f, 1); });
}
void BM_DriverInputImpedance(benchmark::State& state) {
    Curve(state, [](const TDriverObject& d, TComplex load, double f) { return d.InputImpedance(load, f); });
}
void BM_DriverExcursion(benchmark::State& state) {
    Curve(state, [](const TDriverObject& d, TComplex load, double f) { return d.Excursion(load, f, 1); });
}
void BM_DriverPrepareModel(benchmark::State& state) {
    TDriverObject driver = BenchDriver();
    for (auto _ : state) {
        driver.PrepareModel();
        benchmark::DoNotOptimize(driver.Rae);
    }
}

BENCHMARK(BM_DriverLoadedResponse);
BENCHMARK(BM_DriverInputImpedance);
BENCHMARK(BM_DriverExcursion);
BENCHMARK(BM_DriverPrepareModel);

} // namespace
