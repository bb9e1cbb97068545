#include "simulation/ParametricEQ.h"

std::string TParametricEQ::GetDescription() const {
    return "fc=" + FormatFixed(Fc, 2) + " Hz, Q=" + FormatFixed(Q, 2) + ", Gain=" + FormatFixed(Gain, 2) +
           " dB";
}

std::string TParametricEQ::SaveToString() const {
    return SaveFields(nullptr, {Fc, Q, Gain});
}

bool TParametricEQ::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, nullptr, {&Fc, &Q, &Gain});
}

bool TParametricEQ::Calculate() {
    const double a = std::pow(10.0, Gain / 20.0);
    if (!Positive(Fc) || !Positive(Q) || !Positive(a))
        return Refuse("the frequency and Q must be above 0 and the gain finite");
    const double w = 2.0 * HV_Pi * Fc;
    TTransferFunction tf;
    tf.Num[0] = Q * w * w;
    tf.Num[1] = a * w;
    tf.Num[2] = Q;
    tf.NumOrder = 2;
    tf.Den[0] = Q * w * w;
    tf.Den[1] = w;
    tf.Den[2] = Q;
    tf.DenOrder = 2;
    return Accept(tf);
}
