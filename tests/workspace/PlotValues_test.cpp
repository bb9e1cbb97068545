// The values behind the plots: rounding, grid frequencies and steps, label texts, axis ranges
// with their display units, and the value of every plot type for a stand-in model and real
// filters, with real boxes checked against textbook relations.

#include "simulation/AllPass.h"
#include "simulation/Highpass.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/StaticGain.h"
#include "workspace/PlotProject.h"
#include "workspace/PlotTypes.h"
#include "workspace/RecordingCanvas.h"
#include "workspace/plothelper.h"

#include "PlotTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

using namespace plottest;

[[maybe_unused]] ::testing::Environment* const TempHomeEnvironment =
    ::testing::AddGlobalTestEnvironment(new TempHome);

constexpr double Infinity = std::numeric_limits<double>::infinity();

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    const struct {
        double in, out;
    } cases[] = {{0.5, 0},   {1.5, 2},     {2.5, 2},     {-0.5, 0},      {-1.5, -2},
                 {-2.5, -2}, {138.5, 138}, {139.5, 140}, {2.4999999, 2}, {-7.2, -7}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(NextGridFrequency, StepsThroughOneToNineTimesEachDecade) {
    const struct {
        double in, out;
    } cases[] = {{0.3, 1},      {1, 2},         {9.5, 10},        {10, 20},
                 {19.99, 20},   {95, 100},      {100, 200},       {450, 500},
                 {999.9, 1000}, {20000, 30000}, {1e17, Infinity}, {Infinity, Infinity}};
    for (const auto& c : cases)
        EXPECT_EQ(NextGridFrequency(c.in), c.out) << c.in;
    EXPECT_EQ(NextGridFrequency(std::nan("")), Infinity);
}

TEST(ValueGridStep, FirstOfOneTwoFiveTenNotBelowTheWantedStep) {
    // The settings' default gain range on a 567-pixel picture with an 11-pixel font.
    EXPECT_EQ(ValueGridStep(11.0 * 36.0 / 554.0), 1.0);
    const struct {
        double wanted, step;
    } cases[] = {{1.0, 1.0},     {1.01, 2.0}, {2.5, 5.0},    {5.5, 10.0},
                 {0.0199, 0.02}, {120, 200},  {0.003, 0.005}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ValueGridStep(c.wanted), c.step) << c.wanted;
    EXPECT_EQ(ValueGridStep(0), 0);
    EXPECT_EQ(ValueGridStep(-1), 0);
    EXPECT_EQ(ValueGridStep(std::nan("")), 0);
}

TEST(FrequencyLabel, NumberInItsThousandWithSIPrefix) {
    const struct {
        int m, k;
        const char* text;
    } cases[] = {{1, 0, "1"},     {1, 1, "10"},   {2, 1, "20"},  {5, 2, "500"},  {1, 3, "1k"},
                 {2, 3, "2k"},    {5, 3, "5k"},   {1, 4, "10k"}, {2, 4, "20k"},  {1, 6, "1M"},
                 {1, -1, "100m"}, {5, -2, "50m"}, {2, -3, "2m"}, {1, -4, "100u"}};
    for (const auto& c : cases)
        EXPECT_EQ(FrequencyLabel(c.m, c.k), c.text) << c.m << "e" << c.k;
}

TEST(ValueLabel, UpToFiveDecimalsWithoutTrailingZeros) {
    SetDecimalSeparator('.');
    const struct {
        double value;
        const char* text;
    } cases[] = {{-3, "-3"},
                 {0.5, "0.5"},
                 {0.02, "0.02"},
                 {105, "105"},
                 {1e-17, "0"},
                 {-1e-17, "0"},
                 {-0.0, "0"},
                 {0.000004, "0"},
                 {1.23456789, "1.23457"},
                 {12345.678901, "12345.6789"},
                 {1e6, "1000000"},
                 {-0.25, "-0.25"}};
    for (const auto& c : cases)
        EXPECT_EQ(ValueLabel(c.value), c.text) << c.value;
    SetDecimalSeparator(',');
    EXPECT_EQ(ValueLabel(0.5), "0,5");
    SetDecimalSeparator('\0');
}

TEST(PlotMapping, LogFrequencyAcrossTheColumnsAndLinearValueDownTheRows) {
    const TPlotMapping mapping(29, 0, 800, 554, 10, 500, 6, -30);
    ASSERT_TRUE(mapping.Valid());
    EXPECT_DOUBLE_EQ(mapping.XToFrequency(29), 10);
    EXPECT_NEAR(mapping.XToFrequency(799), 500, 1e-9);
    EXPECT_EQ(mapping.FrequencyToX(10), 29);
    EXPECT_EQ(mapping.FrequencyToX(500), 799);
    // sqrt(10 x 500) is the middle of the axis: column 29 + 385.
    EXPECT_EQ(mapping.FrequencyToX(std::sqrt(5000.0)), 29 + 385);
    EXPECT_EQ(mapping.Row(6), 0);
    EXPECT_EQ(mapping.Row(-30), 554);
    // (6 + 3) / 36 x 554 = 138.5 rounds to the even 138.
    EXPECT_EQ(mapping.Row(-3), 138);
    // Far outside and non-finite values stay one row beyond the rectangle.
    EXPECT_EQ(mapping.Row(1e300), -1);
    EXPECT_EQ(mapping.Row(-1e300), 555);
    EXPECT_EQ(mapping.Row(std::nan("")), -1);
    EXPECT_EQ(mapping.FrequencyToX(0), 29 - 771);
    EXPECT_EQ(mapping.FrequencyToX(1e300), 29 + 2 * 771);
}

TEST(PlotMapping, LimitsThatCannotBeDrawnAreInvalid) {
    const struct {
        double fmin, fmax, top, bottom;
        int width, height;
    } cases[] = {
        {0, 500, 6, -30, 800, 554},           {-10, 500, 6, -30, 800, 554}, {500, 500, 6, -30, 800, 554},
        {600, 500, 6, -30, 800, 554},         {10, 500, 5, 5, 800, 554},    {10, Infinity, 6, -30, 800, 554},
        {10, 500, std::nan(""), 0, 800, 554}, {10, 500, 6, -30, 1, 554},    {10, 500, 6, -30, 800, 0}};
    for (const auto& c : cases) {
        const TPlotMapping mapping(0, 0, c.width, c.height, c.fmin, c.fmax, c.top, c.bottom);
        EXPECT_FALSE(mapping.Valid()) << c.fmin << " " << c.fmax << " " << c.top << " " << c.bottom;
        EXPECT_EQ(mapping.XToFrequency(5), 0);
        EXPECT_EQ(mapping.FrequencyToX(100), 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Axes from the settings.

class PlotAxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Saved = TC;
        TC = TConfig{};
        TUnitStore::Instance().Store("edExcursionEnd", 0);
        TUnitStore::Instance().Store("edVelocityEnd", 0);
    }
    void TearDown() override {
        TC = m_Saved;
        TUnitStore::Instance().Store("edExcursionEnd", 0);
        TUnitStore::Instance().Store("edVelocityEnd", 0);
    }
    TConfig m_Saved;
};

TEST_F(PlotAxesTest, RangesUnitsAndScalesFollowTheSettings) {
    TConfig config;
    config.Limits_DelayStart = -2;
    config.Limits_DelayEnd = 40;
    TPlotAxes axes;
    SetPlotAxes(3, config, axes);
    // Stored in ms, computed in s: the axis shows the stored numbers.
    EXPECT_DOUBLE_EQ(axes.TopValue, 40);
    EXPECT_DOUBLE_EQ(axes.BottomValue, -2);
    EXPECT_EQ(axes.Scale, 1000);
    EXPECT_EQ(axes.UnitText, "ms");
    // Exactly the stored numbers, also where x 0.001 x 1000 would not give them back.
    config.Limits_DelayStart = 0.9;
    config.Limits_DelayEnd = 12.4;
    SetPlotAxes(19, config, axes);
    EXPECT_EQ(axes.TopValue, 12.4);
    EXPECT_EQ(axes.BottomValue, 0.9);

    SetPlotAxes(17, config, axes);
    EXPECT_EQ(axes.TopValue, config.Limits_EQTFMagMax);
    EXPECT_EQ(axes.BottomValue, config.Limits_EQTFMagMin);
    EXPECT_EQ(axes.UnitText, "dB");

    SetPlotAxes(20, config, axes);
    EXPECT_EQ(axes.TopValue, config.Limits_MaxPowerEnd);
    EXPECT_EQ(axes.UnitText, "VA");

    // Types 0 and above 20 keep range, scale and unit, but take the frequency limits.
    config.Limits_FreqStart = 20;
    config.Limits_FreqEnd = 20000;
    SetPlotAxes(0, config, axes);
    SetPlotAxes(21, config, axes);
    EXPECT_EQ(axes.FMin, 20);
    EXPECT_EQ(axes.FMax, 20000);
    EXPECT_EQ(axes.TopValue, config.Limits_MaxPowerEnd);
    EXPECT_EQ(axes.UnitText, "VA");
}

TEST_F(PlotAxesTest, ExcursionAndVelocityFollowTheirFieldsUnitsAndAmplitudeScales) {
    const struct {
        int plotType;
        const char* field;
        int unitIndex;
        int amplitude;
        double unitFactor;
        const char* text;
    } cases[] = {
        {5, "edExcursionEnd", 1, 1, 1000, "peak mm"}, {5, "edExcursionEnd", 0, 0, 1, "rms m"},
        {15, "edExcursionEnd", 2, 2, 100, "p-p cm"},  {5, "edExcursionEnd", 3, 1, 1 / 0.0254, "peak in"},
        {9, "edVelocityEnd", 1, 0, 100, "rms cm/s"},  {10, "edVelocityEnd", 3, 2, 3.6, "p-p km/h"},
        {10, "edVelocityEnd", 0, 1, 1, "peak m/s"},
    };
    const double amplitudes[] = {1.0, 1.41421356237, 2.82842712474};
    for (const auto& c : cases) {
        TConfig config;
        config.ExcursionScale = c.amplitude;
        config.VelocityScale = c.amplitude;
        TUnitStore::Instance().Store(c.field, c.unitIndex);
        TPlotAxes axes;
        SetPlotAxes(c.plotType, config, axes);
        const bool excursion = c.plotType == 5 || c.plotType == 15;
        const double end = excursion ? config.Limits_ExcursionEnd : config.Limits_VelocityEnd;
        const double start = excursion ? config.Limits_ExcursionStart : config.Limits_VelocityStart;
        EXPECT_EQ(axes.UnitText, c.text);
        EXPECT_DOUBLE_EQ(axes.Scale, c.unitFactor * amplitudes[c.amplitude]) << c.text;
        // The range is shown in the unit, without the amplitude scale.
        EXPECT_DOUBLE_EQ(axes.TopValue, end * c.unitFactor) << c.text;
        EXPECT_DOUBLE_EQ(axes.BottomValue, start * c.unitFactor) << c.text;
        TUnitStore::Instance().Store(c.field, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// The value of every plot type.

std::unique_ptr<TFilterBase> StaticGain(double dB, bool enabled) {
    auto filter = std::make_unique<TStaticGain>();
    filter->Gain = dB;
    filter->Calculate();
    filter->Enabled = enabled;
    return filter;
}

std::unique_ptr<TFilterBase> FirstOrderAllpass(double delay, bool enabled) {
    auto filter = std::make_unique<TAllpass>();
    filter->Order = 1;
    filter->Delay = delay;
    filter->Q = 1;
    filter->Calculate();
    filter->Enabled = enabled;
    return filter;
}

class PlotValueTest : public ::testing::Test {
protected:
    void SetUp() override { StubModel::Reset(); }
    void TearDown() override { StubModel::Reset(); }

    double Value(int plotType, double f, double scale = 1) {
        TPlotProject project;
        project.Bind(m_Box, m_Driver, m_Source, &m_Filters, &StubModel::Func, {});
        EXPECT_TRUE(project.PrepareCurve(plotType));
        return project.ValueAt(plotType, scale, f);
    }

    TBoxData m_Box;
    TDriverObject m_Driver = Woofer();
    TSignalSource m_Source{0, 0.5, 2};
    TPlotFilterList m_Filters;
};

TEST_F(PlotValueTest, EveryTypeFromTheModelsAnswerTheChainAndTheDriver) {
    // r = 3 + 4j (|r| = 5, 53.13 degrees); the chain is a gain of 2 (6.0206 dB); a disabled
    // +20 dB stage must not count. Rg 0.5 ohm, P 2 W, Re 6 ohm.
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(3, 4); };
    m_Filters.push_back(StaticGain(20 * std::log10(2.0), true));
    m_Filters.push_back(StaticGain(20, false));
    const double phase = std::atan2(4.0, 3.0) * 180 / Pi;
    const double db10 = 20.0;                // 20 log10 |r H| = 20 log10 10
    const double db5 = 20 * std::log10(5.0); // the model alone
    const double va = 4.0 * 2 * 6 / std::hypot(3.5, 4.0);
    const struct {
        int type;
        double expected;
    } cases[] = {{1, db10},
                 {2, db10},
                 {3, 3000},
                 {4, phase},
                 {5, 10},
                 {6, 5},
                 {7, 3},
                 {8, phase},
                 {9, 10},
                 {10, 10},
                 {11, db10},
                 {12, db10},
                 {13, db5},
                 {14, phase},
                 {15, 10},
                 {16, db5},
                 {17, 20 * std::log10(2.0)},
                 {18, 0},
                 {19, 0},
                 {20, va}};
    for (const auto& c : cases) {
        const double scale = c.type == 3 || c.type == 19 ? 1000 : 1;
        EXPECT_NEAR(Value(c.type, 50, scale), c.expected, 1e-9) << "plot type " << c.type;
    }
}

TEST_F(PlotValueTest, FiltersEnterOnceAndDelaysAdd) {
    // A 5 ms model delay and a 1 ms all-pass read 6 ms, not 5 ms plus the delay twice.
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(0.005, 0); };
    m_Filters.push_back(FirstOrderAllpass(0.001, true));
    m_Filters.push_back(FirstOrderAllpass(0.003, false));
    // The all-pass (1 - sT)/(1 + sT) with 2T = 1 ms delays by 2T / (1 + (wT)^2); the stage's own
    // estimate from two nearby phases agrees to its rounding noise.
    const double w = 2 * Pi * 2;
    const double T = 0.0005;
    const double filterDelay = 2 * T / (1 + w * T * w * T);
    EXPECT_NEAR(m_Filters[0]->GetGroupDelay(2), filterDelay, 1e-7);
    EXPECT_NEAR(Value(3, 2, 1000), 6.0, 1e-3);
    EXPECT_NEAR(Value(3, 2, 1000), 5.0 + 1000 * filterDelay, 1e-9);
    EXPECT_NEAR(Value(19, 2, 1000), 1000 * filterDelay, 1e-9);

    // A magnitude type multiplies the chain in exactly once: +6.02 dB, not +12.04.
    m_Filters.clear();
    m_Filters.push_back(StaticGain(20 * std::log10(2.0), true));
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(1, 0); };
    EXPECT_NEAR(Value(1, 100), 20 * std::log10(2.0), 1e-9);
    EXPECT_NEAR(Value(5, 100), 2, 1e-12);
}

TEST_F(PlotValueTest, ChainDelayIsTheSumOfTheStagesDelays) {
    // A first-order all-pass (1 - sT)/(1 + sT) delays by 2T / (1 + (wT)^2).
    const double T = 0.0005;
    m_Filters.push_back(FirstOrderAllpass(2 * T, true));
    for (const double f : {5.0, 100.0, 1000.0, 5000.0}) {
        const double w = 2 * Pi * f;
        EXPECT_NEAR(Value(19, f), 2 * T / (1 + w * T * w * T), 2e-3 * 2 * T) << f << " Hz";
    }
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->Order = 4;
    lowpass->Fc = 200;
    auto highpass = std::make_unique<THighpass>();
    highpass->Order = 3;
    highpass->Fc = 20;
    auto eq = std::make_unique<TParametricEQ>();
    eq->Fc = 40;
    eq->Q = 2;
    eq->Gain = 6;
    for (TFilterBase* filter :
         {static_cast<TFilterBase*>(lowpass.get()), static_cast<TFilterBase*>(highpass.get()),
          static_cast<TFilterBase*>(eq.get())}) {
        ASSERT_TRUE(filter->Calculate());
        filter->Enabled = true;
    }
    m_Filters.push_back(std::move(lowpass));
    m_Filters.push_back(std::move(highpass));
    m_Filters.push_back(std::move(eq));
    // The stages' own delays come from a phase step of 1e-10 Hz: a noise of about 1e-16 rad over
    // the phase change across the step, some per cent far up the band.
    for (const double f : {10.0, 20.0, 41.0, 199.0, 2000.0}) {
        double sum = 0;
        for (const auto& filter : m_Filters)
            sum += filter->GetGroupDelay(f);
        EXPECT_NEAR(Value(19, f), sum, 2e-2 * std::fabs(sum) + 1e-9) << f << " Hz";
    }
}

TEST_F(PlotValueTest, ChainDelayIsThatOfItsSectionsAtEveryFrequency) {
    // A second-order low-pass of Q 0.9 at 100 Hz, a third-order Butterworth high-pass at 20 Hz
    // (a first-order section and one of Q 1) and a 12 dB cut of Q 4 at 50 Hz. A second-order
    // section delays by (w0/Q)(w0^2 + w^2) / ((w0^2 - w^2)^2 + (w0 w/Q)^2), a first-order one by
    // w0 / (w0^2 + w^2), low- and high-pass alike; the cut's numerator is a section of Q / a
    // (a its gain) whose delay is taken away: a cut delays negatively around its centre.
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->SubType = 3;
    lowpass->Order = 2;
    lowpass->Fc = 100;
    lowpass->Q = 0.9;
    auto highpass = std::make_unique<THighpass>();
    highpass->SubType = 0;
    highpass->Order = 3;
    highpass->Fc = 20;
    auto cut = std::make_unique<TParametricEQ>();
    cut->Fc = 50;
    cut->Q = 4;
    cut->Gain = -12;
    for (TFilterBase* filter :
         {static_cast<TFilterBase*>(lowpass.get()), static_cast<TFilterBase*>(highpass.get()),
          static_cast<TFilterBase*>(cut.get())}) {
        ASSERT_TRUE(filter->Calculate());
        filter->Enabled = true;
    }
    m_Filters.push_back(std::move(lowpass));
    m_Filters.push_back(std::move(highpass));
    m_Filters.push_back(std::move(cut));
    const auto second = [](double w, double w0, double Q) {
        return (w0 / Q) * (w0 * w0 + w * w) / (std::pow(w0 * w0 - w * w, 2) + std::pow(w0 * w / Q, 2));
    };
    const double a = std::pow(10.0, -12.0 / 20);
    const double w100 = 2 * Pi * 100;
    const double w50 = 2 * Pi * 50;
    const double w20 = 2 * Pi * 20;
    for (const double f : {1.0, 20.0, 50.0, 63.0, 100.0, 1000.0, 20000.0}) {
        const double w = 2 * Pi * f;
        const double expected = second(w, w100, 0.9) + w20 / (w20 * w20 + w * w) + second(w, w20, 1.0) +
                                second(w, w50, 4) - second(w, w50, 4 / a);
        EXPECT_NEAR(Value(19, f), expected, 1e-9 * std::fabs(expected)) << f << " Hz";
    }
    EXPECT_LT(Value(19, 50), 0);
}

TEST_F(PlotValueTest, GatedTypesShowZeroWithoutTheirFlag) {
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(3, 4); };
    const struct {
        TDriverFlags flags;
        std::vector<int> zero;
    } cases[] = {
        {{false, true, true}, {6, 8, 20}},
        {{true, false, true}, {5, 7, 15, 16}},
        {{true, true, false}, {9, 10}},
    };
    for (const auto& c : cases) {
        StubModel::Flags = c.flags;
        for (int type = 1; type <= 20; ++type) {
            const bool gated = std::find(c.zero.begin(), c.zero.end(), type) != c.zero.end();
            const double value = Value(type, 50);
            if (gated) {
                EXPECT_EQ(value, 0) << "plot type " << type;
            } else if (type < 17 || type > 19) { // the chain alone is 0 dB, 0 degrees, 0 ms here
                EXPECT_NE(value, 0) << "plot type " << type;
            }
        }
    }
}

TEST_F(PlotValueTest, DriverFlagsAreTakenAfterTheSetUpOfTheSamePicture) {
    // The driver arrives with its flags off; the set-up builds the model and sets them.
    m_Driver.CouplingKnown = m_Driver.MassAdded = m_Driver.ModelReady = false;
    StubModel::Flags = TDriverFlags{true, true, true};
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(0.002, 0); };
    EXPECT_DOUBLE_EQ(Value(5, 50), 0.002);
    EXPECT_DOUBLE_EQ(Value(6, 50), 0.002);

    // And the other way: a set-up that loses the cone area gates the very next curve.
    StubModel::Flags = TDriverFlags{true, false, true};
    EXPECT_EQ(Value(5, 50), 0);
}

TEST_F(PlotValueTest, ZeroAnswerAndTypesOutsideTheTableGiveZero) {
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(0, 0); };
    for (const int type : {1, 2, 4, 5, 13, 17, 18, 20})
        EXPECT_EQ(Value(type, 50), 0) << "plot type " << type;
    TPlotProject project;
    project.Bind(m_Box, m_Driver, m_Source, &m_Filters, &StubModel::Func, {});
    EXPECT_FALSE(project.PrepareCurve(0));
    EXPECT_FALSE(project.PrepareCurve(21));
    EXPECT_EQ(project.ValueAt(21, 1, 50), 0);
}

TEST_F(PlotValueTest, ANonFiniteAnswerStaysNonFiniteForTheCurveToSkip) {
    StubModel::Answer = [](TCurveKind, double) { return MakeComplex(std::nan(""), 0); };
    EXPECT_TRUE(std::isnan(Value(1, 50)));
    EXPECT_TRUE(std::isnan(Value(6, 50)));
}

TEST_F(PlotValueTest, AFailedSetUpGivesNoCurveAndForgetsThePreviousOne) {
    TPlotProject project;
    project.Bind(m_Box, m_Driver, m_Source, nullptr, &StubModel::Func, {});
    ASSERT_TRUE(project.PrepareCurve(2));
    StubModel::SetUpFails = true;
    EXPECT_FALSE(project.PrepareCurve(2));
    EXPECT_EQ(project.ValueAt(2, 1, 50), 0);
    // Without a curve function (a box type no model answers) there is no curve either.
    project.Bind(m_Box, m_Driver, m_Source, nullptr, BoxMath_GetFunc(7), {});
    EXPECT_FALSE(project.PrepareCurve(2));
}

// ---------------------------------------------------------------------------------------------
// Real boxes against textbook relations.

class ClosedBoxValueTest : public PlotAxesTest {};

TEST_F(ClosedBoxValueTest, GroupDelayIsThatOfTheSecondOrderHighPass) {
    TDriverObject driver = Woofer();
    const double V = 0.03;
    const TBoxData box = LosslessClosedBox(V);
    const TSignalSource source{0, 0, 1};
    TPlotProject project;
    project.Bind(box, driver, source, nullptr, BoxMath_GetFunc(btClosed), {});
    ASSERT_TRUE(project.PrepareCurve(3));

    const double alpha = driver.Data.Vas / V;
    const double w0 = 2 * Pi * driver.Data.Fs * std::sqrt(1 + alpha);
    const double Q = driver.Data.Qts * std::sqrt(1 + alpha);
    for (const double f : {10.0, 30.0, 55.0, 100.0, 300.0}) {
        const double w = 2 * Pi * f;
        // tau = (w0/Q)(w0^2 + w^2) / ((w0^2 - w^2)^2 + (w0 w / Q)^2)
        const double tau =
            (w0 / Q) * (w0 * w0 + w * w) / (std::pow(w0 * w0 - w * w, 2) + std::pow(w0 * w / Q, 2));
        EXPECT_NEAR(project.ValueAt(3, 1000, f), 1000 * tau, 0.02 * 1000 * tau + 1e-3) << f << " Hz";
    }
}

TEST_F(ClosedBoxValueTest, ExcursionBelowResonanceIsForceOverStiffnessInTheChosenUnit) {
    TUnitStore::Instance().Store("edExcursionEnd", 1); // mm
    TC.ExcursionScale = 1;                             // peak
    TDriverObject driver = Woofer();
    const double V = 0.03;
    const TBoxData box = LosslessClosedBox(V);
    const double P = 4;
    const TSignalSource source{0, 0, P};

    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    helper.SetPlotType(5);
    EXPECT_EQ(helper.UnitText(), "peak mm");
    helper.SetProject(box, driver, source, nullptr, btClosed, {});

    // Static excursion: force BL sqrt(P/Re) against the suspension and the air in the box.
    const TDriverData& d = driver.Data;
    const double rho = Rho();
    const double c = SoundSpeed();
    const double stiffness = 1 / d.Cms + rho * c * c * d.Sd * d.Sd / V;
    const double rms = d.BL * std::sqrt(P / d.Re) / stiffness;
    EXPECT_NEAR(helper.ValueAt(1), rms * 1000 * 1.41421356237, 0.005 * rms * 1414);

    // The Xmax line of the active project sits at the driver's Xmax in mm.
    helper.SetReferenceProject(driver, box);
    EXPECT_NEAR(helper.XmaxReference(), 5.0, 1e-9);
}

TEST_F(ClosedBoxValueTest, ImpedanceIsTheCoilResistanceFarAboveResonance) {
    TDriverObject driver = Woofer();
    const TBoxData box = LosslessClosedBox(0.03);
    TPlotProject project;
    project.Bind(box, driver, TSignalSource{0, 0, 1}, nullptr, BoxMath_GetFunc(btClosed), {});
    ASSERT_TRUE(project.PrepareCurve(6));
    EXPECT_NEAR(project.ValueAt(6, 1, 20000), driver.Data.Re, 0.01);
    // And the phase there is near 0 without an inductance.
    ASSERT_TRUE(project.PrepareCurve(8));
    EXPECT_NEAR(project.ValueAt(8, 1, 20000), 0, 1);
}

TEST_F(ClosedBoxValueTest, VelocityScalesWithTheChosenUnitAndAmplitude) {
    TDriverObject driver = Woofer();
    TBoxData box;
    ASSERT_TRUE(BoxMath_GetFunc(btVented) != nullptr);
    box = LosslessClosedBox(0.04);
    box.BType = btVented;
    box.Fr = 35;
    box.Qpr = 1e9;
    box.Sdrport = 0.005;
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    TC.VelocityScale = 0;
    helper.SetPlotType(9);
    helper.SetProject(box, driver, TSignalSource{0, 0, 1}, nullptr, btVented, {});
    const double metresPerSecond = helper.ValueAt(35);
    ASSERT_GT(metresPerSecond, 0);

    TUnitStore::Instance().Store("edVelocityEnd", 1); // cm/s
    TC.VelocityScale = 2;                             // p-p
    helper.SetAxisRanges();
    EXPECT_EQ(helper.UnitText(), "p-p cm/s");
    EXPECT_NEAR(helper.ValueAt(35), metresPerSecond * 100 * 2.82842712474, 1e-9 * metresPerSecond * 300);
}

} // namespace
