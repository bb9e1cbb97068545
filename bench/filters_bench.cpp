// The plot engine evaluates every enabled filter stage (response and group
// delay) at every pixel column of every curve.
#include "model/HV_Math.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"

#include <benchmark/benchmark.h>

#include <cmath>

static void BM_EvalTransferFunctionOrder10(benchmark::State& state) {
    TLowpass filter;
    filter.Order = 10, filter.Fc = 100.0;
    filter.Calculate();
    double f = 10.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EvalTransferFunction(filter.TF, 2.0 * HV_Pi * f));
        f = f < 20000.0 ? f * 1.001 : 10.0;
    }
}
BENCHMARK(BM_EvalTransferFunctionOrder10);

static void BM_FilterChainColumn(benchmark::State& state) {
    TLowpass lowpass;
    lowpass.Order = 4, lowpass.Fc = 80.0;
    lowpass.Calculate();
    TParametricEQ eq;
    eq.Fc = 30.0, eq.Q = 2.0, eq.Gain = 6.0;
    eq.Calculate();
    double f = 10.0;
    for (auto _ : state) {
        const TComplex h = ComplexMul(lowpass.GetResponse(f), eq.GetResponse(f));
        const double tau = lowpass.GetGroupDelay(f) + eq.GetGroupDelay(f);
        benchmark::DoNotOptimize(h);
        benchmark::DoNotOptimize(tau);
        f = f < 20000.0 ? f * 1.001 : 10.0;
    }
}
BENCHMARK(BM_FilterChainColumn);

static void BM_BesselJ1(benchmark::State& state) {
    double x = 0.01;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BesselJ1(x));
        x = x < 30.0 ? x * 1.001 : 0.01;
    }
}
BENCHMARK(BM_BesselJ1);
