#include "model/Units.h"
#include "simulation/AllPass.h"
#include "simulation/FilterBase.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <string>

namespace {

// Texts carry the locale's decimal separator; pin it so the expectations hold anywhere.
class FilterText : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator(0); }
};

TEST(FilterFramework, NewStagesAreDisabledAndNeutral) {
    for (std::int32_t kind = 0; kind <= 6; ++kind) {
        const std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
        ASSERT_NE(filter, nullptr) << kind;
        EXPECT_EQ(filter->Kind, kind);
        EXPECT_FALSE(filter->Enabled);
        EXPECT_EQ(filter->SubType, 0);
        EXPECT_FALSE(filter->HasResponse());
        for (int k = 0; k <= MaxTransferOrder; ++k) {
            EXPECT_EQ(filter->TF.Num[k], 0.0);
            EXPECT_EQ(filter->TF.Den[k], 0.0);
        }
        // Never computed: the stage contributes a factor 1 and no delay, not 0/0.
        const TComplex response = filter->GetResponse(100.0);
        EXPECT_EQ(response.re, 1.0);
        EXPECT_EQ(response.im, 0.0);
        EXPECT_EQ(filter->GetGroupDelay(100.0), 0.0);
    }
    EXPECT_EQ(CreateFilter(-1), nullptr);
    EXPECT_EQ(CreateFilter(7), nullptr);
    EXPECT_NE(dynamic_cast<TLowpass*>(CreateFilter(fkLowpass).get()), nullptr);
    EXPECT_NE(dynamic_cast<TStaticGain*>(CreateFilter(fkStaticGain).get()), nullptr);
}

TEST(FilterFramework, SubtypeNames) {
    const std::vector<std::string> crossover = {"Butterworth", "Linkwitz-Riley (4th order only)", "Bessel",
                                                "SOS, User specified fc and Q"};
    EXPECT_EQ(TLowpass().GetTypeNames(), crossover);
    EXPECT_EQ(THighpass().GetTypeNames(), crossover);
    for (std::int32_t kind = 2; kind <= 6; ++kind)
        EXPECT_EQ(CreateFilter(kind)->GetTypeNames(), std::vector<std::string>{"<none>"}) << kind;
}

TEST_F(FilterText, Descriptions) {
    struct Case {
        std::function<std::unique_ptr<TFilterBase>()> make;
        std::string expected;
    };
    const Case cases[] = {
        {[] {
             auto f = std::make_unique<TLowpass>();
             f->SubType = 3, f->Order = 2, f->Fc = 50.0, f->Q = 0.5;
             return f;
         },
         "User SOS, n=2, fc=50.00 Hz, Q=0.500"},
        {[] {
             auto f = std::make_unique<TLowpass>();
             f->SubType = 0, f->Order = 4, f->Fc = 80.004, f->Q = 0.5;
             return f;
         },
         "Butterworth, n=4, fc=80.00 Hz"},
        {[] {
             auto f = std::make_unique<THighpass>();
             f->SubType = 1, f->Order = 4, f->Fc = 25.0;
             return f;
         },
         "Linkwitz-Riley, n=4, fc=25.00 Hz"},
        {[] {
             auto f = std::make_unique<THighpass>();
             f->SubType = 2, f->Order = 3, f->Fc = 1234.5678;
             return f;
         },
         "Bessel, n=3, fc=1234.57 Hz"},
        {[] {
             auto f = std::make_unique<THighpass>();
             f->SubType = 9, f->Order = 2, f->Fc = 20.0;
             return f;
         },
         ", n=2, fc=20.00 Hz"},
        {[] {
             auto f = std::make_unique<TAllpass>();
             f->Order = 1, f->Delay = 0.001, f->Q = 0.707;
             return f;
         },
         "n=1, t=1.000 ms"},
        {[] {
             auto f = std::make_unique<TAllpass>();
             f->Order = 2, f->Delay = 0.0025, f->Q = 0.707;
             return f;
         },
         "n=2, t=2.500 ms, Q=0.71"},
        {[] {
             auto f = std::make_unique<TLinkwitzTransform>();
             f->F0 = 40.0, f->Q0 = 0.9, f->Fp = 20.0, f->Qp = 0.707;
             return f;
         },
         "f0=40.00 Q0=0.90 fp=20.00 Qp=0.71"},
        {[] {
             auto f = std::make_unique<TParametricEQ>();
             f->Fc = 30.0, f->Q = 2.0, f->Gain = 6.0;
             return f;
         },
         "fc=30.00 Hz, Q=2.00, Gain=6.00 dB"},
        {[] {
             auto f = std::make_unique<TPeakHighpass>();
             f->Fpk = 20.0, f->Gpk = 6.0;
             return f;
         },
         "Gpk=6.00 dB fpk=20.00 Hz"},
        {[] {
             auto f = std::make_unique<TStaticGain>();
             f->Gain = -6.0;
             return f;
         },
         "Gain=-6.00 dB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.make()->GetDescription(), c.expected);
}

TEST_F(FilterText, ValuesThatRoundToZeroCarryNoSign) {
    TStaticGain gain;
    for (double value : {-0.001, -0.0, -0.004999}) {
        gain.Gain = value;
        EXPECT_EQ(gain.GetDescription(), "Gain=0.00 dB") << value;
    }
    gain.Gain = -0.005001;
    EXPECT_EQ(gain.GetDescription(), "Gain=-0.01 dB");
    gain.Gain = -0.0;
    EXPECT_EQ(gain.SaveToString(), "0;0;0.00000000000000E+000");
    gain.Gain = -1e-300;
    EXPECT_EQ(gain.SaveToString(), "0;0;-1.00000000000000E-300");
}

TEST_F(FilterText, DescriptionsAndTextsUseTheLocaleSeparator) {
    SetDecimalSeparator(',');
    TLowpass filter;
    filter.Order = 2, filter.Fc = 50.0, filter.Q = 0.5, filter.SubType = 3, filter.Enabled = true;
    EXPECT_EQ(filter.GetDescription(), "User SOS, n=2, fc=50,00 Hz, Q=0,500");
    const std::string text = filter.SaveToString();
    EXPECT_EQ(text, "3;1;2;5,00000000000000E+001;5,00000000000000E-001");
    // Semicolons separate the fields, so a comma separator reads back unambiguously.
    SetDecimalSeparator('.');
    TLowpass reread;
    std::string error;
    ASSERT_TRUE(reread.LoadFromString(text, error));
    EXPECT_EQ(reread.Fc, 50.0);
    EXPECT_EQ(reread.Q, 0.5);
}

TEST_F(FilterText, SavedTextFormat) {
    TLowpass lowpass;
    lowpass.Enabled = true, lowpass.Order = 2, lowpass.Fc = 50.0, lowpass.Q = 0.707;
    EXPECT_EQ(lowpass.SaveToString(), "0;1;2;5.00000000000000E+001;7.07000000000000E-001");

    TStaticGain gain;
    gain.Gain = -6.0;
    EXPECT_EQ(gain.SaveToString(), "0;0;-6.00000000000000E+000");
    gain.Gain = 0.0;
    EXPECT_EQ(gain.SaveToString(), "0;0;0.00000000000000E+000");
    gain.Gain = 1.5e-100;
    EXPECT_EQ(gain.SaveToString(), "0;0;1.50000000000000E-100");
    gain.Gain = -2.5e300;
    EXPECT_EQ(gain.SaveToString(), "0;0;-2.50000000000000E+300");

    TLinkwitzTransform transform;
    transform.F0 = 40.0, transform.Q0 = 0.9, transform.Fp = 20.0, transform.Qp = 0.5;
    EXPECT_EQ(transform.SaveToString(),
              "0;0;4.00000000000000E+001;9.00000000000000E-001;2.00000000000000E+001;5.00000000000000E-001");
}

// Every kind reloads its own text; 15 significant digits keep every value to
// well within a part in 1e14.
TEST_F(FilterText, EveryKindReloadsItsText) {
    auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-14 * std::fabs(b); };
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        {
            TLowpass a;
            a.SubType = 2, a.Enabled = true, a.Order = 7, a.Fc = 1000.0 / 3.0, a.Q = 0.1;
            TLowpass b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_EQ(b.SubType, 2);
            EXPECT_TRUE(b.Enabled);
            EXPECT_EQ(b.Order, 7);
            EXPECT_TRUE(near(b.Fc, a.Fc) && near(b.Q, a.Q));
        }
        {
            THighpass a;
            a.SubType = 3, a.Order = 2, a.Fc = 19.99, a.Q = 2.0 / 3.0;
            THighpass b;
            b.Enabled = true;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_EQ(b.SubType, 3);
            EXPECT_FALSE(b.Enabled);
            EXPECT_EQ(b.Order, 2);
            EXPECT_TRUE(near(b.Fc, a.Fc) && near(b.Q, a.Q));
        }
        {
            TAllpass a;
            a.Enabled = true, a.Order = 2, a.Delay = 0.0015, a.Q = 0.577;
            TAllpass b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_EQ(b.Order, 2);
            EXPECT_TRUE(b.Enabled);
            EXPECT_TRUE(near(b.Delay, a.Delay) && near(b.Q, a.Q));
        }
        {
            TLinkwitzTransform a;
            a.Enabled = true, a.F0 = 42.5, a.Q0 = 1.1, a.Fp = 18.0, a.Qp = 0.6;
            TLinkwitzTransform b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_TRUE(b.Enabled);
            EXPECT_TRUE(near(b.F0, a.F0) && near(b.Q0, a.Q0) && near(b.Fp, a.Fp) && near(b.Qp, a.Qp));
        }
        {
            TParametricEQ a;
            a.Enabled = true, a.Fc = 31.5, a.Q = 2.0, a.Gain = -4.5;
            TParametricEQ b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_TRUE(near(b.Fc, a.Fc) && near(b.Q, a.Q) && near(b.Gain, a.Gain));
        }
        {
            TPeakHighpass a;
            a.Enabled = true, a.Fpk = 22.0, a.Gpk = 7.25;
            TPeakHighpass b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_TRUE(near(b.Fpk, a.Fpk) && near(b.Gpk, a.Gpk));
        }
        {
            TStaticGain a;
            a.Enabled = true, a.Gain = -6.0206;
            TStaticGain b;
            std::string error;
            ASSERT_TRUE(b.LoadFromString(a.SaveToString(), error));
            EXPECT_TRUE(b.Enabled);
            EXPECT_TRUE(near(b.Gain, a.Gain));
        }
    }
}

TEST(FilterFramework, LoadingParameterTexts) {
    struct Case {
        const char* text;
        bool accepted;
        std::int32_t subType, order;
        bool enabled;
        double fc, q;
    };
    // The stage starts as SubType 1, disabled, order 3, 99 Hz, Q 9 before each text.
    const Case cases[] = {
        {"0;1;2;5.0E+001;7.07E-001", true, 0, 2, true, 50.0, 0.707},
        {"0;1;2;50", true, 1, 3, false, 99.0, 9.0},          // too few fields: nothing changes
        {"", true, 1, 3, false, 99.0, 9.0},                  // no fields at all
        {"0;;1;2;50;0.7", true, 0, 2, true, 50.0, 0.7},      // empty pieces are dropped
        {"0\r\n1;2\n50;0.7", true, 0, 2, true, 50.0, 0.7},   // line breaks end fields too
        {"2;5;4;5,0E+001;0,5", true, 2, 4, true, 50.0, 0.5}, // comma separator, Enabled any non-zero
        {"0;1;2;abc;0.7", true, 0, 2, true, 0.0, 0.7},       // an unreadable double is 0
        {"0;1;2;50;0.7;extra;9", true, 0, 2, true, 50.0, 0.7},
        {" 3 ;+1; -2 ;50;0.7", true, 3, -2, true, 50.0, 0.7},
        {"x;1;2;50;0.7", false, 1, 3, false, 99.0, 9.0}, // malformed integers refuse the text
        {"0;yes;2;50;0.7", false, 1, 3, false, 99.0, 9.0},
        {"0;1;2.5;50;0.7", false, 1, 3, false, 99.0, 9.0},
        {"0;1;4294967298;50;0.7", false, 1, 3, false, 99.0, 9.0},
        {"0;1;0x10;50;0.7", false, 1, 3, false, 99.0, 9.0},
        {"0;1;+-2;50;0.7", false, 1, 3, false, 99.0, 9.0},
        {"0;1; ;50;0.7", false, 1, 3, false, 99.0, 9.0},
    };
    for (const Case& c : cases) {
        TLowpass filter;
        filter.SubType = 1, filter.Enabled = false, filter.Order = 3, filter.Fc = 99.0, filter.Q = 9.0;
        std::string error;
        EXPECT_EQ(filter.LoadFromString(c.text, error), c.accepted) << c.text;
        EXPECT_EQ(error.empty(), c.accepted) << c.text << ": " << error;
        EXPECT_EQ(filter.SubType, c.subType) << c.text;
        EXPECT_EQ(filter.Order, c.order) << c.text;
        EXPECT_EQ(filter.Enabled, c.enabled) << c.text;
        EXPECT_DOUBLE_EQ(filter.Fc, c.fc) << c.text;
        EXPECT_DOUBLE_EQ(filter.Q, c.q) << c.text;
    }
    TLowpass filter;
    std::string error;
    EXPECT_FALSE(filter.LoadFromString("0;1;two;50;0.7", error));
    EXPECT_EQ(error, "'two' is not a valid integer value");
}

TEST(FilterFramework, MalformedIntegersRefuseEveryKind) {
    // Each text has enough fields for its kind and a bad Enabled field.
    const char* const texts[] = {"0;on;2;50;0.7", "0;on;2;50;0.7", "0;on;1;0.001;0.7", "0;on;40;0.7;20;0.7",
                                 "0;on;30;2;6",   "0;on;20;6",     "0;on;-6"};
    for (std::int32_t kind = 0; kind <= 6; ++kind) {
        const auto filter = CreateFilter(kind);
        const std::string before = filter->SaveToString();
        std::string error;
        EXPECT_FALSE(filter->LoadFromString(texts[kind], error)) << kind;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(filter->SaveToString(), before) << kind;
        // The same text with a proper Enabled field is taken.
        std::string good = texts[kind];
        good.replace(good.find("on"), 2, "1");
        error.clear();
        EXPECT_TRUE(filter->LoadFromString(good, error)) << kind << " " << error;
        EXPECT_TRUE(filter->Enabled) << kind;
    }
}

// Group delay of 1/(1 + s/(wc·Q) + s^2/wc^2), from the derivative of its phase.
double secondOrderLowpassDelay(double f, double fc, double q) {
    const double wc = 2.0 * HV_Pi * fc;
    const double x = f / fc;
    return (1.0 / (wc * q)) * (1.0 + x * x) / ((1.0 - x * x) * (1.0 - x * x) + x * x / (q * q));
}

TEST(FilterFramework, GroupDelayFollowsThePhaseSlope) {
    TLowpass first;
    first.Order = 1, first.Fc = 100.0;
    ASSERT_TRUE(first.Calculate());
    const double w = 2.0 * HV_Pi * 100.0;
    EXPECT_NEAR(first.GetGroupDelay(0.1), 1.0 / w, 1e-6);
    for (double f : {10.0, 100.0, 400.0}) {
        const double x = f / 100.0;
        EXPECT_NEAR(first.GetGroupDelay(f), (1.0 / w) / (1.0 + x * x), 1e-6) << f;
    }

    TLowpass second;
    second.SubType = 3, second.Order = 2, second.Fc = 50.0, second.Q = 2.0;
    ASSERT_TRUE(second.Calculate());
    // Around the corner the phase of a high-Q section turns fast; the delay peaks there.
    for (double f : {5.0, 40.0, 49.0, 50.0, 51.0, 70.0, 500.0})
        EXPECT_NEAR(second.GetGroupDelay(f), secondOrderLowpassDelay(f, 50.0, 2.0), 2e-6) << f;

    // The phase wraps through ±π above the corner of a fourth-order stage; the delay stays positive.
    TLowpass fourth;
    fourth.Order = 4, fourth.Fc = 100.0;
    ASSERT_TRUE(fourth.Calculate());
    for (double f = 10.0; f < 2000.0; f *= 1.07)
        EXPECT_GT(fourth.GetGroupDelay(f), 0.0) << f;

    // Far up where 1e-10 Hz is below the spacing of doubles the delay is still a number.
    EXPECT_TRUE(std::isfinite(first.GetGroupDelay(1e8)));
}

// Textbook group delay of a Butterworth stage of order n at fc: the poles lie on
// the circle of radius wc at angles π(2k + n + 1)/(2n), and each pole p adds
// -Re(p)/|jω - p|^2. The high-pass has the same poles (its zeros at s = 0 add a
// constant phase), so the same delay.
double butterworthDelay(int n, double fc, double f) {
    const double wc = 2.0 * HV_Pi * fc;
    const std::complex<double> s(0.0, 2.0 * HV_Pi * f);
    double delay = 0.0;
    for (int k = 0; k < n; ++k) {
        const std::complex<double> pole = std::polar(wc, HV_Pi * (2 * k + n + 1) / (2.0 * n));
        delay += -pole.real() / std::norm(s - pole);
    }
    return delay;
}

// From far below the corner, through it (where the phase of a tenth-order stage
// runs through ±π several times) to far above it. The step of the phase slope is
// about 1e-10 Hz, so the phase resolution of a double sets a floor of a few
// microseconds; the delays themselves run up to 19 ms.
TEST(FilterFramework, GroupDelayOfButterworthStagesAgainstTheirPoles) {
    for (int order = 1; order <= 10; ++order) {
        TLowpass lowpass;
        lowpass.Order = order, lowpass.Fc = 100.0;
        THighpass highpass;
        highpass.Order = order, highpass.Fc = 100.0;
        ASSERT_TRUE(lowpass.Calculate() && highpass.Calculate());
        for (double f = 0.01; f < 1e5; f *= 1.37) {
            const double expected = butterworthDelay(order, 100.0, f);
            const double tolerance = 2e-5 + 1e-4 * expected;
            EXPECT_NEAR(lowpass.GetGroupDelay(f), expected, tolerance) << order << " " << f;
            EXPECT_NEAR(highpass.GetGroupDelay(f), expected, tolerance) << order << " " << f;
        }
        // Close to the corner, where the delay peaks.
        for (double f : {90.0, 99.0, 100.0, 101.0, 110.0}) {
            const double expected = butterworthDelay(order, 100.0, f);
            EXPECT_NEAR(lowpass.GetGroupDelay(f), expected, 1e-3 * expected) << order << " " << f;
        }
    }
}

} // namespace

TEST(FilterFramework, GroupDelayIsTheExactPhaseSlopeWithoutNoise) {
    // A first-order low-pass delays by (1/w0) / (1 + (f/fc)^2); the exact slope meets it to the
    // last digits at every frequency, where a finite step of 1e-10 Hz left microseconds of noise.
    TLowpass first;
    first.Order = 1, first.Fc = 100.0;
    ASSERT_TRUE(first.Calculate());
    const double w0 = 2.0 * HV_Pi * 100.0;
    for (double f = 1.0; f < 20000.0; f *= 1.37) {
        const double x = f / 100.0;
        const double expected = (1.0 / w0) / (1.0 + x * x);
        EXPECT_NEAR(first.GetGroupDelay(f), expected, 1e-12 * expected + 1e-18) << f;
    }
}
