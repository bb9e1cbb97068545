#include "simulation/BP4Alignments.h"

#include "model/HV_Math.h"

#include <cmath>
#include <iterator>

namespace {

struct BandpassRow {
    const char* text;
    double S;    // ripple parameter of the passband
    double gain; // passband gain, dB
};

constexpr BandpassRow Rows[] = {
    {"0.00 dB passband ripple, 0 dB passband gain", 0.7, 0},
    {"0.35 dB passband ripple, 0 dB passband gain", 0.6, 0},
    {"1.25 dB passband ripple, 0 dB passband gain", 0.5, 0},
    {"2.70 dB passband ripple, 0 dB passband gain", 0.4, 0},
    {"0.00 dB passband ripple, -3 dB passband gain", 0.7, -3},
    {"0.35 dB passband ripple, -3 dB passband gain", 0.6, -3},
    {"1.25 dB passband ripple, -3 dB passband gain", 0.5, -3},
    {"2.70 dB passband ripple, -3 dB passband gain", 0.4, -3},
};
constexpr int RowCount = static_cast<int>(std::size(Rows));

// The losses the list judges the rows with.
constexpr double ListQaf = 100;
constexpr double ListQar = 100;

TDriverObject Prepared(const TDriverObject& driver) {
    TDriverObject prepared = driver;
    prepared.PrepareModel();
    return prepared;
}

struct Ratios {
    double e;            // front tuning over Fs
    double rear;         // e² - 1 = Vas/Vr
    double frontSquared; // 1/(2·S·Qt)² = Vas/Vf
    double twoSQt;       // 2·S·Qt
};

Ratios RowRatios(const BandpassRow& row, double qts, double qaf, double qar) {
    const double qt = 1 / (1 / qts + 1 / qaf + 1 / qar);
    const double twoSQt = 2 * row.S * qt;
    const double e = 1 / (twoSQt * RealPower(10, -row.gain / 40));
    return Ratios{e, e * e - 1, 1 / (twoSQt * twoSQt), twoSQt};
}

const BandpassRow& RowOrFirst(int row) {
    return row >= 0 && row < RowCount ? Rows[row] : Rows[0];
}

} // namespace

int BP4Alignments_GetList(std::vector<std::string>& list, const TDriverObject& driver) {
    const double qts = Prepared(driver).QtsTotal;
    for (const BandpassRow& row : Rows) {
        const Ratios r = RowRatios(row, qts, ListQaf, ListQar);
        if (r.e > 0 && r.rear > 0 && r.frontSquared > 0) {
            list.emplace_back(row.text);
        }
    }
    return 0;
}

int BP4Alignments_IndexOf(std::string_view text) {
    for (int row = 0; row < RowCount; ++row) {
        if (text == Rows[row].text) {
            return row;
        }
    }
    return 0;
}

bool BP4Alignments_Calc(int row, const TDriverObject& driver, TBoxData& box) {
    const TDriverObject prepared = Prepared(driver);
    const Ratios r = RowRatios(RowOrFirst(row), prepared.QtsTotal, box.Qaf, box.Qar);
    const double front = prepared.VasTotal * r.twoSQt * r.twoSQt;
    const double rear = prepared.VasTotal / r.rear;
    const double tuning = prepared.FsTotal * r.e;
    const auto usable = [](double value) { return std::isfinite(value) && value > 0; };
    if (!(usable(front) && usable(rear) && usable(tuning))) {
        return false;
    }
    box.Vf = front;
    box.Vr = rear;
    box.Ff = tuning;
    return true;
}
