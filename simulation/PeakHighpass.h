#pragma once

#include "simulation/FilterBase.h"

// Second-order high-pass whose response peaks with height Gpk at Fpk, the
// usual bass boost below a box's corner.
class TPeakHighpass : public TFilterBase {
public:
    TPeakHighpass() : TFilterBase(fkPeakHighpass) {}

    double Fpk = 0.0; // Hz
    double Gpk = 0.0; // dB

    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses Fpk <= 0 and Gpk <= 0 (a second-order high-pass has no peak below 0 dB).
    bool Calculate() override;
};
