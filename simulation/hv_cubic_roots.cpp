#include "simulation/hv_cubic_roots.h"

#include <cmath>

bool CubicRoots(double a2, double a1, double a0, std::array<TComplex, 3>& roots) {
    const double Q = (a2 * a2 - 3.0 * a1) / 9.0;
    const double R = (2.0 * a2 * a2 * a2 - 9.0 * a2 * a1 + 27.0 * a0) / 54.0;
    const double Q3 = Q * Q * Q;
    const double shift = a2 / 3.0;

    if (Q3 > R * R) {
        // Q3 > R² >= 0 keeps R/sqrt(Q3) inside (-1, 1).
        const double theta = std::acos(R / std::sqrt(Q3));
        const double m = -2.0 * std::sqrt(Q);
        roots[0] = MakeComplex(m * std::cos(theta / 3.0) - shift, 0.0);
        roots[1] = MakeComplex(m * std::cos((theta + 2.0 * HV_Pi) / 3.0) - shift, 0.0);
        roots[2] = MakeComplex(m * std::cos((theta - 2.0 * HV_Pi) / 3.0) - shift, 0.0);
        return false;
    }

    const double s = R > 0.0 ? 1.0 : -1.0;
    const double A = -s * std::cbrt(std::fabs(R) + std::sqrt(R * R - Q3));
    const double B = A != 0.0 ? Q / A : 0.0;
    roots[0] = MakeComplex((A + B) - shift, 0.0);
    roots[1] = MakeComplex(-(A + B) / 2.0 - shift, std::sqrt(3.0) / 2.0 * (A - B));
    roots[2] = MakeComplex(roots[1].re, -roots[1].im);
    return true;
}
