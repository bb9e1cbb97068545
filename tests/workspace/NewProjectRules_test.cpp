#include "workspace/NewDesign.h"

#include "model/Units.h"
#include "simulation/BP4Alignments.h"
#include "simulation/ClosedAlignments.h"
#include "simulation/VentedAlignments.h"
#include "simulation/boxmath.h"
#include "workspace/ProjectDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

// A woofer as a data sheet gives it, prepared as the wizard holds it (0.1 ohm source).
TDriverObject FixtureDriver() {
    TDriverObject driver;
    driver.Data.Brand = "Fixture";
    driver.Data.Model = "W10";
    driver.Data.Fs = 28;
    driver.Data.Qms = 3.2;
    driver.Data.Qes = 0.38;
    driver.Data.Qts = 3.2 * 0.38 / 3.58;
    driver.Data.Vas = 0.09;
    driver.Data.Re = 5.8;
    driver.Data.Sd = 0.0214;
    driver.Data.Mms = 0.06;
    driver.Data.Cms = 1 / (driver.Data.Mms * std::pow(2 * std::numbers::pi * 28, 2));
    driver.Data.BL = std::sqrt(2 * std::numbers::pi * 28 * 0.06 * 5.8 / 0.38);
    driver.Data.Xmax = 0.006;
    driver.Data.Pe = 200;
    PrepareWizardDriver(driver);
    return driver;
}

TEST(NewProjectRules, EfficiencyBandwidthProductProposesTheBoxType) {
    const struct {
        double fs, qes, qts, qms;
        double ebp;
        int proposed;
    } cases[] = {
        {27, 0.4, 0, 0, 67.5, 1},
        {55, 1, 0, 0, 55, 1},
        {54.99, 1, 0, 0, 54.99, 0},
        {30, 0, 0.3, 0, 30 / (1 / (1 / 0.3 - 1 / 4.0)), 1}, // Qms unknown: taken as 4
        {15, 0, 0.3, 0, 15 / (1 / (1 / 0.3 - 1 / 4.0)), 0},
        {30, 0, 0.3, 3, 30 / (1 / (1 / 0.3 - 1 / 3.0)), 1},
        {0, 0.4, 0, 0, 0, 0}, // Fs unknown
        {30, 0, 0, 3, 0, 0},  // neither Qes nor Qts
        {30, 0, 5, 0, 0, 0},  // Qts above the assumed Qms gives no Qes
        {30, 0, 4, 0, 0, 0},  // equal: no Qes either
    };
    for (const auto& c : cases) {
        TDriverData data;
        data.Fs = c.fs;
        data.Qes = c.qes;
        data.Qts = c.qts;
        data.Qms = c.qms;
        const double ebp = WizardEBP(data);
        EXPECT_NEAR(ebp, c.ebp, 1e-9) << c.fs << " " << c.qes << " " << c.qts;
        EXPECT_EQ(ProposedBoxType(ebp), c.proposed) << c.fs << " " << c.qes << " " << c.qts;
    }
}

TEST(NewProjectRules, GaugeAndLabelFollowTheEfficiencyBandwidthProduct) {
    SetDecimalSeparator('.');
    EXPECT_EQ(EbpLabel(150), "EBP = 150.0");
    EXPECT_EQ(EbpLabel(67.46), "EBP = 67.5");
    EXPECT_EQ(EbpLabel(0), "");
    SetDecimalSeparator(0);

    constexpr int height = 110;
    auto lit = [](const std::vector<std::int32_t>& rows) {
        int count = 0;
        for (const std::int32_t row : rows)
            count += row >= 0 ? 1 : 0;
        return count;
    };
    const std::vector<std::int32_t> full = EbpGaugeRows(150, height);
    EXPECT_EQ(lit(full), height);
    // Blue at the bottom, shading towards cyan at the top.
    EXPECT_EQ(full.back(), 0xAF0000);
    EXPECT_EQ(full.front(), 0xAF0000 + 256 * static_cast<int>(std::nearbyint(109 * 255.0 / 110)));
    // The threshold of 55 sits at mid-height.
    EXPECT_EQ(lit(EbpGaugeRows(55, height)), 56);
    EXPECT_EQ(lit(EbpGaugeRows(0, height)), 0);
    EXPECT_EQ(lit(EbpGaugeRows(-3, height)), 0);
    EXPECT_TRUE(EbpGaugeRows(50, 0).empty());
}

TEST(NewProjectRules, ThePassiveRadiatorPageComesOnlyForItsBoxType) {
    for (int type = 0; type <= 3; ++type) {
        std::vector<int> forward{wpDriver};
        while (forward.back() != wpAlignment)
            forward.push_back(WizardNextPage(forward.back(), type));
        EXPECT_EQ(forward, (std::vector<int>{wpDriver, wpDriverUsage, wpBoxType, wpAlignment})) << type;
        std::vector<int> back{wpAlignment};
        while (back.back() != wpDriver)
            back.push_back(WizardPreviousPage(back.back(), type));
        EXPECT_EQ(back, (std::vector<int>{wpAlignment, wpBoxType, wpDriverUsage, wpDriver})) << type;
    }
    EXPECT_EQ(WizardNextPage(wpBoxType, 4), wpPassiveRadiator);
    EXPECT_EQ(WizardNextPage(wpPassiveRadiator, 4), wpAlignment);
    EXPECT_EQ(WizardPreviousPage(wpAlignment, 4), wpPassiveRadiator);
    EXPECT_EQ(WizardNextPage(wpAlignment, 4), wpAlignment);
    EXPECT_EQ(WizardPreviousPage(wpDriver, 4), wpDriver);
}

TEST(NewProjectRules, TheFixtureDriversAlignmentLists) {
    const TDriverObject driver = ProjectDriver(FixtureDriver(), 1, false);
    // Qts' with the 0.1 ohm source: 1/(1/Qms + 1/(Qes·(Re + 0.1)/Re)).
    const double qesSource = 0.38 * 5.9 / 5.8;
    EXPECT_NEAR(driver.QtsTotal, 1 / (1 / 3.2 + 1 / qesSource), 1e-12);

    const TAlignmentChoice closed = AlignmentChoices(0, driver);
    ASSERT_EQ(closed.items.size(), 9u);
    EXPECT_EQ(closed.items[static_cast<std::size_t>(closed.selected)], "0.707 Max flat amplitude response");
    const TAlignmentChoice vented = AlignmentChoices(1, driver);
    ASSERT_EQ(vented.items.size(), 5u);
    EXPECT_EQ(vented.items[static_cast<std::size_t>(vented.selected)], "BB4/SBB4 (Super-)boom-box");
    const TAlignmentChoice bandpass = AlignmentChoices(2, driver);
    ASSERT_FALSE(bandpass.items.empty());
    EXPECT_EQ(bandpass.selected, 0);
    EXPECT_EQ(bandpass.items[0], "0.00 dB passband ripple, 0 dB passband gain");
    for (int type : {3, 4}) {
        const TAlignmentChoice none = AlignmentChoices(type, driver);
        EXPECT_EQ(none.items, std::vector<std::string>{kNoAlignment});
    }

    // A driver whose total Q is above every closed row gets none, and Finish says why.
    TDriverObject loose = FixtureDriver();
    loose.Data.Qes = 9;
    loose.Data.Qms = 9;
    PrepareWizardDriver(loose);
    const TAlignmentChoice nothing = AlignmentChoices(0, ProjectDriver(loose, 1, false));
    EXPECT_TRUE(nothing.items.empty());
    EXPECT_EQ(nothing.selected, -1);
    TProjectDocument project;
    std::string reason;
    EXPECT_FALSE(FillNewProject({0, 1, false, {}, ""}, loose, project, reason));
    EXPECT_NE(reason.find("closed"), std::string::npos);
}

struct TFinishCase {
    int boxType;
    const char* alignment;
};

class NewProjectFinish : public ::testing::TestWithParam<TFinishCase> {};

TEST_P(NewProjectFinish, FillsTheRecordsAndSizesTheBoxByTheChosenRow) {
    const TFinishCase& c = GetParam();
    const TDriverObject wizardDriver = FixtureDriver();
    TProjectDocument project;
    std::string reason;
    ASSERT_TRUE(FillNewProject({c.boxType, 1, false, {}, c.alignment}, wizardDriver, project, reason))
        << reason;

    EXPECT_EQ(project.box.BType, c.boxType);
    EXPECT_EQ(project.signal.P, 1);
    EXPECT_EQ(project.signal.Rg, 0.1);
    EXPECT_EQ(project.box.d, 1);
    EXPECT_EQ(project.box.alfaVC, 0.0039);
    EXPECT_EQ(project.box.Qlf, 10);
    EXPECT_EQ(project.box.Qar, 100);
    EXPECT_EQ(project.box.Qiclfr, 100);
    EXPECT_EQ(project.box.Nd, 1);
    EXPECT_EQ(project.driver.Data.Brand, "Fixture");
    EXPECT_EQ(project.driver.Rs, 0.1);

    const TDriverObject& d = project.driver;
    const double qts = d.QtsTotal;
    const double vas = d.VasTotal;
    const double fs = d.FsTotal;
    const std::string row = c.alignment;
    if (c.boxType == 0) {
        const double qt = 1 / (1 / qts + 1 / 100.0);
        EXPECT_NEAR(project.box.Vr, vas / (std::pow(std::numbers::sqrt2 / 2 / qt, 2) - 1), 1e-12);
        EXPECT_NEAR(project.box.Fr, fs, 1e-12);
    } else if (row.starts_with("BB4")) {
        const double ql = 10;
        EXPECT_NEAR(project.box.Vr, vas / (std::pow(1 / qts + 1 / ql, 2) / 4 - 1 / (ql * qts)), 1e-12);
        EXPECT_NEAR(project.box.Fr, fs, 1e-12);
    } else if (c.boxType == 1) {
        // By the row's text, not its list position: C4 is listed third but calculated as number 4.
        TBoxData expected = project.box;
        ASSERT_TRUE(VentedAlignments_Calc(row.starts_with("C4") ? 4 : 0, d, expected));
        EXPECT_EQ(project.box.Vr, expected.Vr);
        EXPECT_EQ(project.box.Fr, expected.Fr);
        TBoxData third = project.box;
        ASSERT_TRUE(VentedAlignments_Calc(2, d, third));
        EXPECT_NE(project.box.Vr, third.Vr);
    } else {
        const double qt = 1 / (1 / qts + 1 / 100.0 + 1 / 100.0);
        const double e = 1 / (2 * 0.7 * qt);
        EXPECT_NEAR(project.box.Vf, vas * std::pow(2 * 0.7 * qt, 2), 1e-12);
        EXPECT_NEAR(project.box.Vr, vas / (e * e - 1), 1e-12);
        EXPECT_NEAR(project.box.Ff, fs * e, 1e-9);
    }
    EXPECT_GT(project.box.Vr, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, NewProjectFinish,
                         ::testing::Values(TFinishCase{0, "0.707 Max flat amplitude response"},
                                           TFinishCase{1, "QB3 Quasi-butterworth"},
                                           TFinishCase{1, "C4/SC4 (Sub-)Chebyshev"},
                                           TFinishCase{1, "BB4/SBB4 (Super-)boom-box"},
                                           TFinishCase{2, "0.00 dB passband ripple, 0 dB passband gain"}));

TEST(NewProjectRules, DriverCountScalesTheBoxAndIsobaricPairsKeepIt) {
    const TDriverObject wizardDriver = FixtureDriver();
    const char* row = "QB3 Quasi-butterworth";
    std::string reason;
    TProjectDocument one;
    TProjectDocument two;
    TProjectDocument pairs;
    ASSERT_TRUE(FillNewProject({1, 1, false, {}, row}, wizardDriver, one, reason));
    ASSERT_TRUE(FillNewProject({1, 2, false, {}, row}, wizardDriver, two, reason));
    ASSERT_TRUE(FillNewProject({1, 2, true, {}, row}, wizardDriver, pairs, reason));
    EXPECT_NEAR(two.box.Vr, 2 * one.box.Vr, 1e-12);
    EXPECT_NEAR(two.box.Fr, one.box.Fr, 1e-12);
    EXPECT_NEAR(pairs.box.Vr, one.box.Vr, 1e-12);
    EXPECT_TRUE(pairs.box.Isobarik);
    EXPECT_TRUE(pairs.driver.Isobaric);
    EXPECT_EQ(pairs.driver.NumDrivers, 2);
    // No more drivers than a project window offers.
    TProjectDocument many;
    ASSERT_TRUE(FillNewProject({1, 500, false, {}, row}, wizardDriver, many, reason));
    EXPECT_EQ(many.box.Nd, kWizardMaxDrivers);
}

TEST(NewProjectRules, ThePassiveRadiatorNeedsItsMainParameters) {
    const TPassiveRadiatorData good{0.05, 4, 20, 0.03, 0.01, 0};
    std::string reason;
    EXPECT_TRUE(RadiatorAccepted(good, reason));
    for (double TPassiveRadiatorData::*member : {&TPassiveRadiatorData::Vas, &TPassiveRadiatorData::Fs,
                                                 &TPassiveRadiatorData::Qms, &TPassiveRadiatorData::Sd}) {
        for (double bad : {0.0, -1.0}) {
            TPassiveRadiatorData radiator = good;
            radiator.*member = bad;
            reason.clear();
            EXPECT_FALSE(RadiatorAccepted(radiator, reason));
            EXPECT_FALSE(reason.empty());
        }
    }
    TPassiveRadiatorData noXmax = good;
    noXmax.Xmax = 0;
    EXPECT_TRUE(RadiatorAccepted(noXmax, reason));
}

// --- what the box model then shows ---------------------------------------------------------------

struct TReports {
    double qtc = 0;
    double fc = 0;
    void operator()(std::uint8_t code, double value) {
        if (code == rcQtc)
            qtc = value;
        else if (code == rcFc)
            fc = value;
    }
};

// Sets the project's transfer curve up and returns |H| in dB at the frequencies.
std::vector<double> ResponseDb(TProjectDocument& project, const std::vector<double>& frequencies,
                               TReports& reports) {
    TBoxMathFunc model = BoxMath_GetFunc(project.box.BType);
    TBoxModelState state;
    TEvaluationPoint point = EvaluationPointOf(project.signal);
    TComplex out{};
    const ProjectResultCallback report = ProjectResultCallback::Of(reports);
    model(ckTransfer, point, project.box, out, report, project.driver, state);
    std::vector<double> db;
    for (const double f : frequencies) {
        point.f = f;
        model(ckEvaluate, point, project.box, out, report, project.driver, state);
        db.push_back(20 * std::log10(std::hypot(out.re, out.im)));
    }
    return db;
}

TEST(NewProjectResponse, ClosedRowsGiveTheirTotalQ) {
    const TDriverObject wizardDriver = FixtureDriver();
    const TAlignmentChoice rows = AlignmentChoices(0, ProjectDriver(wizardDriver, 1, false));
    ASSERT_EQ(rows.items.size(), 9u);
    for (const std::string& row : rows.items) {
        const double promised = std::stod(row.substr(0, 5));
        TProjectDocument project;
        std::string reason;
        ASSERT_TRUE(FillNewProject({0, 1, false, {}, row}, wizardDriver, project, reason)) << row;
        project.box.T = 293.15;
        project.box.p = 101325;
        project.box.phi = 0.3;
        // Without the leak the box is the alignment's own (the absorption loss, which the alignment
        // folds into the driver's Q, moves it by a little). The leak of a new box (Ql 10) changes
        // the damping 1/Qtc by no more than its own 1/Ql.
        project.box.Qlr = 1e12;
        TReports lossless;
        ResponseDb(project, {}, lossless);
        EXPECT_NEAR(lossless.qtc, promised, 0.02 * promised) << row;
        project.box.Qlr = 10;
        TReports leaky;
        ResponseDb(project, {}, leaky);
        EXPECT_NE(leaky.qtc, lossless.qtc) << row;
        EXPECT_LE(std::fabs(1 / leaky.qtc - 1 / lossless.qtc), 1 / project.box.Qlr) << row;
    }
}

TEST(NewProjectResponse, BandpassRowsGiveTheirPassbandRipple) {
    const TDriverObject wizardDriver = FixtureDriver();
    const TAlignmentChoice rows = AlignmentChoices(2, ProjectDriver(wizardDriver, 1, false));
    ASSERT_FALSE(rows.items.empty());
    std::vector<double> frequencies;
    for (double f = 5; f < 2000; f *= 1.005)
        frequencies.push_back(f);
    for (const std::string& row : rows.items) {
        const double promised = std::stod(row.substr(0, 4));
        TProjectDocument project;
        std::string reason;
        ASSERT_TRUE(FillNewProject({2, 1, false, {}, row}, wizardDriver, project, reason)) << row;
        project.box.T = 293.15;
        project.box.p = 101325;
        project.box.phi = 0.3;
        // The alignment knows absorption, not leakage: leave the leak out to compare.
        project.box.Qlf = 1e12;
        project.box.Qlr = 1e12;
        project.box.Qpf = 1e12;
        project.box.Qiclfr = 1e12;
        TReports reports;
        const std::vector<double> db = ResponseDb(project, frequencies, reports);
        // Ripple: the highest peak above the lowest point between the outermost peaks.
        std::vector<std::size_t> peaks;
        for (std::size_t i = 1; i + 1 < db.size(); ++i)
            if (db[i] > db[i - 1] && db[i] >= db[i + 1])
                peaks.push_back(i);
        ASSERT_FALSE(peaks.empty()) << row;
        double ripple = 0;
        if (peaks.size() >= 2) {
            double highest = -1e9;
            double lowest = 1e9;
            for (std::size_t i = peaks.front(); i <= peaks.back(); ++i) {
                highest = std::max(highest, db[i]);
                lowest = std::min(lowest, db[i]);
            }
            ripple = highest - lowest;
        }
        EXPECT_NEAR(ripple, promised, 0.1) << row;
    }
}

// The frequency where a response in dB first rises to 3 dB below its passband level (taken at the
// last frequency), by linear interpolation; 0 when it never does.
double LowerCornerHz(const std::vector<double>& frequencies, const std::vector<double>& db) {
    const double target = db.back() - 3;
    for (std::size_t i = 1; i < db.size(); ++i)
        if (db[i - 1] < target && db[i] >= target)
            return frequencies[i - 1] +
                   (frequencies[i] - frequencies[i - 1]) * (target - db[i - 1]) / (db[i] - db[i - 1]);
    return 0;
}

// Lossless vented box of the classic theory: G(s) = s^4/(s^4 + a1 s^3 + a2 s^2 + a3 s + 1) in
// s normalised to sqrt(ws wb), with h = fb/fs, alpha = Vas/Vb and the driver's total Q.
double ClassicVentedCornerOverFs(double h, double alpha, double qt) {
    const double a1 = 1 / (qt * std::sqrt(h));
    const double a2 = (alpha + 1 + h * h) / h;
    const double a3 = std::sqrt(h) / qt;
    const auto magnitude = [&](double x) { // x = f/sqrt(fs fb)
        const double x2 = x * x;
        const double re = x2 * x2 - a2 * x2 + 1;
        const double im = a3 * x - a1 * x * x2;
        return x2 * x2 / std::hypot(re, im);
    };
    double low = 1e-3;
    double high = 100;
    for (int i = 0; i < 200; ++i) {
        const double mid = std::sqrt(low * high);
        (magnitude(mid) < std::sqrt(0.5) ? low : high) = mid;
    }
    return low * std::sqrt(h);
}

TEST(NewProjectResponse, VentedRowsGiveTheCornerOfTheirAlignment) {
    const TDriverObject wizardDriver = FixtureDriver();
    const TAlignmentChoice rows = AlignmentChoices(1, ProjectDriver(wizardDriver, 1, false));
    ASSERT_EQ(rows.items.size(), 5u);
    std::vector<double> frequencies;
    for (double f = 3; f < 3000; f *= 1.002)
        frequencies.push_back(f);
    for (const std::string& row : rows.items) {
        TProjectDocument project;
        std::string reason;
        ASSERT_TRUE(FillNewProject({1, 1, false, {}, row}, wizardDriver, project, reason)) << row;
        project.box.T = 293.15;
        project.box.p = 101325;
        project.box.phi = 0.3;
        // As the project window starts it: the vent is cut for the tuning.
        project.Start(1, "tester");
        project.VentUpdate();
        project.box.Qlr = project.box.Qar = project.box.Qpr = 1e12;
        TReports reports;
        const std::vector<double> db = ResponseDb(project, frequencies, reports);
        const TDriverObject& d = project.driver;
        const double h = project.box.Fr / d.FsTotal;
        const double alpha = d.VasTotal / project.box.Vr;
        const double expected = ClassicVentedCornerOverFs(h, alpha, d.QtsTotal);
        ASSERT_GT(expected, 0.2) << row;
        EXPECT_NEAR(LowerCornerHz(frequencies, db) / d.FsTotal, expected, 0.005 * expected) << row;
    }
}

} // namespace
