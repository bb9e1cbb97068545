#include "simulation/ClosedAlignments.h"

#include <cmath>
#include <iterator>

namespace {

struct ClosedRow {
    const char* text;
    double Qtc;
    double offeredBelow; // the row is offered when the driver's total Q is below this
};

// The 0.707 row keeps its own slightly rounded threshold.
constexpr ClosedRow Rows[] = {
    {"0.500 Critically damped", 0.5, 0.5},
    {"0.577 Max flat delay response", 0.577, 0.577},
    {"0.707 Max flat amplitude response", 0.7071067811865476, 0.707106781188},
    {"0.800 Equal ripple response", 0.8, 0.8},
    {"0.900 Equal ripple response", 0.9, 0.9},
    {"1.000 Equal ripple response", 1.0, 1.0},
    {"1.100 Equal ripple response", 1.1, 1.1},
    {"1.200 Equal ripple response", 1.2, 1.2},
    {"1.500 Equal ripple response", 1.5, 1.5},
};
constexpr int RowCount = static_cast<int>(std::size(Rows));
constexpr int MaxFlatRow = 2;

// The driver as mounted in the project: several drivers, isobaric pairs, source resistance,
// coil heating and added mass all count.
TDriverObject Prepared(const TDriverObject& driver) {
    TDriverObject prepared = driver;
    prepared.PrepareModel();
    return prepared;
}

} // namespace

int ClosedAlignments_GetList(std::vector<std::string>& list, const TDriverObject& driver) {
    const double qts = Prepared(driver).QtsTotal;
    int selected = 0;
    int position = 0;
    for (int row = 0; row < RowCount; ++row) {
        if (qts < Rows[row].offeredBelow) {
            if (row == MaxFlatRow) {
                selected = position;
            }
            list.emplace_back(Rows[row].text);
            ++position;
        }
    }
    return selected;
}

int ClosedAlignments_IndexOf(std::string_view text) {
    for (int row = 0; row < RowCount; ++row) {
        if (text == Rows[row].text) {
            return row;
        }
    }
    return RowCount - 1;
}

bool ClosedAlignments_Calc(int row, const TDriverObject& driver, TBoxData& box) {
    if (row < 0 || row >= RowCount) {
        return false;
    }
    const TDriverObject prepared = Prepared(driver);
    // The box's absorption loss damps the system in parallel with the driver's own losses; the
    // air spring of Vr then raises Q to Qtc = Qt·sqrt(1 + Vas/Vr).
    const double qt = 1 / (1 / prepared.QtsTotal + 1 / box.Qar);
    const double ratio = Rows[row].Qtc / qt;
    const double volume = prepared.VasTotal / (ratio * ratio - 1);
    if (!(std::isfinite(volume) && volume > 0 && std::isfinite(prepared.FsTotal))) {
        return false;
    }
    box.Vr = volume;
    box.Fr = prepared.FsTotal;
    return true;
}
