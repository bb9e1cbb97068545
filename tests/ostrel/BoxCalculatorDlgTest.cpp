#include "FakeHost.h"

#include "ostrel/AgreementDlg.h"
#include "ostrel/BoxCalculatorDlg.h"
#include "ostrel/OstrelDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

::testing::Environment* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

using Box = CBoxCalculatorDlg;

double Number(const Box& box, int id) {
    return Edit(box, id)->text().toDouble();
}

// Runs the main dialog to its start design and opens the box calculator with `inside` run while
// it is shown.
class OstrelBoxCalculatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.onRunModal = [this](QDialog& dialog) {
            if (auto* agreement = qobject_cast<CAgreementDlg*>(&dialog)) {
                agreement->OnOK();
                return int(QDialog::Accepted);
            }
            if (auto* box = qobject_cast<Box*>(&dialog); box && inside)
                inside(*box);
            return int(QDialog::Rejected);
        };
        main = std::make_unique<COstrelDlg>(host);
        ASSERT_TRUE(main->OnInitDialog());
        main->OnCalculate();
        host.messages.clear();
    }

    void Open(std::function<void(Box&)> whileShown) {
        inside = std::move(whileShown);
        main->OnBoxCalculator();
    }

    FakeHost host;
    std::unique_ptr<COstrelDlg> main;
    std::function<void(Box&)> inside;
};

TEST_F(OstrelBoxCalculatorTest, OpeningProposesTheStartDesignsDimensions) {
    bool shown = false;
    Open([&](Box& box) {
        shown = true;
        EXPECT_EQ(Edit(box, Box::IDC_BC_VB)->text(), QStringLiteral("96.2336"));
        EXPECT_NEAR(Number(box, Box::IDC_BC_PORT_VOLUME), 2.7637, 1e-4);
        EXPECT_NEAR(Number(box, Box::IDC_BC_TOTAL_VOLUME), 98.997, 1e-3);
        EXPECT_NEAR(Number(box, Box::IDC_BC_LENGTH), 46.260, 1e-3);
        EXPECT_NEAR(Number(box, Box::IDC_BC_WIDTH), 74.942, 1e-3);
        EXPECT_NEAR(Number(box, Box::IDC_BC_DEPTH), 28.556, 1e-3);
        // Each caption reaches the text beside its own edit.
        const std::pair<int, const char*> captions[] = {
            {1028, "Vb (liter):"},          {1029, "Addl. V (liter):"},
            {1030, "Port Volume (liter):"}, {1031, "Total Volume (liter):"},
            {1032, "Length (cm):"},         {1033, "Width (cm):"},
            {1034, "Depth (cm):"}};
        for (const auto& [id, text] : captions) {
            auto* label = box.findChild<QLabel*>(QStringLiteral("IDC_%1").arg(id));
            ASSERT_NE(label, nullptr) << id;
            EXPECT_EQ(label->text(), QString::fromLatin1(text));
        }
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(host.modal.back(), QStringLiteral("IDD_BOX_CALCULATOR"));
}

TEST_F(OstrelBoxCalculatorTest, NoCaptionIsClippedInEitherUnitSystem) {
    for (bool english : {false, true}) {
        if (english)
            main->OnUnitsEnglish();
        Open([&](Box& box) {
            box.show();
            EXPECT_EQ(ExpectCaptionsFit(&box), 12) << english;
            box.hide();
        });
    }
}

TEST_F(OstrelBoxCalculatorTest, ReceivesTheLastExchangedDesignNotTheEditsTypedSince) {
    qobject_cast<QLineEdit*>(main->Control(COstrelDlg::IDC_DP))->setText(QStringLiteral("20"));
    qobject_cast<QLineEdit*>(main->Control(COstrelDlg::IDC_PORTS))->setText(QStringLiteral("4"));
    // A result is never read back from its text, not even by an exchange that succeeds.
    const float vb = main->m_Vb;
    qobject_cast<QLineEdit*>(main->Control(COstrelDlg::IDC_VB))->setText(QStringLiteral("999"));
    main->OnUnitsMetric();
    EXPECT_EQ(main->m_Vb, vb);
    main->m_Dp = 10.0;
    main->m_Ports = 1.0;
    qobject_cast<QLineEdit*>(main->Control(COstrelDlg::IDC_DP))->setText(QStringLiteral("20"));
    qobject_cast<QLineEdit*>(main->Control(COstrelDlg::IDC_PORTS))->setText(QStringLiteral("4"));
    Open([&](Box& box) {
        EXPECT_EQ(box.m_BoxDp, 10.0);
        EXPECT_EQ(box.m_BoxPorts, 1.0);
        EXPECT_EQ(box.m_BoxLp, static_cast<double>(main->m_Lp));
        EXPECT_EQ(box.m_BoxVb, main->m_Vb);
        EXPECT_EQ(box.m_BoxEnglish, 0);
    });
}

TEST_F(OstrelBoxCalculatorTest, EnglishUnitsWorkInCubicInchesAndInches) {
    main->OnUnitsEnglish();
    Open([&](Box& box) {
        EXPECT_EQ(box.m_BoxEnglish, 1);
        EXPECT_EQ(box.m_VbLabel, QStringLiteral("Vb (in3):"));
        EXPECT_EQ(box.m_DepthLabel, QStringLiteral("Depth (in):"));
        // The same box as in litres and centimetres.
        EXPECT_NEAR(Number(box, Box::IDC_BC_TOTAL_VOLUME) * 2.54 * 2.54 * 2.54 / 1000.0, 98.997, 2e-3);
        EXPECT_NEAR(Number(box, Box::IDC_BC_LENGTH) * 2.54, 46.260, 2e-3);
    });
}

TEST_F(OstrelBoxCalculatorTest, ConstraintsAdditionalVolumeAndDimensionsAreKeptBetweenOpenings) {
    Open([&](Box& box) {
        Edit(box, Box::IDC_BC_ADDL_V)->setText(QStringLiteral("10"));
        Edit(box, Box::IDC_BC_WIDTH)->setText(QStringLiteral("50"));
        Check(box, Box::IDC_BC_CONSTRAIN_WIDTH)->setChecked(true);
        box.OnCalculate();
        // With the width fixed the length is 1.62 times the width.
        EXPECT_NEAR(box.m_Length, 81.0f, 1e-4);
        EXPECT_NEAR(box.m_TotalVolume, 108.997, 1e-3);
        EXPECT_NEAR(double(box.m_Length) * box.m_Width * box.m_Depth, 108.997e3, 5.0);
    });
    Open([&](Box& box) {
        EXPECT_EQ(box.m_AddlV, 10.0f);
        EXPECT_EQ(box.m_ConstrainWidth, 1);
        EXPECT_TRUE(Check(box, Box::IDC_BC_CONSTRAIN_WIDTH)->isChecked());
        // Every opening proposes afresh, whatever the constraints say.
        EXPECT_NEAR(box.m_TotalVolume, 108.997, 1e-3);
        EXPECT_NEAR(box.m_Width, 1.62 * box.m_Length, 1e-3);
    });
}

TEST_F(OstrelBoxCalculatorTest, CalculateUsesATypedPortVolumeButTheNextOpeningReplacesIt) {
    Open([&](Box& box) {
        Edit(box, Box::IDC_BC_PORT_VOLUME)->setText(QStringLiteral("5"));
        box.OnCalculate();
        EXPECT_NEAR(box.m_TotalVolume, 101.2336, 1e-3);
    });
    Open([&](Box& box) { EXPECT_NEAR(box.m_PortVolume, 2.7637, 1e-4); });
}

TEST_F(OstrelBoxCalculatorTest, AllConstrainedOnlyTheTotalChanges) {
    Open([&](Box& box) {
        for (int id : {int(Box::IDC_BC_CONSTRAIN_LENGTH), int(Box::IDC_BC_CONSTRAIN_WIDTH),
                       int(Box::IDC_BC_CONSTRAIN_DEPTH)})
            Check(box, id)->setChecked(true);
        Edit(box, Box::IDC_BC_ADDL_V)->setText(QStringLiteral("1"));
        const QString length = Edit(box, Box::IDC_BC_LENGTH)->text();
        box.OnCalculate();
        EXPECT_EQ(Edit(box, Box::IDC_BC_LENGTH)->text(), length);
        EXPECT_NEAR(box.m_TotalVolume, 99.997, 1e-3);
    });
}

TEST_F(OstrelBoxCalculatorTest, AZeroFixedSideOrABadTextStopsAndChangesNothing) {
    Open([&](Box& box) {
        Edit(box, Box::IDC_BC_LENGTH)->setText(QStringLiteral("0"));
        Check(box, Box::IDC_BC_CONSTRAIN_LENGTH)->setChecked(true);
        const QString width = Edit(box, Box::IDC_BC_WIDTH)->text();
        box.OnCalculate();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, QStringLiteral("Calculation Stopped: Length can't equal 0"));
        EXPECT_EQ(Edit(box, Box::IDC_BC_WIDTH)->text(), width);

        host.messages.clear();
        Edit(box, Box::IDC_BC_LENGTH)->setText(QStringLiteral("40"));
        Edit(box, Box::IDC_BC_ADDL_V)->setText(QStringLiteral("lots"));
        box.OnCalculate();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, QStringLiteral("Please enter a number."));
        EXPECT_EQ(Edit(box, Box::IDC_BC_WIDTH)->text(), width);
        EXPECT_EQ(box.m_Length, 0.0f); // nothing is read from a failed exchange
    });
}

// Box values are single precision: a number beyond its range is refused, not stored as infinity.
TEST_F(OstrelBoxCalculatorTest, ANumberBeyondSinglePrecisionIsRefused) {
    const std::pair<const char*, bool> cases[] = {
        {"3e38", true}, {"-3e38", true}, {"4e38", false}, {"-4e38", false}, {"1e300", false}};
    for (const auto& [text, accepted] : cases) {
        host.messages.clear();
        Open([&](Box& box) {
            const float kept = box.m_AddlV;
            Edit(box, Box::IDC_BC_ADDL_V)->setText(QString::fromLatin1(text));
            EXPECT_EQ(box.UpdateData(true), accepted) << text;
            if (accepted) {
                EXPECT_EQ(box.m_AddlV, std::stof(text)) << text;
                EXPECT_TRUE(host.messages.empty()) << text;
            } else {
                EXPECT_EQ(box.m_AddlV, kept) << text;
                ASSERT_EQ(host.messages.size(), 1u) << text;
                EXPECT_EQ(host.messages[0].text, QStringLiteral("Please enter a number.")) << text;
            }
        });
    }
}

} // namespace
