#include "simulation/StaticGain.h"

std::string TStaticGain::GetDescription() const {
    return "Gain=" + FormatFixed(Gain, 2) + " dB";
}

std::string TStaticGain::SaveToString() const {
    return SaveFields(nullptr, {Gain});
}

bool TStaticGain::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, nullptr, {&Gain});
}

bool TStaticGain::Calculate() {
    const double factor = std::pow(10.0, Gain / 20.0);
    if (!std::isfinite(factor))
        return Refuse("the gain is too large");
    TTransferFunction tf;
    tf.Num[0] = factor;
    return Accept(tf);
}
