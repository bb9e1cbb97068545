#pragma once

#include "simulation/FilterBase.h"

// A frequency-independent gain.
class TStaticGain : public TFilterBase {
public:
    TStaticGain() : TFilterBase(fkStaticGain) {}

    double Gain = 0.0; // dB

    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses only a gain without a finite factor.
    bool Calculate() override;
};
