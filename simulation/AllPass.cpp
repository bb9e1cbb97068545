#include "simulation/AllPass.h"

std::string TAllpass::GetDescription() const {
    std::string text = "n=" + FormatInteger(Order) + ", t=" + FormatFixed(Delay * 1000.0, 3) + " ms";
    if (Order != 1)
        text += ", Q=" + FormatFixed(Q, 2);
    return text;
}

std::string TAllpass::SaveToString() const {
    return SaveFields(&Order, {Delay, Q});
}

bool TAllpass::LoadFromString(std::string_view text, std::string& error) {
    return LoadFields(text, error, &Order, {&Delay, &Q});
}

bool TAllpass::Calculate() {
    if (!Positive(Delay) || !Positive(Q))
        return Refuse("the delay and Q must be above 0");
    const double w = 2.0 / Delay;
    TTransferFunction tf;
    if (Order == 1) {
        tf.Num[1] = -1.0 / w;
        tf.NumOrder = 1;
        tf.Den[1] = 1.0 / w;
        tf.DenOrder = 1;
    } else {
        tf.Num[0] = w * w;
        tf.Num[1] = -w / Q;
        tf.Num[2] = 1.0;
        tf.NumOrder = 2;
        tf.Den[0] = w * w;
        tf.Den[1] = w / Q;
        tf.Den[2] = 1.0;
        tf.DenOrder = 2;
    }
    return Accept(tf);
}
