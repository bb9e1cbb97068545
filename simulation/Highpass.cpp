#include "simulation/Highpass.h"

#include "simulation/Besselap.h"

std::vector<std::string> THighpass::GetTypeNames() const {
    return CrossoverTypeNames();
}

std::string THighpass::GetDescription() const {
    return CrossoverDescription(Order, Fc, Q);
}

std::string THighpass::SaveToString() const {
    return SaveFields(&Order, {Fc, Q});
}

bool THighpass::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, &Order, {&Fc, &Q});
}

bool THighpass::Calculate() {
    // Below order 1 there is no high-pass to speak of, whatever the subtype; the
    // Linkwitz-Riley and second-order designs take any order from 1 up.
    if (!Positive(Fc) || Order < 1)
        return Refuse("the corner frequency must be above 0 and the order at least 1");
    const double w = 2.0 * HV_Pi * Fc;
    TTransferFunction tf;
    if (SubType == 2) {
        if (!BesselHighpassPrototype(Order, tf) || !ScaleTransferFunction(tf, w))
            return Refuse("a Bessel design has no such order");
        return Accept(tf);
    }
    if (!CrossoverDenominator(Order, w, Q, tf))
        return Refuse("the type, order or Q gives no design");
    // Unity gain far above fc: the numerator is the denominator's highest term alone.
    for (double& coefficient : tf.Num)
        coefficient = 0.0;
    tf.NumOrder = tf.DenOrder;
    tf.Num[tf.NumOrder] = tf.Den[tf.DenOrder];
    return Accept(tf);
}
