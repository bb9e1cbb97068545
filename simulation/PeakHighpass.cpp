#include "simulation/PeakHighpass.h"

std::string TPeakHighpass::GetDescription() const {
    return "Gpk=" + FormatFixed(Gpk, 2) + " dB fpk=" + FormatFixed(Fpk, 2) + " Hz";
}

std::string TPeakHighpass::SaveToString() const {
    return SaveFields(nullptr, {Fpk, Gpk});
}

bool TPeakHighpass::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, nullptr, {&Fpk, &Gpk});
}

bool TPeakHighpass::Calculate() {
    const double g = std::pow(10.0, Gpk / 20.0);
    if (!Positive(Fpk) || !Positive(Gpk) || !std::isfinite(g * g * g * g))
        return Refuse("the peak frequency and gain must be above 0 and the gain not too large");
    // The peak of s^2/(s^2 + (w0/Q)s + w0^2) is Q/sqrt(1 - 1/(4Q^2)) at w0/sqrt(1 - 1/(2Q^2)).
    const double q = std::sqrt(std::sqrt(g * g * g * g - g * g) + g * g) / std::sqrt(2.0);
    const double w0 = 2.0 * HV_Pi * Fpk * std::sqrt(1.0 - 1.0 / (2.0 * q * q));
    TTransferFunction tf;
    tf.Num[0] = 0.0;
    tf.Num[2] = 1.0;
    tf.NumOrder = 2;
    tf.Den[0] = w0 * w0;
    tf.Den[1] = w0 / q;
    tf.Den[2] = 1.0;
    tf.DenOrder = 2;
    return Accept(tf);
}
