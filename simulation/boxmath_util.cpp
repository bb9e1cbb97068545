#include "simulation/boxmath_util.h"

std::optional<TTransferFunction> MultiplyTransferFunctions(const TTransferFunction& a,
                                                           const TTransferFunction& b) {
    if (!TransferOrdersValid(a) || !TransferOrdersValid(b))
        return std::nullopt;
    if (a.NumOrder + b.NumOrder > MaxTransferOrder || a.DenOrder + b.DenOrder > MaxTransferOrder)
        return std::nullopt;
    TTransferFunction product;
    for (int k = 0; k <= MaxTransferOrder; ++k) {
        product.Num[k] = 0.0;
        product.Den[k] = 0.0;
    }
    product.NumOrder = a.NumOrder + b.NumOrder;
    product.DenOrder = a.DenOrder + b.DenOrder;
    for (std::int32_t i = 0; i <= a.NumOrder; ++i)
        for (std::int32_t j = 0; j <= b.NumOrder; ++j)
            product.Num[i + j] += a.Num[i] * b.Num[j];
    for (std::int32_t i = 0; i <= a.DenOrder; ++i)
        for (std::int32_t j = 0; j <= b.DenOrder; ++j)
            product.Den[i + j] += a.Den[i] * b.Den[j];
    return product;
}

bool ScaleTransferFunction(TTransferFunction& tf, double x) {
    if (!(x > 0.0) || !std::isfinite(x) || !TransferOrdersValid(tf))
        return false;
    double power = 1.0;
    for (std::int32_t k = 0; k <= tf.NumOrder; ++k) {
        tf.Num[k] /= power;
        power *= x;
    }
    power = 1.0;
    for (std::int32_t k = 0; k <= tf.DenOrder; ++k) {
        tf.Den[k] /= power;
        power *= x;
    }
    return true;
}
