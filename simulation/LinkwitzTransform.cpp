#include "simulation/LinkwitzTransform.h"

std::string TLinkwitzTransform::GetDescription() const {
    return "f0=" + FormatFixed(F0, 2) + " Q0=" + FormatFixed(Q0, 2) + " fp=" + FormatFixed(Fp, 2) +
           " Qp=" + FormatFixed(Qp, 2);
}

std::string TLinkwitzTransform::SaveToString() const {
    return SaveFields(nullptr, {F0, Q0, Fp, Qp});
}

bool TLinkwitzTransform::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, nullptr, {&F0, &Q0, &Fp, &Qp});
}

bool TLinkwitzTransform::Calculate() {
    if (!Positive(Q0) || !Positive(F0) || !Positive(Qp) || !Positive(Fp))
        return Refuse("the frequencies and Qs must be above 0");
    const double w0 = 2.0 * HV_Pi * F0;
    const double wp = 2.0 * HV_Pi * Fp;
    TTransferFunction tf;
    tf.Num[0] = w0 * w0;
    tf.Num[1] = w0 / Q0;
    tf.Num[2] = 1.0;
    tf.NumOrder = 2;
    tf.Den[0] = wp * wp;
    tf.Den[1] = wp / Qp;
    tf.Den[2] = 1.0;
    tf.DenOrder = 2;
    return Accept(tf);
}
