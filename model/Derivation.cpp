#include "model/Derivation.h"

#include "model/Driver.h"
#include "model/HV_Math.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>

namespace {

constexpr double Pi = HV_Pi;
constexpr double TwoPi = 2.0 * HV_Pi;
constexpr double Gravity = 9.80665; // m/s², standard gravity for the cone's sag
constexpr double P0 = 2e-5;         // Pa, reference sound pressure

// The letters name the parameters in the tables below; gamma needs its
// namespace, as the C library has a function of that name.
using namespace DriverPar;

double ValueOfLetter(const TDriverData& d, int letter) {
    return *ParameterOfLetter(d, letter);
}

// Which of the stored speed of sound and air density a formula reads. What it
// reads must be known: a file may store 0 there, and the quotients by them
// would then have no value.
enum class Air { NotRead, Sound, Density, Both };

// The letters a rule or relation reads, kept by value so the tables own them.
class TLetters {
public:
    constexpr TLetters(std::initializer_list<int> letters) {
        for (const int letter : letters)
            items[count++] = letter;
    }
    constexpr const int* begin() const { return items.data(); }
    constexpr const int* end() const { return items.data() + count; }

private:
    std::array<int, 5> items{};
    std::size_t count = 0;
};

struct TRule {
    int target;
    TLetters inputs;
    Air air;
    double (*formula)(const TDriverData& d);
};

// The smaller of the coil and gap heights: the part of the winding that stays in the gap.
double Overhang(const TDriverData& d) {
    return d.Hc < d.Hg ? d.Hc : d.Hg;
}

// Sum of the squared diameters of the truncated cone between cone and coil, as
// the frustum volume formula needs it.
double ConeFactor(const TDriverData& d) {
    return d.Dd * d.Dd + d.Dd * d.Vcd + d.Vcd * d.Vcd;
}

double Squared(double x) {
    return x * x;
}
double Cubed(double x) {
    return x * x * x;
}

// The rules in the order in which a pass applies them. Order matters: a value
// filled by an earlier rule is already an input of the later ones in the same pass.
constexpr TRule Rules[] = {
    /* 1 */ {Qts, {Qms, Qes}, Air::NotRead, [](const TDriverData& d) { return d.Qms * d.Qes / (d.Qms + d.Qes); }},
    /* 2 */
    {SPL, {no}, Air::Both,
     [](const TDriverData& d) { return 10.0 * std::log10(d.no * d.roo * d.c / (TwoPi * P0 * P0)); }},
    /* 3 */
    {BL, {Re, Sd, Fs, Qes, Vas}, Air::Both,
     [](const TDriverData& d) {
         return std::sqrt(d.Re * d.c * d.c * d.Sd * d.Sd * d.roo / (d.Vas * d.Qes * TwoPi * d.Fs));
     }},
    /* 4 */
    {BL, {no, Sd, Mms, Re}, Air::Both,
     [](const TDriverData& d) {
         return std::sqrt(TwoPi * d.c * d.no * d.Mms * d.Mms * d.Re / (d.Sd * d.Sd * d.roo));
     }},
    /* 5 */
    {BL, {Fs, Mms, Re, Qes}, Air::NotRead,
     [](const TDriverData& d) { return std::sqrt(TwoPi * d.Fs * d.Mms * d.Re / d.Qes); }},
    /* 6 */ {BL, {DriverPar::gamma, Mms}, Air::NotRead, [](const TDriverData& d) { return d.gamma * d.Mms; }},
    /* 7 */ {BL, {Mpow, Re}, Air::NotRead, [](const TDriverData& d) { return d.Mpow * std::sqrt(d.Re); }},
    /* 8 */ {BL, {Rme, Re}, Air::NotRead, [](const TDriverData& d) { return std::sqrt(d.Rme * d.Re); }},
    /* 9 */
    {Fs, {Mms, Cms}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (TwoPi * std::sqrt(d.Mms * d.Cms)); }},
    /* 10 */
    {Fs, {Qes, Vas, no}, Air::Sound,
     [](const TDriverData& d) { return NthRoot(Cubed(d.c) * d.no * d.Qes / (4.0 * Pi * Pi * d.Vas), 3.0); }},
    /* 11 */
    {Fs, {Qes, BL, Mms, Re}, Air::NotRead,
     [](const TDriverData& d) { return d.Qes * d.BL * d.BL / (TwoPi * d.Re * d.Mms); }},
    /* 12 */
    {Fs, {Rme, Qes, Mms}, Air::NotRead, [](const TDriverData& d) { return d.Rme * d.Qes / (TwoPi * d.Mms); }},
    /* 13 */ {Fs, {EBP, Qes}, Air::NotRead, [](const TDriverData& d) { return d.EBP * d.Qes; }},
    /* 14 */
    {Fs, {Gloss, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return std::sqrt(Gravity / (4.0 * Pi * Pi * d.Gloss * d.Xmax)); }},
    /* 15 */
    {Qes, {Fs, Mms, Re, BL}, Air::NotRead,
     [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms * d.Re / (d.BL * d.BL); }},
    /* 16 */
    {Qes, {Fs, Mms, Rme}, Air::NotRead, [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms / d.Rme; }},
    /* 17 */
    {Qes, {no, Fs, Vas}, Air::Sound,
     [](const TDriverData& d) { return 4.0 * Pi * Pi * Cubed(d.Fs) * d.Vas / (Cubed(d.c) * d.no); }},
    /* 18 */
    {Qes, {Qts, Qms}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (1.0 / d.Qts - 1.0 / d.Qms); }},
    /* 19 */ {Qes, {Fs, EBP}, Air::NotRead, [](const TDriverData& d) { return d.Fs / d.EBP; }},
    /* 20 */
    {Qms, {Fs, Cms, Rms}, Air::NotRead,
     [](const TDriverData& d) { return 1.0 / (TwoPi * d.Fs * d.Cms * d.Rms); }},
    /* 21 */
    {Qms, {Qts, Qes}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (1.0 / d.Qts - 1.0 / d.Qes); }},
    /* 22 */
    {Cms, {Vas, Sd}, Air::Both,
     [](const TDriverData& d) { return d.Vas / (d.Sd * d.Sd * d.roo * d.c * d.c); }},
    /* 23 */
    {Cms, {Fs, Mms}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (d.Mms * Squared(TwoPi * d.Fs)); }},
    /* 24 */
    {Mms, {Fs, Cms}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (d.Cms * Squared(TwoPi * d.Fs)); }},
    /* 25 */
    {Mms, {no, Sd, BL, Re}, Air::Both,
     [](const TDriverData& d) { return std::sqrt(Squared(d.Sd * d.BL) * d.roo / (TwoPi * d.c * d.no * d.Re)); }},
    /* 26 */
    {Mms, {Qes, BL, Re, Fs}, Air::NotRead,
     [](const TDriverData& d) { return d.Qes * d.BL * d.BL / (TwoPi * d.Fs * d.Re); }},
    /* 27 */
    {Mms, {Rme, Qes, Fs}, Air::NotRead, [](const TDriverData& d) { return d.Rme * d.Qes / (TwoPi * d.Fs); }},
    /* 28 */ {Mms, {DriverPar::gamma, BL}, Air::NotRead, [](const TDriverData& d) { return d.BL / d.gamma; }},
    /* 29 */
    {Rms, {Fs, Cms, Qms}, Air::NotRead,
     [](const TDriverData& d) { return 1.0 / (TwoPi * d.Fs * d.Cms * d.Qms); }},
    /* 30 */ {EBP, {Fs, Qes}, Air::NotRead, [](const TDriverData& d) { return d.Fs / d.Qes; }},
    /* 31 */
    {no, {Fs, Qes, Vas}, Air::Sound,
     [](const TDriverData& d) { return 4.0 * Pi * Pi * Cubed(d.Fs) * d.Vas / (Cubed(d.c) * d.Qes); }},
    /* 32 */
    {no, {Sd, BL, Mms, Re}, Air::Both,
     [](const TDriverData& d) { return Squared(d.Sd * d.BL) * d.roo / (TwoPi * d.c * d.Re * d.Mms * d.Mms); }},
    /* 33 */
    {no, {SPL}, Air::Both,
     [](const TDriverData& d) { return std::pow(10.0, d.SPL / 10.0) * TwoPi * P0 * P0 / (d.roo * d.c); }},
    /* 34 */
    {Vas, {Fs, no, Qes}, Air::Sound,
     [](const TDriverData& d) { return Cubed(d.c) * d.no * d.Qes / (4.0 * Pi * Pi * Cubed(d.Fs)); }},
    /* 35 */
    {Vas, {Cms, Sd}, Air::Both, [](const TDriverData& d) { return d.Cms * d.Sd * d.Sd * d.roo * d.c * d.c; }},
    /* 36 */ {Vd, {Sd, Xmax}, Air::NotRead, [](const TDriverData& d) { return d.Sd * d.Xmax; }},
    /* 37 */
    {Vd, {SPLmaxLF}, Air::Density,
     [](const TDriverData& d) {
         return std::pow(10.0, d.SPLmaxLF / 20.0) * P0 * std::sqrt(2.0) / (TwoPi * d.roo * 400.0);
     }},
    // The nominal impedance is the even number nearest to 1.5·Re, halves of
    // 0.75·Re going to the even neighbour.
    /* 38 */ {Znom, {Re}, Air::NotRead, [](const TDriverData& d) { return 2.0 * RoundToDecimals(0, 0.75 * d.Re); }},
    /* 39 */
    {SPLmax, {SPL, Pe}, Air::NotRead, [](const TDriverData& d) { return 10.0 * std::log10(d.Pe) + d.SPL - 3.0; }},
    /* 40 */ {Xmax, {Hg, Hc}, Air::NotRead, [](const TDriverData& d) { return std::fabs(d.Hg - d.Hc) / 2.0; }},
    /* 41 */ {Xmax, {Sd, Vd}, Air::NotRead, [](const TDriverData& d) { return d.Vd / d.Sd; }},
    /* 42 */
    {Xmax, {Rme, Hc, Hg, Mcost}, Air::NotRead,
     [](const TDriverData& d) { return (d.Mcost / d.Rme - 1.0) * Overhang(d); }},
    /* 43 */
    {Xmax, {Fs, Gloss}, Air::NotRead,
     [](const TDriverData& d) { return Gravity / (d.Gloss * Squared(TwoPi * d.Fs)); }},
    /* 44 */
    {Hc, {Hg, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return d.Hg <= 2.0 * d.Xmax ? d.Hg + 2.0 * d.Xmax : d.Hg - 2.0 * d.Xmax; }},
    /* 45 */
    {Hg, {Hc, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return 2.0 * d.Xmax > d.Hc ? d.Hc + 2.0 * d.Xmax : d.Hc - 2.0 * d.Xmax; }},
    /* 46 */ {Sd, {Dd}, Air::NotRead, [](const TDriverData& d) { return Pi * d.Dd * d.Dd / 4.0; }},
    /* 47 */ {Sd, {Xmax, Vd}, Air::NotRead, [](const TDriverData& d) { return d.Vd / d.Xmax; }},
    /* 48 */
    {Sd, {no, BL, Mms, Re}, Air::Both,
     [](const TDriverData& d) {
         return std::sqrt(TwoPi * d.c * d.no * d.Mms * d.Mms * d.Re / (d.BL * d.BL * d.roo));
     }},
    /* 49 */
    {Sd, {Vas, Cms}, Air::Both,
     [](const TDriverData& d) { return std::sqrt(d.Vas / (d.c * d.c * d.Cms * d.roo)); }},
    // 8.0089 W is what 2.83 V drives into 1 Ω.
    /* 50 */
    {USPL, {Re, SPL}, Air::NotRead, [](const TDriverData& d) { return 10.0 * std::log10(8.0089 / d.Re) + d.SPL; }},
    /* 51 */ {Dd, {Sd}, Air::NotRead, [](const TDriverData& d) { return std::sqrt(4.0 * d.Sd / Pi); }},
    /* 52 */
    {Re, {no, Sd, BL, Mms}, Air::Both,
     [](const TDriverData& d) { return Squared(d.Sd * d.BL) * d.roo / (TwoPi * d.c * d.no * d.Mms * d.Mms); }},
    /* 53 */
    {Re, {Mms, Qes, BL, Fs}, Air::NotRead,
     [](const TDriverData& d) { return d.Qes * d.BL * d.BL / (TwoPi * d.Fs * d.Mms); }},
    /* 54 */ {Re, {Mpow, BL}, Air::NotRead, [](const TDriverData& d) { return Squared(d.BL / d.Mpow); }},
    /* 55 */ {Re, {Rme, BL}, Air::NotRead, [](const TDriverData& d) { return d.BL * d.BL / d.Rme; }},
    /* 56 */
    {Rme, {Fs, Mms, Qes}, Air::NotRead, [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms / d.Qes; }},
    /* 57 */ {Rme, {BL, Re}, Air::NotRead, [](const TDriverData& d) { return d.BL * d.BL / d.Re; }},
    /* 58 */ {Rme, {Mpow}, Air::NotRead, [](const TDriverData& d) { return d.Mpow * d.Mpow; }},
    /* 59 */
    {Rme, {Mcost, Hc, Hg, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return d.Mcost * Overhang(d) / (Overhang(d) + d.Xmax); }},
    /* 60 */
    {SPLmaxLF, {Vd}, Air::Density,
     [](const TDriverData& d) { return 20.0 * std::log10(TwoPi * d.roo * d.Vd * 400.0 / std::sqrt(2.0) / P0); }},
    /* 61 */ {DriverPar::gamma, {BL, Mms}, Air::NotRead, [](const TDriverData& d) { return d.BL / d.Mms; }},
    /* 62 */ {Mpow, {BL, Re}, Air::NotRead, [](const TDriverData& d) { return d.BL / std::sqrt(d.Re); }},
    /* 63 */ {Mpow, {Rme}, Air::NotRead, [](const TDriverData& d) { return std::sqrt(d.Rme); }},
    /* 64 */
    {Pe, {SPL, SPLmax}, Air::NotRead,
     [](const TDriverData& d) { return std::pow(10.0, (d.SPLmax - d.SPL + 3.0) / 10.0); }},
    /* 65 */
    {Mcost, {Rme, Hc, Hg, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return (Overhang(d) + d.Xmax) * d.Rme / Overhang(d); }},
    /* 66 */ {KLe, {Le, fLe}, Air::NotRead, [](const TDriverData& d) { return d.Le * std::sqrt(TwoPi * d.fLe); }},
    /* 67 */
    {Gloss, {Fs, Xmax}, Air::NotRead,
     [](const TDriverData& d) { return Gravity / (d.Xmax * Squared(TwoPi * d.Fs)); }},
    // The volume a driver takes inside the box: a truncated cone between the
    // cone's and the coil's diameters, then the magnet as a cylinder.
    /* 68 */
    {DVol, {Dd, Depth, MagDepth, Magnet, Vcd}, Air::NotRead,
     [](const TDriverData& d) {
         return (ConeFactor(d) * (d.Depth - d.MagDepth) / 3.0 + d.Magnet * d.Magnet * d.MagDepth) * Pi / 4.0;
     }},
    /* 69 */
    {Magnet, {Dd, Depth, MagDepth, DVol, Vcd}, Air::NotRead,
     [](const TDriverData& d) {
         return std::sqrt((12.0 * d.DVol - ConeFactor(d) * (d.Depth - d.MagDepth) * Pi) / (3.0 * Pi * d.MagDepth));
     }},
    /* 70 */
    {Depth, {Dd, DVol, MagDepth, Magnet, Vcd}, Air::NotRead,
     [](const TDriverData& d) {
         const double s = ConeFactor(d);
         return ((s - 3.0 * d.Magnet * d.Magnet) * d.MagDepth * Pi + 12.0 * d.DVol) / (s * Pi);
     }},
    /* 71 */
    {MagDepth, {Dd, Depth, DVol, Magnet, Vcd}, Air::NotRead,
     [](const TDriverData& d) {
         const double s = ConeFactor(d);
         return (s * d.Depth * Pi - 12.0 * d.DVol) / ((s - 3.0 * d.Magnet * d.Magnet) * Pi);
     }},
};

static_assert(std::size(Rules) == 71);

bool AirKnown(Air air, const TDriverData& d) {
    const bool readsSound = air == Air::Sound || air == Air::Both;
    const bool readsDensity = air == Air::Density || air == Air::Both;
    return (!readsSound || d.c > 0.0) && (!readsDensity || d.roo > 0.0);
}

bool RuleApplies(const TRule& rule, const TDriverData& d) {
    if (ValueOfLetter(d, rule.target) != 0.0)
        return false;
    if (!AirKnown(rule.air, d))
        return false;
    for (const int input : rule.inputs)
        if (!(ValueOfLetter(d, input) > 0.0))
            return false;
    return true;
}

bool IsDerivedLetter(int letter) {
    for (const TRule& rule : Rules)
        if (rule.target == letter)
            return true;
    return false;
}

// One consistency relation: the quantities that must all be known, the first of
// them the given value, and that value computed from the others.
struct TRelation {
    TLetters quantities;
    Air air;
    double (*computed)(const TDriverData& d);
};

constexpr TRelation Relations[] = {
    /* 1 */
    {{Qms, Fs, Cms, Rms},
     Air::NotRead,
     [](const TDriverData& d) { return 1.0 / (TwoPi * d.Fs * d.Cms * d.Rms); }},
    /* 2 */
    {{Qes, BL, Fs, Mms, Re},
     Air::NotRead,
     [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms * d.Re / (d.BL * d.BL); }},
    /* 3 */
    {{Rme, BL, Re}, Air::NotRead, [](const TDriverData& d) { return d.BL * d.BL / d.Re; }},
    /* 4 */
    {{Rme, Fs, Mms, Qes}, Air::NotRead, [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms / d.Qes; }},
    /* 5 */
    {{Qts, Qms, Qes}, Air::NotRead, [](const TDriverData& d) { return 1.0 / (1.0 / d.Qms + 1.0 / d.Qes); }},
    /* 6 */
    {{Sd, Dd}, Air::NotRead, [](const TDriverData& d) { return Pi * d.Dd * d.Dd / 4.0; }},
    /* 7 */
    {{Mcost, Rme, Hc, Hg, Xmax},
     Air::NotRead,
     [](const TDriverData& d) { return d.Rme * (d.Xmax + Overhang(d)) / Overhang(d); }},
    /* 8 */
    {{Mpow, BL, Re}, Air::NotRead, [](const TDriverData& d) { return d.BL / std::sqrt(d.Re); }},
    /* 9 */
    {{Mpow, Rme}, Air::NotRead, [](const TDriverData& d) { return std::sqrt(d.Rme); }},
    /* 10 */
    {{Cms, Vas, Sd},
     Air::Both,
     [](const TDriverData& d) { return d.Vas / (d.Sd * d.Sd * d.roo * d.c * d.c); }},
    /* 11 */
    {{Mms, Fs, Cms},
     Air::NotRead,
     [](const TDriverData& d) { return 1.0 / (d.Cms * Squared(TwoPi * d.Fs)); }},
    /* 12 */
    {{EBP, Fs, Qes}, Air::NotRead, [](const TDriverData& d) { return d.Fs / d.Qes; }},
    /* 13 */
    {{DriverPar::gamma, BL, Mms}, Air::NotRead, [](const TDriverData& d) { return d.BL / d.Mms; }},
    /* 14 */
    {{no, Fs, Qes, Vas},
     Air::Sound,
     [](const TDriverData& d) { return 4.0 * Pi * Pi * Cubed(d.Fs) * d.Vas / (Cubed(d.c) * d.Qes); }},
    /* 15 */
    {{no, Sd, BL, Mms, Re},
     Air::Both,
     [](const TDriverData& d) {
         return Squared(d.Sd * d.BL) * d.roo / (TwoPi * d.c * d.Re * d.Mms * d.Mms);
     }},
    /* 16 */
    {{SPLmax, Pe, SPL},
     Air::NotRead,
     [](const TDriverData& d) { return 10.0 * std::log10(d.Pe) + d.SPL - 3.0; }},
    /* 17 */
    {{USPL, SPL, Re},
     Air::NotRead,
     [](const TDriverData& d) { return 10.0 * std::log10(2.83 * 2.83 / d.Re) + d.SPL; }},
    /* 18 */
    {{SPL, no},
     Air::Both,
     [](const TDriverData& d) { return 10.0 * std::log10(d.no * d.roo * d.c / (TwoPi * P0 * P0)); }},
    /* 19 */
    {{Xmax, Hc, Hg}, Air::NotRead, [](const TDriverData& d) { return std::fabs(d.Hg - d.Hc) / 2.0; }},
    /* 20 */
    {{Vd, Sd, Xmax}, Air::NotRead, [](const TDriverData& d) { return d.Sd * d.Xmax; }},
    /* 21 */
    {{Gloss, Fs, Xmax},
     Air::NotRead,
     [](const TDriverData& d) { return Gravity / (Squared(TwoPi * d.Fs) * d.Xmax); }},
    /* 22 */
    {{SPLmaxLF, Vd},
     Air::Density,
     [](const TDriverData& d) {
         return 20.0 * std::log10(TwoPi * d.roo * d.Vd * 400.0 / std::sqrt(2.0) / P0);
     }},
};

static_assert(std::size(Relations) == ConsistencyRelationCount);
static_assert(ConsistencyRelationCount == DriverErrorCount);

} // namespace

double* ParameterOfLetter(TDriverData& d, int letter) {
    switch (letter) {
    case Znom:
        return &d.Znom;
    case Fs:
        return &d.Fs;
    case Pe:
        return &d.Pe;
    case SPL:
        return &d.SPL;
    case Re:
        return &d.Re;
    case Le:
        return &d.Le;
    case fLe:
        return &d.fLe;
    case KLe:
        return &d.KLe;
    case BL:
        return &d.BL;
    case Xmax:
        return &d.Xmax;
    case Xlim:
        return &d.Xlim;
    case Cms:
        return &d.Cms;
    case Qms:
        return &d.Qms;
    case Qes:
        return &d.Qes;
    case Qts:
        return &d.Qts;
    case Rms:
        return &d.Rms;
    case Mms:
        return &d.Mms;
    case Sd:
        return &d.Sd;
    case Vd:
        return &d.Vd;
    case Vas:
        return &d.Vas;
    case Dia:
        return &d.Dia;
    case Dd:
        return &d.Dd;
    case no:
        return &d.no;
    case Hc:
        return &d.Hc;
    case Hg:
        return &d.Hg;
    case SPLmax:
        return &d.SPLmax;
    case SPLmaxLF:
        return &d.SPLmaxLF;
    case USPL:
        return &d.USPL;
    case alfaVC:
        return &d.alfaVC;
    case Rt:
        return &d.Rt;
    case Ct:
        return &d.Ct;
    case DriverPar::gamma:
        return &d.gamma;
    case EBP:
        return &d.EBP;
    case Rme:
        return &d.Rme;
    case Mpow:
        return &d.Mpow;
    case Mcost:
        return &d.Mcost;
    case Gloss:
        return &d.Gloss;
    case Thick:
        return &d.Thick;
    case Depth:
        return &d.Depth;
    case MagDepth:
        return &d.MagDepth;
    case Magnet:
        return &d.Magnet;
    case Basket:
        return &d.Basket;
    case Outer:
        return &d.Outer;
    case Vcd:
        return &d.Vcd;
    case DVol:
        return &d.DVol;
    default:
        return nullptr;
    }
}

const double* ParameterOfLetter(const TDriverData& d, int letter) {
    return ParameterOfLetter(const_cast<TDriverData&>(d), letter);
}

const std::array<const char*, ConsistencyRelationCount> ConsistencyRelationNames = {
    "Qms, Fs, Cms, Rms",
    "Bl, Fs, Mms, Re, Qes",
    "Rme, Bl, Re",
    "Rme, Fs, Mms, Qes",
    "Qts, Qms, Qes",
    "Sd, Dd",
    "Mcost, Rme, Hc, Hg, Xmax",
    "Mpow, Bl, Re",
    "Mpow, Rme",
    "Cms, Vas, Sd",
    "fs, Mms, Cms",
    "EBP, fs, Qes",
    "Gamma, Bl, Mms",
    "no, c, Fs, Qes, Vas",
    "no, Sd, Bl, Mms, Re",
    "SPLmax, Pe, SPL",
    "USPL, SPL, Re",
    "no, SPL, rho, c",
    "Xmax, Hc, Hg",
    "Vd, Sd, Xmax",
    "Gloss, fs, Xmax",
    "SPLmaxLF, rho, Vd",
};

const char* ConsistencyRelationName(int k) {
    if (k < 1 || k > ConsistencyRelationCount)
        return "";
    return ConsistencyRelationNames[static_cast<std::size_t>(k - 1)];
}

bool ConsistencyErrorFails(double error) {
    return !(std::fabs(error) <= ConsistencyTolerance);
}

void TDriverObject::CalcParameters() {
    TDriverData& d = Data;

    // Whatever was calculated before is derived again from the present inputs. It
    // is not determined until a rule fills it again, so that a value whose inputs
    // are gone is not shown or stored as calculated.
    for (int letter = 0; letter < ParStateLength; ++letter) {
        const auto position = static_cast<std::size_t>(letter);
        if (d.ParState[position] == ParCalculated && IsDerivedLetter(letter)) {
            *ParameterOfLetter(d, letter) = 0.0;
            d.ParState[position] = ParNotDetermined;
        }
    }

    // A fill counts only when it stores a non-zero finite value: a result of 0
    // would leave its target missing and the same rule would fire in every pass
    // forever, and a value without meaning must not become an input of others.
    // A result that counts as no fill never undoes the fills of other rules, so
    // the outcome cannot depend on where in a pass such a rule stands.
    bool filled = true;
    for (int pass = 0; filled && pass < MaxDerivationPasses; ++pass) {
        filled = false;
        for (const TRule& rule : Rules) {
            if (!RuleApplies(rule, d))
                continue;
            const double value = rule.formula(d);
            if (!std::isfinite(value))
                continue;
            if (value == 0.0) {
                // A coil resistance too small for any even nominal impedance: Znom
                // stays 0 but is shown, and stored, as derived from Re.
                if (rule.target == Znom)
                    d.ParState[static_cast<std::size_t>(Znom)] = ParCalculated;
                continue;
            }
            *ParameterOfLetter(d, rule.target) = value;
            d.ParState[static_cast<std::size_t>(rule.target)] = ParCalculated;
            filled = true;
        }
    }
}

bool TDriverObject::CheckConsistency() {
    TDriverData& d = Data;
    d.Errors.fill(0.0);
    bool consistent = true;
    for (int k = 1; k <= ConsistencyRelationCount; ++k) {
        const TRelation& relation = Relations[k - 1];
        double error = 0.0;
        bool known = AirKnown(relation.air, d);
        for (const int quantity : relation.quantities)
            known = known && ValueOfLetter(d, quantity) > 0.0;
        if (known) {
            const double given = ValueOfLetter(d, *relation.quantities.begin());
            error = (given - relation.computed(d)) / given;
        }
        d.Errors[static_cast<std::size_t>(k)] = error;
        if (ConsistencyErrorFails(error))
            consistent = false;
    }
    return consistent;
}
