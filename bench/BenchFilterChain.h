#pragma once
// The four filter stages every ten-project benchmark puts on each project: a fourth-order
// low-pass whose corner moves with the project's index, a second-order high-pass, a parametric
// equaliser and a static gain.
#include "simulation/Highpass.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/StaticGain.h"
#include "workspace/PlotProject.h"

#include <memory>

inline void AddBenchFilterChain(TPlotFilterList& filters, int index) {
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->Order = 4;
    lowpass->Fc = 200 + 20 * index;
    auto highpass = std::make_unique<THighpass>();
    highpass->Order = 2;
    highpass->Fc = 15;
    auto eq = std::make_unique<TParametricEQ>();
    eq->Fc = 40;
    eq->Q = 2;
    eq->Gain = 3;
    auto gain = std::make_unique<TStaticGain>();
    gain->Gain = -2;
    filters.push_back(std::move(lowpass));
    filters.push_back(std::move(highpass));
    filters.push_back(std::move(eq));
    filters.push_back(std::move(gain));
    for (auto& filter : filters) {
        filter->Calculate();
        filter->Enabled = true;
    }
}
