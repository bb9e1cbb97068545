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
        return Refuse();
    const double w = 2.0 * HV_Pi * Fc;
    TTransferFunction tf;
    switch (SubType) {
    case 0: { // Butterworth
        if (Order > MaxTransferOrder)
            return Refuse();
        if (Order % 2 == 1) {
            tf.Num[0] = 0.0;
            tf.Num[1] = 1.0 / w;
            tf.NumOrder = 1;
            tf.Den[1] = 1.0 / w;
            tf.DenOrder = 1;
        }
        for (std::int32_t k = 0; k < Order / 2; ++k) {
            const double qk = 1.0 / (2.0 * std::sin((2 * k + 1) * HV_Pi / (2.0 * Order)));
            TTransferFunction section;
            section.Num[0] = 0.0;
            section.Num[2] = 1.0 / (w * w);
            section.NumOrder = 2;
            section.Den[1] = 1.0 / (w * qk);
            section.Den[2] = 1.0 / (w * w);
            section.DenOrder = 2;
            const auto product = MultiplyTransferFunctions(tf, section);
            if (!product)
                return Refuse();
            tf = *product;
        }
        break;
    }
    case 1: { // Linkwitz-Riley
        Order = 4;
        const double q = 0.7071067811865476;
        tf.Num[0] = 0.0;
        tf.Num[4] = 1.0;
        tf.NumOrder = 4;
        tf.Den[0] = w * w * w * w;
        tf.Den[1] = 2.0 * w * w * w / q;
        tf.Den[2] = 2.0 * w * w + w * w / (q * q);
        tf.Den[3] = 2.0 * w / q;
        tf.Den[4] = 1.0;
        tf.DenOrder = 4;
        break;
    }
    case 2:
        if (!BesselHighpassPrototype(Order, tf) || !ScaleTransferFunction(tf, w))
            return Refuse();
        break;
    case 3:
        if (!Positive(Q))
            return Refuse();
        tf.Num[0] = 0.0;
        tf.Num[2] = 1.0;
        tf.NumOrder = 2;
        tf.Den[0] = w * w;
        tf.Den[1] = w / Q;
        tf.Den[2] = 1.0;
        tf.DenOrder = 2;
        break;
    default:
        return Refuse();
    }
    return Accept(tf);
}
