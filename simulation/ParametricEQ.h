#pragma once

#include "simulation/FilterBase.h"

// Peaking equaliser: gain Gain at Fc, unity far from it, width set by Q.
class TParametricEQ : public TFilterBase {
public:
    TParametricEQ() : TFilterBase(fkParametricEQ) {}

    double Fc = 0.0; // Hz
    double Q = 0.0;
    double Gain = 0.0; // dB

    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses Fc <= 0, Q <= 0 and a gain without a finite factor.
    bool Calculate() override;
};
