#include "simulation/VentedAlignments.h"

#include <cmath>
#include <iterator>
#include <span>

namespace {

constexpr const char* ListTexts[] = {
    "QB3 Quasi-butterworth",          "BB4/SBB4 (Super-)boom-box",      "C4/SC4 (Sub-)Chebyshev",
    "EBS3 extended bass shelf -3 dB", "EBS6 extended bass shelf -6 dB",
};

enum ListPosition { ListQB3 = 0, ListBB4 = 1, ListC4 = 2, ListEBS6 = 4 };

// Text of each calculation number, in calculation order.
constexpr const char* CalculationTexts[] = {
    "QB3 Quasi-butterworth",          "BB4/SBB4 (Super-)boom-box", "EBS3 extended bass shelf -3 dB",
    "EBS6 extended bass shelf -6 dB", "C4/SC4 (Sub-)Chebyshev",
};

enum Calculation { CalcQB3 = 0, CalcBB4 = 1, CalcEBS3 = 2, CalcEBS6 = 3, CalcC4 = 4 };

// Fits over x = ln Qts', highest power first: exp(Pv(x)) is Vas/Vb, exp(Pf(x)) is Fb/Fs.
constexpr double QB3Volume[] = {-0.527653766418192, -4.045037842606329, -10.388310807896415,
                                -5.25594713440707,  21.601394321188952, 40.33530712040413,
                                22.661419872287436, 2.717622080740771};
constexpr double QB3Tuning[] = {-0.029801244681591, -0.195366397032358, -0.437959753294342,
                                -1.355136486318576, -0.999127306592246};
constexpr double EBS3Volume[] = {0.006359580444886, 0.284719820427248, 1.201995900184085, -0.509649345433783,
                                 -1.784408772362153};
constexpr double EBS3Tuning[] = {0.015424255373668, 0.172186160819739, 0.620617168304417, -0.084975509883162,
                                 -0.76456030458537};
constexpr double EBS6Volume[] = {-0.229471801052817, -0.901670322424065, -0.410672175645899,
                                 -0.41030467280452, -1.207690336319967};
constexpr double EBS6Tuning[] = {-0.229066066258841, -1.231981240907907, -2.116888241589388,
                                 -2.07475979269649, -1.434673514434639};
constexpr double C4Volume[] = {2.042092829582793,   -0.285129728592432, -25.76924674836319,
                               -53.426473674138194, -41.84812814959069, -16.515214504570608,
                               -4.222667174871261};
constexpr double C4Tuning[] = {-2.661465684928509, -17.790020226363403, -45.116813494746765,
                               -54.76142489283109, -33.41178255237291,  -10.570811827917767,
                               -1.866019821604128};

double Polynomial(std::span<const double> highestFirst, double x) {
    double sum = 0;
    for (double coefficient : highestFirst) {
        sum = sum * x + coefficient;
    }
    return sum;
}

TDriverObject Prepared(const TDriverObject& driver) {
    TDriverObject prepared = driver;
    prepared.PrepareModel();
    return prepared;
}

} // namespace

int VentedAlignments_GetList(std::vector<std::string>& list, const TDriverObject& driver) {
    for (const char* text : ListTexts) {
        list.emplace_back(text);
    }
    const double qts = Prepared(driver).QtsTotal;
    if (qts < 0.2) {
        return ListEBS6;
    }
    if (qts <= 0.35) {
        return ListBB4;
    }
    if (qts <= 0.4) {
        return ListQB3;
    }
    return ListC4;
}

int VentedAlignments_IndexOf(std::string_view text) {
    for (int number = 0; number < static_cast<int>(std::size(CalculationTexts)); ++number) {
        if (text == CalculationTexts[number]) {
            return number;
        }
    }
    return CalcQB3;
}

bool VentedAlignments_Calc(int number, const TDriverObject& driver, TBoxData& box) {
    if (number < 0) {
        return false;
    }
    const TDriverObject prepared = Prepared(driver);
    const double qts = prepared.QtsTotal;
    const double vas = prepared.VasTotal;
    const double fs = prepared.FsTotal;
    double volume = vas;
    double tuning = fs;
    const auto fitted = [&](std::span<const double> volumeFit, std::span<const double> tuningFit) {
        const double x = std::log(qts);
        volume = vas / std::exp(Polynomial(volumeFit, x));
        tuning = fs * std::exp(Polynomial(tuningFit, x));
    };
    switch (number) {
    case CalcQB3:
        fitted(QB3Volume, QB3Tuning);
        break;
    case CalcBB4: {
        // Tuned to the driver's resonance; the box's leakage loss sets the volume.
        const double qlr = box.Qlr;
        const double sum = 1 / qts + 1 / qlr;
        volume = vas / (sum * sum / 4 - 1 / (qlr * qts));
        break;
    }
    case CalcEBS3:
        fitted(EBS3Volume, EBS3Tuning);
        break;
    case CalcEBS6:
        fitted(EBS6Volume, EBS6Tuning);
        break;
    case CalcC4:
        fitted(C4Volume, C4Tuning);
        break;
    default:
        break;
    }
    if (!(std::isfinite(volume) && volume > 0 && std::isfinite(tuning) && tuning > 0)) {
        return false;
    }
    box.Vr = volume;
    box.Fr = tuning;
    return true;
}
