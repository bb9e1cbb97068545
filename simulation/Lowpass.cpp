#include "simulation/Lowpass.h"

#include "simulation/Besselap.h"

std::vector<std::string> TLowpass::GetTypeNames() const {
    return CrossoverTypeNames();
}

std::string TLowpass::GetDescription() const {
    return CrossoverDescription(Order, Fc, Q);
}

std::string TLowpass::SaveToString() const {
    return SaveFields(&Order, {Fc, Q});
}

bool TLowpass::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, &Order, {&Fc, &Q});
}

bool TLowpass::Calculate() {
    if (!Positive(Fc))
        return Refuse("the corner frequency must be above 0");
    const double w = 2.0 * HV_Pi * Fc;
    TTransferFunction tf;
    if (SubType == 2) {
        if (!BesselLowpassPrototype(Order, tf) || !ScaleTransferFunction(tf, w))
            return Refuse("a Bessel design has no such order");
        return Accept(tf);
    }
    if (!CrossoverDenominator(Order, w, Q, tf))
        return Refuse("the type, order or Q gives no design");
    // Unity gain at DC.
    tf.Num[0] = tf.Den[0];
    return Accept(tf);
}
