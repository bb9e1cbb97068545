#pragma once

#include "simulation/FilterBase.h"

// Crossover low-pass: Butterworth or Bessel of order 1..10, fourth-order
// Linkwitz-Riley, or one second-order section with the user's Q.
class TLowpass : public TFilterBase {
public:
    TLowpass() : TFilterBase(fkLowpass) {}

    std::int32_t Order = 0;
    double Fc = 0.0; // Hz
    double Q = 0.0;

    std::vector<std::string> GetTypeNames() const override;
    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses Fc <= 0, an order outside 1..10 for the Butterworth and Bessel
    // designs and Q <= 0 for the second-order section. The Linkwitz-Riley and
    // second-order designs take any order (stored projects carry whatever was
    // typed); Linkwitz-Riley sets Order to 4.
    bool Calculate() override;
};
