#include "simulation/Besselap.h"

#include <cmath>

namespace {

long double factorial(int n) {
    long double product = 1.0L;
    for (int k = 2; k <= n; ++k)
        product *= k;
    return product;
}

// Coefficients of the reverse Bessel polynomial of order n, ascending powers,
// normalised to a unit constant and leading term.
void normalisedDenominator(int n, double* den) {
    long double b[MaxBesselOrder + 1] = {};
    for (int k = 0; k <= n; ++k)
        b[k] = factorial(2 * n - k) / (std::ldexp(1.0L, n - k) * factorial(k) * factorial(n - k));
    const long double alpha = std::pow(b[0], 1.0L / n);
    long double alphaPower = 1.0L;
    for (int k = 0; k <= n; ++k) {
        den[k] = static_cast<double>(b[k] * alphaPower / b[0]);
        alphaPower *= alpha;
    }
    den[0] = 1.0;
    den[n] = 1.0;
}

} // namespace

bool BesselLowpassPrototype(std::int32_t n, TTransferFunction& tf) {
    if (n < 1 || n > MaxBesselOrder)
        return false;
    TTransferFunction prototype;
    normalisedDenominator(n, prototype.Den);
    prototype.DenOrder = n;
    prototype.Num[0] = 1.0;
    prototype.NumOrder = 0;
    tf = prototype;
    return true;
}

bool BesselHighpassPrototype(std::int32_t n, TTransferFunction& tf) {
    if (n < 1 || n > MaxBesselOrder)
        return false;
    double lowpass[MaxBesselOrder + 1];
    normalisedDenominator(n, lowpass);
    TTransferFunction prototype;
    for (int k = 0; k <= n; ++k) {
        prototype.Den[k] = lowpass[n - k];
        prototype.Num[k] = 0.0;
    }
    prototype.Num[n] = 1.0;
    prototype.NumOrder = n;
    prototype.DenOrder = n;
    tf = prototype;
    return true;
}
