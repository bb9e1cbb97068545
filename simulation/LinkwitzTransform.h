#pragma once

#include "simulation/FilterBase.h"

// Moves a closed box's second-order roll-off (F0, Q0) to a new one (Fp, Qp).
class TLinkwitzTransform : public TFilterBase {
public:
    TLinkwitzTransform() : TFilterBase(fkLinkwitzTransform) {}

    double Q0 = 0.0;
    double F0 = 0.0; // Hz
    double Qp = 0.0;
    double Fp = 0.0; // Hz

    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses any parameter <= 0.
    bool Calculate() override;
};
