// The group delay of every box against the slope of its transfer's phase, taken here over steps
// wide enough that rounding plays no part, up to the top of the audio band.

#include "simulation/boxmath.h"

#include "tests/simulation/bandpass_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace boxtest;

namespace {

struct TDelayCase {
    const char* Name;
    TBoxData Box;
};

void PrintTo(const TDelayCase& c, std::ostream* os) {
    *os << c.Name;
}

// The phase of z, unwrapped against a neighbouring phase.
double Unwrapped(double phase, double near) {
    while (phase - near > Pi)
        phase -= 2 * Pi;
    while (phase - near < -Pi)
        phase += 2 * Pi;
    return phase;
}

// −dφ/dω of the transfer at f: central differences over f·1e-3 and half of it, extrapolated.
double PhaseSlope(Caller& transfer, double f) {
    const auto central = [&](double h) {
        const double down = ComplexArg(transfer.At(f - h));
        const double up = Unwrapped(ComplexArg(transfer.At(f + h)), down);
        return -(up - down) / (2 * Pi * 2 * h);
    };
    const double h = f * 1e-3;
    return (4 * central(h / 2) - central(h)) / 3;
}

class BoxGroupDelay : public ::testing::TestWithParam<TDelayCase> {};

TEST_P(BoxGroupDelay, IsTheSlopeOfTheTransferPhaseUpTo20kHz) {
    const TDelayCase& c = GetParam();
    Caller transfer(BoxMath_GetFunc(c.Box.BType), c.Box);
    Caller delay(BoxMath_GetFunc(c.Box.BType), c.Box);
    transfer.SetUp(ckTransfer);
    delay.SetUp(ckGroupDelay);
    for (const double f :
         {2.0, 5.0, 12.0, 25.0, 40.0, 63.0, 100.0, 300.0, 1000.0, 3000.0, 8000.0, 14000.0, 20000.0}) {
        const double expected = PhaseSlope(transfer, f);
        // A ten-thousandth of the delay, and 10 ns where the delay itself is almost nothing.
        EXPECT_NEAR(delay.At(f).re, expected, 1e-4 * std::fabs(expected) + 1e-8) << f << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxGroupDelay,
    ::testing::Values(TDelayCase{"Closed", ClosedBox()}, TDelayCase{"Vented", VentedBox()},
                      TDelayCase{"Bandpass4", Bandpass4Box()}, TDelayCase{"Bandpass6", Bandpass6Box()},
                      TDelayCase{"PassiveRadiator", PassiveRadiatorBox()}),
    [](const ::testing::TestParamInfo<TDelayCase>& info) { return std::string(info.param.Name); });

// Every box takes the exact slope of its phase, carried through its circuit by the rules of
// differentiation: against a Richardson derivative of the transfer's phase over a dense sweep,
// lossy and almost lossless, with a coil inductance, the delay differs by no more than the
// reference's own rounding. A phase difference over a small step, even one in proportion to the
// frequency, leaves a tenth of a picosecond of noise, which this bound sees where the delay
// crosses zero and at the top of the band.
TEST(ExactGroupDelay, EveryBoxTakesTheSlopeOfItsPhase) {
    const auto lossless = [](TBoxData box) {
        box.Qlf = box.Qaf = box.Qpf = box.Qlr = box.Qar = box.Qpr = box.Qiclfr = Lossless;
        return box;
    };
    const TDelayCase cases[] = {{"Closed", ClosedBox()},
                                {"Vented", VentedBox()},
                                {"Bandpass4", Bandpass4Box()},
                                {"Bandpass6", Bandpass6Box()},
                                {"PassiveRadiator", PassiveRadiatorBox()},
                                {"ClosedLossless", lossless(ClosedBox())},
                                {"VentedLossless", lossless(VentedBox())},
                                {"Bandpass4Lossless", lossless(Bandpass4Box())},
                                {"Bandpass6Lossless", lossless(Bandpass6Box())},
                                {"PassiveRadiatorLossless", lossless(PassiveRadiatorBox())}};
    for (const TDelayCase& c : cases) {
        Caller transfer(BoxMath_GetFunc(c.Box.BType), c.Box);
        Caller delay(BoxMath_GetFunc(c.Box.BType), c.Box);
        transfer.driver.Data.Le = 0.001;
        delay.driver.Data.Le = 0.001;
        transfer.SetUp(ckTransfer);
        delay.SetUp(ckGroupDelay);
        const auto central = [&](double f, double h) {
            const double down = ComplexArg(transfer.At(f - h));
            const double up = Unwrapped(ComplexArg(transfer.At(f + h)), down);
            return -(up - down) / (2 * Pi * 2 * h);
        };
        int points = 0;
        for (double f = 2; f < 20000; f *= 1.023, ++points) {
            // Two levels of Richardson extrapolation over f·2e-3, f·1e-3 and f·5e-4.
            const double h = f * 2e-3;
            const double coarse = (4 * central(f, h / 2) - central(f, h)) / 3;
            const double fine = (4 * central(f, h / 4) - central(f, h / 2)) / 3;
            const double expected = (16 * fine - coarse) / 15;
            EXPECT_NEAR(delay.At(f).re, expected, 1e-7 * std::fabs(expected) + 2e-14)
                << c.Name << " " << f << " Hz";
        }
        EXPECT_GT(points, 300);
    }
}

} // namespace
