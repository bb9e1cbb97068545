#pragma once

#include "simulation/FilterBase.h"

// Crossover high-pass, the mirror image of the low-pass designs.
class THighpass : public TFilterBase {
public:
    THighpass() : TFilterBase(fkHighpass) {}

    std::int32_t Order = 0;
    double Fc = 0.0; // Hz
    double Q = 0.0;

    std::vector<std::string> GetTypeNames() const override;
    std::string GetDescription() const override;
    std::string SaveToString() const override;
    bool LoadFromString(std::string_view text, std::string& error) override;
    // Refuses as the low-pass does and, unlike it, an order below 1 in every
    // subtype (the Linkwitz-Riley design then keeps the order it was given).
    bool Calculate() override;
};
