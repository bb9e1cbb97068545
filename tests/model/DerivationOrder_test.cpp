#include "model/Derivation.h"
#include "model/Driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Data sheets whose parameters disagree, so that two rules could fill the same value with
// different results: the first rule in the derivation's order must win. A change of that order
// changes what the editor shows for such a driver, and these cases catch it.

namespace {

using namespace DriverPar;

constexpr double TwoPi = 2 * std::numbers::pi;
constexpr double SoundSpeed = 343.68;
constexpr double Density = 1.2;

struct TOrderCase {
    const char* name;
    std::vector<std::pair<int, double>> entries;
    int target;
    // The value by the rule that comes first, and by a later rule that could fill it too.
    std::function<double(const TDriverData&)> first;
    std::function<double(const TDriverData&)> later;
};

void PrintTo(const TOrderCase& c, std::ostream* out) {
    *out << c.name;
}

class DerivationOrder : public ::testing::TestWithParam<TOrderCase> {};

TEST_P(DerivationOrder, TheEarlierRuleFillsTheValue) {
    const TOrderCase& c = GetParam();
    TDriverObject driver;
    driver.Data.c = SoundSpeed;
    driver.Data.roo = Density;
    for (const auto& [letter, value] : c.entries) {
        *ParameterOfLetter(driver.Data, letter) = value;
        driver.Data.ParState[static_cast<std::size_t>(letter)] = ParEntered;
    }
    const double first = c.first(driver.Data);
    const double later = c.later(driver.Data);
    ASSERT_GT(std::fabs(first - later), 0.01 * std::fabs(first)) << "the data sheet must disagree";

    driver.CalcParameters();
    const double derived = *ParameterOfLetter(driver.Data, c.target);
    EXPECT_NEAR(derived, first, 1e-12 * std::fabs(first));
    EXPECT_EQ(driver.Data.ParState[static_cast<std::size_t>(c.target)], ParCalculated);
}

double Square(double x) {
    return x * x;
}

INSTANTIATE_TEST_SUITE_P(
    DisagreeingSheets, DerivationOrder,
    ::testing::Values(
        TOrderCase{"BlFromVasBeforeBlFromMms",
                   {{Re, 6}, {Sd, 0.02}, {Fs, 30}, {Qes, 0.4}, {Vas, 0.05}, {Mms, 0.02}},
                   BL,
                   [](const TDriverData& d) {
                       return std::sqrt(d.Re * Square(d.c) * Square(d.Sd) * d.roo /
                                        (d.Vas * d.Qes * TwoPi * d.Fs));
                   },
                   [](const TDriverData& d) { return std::sqrt(TwoPi * d.Fs * d.Mms * d.Re / d.Qes); }},
        TOrderCase{"BlFromEfficiencyBeforeBlFromMms",
                   {{no, 0.005}, {Sd, 0.02}, {Mms, 0.02}, {Re, 6}, {Fs, 30}, {Qes, 0.4}},
                   BL,
                   [](const TDriverData& d) {
                       return std::sqrt(TwoPi * d.c * d.no * Square(d.Mms) * d.Re / (Square(d.Sd) * d.roo));
                   },
                   [](const TDriverData& d) { return std::sqrt(TwoPi * d.Fs * d.Mms * d.Re / d.Qes); }},
        TOrderCase{"BlFromMmsBeforeBlFromGamma",
                   {{Fs, 30}, {Mms, 0.02}, {Re, 6}, {Qes, 0.4}, {DriverPar::gamma, 500}},
                   BL,
                   [](const TDriverData& d) { return std::sqrt(TwoPi * d.Fs * d.Mms * d.Re / d.Qes); },
                   [](const TDriverData& d) { return d.gamma * d.Mms; }},
        TOrderCase{"BlFromGammaBeforeBlFromMpow",
                   {{DriverPar::gamma, 500}, {Mms, 0.02}, {Mpow, 3}, {Re, 6}},
                   BL,
                   [](const TDriverData& d) { return d.gamma * d.Mms; },
                   [](const TDriverData& d) { return d.Mpow * std::sqrt(d.Re); }},
        TOrderCase{"BlFromMpowBeforeBlFromRme",
                   {{Mpow, 3}, {Re, 6}, {Rme, 20}},
                   BL,
                   [](const TDriverData& d) { return d.Mpow * std::sqrt(d.Re); },
                   [](const TDriverData& d) { return std::sqrt(d.Rme * d.Re); }},
        TOrderCase{"FsFromMassAndComplianceBeforeFsFromBl",
                   {{Mms, 0.02}, {Cms, 0.001}, {Qes, 0.4}, {BL, 8}, {Re, 6}},
                   Fs,
                   [](const TDriverData& d) { return 1 / (TwoPi * std::sqrt(d.Mms * d.Cms)); },
                   [](const TDriverData& d) { return d.Qes * Square(d.BL) / (TwoPi * d.Re * d.Mms); }},
        TOrderCase{
            "FsFromEbpBeforeFsFromGravitySag",
            {{EBP, 80}, {Qes, 0.4}, {Gloss, 0.1}, {Xmax, 0.005}},
            Fs,
            [](const TDriverData& d) { return d.EBP * d.Qes; },
            [](const TDriverData& d) { return std::sqrt(9.80665 / (Square(TwoPi) * d.Gloss * d.Xmax)); }},
        TOrderCase{"QesFromBlBeforeQesFromRme",
                   {{Fs, 30}, {Mms, 0.02}, {Re, 6}, {BL, 8}, {Rme, 20}},
                   Qes,
                   [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms * d.Re / Square(d.BL); },
                   [](const TDriverData& d) { return TwoPi * d.Fs * d.Mms / d.Rme; }},
        TOrderCase{"QesFromQtsBeforeQesFromEbp",
                   {{Qts, 0.3}, {Qms, 3}, {Fs, 30}, {EBP, 80}},
                   Qes,
                   [](const TDriverData& d) { return 1 / (1 / d.Qts - 1 / d.Qms); },
                   [](const TDriverData& d) { return d.Fs / d.EBP; }},
        TOrderCase{"CmsFromVasBeforeCmsFromFs",
                   {{Vas, 0.05}, {Sd, 0.02}, {Fs, 30}, {Mms, 0.02}},
                   Cms,
                   [](const TDriverData& d) { return d.Vas / (Square(d.Sd) * d.roo * Square(d.c)); },
                   [](const TDriverData& d) { return 1 / (d.Mms * Square(TwoPi * d.Fs)); }},
        TOrderCase{"MmsFromFsBeforeMmsFromBl",
                   {{Fs, 30}, {Cms, 0.001}, {Qes, 0.4}, {BL, 8}, {Re, 6}},
                   Mms,
                   [](const TDriverData& d) { return 1 / (d.Cms * Square(TwoPi * d.Fs)); },
                   [](const TDriverData& d) { return d.Qes * Square(d.BL) / (TwoPi * d.Fs * d.Re); }},
        TOrderCase{"NoFromVasBeforeNoFromSpl",
                   {{Fs, 30}, {Qes, 0.4}, {Vas, 0.05}, {SPL, 80}},
                   no,
                   [](const TDriverData& d) {
                       return Square(TwoPi) * std::pow(d.Fs, 3) * d.Vas / (std::pow(d.c, 3) * d.Qes);
                   },
                   [](const TDriverData& d) {
                       return std::pow(10, d.SPL / 10) * TwoPi * Square(2e-5) / (d.roo * d.c);
                   }},
        TOrderCase{"XmaxFromHeightsBeforeXmaxFromVd",
                   {{Hg, 0.006}, {Hc, 0.014}, {Sd, 0.02}, {Vd, 0.0001}},
                   Xmax,
                   [](const TDriverData& d) { return std::fabs(d.Hg - d.Hc) / 2; },
                   [](const TDriverData& d) { return d.Vd / d.Sd; }},
        TOrderCase{"SdFromDiameterBeforeSdFromVas",
                   {{Dd, 0.17}, {Vas, 0.05}, {Cms, 0.001}},
                   Sd,
                   [](const TDriverData& d) { return std::numbers::pi * Square(d.Dd) / 4; },
                   [](const TDriverData& d) { return std::sqrt(d.Vas / (Square(d.c) * d.Cms * d.roo)); }},
        TOrderCase{"ReFromMpowBeforeReFromRme",
                   {{Mpow, 3}, {BL, 8}, {Rme, 20}},
                   Re,
                   [](const TDriverData& d) { return Square(d.BL / d.Mpow); },
                   [](const TDriverData& d) { return Square(d.BL) / d.Rme; }},
        TOrderCase{"MpowFromBlBeforeMpowFromRme",
                   {{BL, 8}, {Re, 6}, {Rme, 20}},
                   Mpow,
                   [](const TDriverData& d) { return d.BL / std::sqrt(d.Re); },
                   [](const TDriverData& d) { return std::sqrt(d.Rme); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
