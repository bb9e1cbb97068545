#include "workspace/ProjectDocument.h"

#include "model/Units.h"
#include "shell/Settings.h"
#include "simulation/boxmath2.h"
#include "workspace/DemoDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

class ProjectDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/projectdocument-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        TUnitStore::Instance().SetPath(folder / "UNITINDEX.DAT");
        SetDecimalSeparator('.');
    }
    void TearDown() override {
        SetDecimalSeparator(0);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // A project of the type as the wizard hands it over, started as new.
    static void NewProject(TProjectDocument& doc, std::int32_t type) {
        doc.driver = DemoWoofer(293.15, 101325, 0.3, 0.0005);
        doc.driver.Data.Model = "W8";
        doc.box.BType = type;
        doc.box.Nd = 1;
        doc.box.Vr = 0.05;
        doc.box.Fr = 35;
        doc.box.Vf = 0.02;
        doc.box.Ff = 70;
        doc.Start(1, "Tester");
        doc.VentUpdate();
    }

    static std::string Bytes(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // The Helmholtz tuning a vent has, computed independently of the vent routine.
    static double Helmholtz(const TVentData& vent, double c) {
        const double r = std::sqrt(vent.carea / Pi);
        const double effective = vent.len + 2 * vent.endcorrection * r;
        return c / (2 * Pi) * std::sqrt(vent.Num * vent.carea / (vent.Vb * effective));
    }

    std::filesystem::path folder;
};

TEST_F(ProjectDocumentTest, NewProjectsTakeColourVentsAndDefaultsOfTheirType) {
    struct Case {
        std::int32_t type;
        std::int32_t colour;
        bool defaultBox;
    };
    const Case cases[] = {{0, 0x00FFFF, false},
                          {1, 0xC0C0C0, false},
                          {2, 0xFFFF00, false},
                          {3, 0xFF00FF, true},
                          {4, 0xFF00FF, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        TProjectDocument doc;
        NewProject(doc, c.type);
        EXPECT_EQ(doc.Color, c.colour);
        EXPECT_TRUE(doc.modified);
        EXPECT_EQ(doc.info.Creator, "Tester");
        for (const TVentData* vent : {&doc.box.RearVent, &doc.box.FrontVent}) {
            EXPECT_EQ(vent->Shape, 1);
            EXPECT_TRUE(vent->crosscalc);
            EXPECT_EQ(vent->endcorrection, 0.732);
            EXPECT_EQ(vent->dia1, 0.102);
            EXPECT_EQ(vent->Num, 1);
        }
        if (c.defaultBox) {
            TBoxData expected;
            expected.Nd = 1;
            BoxMath_DefaultBox(c.type, doc.driver.Data, expected);
            EXPECT_EQ(doc.box.Vr, expected.Vr);
            EXPECT_EQ(doc.box.Qlr, 10);
        }
        EXPECT_GT(doc.c, 340);
        EXPECT_LT(doc.c, 346);
    }
}

TEST_F(ProjectDocumentTest, VentUpdateSizesTheUsedVentsForTheirTuning) {
    TProjectDocument doc;
    NewProject(doc, pbBandpass6);
    for (const TVentData* vent : {&doc.box.RearVent, &doc.box.FrontVent}) {
        EXPECT_GT(vent->len, 0);
        EXPECT_NEAR(Helmholtz(*vent, doc.c), vent->Fb, 1e-9 * vent->Fb);
        EXPECT_NEAR(vent->firstResonance, doc.c / (2 * vent->len), 1e-9);
    }
    EXPECT_EQ(doc.box.Fr, doc.box.RearVent.Fb);
    EXPECT_EQ(doc.box.Ff, doc.box.FrontVent.Fb);
    EXPECT_NEAR(doc.box.Sdrport, Pi * 0.102 * 0.102 / 4, 1e-12);

    // A closed box has no vent to size.
    TProjectDocument closed;
    NewProject(closed, pbClosed);
    EXPECT_EQ(closed.box.RearVent.len, 0);
    EXPECT_EQ(closed.box.Sdrport, 0);
}

// Each change rule: what it stores, what it clears so that the vent calculation fills it
// again, and what it refuses.
TEST_F(ProjectDocumentTest, ChangeRules) {
    using F = TProjectField;
    using R = TChangeResult;
    struct Case {
        const char* what;
        std::int32_t type;
        F field;
        double value;
        R result;
        bool rearLenCleared;
        bool rearTuningCleared;
    };
    const Case cases[] = {
        {"rear volume", pbVented, F::ReVolume, 0.08, R::Recalc, true, false},
        {"rear volume 0 is stored, not computed", pbVented, F::ReVolume, 0, R::Stored, true, false},
        {"rear tuning", pbVented, F::ReTune, 40, R::Recalc, true, false},
        {"cleared rear tuning keeps the length", pbVented, F::ReTune, 0, R::Refused, false, false},
        {"rear length moves the tuning", pbVented, F::RVentLen, 0.2, R::Recalc, false, true},
        {"cleared rear length keeps the tuning", pbVented, F::RVentLen, 0, R::Refused, false, false},
        {"two rear vents", pbVented, F::RVents, 2, R::Recalc, true, false},
        {"zero vents", pbVented, F::RVents, 0, R::Refused, false, false},
        {"nine vents", pbVented, F::RVents, 9, R::Refused, false, false},
        {"rear diameter", pbVented, F::RDia, 0.05, R::Recalc, true, false},
        {"negative diameter", pbVented, F::RDia, -0.05, R::Refused, false, false},
        {"end correction", pbVented, F::REndCorrection, 0.85, R::Recalc, true, false},
        {"front tuning of a closed box", pbClosed, F::FeTune, 50, R::Ignored, false, false},
        {"front tuning of a radiator box", pbPassiveRadiator, F::FeTune, 50, R::Ignored, false, false},
        {"temperature moves the tuning", pbVented, F::Temperature, 300, R::Recalc, false, true},
        {"temperature 400 K", pbVented, F::Temperature, 400, R::Refused, false, false},
        {"temperature 150 K", pbVented, F::Temperature, 150, R::Refused, false, false},
        {"humidity 50 %", pbVented, F::Humidity, 0.5, R::Recalc, false, true},
        {"humidity 150 %", pbVented, F::Humidity, 1.5, R::Refused, false, false},
        {"pressure", pbVented, F::AirPressure, 90000, R::Recalc, false, true},
        {"pressure 0", pbVented, F::AirPressure, 0, R::Refused, false, false},
        {"power 0", pbVented, F::Power, 0, R::Refused, false, false},
        {"source resistance 0", pbVented, F::Rg, 0, R::Recalc, false, false},
        {"negative distance", pbVented, F::Distance, -1, R::Refused, false, false},
        {"radiator Vas 0", pbPassiveRadiator, F::PRVas, 0, R::Refused, false, false},
        {"radiator Fs", pbPassiveRadiator, F::PRFs, 25, R::Recalc, false, false},
        {"no radiators", pbPassiveRadiator, F::NumOfPR, 0, R::Refused, false, false},
        {"half a driver", pbVented, F::Drivers, 1.5, R::Refused, false, false},
        {"three drivers", pbVented, F::Drivers, 3, R::Recalc, false, false},
        {"line width 3", pbVented, F::LineWidth, 3, R::Replot, false, false},
        {"line width 5", pbVented, F::LineWidth, 5, R::Refused, false, false},
        {"not a number", pbVented, F::ReVolume, std::nan(""), R::Refused, false, false},
        {"1e308", pbVented, F::ReTune, 1e308, R::Refused, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProjectDocument doc;
        NewProject(doc, c.type);
        doc.box.PassiveRadiator.Vas = 0.05;
        doc.modified = false;
        const TBoxData before = doc.box;
        const double beforeValue = doc.FieldValue(c.field);
        const TChangeResult result = doc.ApplyChange(c.field, c.value);
        EXPECT_EQ(result, c.result);
        const bool stored = c.result != R::Refused && c.result != R::Ignored;
        EXPECT_EQ(doc.modified, stored);
        if (stored)
            EXPECT_EQ(doc.FieldValue(c.field), c.value);
        else
            EXPECT_EQ(doc.FieldValue(c.field), beforeValue);
        EXPECT_EQ(doc.box.RearVent.len == 0, c.rearLenCleared || before.RearVent.len == 0);
        EXPECT_EQ(doc.box.RearVent.Fb == 0, c.rearTuningCleared || before.RearVent.Fb == 0);
        if (!stored) {
            EXPECT_EQ(doc.box.RearVent.len, before.RearVent.len);
            EXPECT_EQ(doc.box.RearVent.Fb, before.RearVent.Fb);
            EXPECT_EQ(doc.box.T, before.T);
        }
    }
}

TEST_F(ProjectDocumentTest, VolumeCountAndSizeKeepTheTuningLengthAndAirMoveIt) {
    struct Case {
        const char* what;
        TProjectField field;
        double value;
        bool tuningKept;
    };
    const Case cases[] = {
        {"a second vent", TProjectField::RVents, 2, true},
        {"a larger box", TProjectField::ReVolume, 0.1, true},
        {"a narrower vent", TProjectField::RDia, 0.05, true},
        {"a longer vent", TProjectField::RVentLen, 0.5, false},
        {"warmer air", TProjectField::Temperature, 320, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProjectDocument doc;
        NewProject(doc, pbVented);
        const TVentData before = doc.box.RearVent;
        doc.ApplyChange(c.field, c.value);
        doc.VentUpdate();
        const TVentData& after = doc.box.RearVent;
        if (c.tuningKept) {
            EXPECT_EQ(after.Fb, before.Fb);
            EXPECT_NE(after.len, before.len);
        } else {
            EXPECT_NE(after.Fb, before.Fb);
        }
        EXPECT_NEAR(Helmholtz(after, doc.c), after.Fb, 1e-9 * after.Fb);
    }
    // Two vents of the same size must each be longer to keep the tuning.
    TProjectDocument doc;
    NewProject(doc, pbVented);
    const double single = doc.box.RearVent.len;
    doc.ApplyChange(TProjectField::RVents, 2);
    doc.VentUpdate();
    EXPECT_GT(doc.box.RearVent.len, single);
}

TEST_F(ProjectDocumentTest, ShapeToggleKeepsTheRearTuningAndTheFrontLength) {
    TProjectDocument doc;
    NewProject(doc, pbBandpass6);
    const TBoxData before = doc.box;
    doc.modified = false;
    doc.ToggleVentShape(true);
    doc.ToggleVentShape(false);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.box.RearVent.Shape, 2);
    EXPECT_EQ(doc.box.RearVent.dia2, doc.box.RearVent.dia1);
    doc.VentUpdate();
    // A square vent of the round one's width is larger: the rear grows longer for the same
    // tuning, the front keeps its length and tunes higher.
    EXPECT_EQ(doc.box.RearVent.Fb, before.RearVent.Fb);
    EXPECT_GT(doc.box.RearVent.len, before.RearVent.len);
    EXPECT_EQ(doc.box.FrontVent.len, before.FrontVent.len);
    EXPECT_GT(doc.box.FrontVent.Fb, before.FrontVent.Fb);
    doc.ToggleVentShape(true);
    EXPECT_EQ(doc.box.RearVent.Shape, 1);
}

TEST_F(ProjectDocumentTest, DragLocksNeverLockBothOfAChamber) {
    using L = TDragLocks::Label;
    struct Case {
        const char* what;
        std::vector<L> clicks;
        std::int32_t type;
        bool rearVolume, rearTuning, frontVolume, frontTuning;
    };
    const Case cases[] = {
        {"lock the volume", {L::RearVolume}, pbVented, false, true, true, true},
        {"then the tuning unlocks the volume",
         {L::RearVolume, L::RearTuning},
         pbVented,
         true,
         true,
         true,
         true},
        {"lock and unlock", {L::RearTuning, L::RearTuning}, pbVented, true, true, true, true},
        {"front labels of a closed box", {L::FrontVolume}, pbClosed, true, true, true, true},
        {"rear labels of a 4th order bandpass", {L::RearTuning}, pbBandpass4, true, true, true, true},
        {"front tuning of a 6th order", {L::FrontTuning}, pbBandpass6, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDragLocks locks;
        for (L label : c.clicks)
            locks.Click(label, c.type);
        EXPECT_EQ(locks.rearVolume, c.rearVolume);
        EXPECT_EQ(locks.rearTuning, c.rearTuning);
        EXPECT_EQ(locks.frontVolume, c.frontVolume);
        EXPECT_EQ(locks.frontTuning, c.frontTuning);
        EXPECT_TRUE(locks.rearVolume || locks.rearTuning);
        EXPECT_TRUE(locks.frontVolume || locks.frontTuning);
    }
}

TEST_F(ProjectDocumentTest, DragsStepByPixelsMovedUnderTheLocks) {
    const int step = static_cast<int>(kDragPixelsPerStep);
    TProjectDocument doc;
    NewProject(doc, pbVented);
    const double vr = doc.box.Vr;
    const double fb = doc.box.RearVent.Fb;
    // Left by one step enlarges the box by 10 % and keeps the tuning.
    EXPECT_TRUE(doc.DragStep(TDragButton::Left, -step, 0, TDragLocks{}));
    EXPECT_NEAR(doc.box.Vr, vr * 1.1, 1e-15);
    doc.VentUpdate();
    EXPECT_EQ(doc.box.RearVent.Fb, fb);
    // Up by one step raises the tuning by 5 %.
    EXPECT_TRUE(doc.DragStep(TDragButton::Left, 0, -step, TDragLocks{}));
    EXPECT_NEAR(doc.box.RearVent.Fb, fb * 1.05, 1e-12);

    // The same way in one event or in many gives the same box.
    TProjectDocument once;
    TProjectDocument many;
    NewProject(once, pbVented);
    NewProject(many, pbVented);
    once.DragStep(TDragButton::Left, 6 * step, 0, TDragLocks{});
    for (int i = 0; i < 6 * step; ++i)
        many.DragStep(TDragButton::Left, 1, 0, TDragLocks{});
    EXPECT_NEAR(once.box.Vr, many.box.Vr, 1e-12 * once.box.Vr);
    EXPECT_NEAR(once.box.Vr, vr * std::pow(0.9, 6), 1e-12);

    // A locked volume stays; the right button moves nothing of a vented box.
    TDragLocks locked;
    locked.rearVolume = false;
    TProjectDocument still;
    NewProject(still, pbVented);
    EXPECT_FALSE(still.DragStep(TDragButton::Left, -step, 0, locked));
    EXPECT_EQ(still.box.Vr, 0.05);
    EXPECT_FALSE(still.DragStep(TDragButton::Right, -step, -step, TDragLocks{}));

    // The right button sizes the front chamber of a bandpass box.
    TProjectDocument bandpass;
    NewProject(bandpass, pbBandpass4);
    EXPECT_TRUE(bandpass.DragStep(TDragButton::Right, -step, 0, TDragLocks{}));
    EXPECT_NEAR(bandpass.box.Vf, 0.02 * 1.1, 1e-15);
}

TEST_F(ProjectDocumentTest, NewProjectFilesHoldTheSectionsOfTheirType) {
    for (std::int32_t type = 0; type < kProjectBoxTypeCount; ++type) {
        SCOPED_TRACE(type);
        TProjectDocument doc;
        NewProject(doc, type);
        const auto path = folder / ("new" + std::to_string(type) + ".bvp");
        ASSERT_TRUE(doc.Save(path, "Tester"));
        EXPECT_FALSE(doc.modified);
        const std::string text = Bytes(path);
        std::vector<std::string> sections;
        for (std::size_t at = text.find('['); at != std::string::npos; at = text.find("\n[", at + 1)) {
            const std::size_t open = text[at] == '[' ? at : at + 1;
            sections.push_back(text.substr(open + 1, text.find(']', open) - open - 1));
        }
        std::vector<std::string> expected = {"ProjectInfo", "Driver",       "Box",          "VentFront",
                                             "VentRear",    "PlotSettings", "SignalSource", "Filters"};
        if (type == pbPassiveRadiator)
            expected.push_back("PassiveRadiator");
        EXPECT_EQ(sections, expected);
        EXPECT_NE(text.find("Color=" + std::to_string(NewProjectColor(type))), std::string::npos);
        EXPECT_NE(text.find("Creator=Tester"), std::string::npos);
        EXPECT_NE(text.find("BType=" + std::to_string(type)), std::string::npos);
        EXPECT_NE(text.find("endcorrection=0.732"), std::string::npos);
        EXPECT_EQ(text.find("nan"), std::string::npos);
        EXPECT_EQ(text.find("inf"), std::string::npos);
    }
}

TEST_F(ProjectDocumentTest, OpeningAndSavingAnUnchangedProjectWritesTheSameBytes) {
    for (std::int32_t type = 0; type < kProjectBoxTypeCount; ++type) {
        SCOPED_TRACE(type);
        TProjectDocument made;
        NewProject(made, type);
        const auto first = folder / "first.bvp";
        const auto second = folder / "second.bvp";
        ASSERT_TRUE(made.Save(first, "Author"));

        TProjectDocument opened;
        ASSERT_TRUE(opened.Load(first));
        opened.Start(0, "Someone else");
        opened.VentUpdate();
        EXPECT_FALSE(opened.modified);
        ASSERT_TRUE(opened.Save(second, "Someone else"));
        EXPECT_EQ(Bytes(first), Bytes(second));
    }
}

TEST_F(ProjectDocumentTest, AFailedSaveKeepsTheProjectChangedAndTheOldFile) {
    TProjectDocument doc;
    NewProject(doc, pbVented);
    const auto path = folder / "kept.bvp";
    ASSERT_TRUE(doc.Save(path, "Tester"));
    const std::string old = Bytes(path);
    doc.ApplyChange(TProjectField::ReVolume, 0.07);
    EXPECT_FALSE(doc.Save(folder / "missing" / "x.bvp", "Tester"));
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.fileName, path);
    EXPECT_EQ(Bytes(path), old);
}

TEST_F(ProjectDocumentTest, ALoadThatFailsLeavesTheRecords) {
    TProjectDocument doc;
    NewProject(doc, pbVented);
    const TBoxData before = doc.box;
    {
        std::ofstream bad(folder / "bad.bvp");
        bad << "[Box]\nBType=9\n";
    }
    EXPECT_FALSE(doc.Load(folder / "bad.bvp"));
    EXPECT_FALSE(doc.Load(folder / "absent.bvp"));
    EXPECT_EQ(doc.box.Vr, before.Vr);
    EXPECT_EQ(doc.box.BType, before.BType);
}

TEST_F(ProjectDocumentTest, NonFiniteNumbersOfAFileReadAsZero) {
    {
        std::ofstream file(folder / "wild.bvp");
        file << "[Box]\nBType=1\nVr=nan\nFr=inf\nT=-inf\n[VentRear]\nNum=99\nShape=7\nlen=1e999\n";
    }
    TProjectDocument doc;
    ASSERT_TRUE(doc.Load(folder / "wild.bvp"));
    doc.Start(0, "Tester");
    doc.VentUpdate();
    EXPECT_EQ(doc.box.Vr, 0);
    EXPECT_GE(doc.box.RearVent.Num, 1);
    EXPECT_LE(doc.box.RearVent.Num, kMaxVentCount);
    EXPECT_EQ(doc.box.RearVent.Shape, 1);
    EXPECT_TRUE(std::isfinite(doc.box.RearVent.len));
    EXPECT_GT(doc.box.T, 0); // the air of the settings
    EXPECT_TRUE(std::isfinite(doc.c));
}

TEST_F(ProjectDocumentTest, ReportsOfTheModels) {
    TProjectDocument doc;
    NewProject(doc, pbClosed);
    doc.ProjectResult(0, 0.71);
    doc.ProjectResult(1, 52);
    doc.ProjectResult(2, 19);
    doc.ProjectResult(1, std::nan(""));
    doc.ProjectResult(7, 3);
    EXPECT_EQ(doc.Qtc, 0.71);
    EXPECT_EQ(doc.Fc, 52);
    EXPECT_EQ(doc.box.RearVent.Fb, 52);
    EXPECT_EQ(doc.box.Fsm, 19);
}

TEST_F(ProjectDocumentTest, EndCorrectionItemsAndGrid) {
    EXPECT_EQ(EndCorrectionItem(0.614), 0);
    EXPECT_EQ(EndCorrectionItem(0.732), 1);
    EXPECT_EQ(EndCorrectionItem(0.85), 2);
    EXPECT_EQ(EndCorrectionItem(0.7), -1);
    struct Case {
        int position, step, expected;
    };
    const Case cases[] = {{29, 20, 20}, {30, 20, 40}, {50, 20, 40}, {31, 20, 40}, {-10, 20, 0}, {7, 0, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(SnapToGrid(c.position, c.step), c.expected) << c.position << " " << c.step;
}

TEST_F(ProjectDocumentTest, GridRoundingKeepsAWindowThatFitsInItsWorkspace) {
    struct Case {
        int position, length, step, low, high, expected;
    };
    const Case cases[] = {
        {594, 806, 20, 0, 1400, 580}, // flush to the right edge: 600 would pass it
        {589, 806, 20, 0, 1400, 580}, // the nearest multiple fits
        {31, 806, 20, 0, 1400, 40},
        {15, 80, 20, 0, 99, 0},       // rounded down to the workspace's start
        {700, 806, 20, 0, 1400, 700}, // already past the edge: rounded as ever
        {594, 806, 0, 0, 1400, 594},  // no grid
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnapToGrid(c.position, c.length, c.step, c.low, c.high), c.expected)
            << c.position << " " << c.length << " in " << c.low << ".." << c.high;
}

} // namespace
