#include "FakeHost.h"
#include "tests/CaseNames.h"

#include "ostrel/AboutDlg.h"
#include "ostrel/AgreementDlg.h"
#include "ostrel/BoxCalculatorDlg.h"
#include "ostrel/MakerSite.h"
#include "ostrel/OstrelDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {

::testing::Environment* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

using Dlg = COstrelDlg;

QString Label(const Dlg& dialog, int id) {
    return qobject_cast<QLabel*>(dialog.Control(id))->text();
}

int AcceptAgreement(QDialog& dialog) {
    if (auto* agreement = qobject_cast<CAgreementDlg*>(&dialog)) {
        agreement->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
        return QDialog::Accepted;
    }
    return QDialog::Rejected;
}

// The web site a release would set.
constexpr char TestSite[] = "https://ostrel.example";

class OstrelDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMakerSite(TestSite);
        host.onRunModal = AcceptAgreement;
        dialog = std::make_unique<Dlg>(host);
        ASSERT_TRUE(dialog->OnInitDialog());
        host.messages.clear();
        host.modal.clear();
    }

    void Type(int id, const char* text) { Edit(*dialog, id)->setText(QString::fromLatin1(text)); }
    QString Shown(int id) const { return Edit(*dialog, id)->text(); }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const auto& m : host.messages)
            texts << m.text;
        return texts;
    }

    void TearDown() override { SetMakerSite(""); }

    FakeHost host;
    std::unique_ptr<Dlg> dialog;
};

TEST(OstrelStartUp, TheAgreementComesFirstAndDecliningEndsBeforeAnyValueIsShown) {
    FakeHost host;
    host.onRunModal = [](QDialog& dialog) {
        auto& agreement = dynamic_cast<CAgreementDlg&>(dialog);
        EXPECT_EQ(agreement.AgreementEdit()->toPlainText(), CAgreementDlg::AgreementText());
        EXPECT_TRUE(agreement.AgreementEdit()->isReadOnly());
        EXPECT_TRUE(agreement.NoticeEdit()->isReadOnly());
        // One paragraph that names the program twice in capitals.
        EXPECT_FALSE(CAgreementDlg::AgreementText().contains(QLatin1Char('\n')));
        EXPECT_EQ(CAgreementDlg::AgreementText().count(QStringLiteral("OSTREL")), 2);
        agreement.findChild<QPushButton*>(QStringLiteral("IDCANCEL"))->click();
        return QDialog::Rejected;
    };
    Dlg dialog(host);
    EXPECT_FALSE(dialog.OnInitDialog());
    ASSERT_EQ(host.modal.size(), 1u);
    EXPECT_EQ(host.modal[0], QStringLiteral("IDD_AGREEMENT"));
    EXPECT_EQ(dialog.m_Agreement.m_Accepted, 0);
    EXPECT_EQ(Edit(dialog, Dlg::IDC_QTS)->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog.m_Qts, 0.0);
}

TEST_F(OstrelDlgTest, AcceptingFillsInTheStartDesign) {
    EXPECT_EQ(dialog->m_Agreement.m_Accepted, 1);
    EXPECT_EQ(Shown(Dlg::IDC_QTS), QStringLiteral("0.342"));
    EXPECT_EQ(Shown(Dlg::IDC_QES), QStringLiteral("0.353"));
    EXPECT_EQ(Shown(Dlg::IDC_VAS), QStringLiteral("186.16"));
    EXPECT_EQ(Shown(Dlg::IDC_FS), QStringLiteral("24"));
    EXPECT_EQ(Shown(Dlg::IDC_PMAX), QStringLiteral("500"));
    EXPECT_EQ(Shown(Dlg::IDC_DIAMETER), QStringLiteral("30.38"));
    EXPECT_EQ(Shown(Dlg::IDC_XMAX), QStringLiteral("6"));
    EXPECT_EQ(Shown(Dlg::IDC_DP), QStringLiteral("10"));
    EXPECT_EQ(Shown(Dlg::IDC_PORTS), QStringLiteral("1"));
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("0"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VASUNIT), QStringLiteral(" liters"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_XMAXUNIT), QStringLiteral(" mm"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_LPUNIT), QStringLiteral(" cm"));
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_SBB4)->isChecked());
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_QB3)->isChecked());
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_OUTPUT)->isChecked());
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_POWER)->isChecked());
    EXPECT_EQ(dialog->m_Metric, 1);
    EXPECT_EQ(dialog->m_Calculated, 0);
    EXPECT_TRUE(dialog->windowTitle().startsWith(QStringLiteral("Ostrel 2.0 ")));
    EXPECT_TRUE(dialog->windowTitle().endsWith(QString::fromLatin1(TestSite)));
}

TEST_F(OstrelDlgTest, CalculateShowsTheStartDesign) {
    dialog->OnCalculate();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(dialog->m_Calculated, 1);
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("96.2336"));
    EXPECT_EQ(Shown(Dlg::IDC_FB), QStringLiteral("24"));
    EXPECT_EQ(Shown(Dlg::IDC_F3), QStringLiteral("34.249"));
    EXPECT_EQ(Shown(Dlg::IDC_LP), QStringLiteral("35.1882"));
}

TEST_F(OstrelDlgTest, EnterInAnEditCalculatesAndEscapeDoesNothing) {
    dialog->show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Edit(*dialog, Dlg::IDC_QTS), &enter);
    EXPECT_EQ(dialog->m_Calculated, 1);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_TRUE(dialog->isVisible());
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// The exchange reads the number of vents, Pmax, Qes, Qts, Vas, Xmax, Diameter, Dp and Fs in that
// order and stops at the first rejected text, whose edit gets the focus.
struct BadFieldCase {
    std::vector<int> badEdits;
    int focused;
};

class OstrelExchangeOrderTest : public OstrelDlgTest, public ::testing::WithParamInterface<BadFieldCase> {};

TEST_P(OstrelExchangeOrderTest, StopsAtTheFirstRejectedFieldAndChangesNothing) {
    Type(Dlg::IDC_PORTS, "2");
    Type(Dlg::IDC_QTS, "0.4");
    for (int id : GetParam().badEdits)
        Type(id, "12x");
    dialog->OnCalculate();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("Please enter a number."));
    EXPECT_EQ(dialog->focusWidget(), dialog->Control(GetParam().focused));
    // Nothing calculated, no field half read, nothing the user typed overwritten.
    EXPECT_EQ(dialog->m_Calculated, 0);
    EXPECT_EQ(dialog->m_Ports, 1.0);
    EXPECT_EQ(dialog->m_Qts, 0.342);
    for (int id : GetParam().badEdits) {
        EXPECT_EQ(Shown(id), QStringLiteral("12x"));
    }
    const auto& bad = GetParam().badEdits;
    if (std::find(bad.begin(), bad.end(), int(Dlg::IDC_PORTS)) == bad.end()) {
        EXPECT_EQ(Shown(Dlg::IDC_PORTS), QStringLiteral("2"));
    }
    if (std::find(bad.begin(), bad.end(), int(Dlg::IDC_QTS)) == bad.end()) {
        EXPECT_EQ(Shown(Dlg::IDC_QTS), QStringLiteral("0.4"));
    }
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Order, OstrelExchangeOrderTest,
                         ::testing::Values(BadFieldCase{{Dlg::IDC_FS}, Dlg::IDC_FS},
                                           BadFieldCase{{Dlg::IDC_FS, Dlg::IDC_PORTS}, Dlg::IDC_PORTS},
                                           BadFieldCase{{Dlg::IDC_QTS, Dlg::IDC_PMAX}, Dlg::IDC_PMAX},
                                           BadFieldCase{{Dlg::IDC_DP, Dlg::IDC_XMAX}, Dlg::IDC_XMAX},
                                           BadFieldCase{{Dlg::IDC_FS, Dlg::IDC_DIAMETER}, Dlg::IDC_DIAMETER}),
                         [](const ::testing::TestParamInfo<BadFieldCase>& info) {
                             return CaseName(info.index, "Focused" + std::to_string(info.param.focused));
                         });

TEST_F(OstrelDlgTest, ARejectedTextStopsEveryAction) {
    Type(Dlg::IDC_VAS, "");
    dialog->OnUnitsEnglish();
    EXPECT_EQ(dialog->m_English, 0);
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VASUNIT), QStringLiteral(" liters"));
    Check(*dialog, Dlg::IDC_QB3)->click();
    EXPECT_EQ(dialog->m_Calculated, 0);
    // The check mark goes back to the selected alignment.
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_QB3)->isChecked());
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_SBB4)->isChecked());
    dialog->OnFileExit();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(Shown(Dlg::IDC_VAS), QString());
}

TEST_F(OstrelDlgTest, AnInputNotAboveZeroStopsAndRestoresTheCheckedFields) {
    Type(Dlg::IDC_QES, "0");
    Type(Dlg::IDC_FS, "-3");
    Type(Dlg::IDC_DP, "12");
    Type(Dlg::IDC_PORTS, "3");
    dialog->OnCalculate();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("Calculation Stopped: Qes can't equal 0"));
    EXPECT_EQ(host.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(host.messages[0].style, MessageStyle::OkStop);
    EXPECT_EQ(Shown(Dlg::IDC_QES), QStringLiteral("0.353"));
    EXPECT_EQ(Shown(Dlg::IDC_FS), QStringLiteral("24"));
    // The vent inputs are not among the restored ones.
    EXPECT_EQ(dialog->m_Dp, 12.0);
    EXPECT_EQ(Shown(Dlg::IDC_PORTS), QStringLiteral("3"));
    EXPECT_EQ(dialog->m_Calculated, 0);

    host.messages.clear();
    Type(Dlg::IDC_PORTS, "-1");
    dialog->OnCalculate();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("Calculation Stopped: # Ports must be above 0"));
    EXPECT_EQ(dialog->m_Calculated, 0);
}

TEST_F(OstrelDlgTest, OutOfRangeWarningOkGoesOnWithThePredictionAndCancelStops) {
    Type(Dlg::IDC_QTS, "0.70");
    host.answers = {MessageAnswer::Cancel};
    dialog->OnCalculate();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, QStringLiteral("Online Help"));
    EXPECT_EQ(host.messages[0].style, MessageStyle::OkCancelInformation);
    EXPECT_TRUE(host.messages[0].text.startsWith(QStringLiteral("Warning Qts out of range.")));
    EXPECT_EQ(dialog->m_Calculated, 0);
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("0"));

    host.messages.clear();
    dialog->OnCalculate(); // OK this time
    EXPECT_EQ(dialog->m_Calculated, 1);
    const ostrel::AlignmentValues fit = ostrel::alignmentPolynomial(ostrel::Alignment::SBB4, 0.70);
    EXPECT_FLOAT_EQ(dialog->m_Vb, static_cast<float>(186.16 / fit.alpha));
    EXPECT_FLOAT_EQ(dialog->m_F3, static_cast<float>(24.0 * fit.f3Ratio));
}

TEST_F(OstrelDlgTest, NarrowAndOverWideVentsWarnButShowTheirResults) {
    Type(Dlg::IDC_DP, "3");
    dialog->OnCalculate();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.startsWith(QStringLiteral("Port diameter too small.")));
    EXPECT_EQ(dialog->m_Calculated, 1);
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("96.2336"));

    host.messages.clear();
    Type(Dlg::IDC_DP, "40");
    Type(Dlg::IDC_PORTS, "0.01");
    dialog->OnCalculate();
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text, QString::fromLatin1(ostrel::VentTooWideMessage.data()));
    EXPECT_LE(dialog->m_Lp, 0.0f);
}

TEST_F(OstrelDlgTest, UnitSwitchConvertsOnlyOnARealChange) {
    dialog->OnCalculate();
    const float vb = dialog->m_Vb;
    const float lp = dialog->m_Lp;
    dialog->OnUnitsEnglish();
    dialog->OnUnitsEnglish();
    EXPECT_DOUBLE_EQ(dialog->m_Vas, 186.16 * 0.0353146667);
    EXPECT_DOUBLE_EQ(dialog->m_Xmax, 6 * 0.0393700787);
    EXPECT_FLOAT_EQ(dialog->m_Vb, vb * 61.023744095f);
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VASUNIT), QStringLiteral(" ft3"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VBUNIT), QStringLiteral(" in3"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_XMAXUNIT), QStringLiteral(" in"));
    EXPECT_EQ(dialog->m_English, 1);
    EXPECT_EQ(dialog->m_Metric, 0);
    dialog->OnUnitsMetric();
    dialog->OnUnitsMetric();
    EXPECT_NEAR(dialog->m_Vas, 186.16, 1e-12);
    EXPECT_NEAR(dialog->m_Diameter, 30.38, 1e-12);
    EXPECT_NEAR(dialog->m_Xmax, 6.0, 1e-12);
    EXPECT_NEAR(dialog->m_Vb, vb, 1e-4);
    EXPECT_NEAR(dialog->m_Lp, lp, 1e-4);
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VASUNIT), QStringLiteral(" liters"));
    EXPECT_EQ(Label(*dialog, Dlg::IDC_XMAXUNIT), QStringLiteral(" mm"));
    EXPECT_EQ(dialog->m_Metric, 1);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OstrelDlgTest, ACalculationInEnglishUnitsShowsInchesAndKeepsTheInputs) {
    dialog->OnCalculate();
    const float vbLitres = dialog->m_Vb;
    const float lpCentimetres = dialog->m_Lp;
    dialog->OnUnitsEnglish();
    const QString vas = Shown(Dlg::IDC_VAS);
    dialog->OnCalculate();
    EXPECT_EQ(Shown(Dlg::IDC_VAS), vas);
    EXPECT_EQ(Label(*dialog, Dlg::IDC_VBUNIT), QStringLiteral(" in3"));
    EXPECT_NEAR(dialog->m_Vb, vbLitres * 1000.0 / (2.54 * 2.54 * 2.54), 0.01);
    EXPECT_NEAR(dialog->m_Lp, lpCentimetres / 2.54, 1e-4);
    EXPECT_EQ(Shown(Dlg::IDC_FB), QStringLiteral("24"));
}

TEST_F(OstrelDlgTest, AlignmentCheckBoxesCalculateAndKeepOneSelected) {
    Check(*dialog, Dlg::IDC_QB3)->click();
    EXPECT_EQ(dialog->m_Calculated, 1);
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_QB3)->isChecked());
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_SBB4)->isChecked());
    EXPECT_EQ(dialog->m_QB3, 1);
    EXPECT_EQ(dialog->m_SBB4, 0);
    const float qb3 = dialog->m_Vb;
    // Clicking the selected one leaves it selected.
    Check(*dialog, Dlg::IDC_QB3)->click();
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_QB3)->isChecked());
    EXPECT_EQ(dialog->m_Vb, qb3);
    Check(*dialog, Dlg::IDC_SC4)->click();
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_QB3)->isChecked());
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_SC4)->isChecked());
    EXPECT_NE(dialog->m_Vb, qb3);
}

TEST_F(OstrelDlgTest, ResponseCheckBoxesOnlyMoveTheMarkBeforeTheFirstCalculation) {
    Check(*dialog, Dlg::IDC_POWER)->click();
    EXPECT_EQ(dialog->m_Calculated, 0);
    EXPECT_EQ(dialog->m_PowerResponse, 1);
    EXPECT_EQ(dialog->m_OutputResponse, 0);
    EXPECT_FALSE(Check(*dialog, Dlg::IDC_OUTPUT)->isChecked());
    Check(*dialog, Dlg::IDC_POWER)->click();
    EXPECT_TRUE(Check(*dialog, Dlg::IDC_POWER)->isChecked());
    EXPECT_EQ(Shown(Dlg::IDC_VB), QStringLiteral("0"));

    dialog->OnCalculate();
    Type(Dlg::IDC_VAS, "100");
    Check(*dialog, Dlg::IDC_OUTPUT)->click();
    EXPECT_EQ(dialog->m_OutputResponse, 1);
    EXPECT_EQ(dialog->m_Vb, static_cast<float>(100.0 / 1.93446));
}

struct WebCase {
    void (Dlg::*command)();
    QString caption;
    QString page;
};

class OstrelWebCommandTest : public OstrelDlgTest, public ::testing::WithParamInterface<WebCase> {};

TEST_P(OstrelWebCommandTest, OpensThePageOnlyAfterOk) {
    const QString site = QString::fromLatin1(TestSite);
    host.answers = {MessageAnswer::Cancel};
    (dialog.get()->*GetParam().command)();
    EXPECT_TRUE(host.opened.empty());
    (dialog.get()->*GetParam().command)();
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0], site + GetParam().page);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].caption, GetParam().caption);
    EXPECT_EQ(host.messages[0].style, MessageStyle::OkCancelInformation);
    EXPECT_TRUE(host.messages[0].text.endsWith(QStringLiteral(":\n ") + site));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OstrelWebCommandTest,
    ::testing::Values(WebCase{&Dlg::OnOnlineHelp, QStringLiteral("Online Help"),
                              QStringLiteral("/speaker/index.php")},
                      WebCase{&Dlg::OnWebsite, QStringLiteral("Website: ") + QString::fromLatin1(TestSite),
                              QStringLiteral("/speaker/index.php")},
                      WebCase{&Dlg::OnAudioBooks, QStringLiteral("Website: ") + QString::fromLatin1(TestSite),
                              QStringLiteral("/speaker/books.php")}),
    [](const ::testing::TestParamInfo<WebCase>& info) {
        return CaseName(info.index, info.param.page.toStdString());
    });

TEST_F(OstrelDlgTest, AboutRunsItsOwnBox) {
    QString title;
    host.onRunModal = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        return QDialog::Accepted;
    };
    dialog->OnHelpAbout();
    ASSERT_EQ(host.modal.size(), 1u);
    EXPECT_EQ(host.modal[0], QStringLiteral("IDD_ABOUTBOX"));
    EXPECT_EQ(title, QStringLiteral("About Ostrel 2.0"));
}

// Each menu command under its resource name and number, wired to its own handler.
struct MenuCase {
    const char* name;
    int command;
    const char* text;
    QString modal; // the dialog it runs, if any
};

class OstrelMenuTest : public OstrelDlgTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(OstrelMenuTest, CommandCarriesItsNumberAndRunsItsHandler) {
    const MenuCase& c = GetParam();
    auto* action = dialog->MenuBar()->findChild<QAction*>(QString::fromLatin1(c.name));
    ASSERT_NE(action, nullptr) << c.name;
    EXPECT_EQ(action->data().toInt(), c.command);
    EXPECT_EQ(action->text(), QString::fromLatin1(c.text));
    dialog->OnCalculate();
    host.onRunModal = [](QDialog&) { return int(QDialog::Rejected); };
    host.answers = {MessageAnswer::Cancel};
    action->trigger();
    const QString command = QString::fromLatin1(c.name);
    if (!c.modal.isEmpty()) {
        ASSERT_EQ(host.modal.size(), 1u);
        EXPECT_EQ(host.modal[0], c.modal);
    } else {
        EXPECT_TRUE(host.modal.empty());
    }
    EXPECT_EQ(dialog->m_English, command == QStringLiteral("ID_UNITS_ENGLISH") ? 1 : 0);
    EXPECT_EQ(dialog->result() == QDialog::Accepted, command == QStringLiteral("ID_FILE_EXIT"));
    EXPECT_EQ(host.messages.size(), command == QStringLiteral("ID_HELP_ONLINE") ? 1u : 0u);
    if (command == QStringLiteral("ID_HELP_ONLINE")) {
        EXPECT_EQ(host.messages[0].caption, QStringLiteral("Online Help"));
    }
}

INSTANTIATE_TEST_SUITE_P(Menu, OstrelMenuTest,
                         ::testing::Values(MenuCase{"ID_FILE_EXIT", 32771, "&Exit", QString()},
                                           MenuCase{"ID_HELP_ABOUT", 32772, "&About",
                                                    QStringLiteral("IDD_ABOUTBOX")},
                                           MenuCase{"ID_BOX_CALCULATOR", 32773, "&Box Calculator",
                                                    QStringLiteral("IDD_BOX_CALCULATOR")},
                                           MenuCase{"ID_HELP_ONLINE", 32774, "Online Help", QString()},
                                           MenuCase{"ID_UNITS_METRIC", 32775, "&Metric", QString()},
                                           MenuCase{"ID_UNITS_ENGLISH", 32776, "&English", QString()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OstrelDlgTest, MenuBarHoldsTheFourMenusInOrder) {
    QStringList titles;
    for (QAction* menu : dialog->MenuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("&File"), QStringLiteral("&Units"),
                                   QStringLiteral("&Box Calculator"), QStringLiteral("&Help")}));
}

// Every caption of the dialogs shows whole in the font it is drawn in.
TEST_F(OstrelDlgTest, NoCaptionIsClipped) {
    dialog->show();
    EXPECT_GT(ExpectCaptionsFit(dialog->ClientArea()), 20);
    CAboutDlg about(dialog.get());
    about.show();
    EXPECT_EQ(ExpectCaptionsFit(&about), 7);
    dialog->m_Agreement.show();
    EXPECT_EQ(ExpectCaptionsFit(&dialog->m_Agreement), 3);
}

// Counts the paints of the client area that cover the graph's title.
class TitlePaints : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            static_cast<QPaintEvent*>(event)->region().contains(QPoint(405, 215)))
            ++count;
        return false;
    }
};

TEST_F(OstrelDlgTest, TheGraphFollowsTheResponseChoiceEvenWhenTheCalculationStops) {
    dialog->show();
    dialog->OnCalculate();
    QApplication::processEvents();
    TitlePaints paints;
    dialog->ClientArea()->installEventFilter(&paints);
    Type(Dlg::IDC_QTS, "0.9");
    host.answers = {MessageAnswer::Cancel}; // the out-of-range warning
    Check(*dialog, Dlg::IDC_POWER)->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(dialog->m_PowerResponse, 1);
    QApplication::processEvents();
    EXPECT_GT(paints.count, 0);
    dialog->ClientArea()->removeEventFilter(&paints);
}

int RedPixels(const QImage& image) {
    int count = 0;
    for (int y = 241; y < 490; ++y)
        for (int x = 71; x < 740; ++x)
            count += image.pixelColor(x, y) == QColor(220, 0, 0);
    return count;
}

TEST_F(OstrelDlgTest, TheGraphShowsItsCurvesOnlyAfterACalculation) {
    dialog->show();
    QImage before = dialog->ClientArea()->grab().toImage();
    ASSERT_GE(before.width(), 741);
    // Between grid lines the plot area has its fill colour, and no curve yet.
    EXPECT_EQ(before.pixelColor(120, 300), QColor(150, 150, 255));
    EXPECT_EQ(before.pixelColor(300, 491), QColor(0, 0, 0)); // the frame's lower edge
    // The frame's last line, drawn upwards at x 69, stops one pixel short of the top.
    EXPECT_EQ(before.pixelColor(69, 241), QColor(0, 0, 0));
    EXPECT_NE(before.pixelColor(69, 240), QColor(0, 0, 0));
    EXPECT_EQ(RedPixels(before), 0);

    dialog->OnCalculate();
    const QImage after = dialog->ClientArea()->grab().toImage();
    EXPECT_GT(RedPixels(after), 500);
    EXPECT_EQ(after.pixelColor(120, 300), QColor(150, 150, 255));

    // The power response adds the green displacement limit.
    Check(*dialog, Dlg::IDC_POWER)->click();
    const QImage power = dialog->ClientArea()->grab().toImage();
    int green = 0;
    for (int y = 241; y < 490; ++y)
        for (int x = 71; x < 740; ++x)
            green += power.pixelColor(x, y) == QColor(100, 250, 40);
    EXPECT_GT(green, 500);
    EXPECT_GT(RedPixels(power), 500);
}

TEST_F(OstrelDlgTest, NonFiniteCurvePointsAreGaps) {
    dialog->OnCalculate();
    dialog->m_OutputCurve.fill(std::numeric_limits<double>::quiet_NaN());
    dialog->show();
    EXPECT_EQ(RedPixels(dialog->ClientArea()->grab().toImage()), 0);
}

} // namespace

TEST(OstrelWithoutWebSite, TitleButtonAndCommandsSayThatNoSiteIsSet) {
    SetMakerSite("");
    FakeHost host;
    host.onRunModal = AcceptAgreement;
    Dlg dialog(host);
    ASSERT_TRUE(dialog.OnInitDialog());
    host.messages.clear();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ostrel 2.0"));
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("IDC_WEBSITE"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Web site"));
    EXPECT_FALSE(button->isEnabled());
    for (void (Dlg::*command)() : {&Dlg::OnWebsite, &Dlg::OnAudioBooks, &Dlg::OnOnlineHelp}) {
        host.messages.clear();
        (dialog.*command)();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, QString::fromLatin1(NoWebSiteMessage));
        EXPECT_TRUE(host.opened.empty());
    }
}
