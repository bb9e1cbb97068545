#pragma once

#include "simulation/FilterBase.h"

// All-pass of order 1 or 2: unit magnitude, a phase that delays low
// frequencies by Delay. Every order other than 1 is the second-order stage, as
// stored projects expect.
class TAllpass : public TFilterBase {
public:
    TAllpass() : TFilterBase(fkAllpass) {}

    std::int32_t Order = 0;
    double Delay = 0.0; // s
    double Q = 0.0;

    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses Delay <= 0 and Q <= 0 (for order 1 too).
    bool Calculate() override;
};
