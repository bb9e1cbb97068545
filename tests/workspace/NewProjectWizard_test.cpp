#include "workspace/NewDesign.h"

#include "model/DB_Text2.h"
#include "model/SaveToFile_Utils.h"
#include "platform/Dialogs.h"
#include "shell/AppLinks.h"
#include "shell/Settings.h"
#include "tests/platform/TestApplication.h"
#include "tests/shell/WindowTestSupport.h"
#include "workspace/DrvParams.h"
#include "workspace/ProjectForm.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <array>
#include <cmath>
#include <fstream>
#include <numbers>

using platformtest::kWaitLimit;
using windowtest::TypeAndLeave;

namespace {

class FakeHelp : public IHelpSystem {
public:
    int HelpTopic(const QString& topic) override {
        topics.push_back(topic);
        return 0;
    }
    int HelpContext(int context) override {
        contexts.push_back(context);
        return 0;
    }
    void CloseAllHelpWindows() override {}
    QStringList topics;
    std::vector<int> contexts;
};

// The main window as the wizard sees it: project projects that hold real project windows.
class FakeMain : public IMainWindow {
public:
    ~FakeMain() override {
        for (TProj& proj : projects)
            delete proj.window;
    }
    QWidget* Widget() override { return nullptr; }
    int ActiveProject() const override { return active; }
    void SetActiveProject(int n) override { active = n; }
    void CheckActiveProjectItem(int) override {}
    int AllocateProjectSlot() override {
        for (int n = 1; n <= limit; ++n) {
            TProj& proj = projects[static_cast<std::size_t>(n - 1)];
            if (!proj.used) {
                proj.used = true;
                proj.window = new TfrmProject(n);
                return n;
            }
        }
        return 0;
    }
    const TProj& Proj(int n) const override { return projects[static_cast<std::size_t>(n - 1)]; }
    void SetSlotCaption(int n, const QString& caption) override {
        projects[static_cast<std::size_t>(n - 1)].caption = caption;
    }
    void FreeSlot(int n) override { projects[static_cast<std::size_t>(n - 1)] = TProj{}; }
    void AddChildWindow(QWidget* window) override { window->show(); }
    IPlotWindow* PlotWindow() override { return nullptr; }
    ISignalGenerator* SignalGenerator() override { return nullptr; }
    IHelpSystem* Help() override { return &help; }
    void RunDatabaseMaintenance() override { ++maintenance; }
    bool HelpMode() const override { return false; }

    std::array<TProj, kMaxProjects> projects{};
    FakeHelp help;
    int limit = kMaxProjects;
    int active = 0;
    int maintenance = 0;
};

TDriverObject Woofer(const char* model, double fs, double qes) {
    TDriverObject driver;
    driver.Data.Brand = "Acme";
    driver.Data.Model = model;
    driver.Data.Fs = fs;
    driver.Data.Qms = 3.2;
    driver.Data.Qes = qes;
    driver.Data.Qts = 3.2 * qes / (3.2 + qes);
    driver.Data.Vas = 0.09;
    driver.Data.Re = 5.8;
    driver.Data.Sd = 0.0214;
    driver.Data.Mms = 0.06;
    driver.Data.Cms = 1 / (0.06 * std::pow(2 * std::numbers::pi * fs, 2));
    driver.Data.BL = std::sqrt(2 * std::numbers::pi * fs * 0.06 * 5.8 / qes);
    driver.Data.Xmax = 0.006;
    return driver;
}

class WizardTest : public windowtest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        drivers = folder.path() / "Drivers";
        std::filesystem::create_directories(drivers);
        DriverDatabase.Directory = drivers.string() + "/";
        SetMainWindow(&main);
    }
    void TearDown() override {
        wizard.reset();
        SetMainWindow(nullptr);
        WindowTest::TearDown();
    }
    void Store(const TDriverObject& driver, const std::string& name) {
        ASSERT_TRUE(SaveDriverFile(drivers / (name + ".bvd"), driver));
    }
    void Open() {
        wizard = std::make_unique<TfrmNewProject>();
        wizard->show();
    }
    template <class T> T* Find(const char* name) const { return wizard->findChild<T*>(name); }
    QPushButton* Next() const { return Find<QPushButton>("btnNext"); }
    void Choose(const char* combo, int index) {
        auto* box = Find<QComboBox>(combo);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    std::filesystem::path drivers;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    FakeMain main;
    std::unique_ptr<TfrmNewProject> wizard;
};

TEST_F(WizardTest, NextStaysOffWithoutADriver) {
    Open();
    EXPECT_EQ(wizard->windowTitle(), "New project...");
    EXPECT_EQ(Find<QComboBox>("sDriver")->count(), 0);
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnPrev")->isEnabled());
    EXPECT_FALSE(Find<QAbstractButton>("cbFilterDB")->isEnabled());
    wizard->btnNextClick();
    EXPECT_EQ(wizard->ActivePage(), wpDriver);
}

TEST_F(WizardTest, TheChosenDriversEfficiencyProposesTheBoxType) {
    Store(Woofer("Low", 27, 0.4), "Acme Low");   // EBP 67.5
    Store(Woofer("High", 20, 0.5), "Acme High"); // EBP 40
    TDriverObject unknown = Woofer("NoQ", 30, 0.4);
    unknown.Data.Qes = 0;
    unknown.Data.Qts = 0;
    Store(unknown, "Acme NoQ");
    Open();
    auto* list = Find<QComboBox>("sDriver");
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(Next()->isEnabled());

    Choose("sDriver", list->findText("Acme Low"));
    EXPECT_DOUBLE_EQ(wizard->EBP(), 67.5);
    EXPECT_EQ(Find<QComboBox>("sBoxType")->currentIndex(), 1);
    EXPECT_EQ(Find<QLabel>("lblEBP")->text(), QString("EBP = 67") + QChar(DecimalSeparator()) + "5");
    EXPECT_DOUBLE_EQ(wizard->Driver().Rs, 0.1);
    EXPECT_EQ(wizard->findChild<TfrmTinyParams*>()->Driver(), &wizard->Driver());

    Choose("sDriver", list->findText("Acme High"));
    EXPECT_EQ(Find<QComboBox>("sBoxType")->currentIndex(), 0);

    // Without Qes or Qts the EBP is unknown: the label is cleared, closed is proposed.
    Choose("sDriver", list->findText("Acme NoQ"));
    EXPECT_EQ(wizard->EBP(), 0.0);
    EXPECT_TRUE(Find<QLabel>("lblEBP")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>("sBoxType")->currentIndex(), 0);

    // Shown again, the wizard finds its driver by name, also after the list changed.
    Choose("sDriver", list->findText("Acme Low"));
    wizard->hide();
    Store(Woofer("Aardvark", 30, 0.4), "Aardvark");
    wizard->show();
    EXPECT_EQ(list->currentText(), "Acme Low");
    EXPECT_EQ(wizard->Driver().Data.Model, "Low");
}

// A driver whose file name is not UTF-8 is listed and loaded by that name; a driver that cannot
// be read is named in a message instead of being replaced by defaults.
TEST_F(WizardTest, DriversAreLoadedByTheirFileNamesAndOneThatCannotBeReadIsNamed) {
    Store(Woofer("Cafe", 27, 0.4), "Caf\xe9");
    {
        std::ofstream broken(drivers / "Broken.bvd", std::ios::binary);
        broken << "\x01\x02 no sections here";
    }
    Open();
    auto* list = Find<QComboBox>("sDriver");
    ASSERT_EQ(list->count(), 2);
    // The first entry (Broken) was loaded when the list was filled.
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The driver \"Broken\" could not be loaded: The file \"" +
                                            (drivers / "Broken.bvd").string() +
                                            "\" holds no driver: it has no section [Driver]");
    EXPECT_EQ(wizard->Driver().Data.Model, "");
    dialogs.messages.clear();
    Choose("sDriver", 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(wizard->Driver().Data.Model, "Cafe");
    // Back to the broken one: nothing of the driver before stays under its name.
    Choose("sDriver", 0);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(wizard->Driver().Data.Model, "");
    EXPECT_EQ(wizard->Driver().Data.Fs, 0);
}

TEST_F(WizardTest, PlacementOffersWhatAProjectAcceptsAndResetsTheCount) {
    Store(Woofer("W", 27, 0.4), "W");
    Open();
    auto* count = Find<QComboBox>("cbDriverNum");
    ASSERT_EQ(count->count(), kWizardMaxDrivers);
    EXPECT_EQ(count->itemText(9), "10");
    count->setCurrentIndex(4);
    EXPECT_TRUE(Find<QLabel>("lblIsoPairs")->isHidden());
    Find<QAbstractButton>("rbIsoBarik")->click();
    EXPECT_FALSE(Find<QLabel>("lblIsoPairs")->isHidden());
    EXPECT_EQ(count->currentText(), "1");
    EXPECT_TRUE(wizard->Choices().isobaric);
}

TEST_F(WizardTest, FinishStartsAProjectFromTheChoices) {
    Store(Woofer("W12", 27, 0.4), "Acme W12");
    Open();
    wizard->btnNextClick();
    EXPECT_EQ(wizard->ActivePage(), wpDriverUsage);
    Find<QComboBox>("cbDriverNum")->setCurrentIndex(1);
    wizard->btnNextClick();
    EXPECT_EQ(wizard->ActivePage(), wpBoxType);
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpAlignment);
    EXPECT_EQ(Next()->text(), "Finish");
    auto* alignments = Find<QComboBox>("sAlignments");
    ASSERT_EQ(alignments->count(), 5);
    Choose("sAlignments", alignments->findText("C4/SC4 (Sub-)Chebyshev"));
    ASSERT_TRUE(Next()->isEnabled());
    Next()->click();

    ASSERT_TRUE(main.projects[0].used);
    auto* project = dynamic_cast<TfrmProject*>(main.projects[0].window);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->box.BType, 1);
    EXPECT_EQ(project->box.Nd, 2);
    EXPECT_EQ(project->driver.NumDrivers, 2);
    EXPECT_EQ(project->driver.Data.Model, "W12");
    EXPECT_EQ(project->windowTitle(), "[1]Vented : Acme W12");
    EXPECT_EQ(qobject_cast<QLabel*>(project->Control("lblBoxType"))->text(), "Vented");
    EXPECT_GT(project->box.Vr, 0);
    EXPECT_GT(project->box.Fr, 0);
    EXPECT_FALSE(project->loading);
    EXPECT_EQ(main.active, 1);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());

    // Shown again: page 1, the choices kept.
    wizard->show();
    EXPECT_EQ(wizard->ActivePage(), wpDriver);
    EXPECT_EQ(Next()->text(), "Next");
    EXPECT_EQ(Find<QComboBox>("cbDriverNum")->currentText(), "2");
}

TEST_F(WizardTest, TheSlotLimitKeepsTheWizardOpenWithItsChoices) {
    Store(Woofer("W", 27, 0.4), "W");
    main.limit = 0;
    Open();
    wizard->btnNextClick();
    wizard->btnNextClick();
    Choose("sBoxType", 2);
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpAlignment);
    Next()->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kSlotLimitMessage);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->ActivePage(), wpAlignment);
    EXPECT_EQ(Find<QComboBox>("sBoxType")->currentIndex(), 2);
}

TEST_F(WizardTest, APassiveRadiatorIsAskedForAndChecked) {
    Store(Woofer("W", 27, 0.4), "W");
    Open();
    wizard->btnNextClick();
    wizard->btnNextClick();
    Choose("sBoxType", 4);
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpPassiveRadiator);
    // Nothing entered: refused with the reason.
    wizard->btnNextClick();
    EXPECT_EQ(wizard->ActivePage(), wpPassiveRadiator);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("Vas"), std::string::npos);

    TypeAndLeave(Find<QLineEdit>("edPRVas"), "0.06");
    TypeAndLeave(Find<QLineEdit>("edPRFs"), "18");
    TypeAndLeave(Find<QLineEdit>("edPRQms"), "5");
    TypeAndLeave(Find<QLineEdit>("edPRSd"), "0.035");
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpAlignment);
    EXPECT_EQ(Find<QComboBox>("sAlignments")->currentText(), kNoAlignment);
    wizard->btnPrevClick();
    EXPECT_EQ(wizard->ActivePage(), wpPassiveRadiator);
    wizard->btnNextClick();
    Next()->click();

    auto* project = dynamic_cast<TfrmProject*>(main.projects[0].window);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->box.BType, 4);
    // The box type as the wizard's list writes it.
    EXPECT_EQ(project->windowTitle(), "[1]Passive Radiator : W");
    EXPECT_EQ(qobject_cast<QLabel*>(project->Control("lblBoxType"))->text(), "Passive Radiator");
    EXPECT_DOUBLE_EQ(project->box.PassiveRadiator.Vas, 0.06);
    EXPECT_DOUBLE_EQ(project->box.PassiveRadiator.Fs, 18);
    EXPECT_DOUBLE_EQ(project->box.PassiveRadiator.Sd, 0.035);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, kNoOptimumWarning);
    // The wizard stays on top: its messages are its own, or they would open behind it.
    EXPECT_EQ(dialogs.messages[0].parent, wizard.get());
    EXPECT_EQ(dialogs.messages[1].parent, wizard.get());
}

TEST_F(WizardTest, AnAlignmentWithoutABoxDisablesFinishWithAReason) {
    TDriverObject loose = Woofer("Loose", 40, 9);
    loose.Data.Qms = 9;
    loose.Data.Qts = 4.5;
    Store(loose, "Loose");
    Open();
    wizard->btnNextClick();
    wizard->btnNextClick();
    Choose("sBoxType", 0);
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpAlignment);
    EXPECT_EQ(Find<QComboBox>("sAlignments")->count(), 0);
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_FALSE(Find<QLabel>("lblFinishReason")->text().isEmpty());
    wizard->btnNextClick();
    EXPECT_FALSE(main.projects[0].used);
    // Another box type is possible again.
    wizard->btnPrevClick();
    Choose("sBoxType", 1);
    wizard->btnNextClick();
    EXPECT_TRUE(Next()->isEnabled());
    EXPECT_TRUE(Find<QLabel>("lblFinishReason")->text().isEmpty());
}

TEST_F(WizardTest, ItsMnemonicsWorkAtTheFirstPressBesideTheMainWindowsShortcuts) {
    // The main window's commands answer their keys in every window of the program.
    windowtest::TMainWindowShortcuts mainWindow;
    Store(Woofer("W", 27, 0.4), "W");
    Open();
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.get(), kWaitLimit));
    auto* showParams = Find<QAbstractButton>("cbShowParams");
    ASSERT_FALSE(showParams->isChecked());
    QTest::keyClick(Find<QComboBox>("sDriver"),
                    showParams->text().at(showParams->text().indexOf('&') + 1).toLatin1(), Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return showParams->isChecked(); }, kWaitLimit));
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpDriverUsage);
    // A radio button's mnemonic brings the focus.
    auto* normal = Find<QAbstractButton>("rbNormal");
    auto* count = Find<QComboBox>("cbDriverNum");
    count->setFocus();
    QTest::keyClick(count, normal->text().at(normal->text().indexOf('&') + 1).toLatin1(), Qt::AltModifier);
    EXPECT_TRUE(normal->hasFocus());
    EXPECT_EQ(mainWindow.Fired, 0);
}

TEST_F(WizardTest, EnterGoesOnAndEscapeCloses) {
    Store(Woofer("W", 27, 0.4), "W");
    Open();
    QTest::keyClick(Find<QComboBox>("sDriver"), Qt::Key_Return);
    EXPECT_EQ(wizard->ActivePage(), wpDriverUsage);
    QTest::keyClick(wizard.get(), Qt::Key_Enter);
    EXPECT_EQ(wizard->ActivePage(), wpBoxType);
    QTest::keyClick(wizard.get(), Qt::Key_Escape);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(main.projects[0].used);
}

TEST_F(WizardTest, AScreenReaderKnowsItAsADialogByItsCaption) {
    Open();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(wizard.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible->text(QAccessible::Name), "New project...");
    EXPECT_FALSE(accessible->state().invisible);
}

TEST_F(WizardTest, ItsPlaceSnapsToTheGridWhileTheGridIsOn) {
    TC.GridON = true;
    TC.GridX = 20;
    TC.GridY = 25;
    Open();
    wizard->move(33, 62);
    EXPECT_EQ(wizard->pos(), QPoint(40, 50));
    TC.GridON = false;
    wizard->move(33, 62);
    EXPECT_EQ(wizard->pos(), QPoint(33, 62));
    TC = TConfig{};
}

TEST_F(WizardTest, F1OpensTheWizardsHelpPage) {
    Open();
    QApplication::setActiveWindow(wizard.get());
    QTest::keyClick(Find<QComboBox>("sDriver"), Qt::Key_F1);
    EXPECT_EQ(main.help.contexts, std::vector<int>{2});
}

TEST_F(WizardTest, NewDriverOpensTheEditorAndClosesTheWizard) {
    Open();
    Find<QPushButton>("btnNew")->click();
    EXPECT_EQ(main.maintenance, 1);
    EXPECT_FALSE(wizard->isVisible());
}

} // namespace
