// The driver editor, the database filter window and the new-project wizard inside the real main
// window, linked as the program links them.

#include "model/DB_Text2.h"
#include "model/SaveToFile_Utils.h"
#include "platform/Dialogs.h"
#include "shell/DBFilterF.h"
#include "shell/DriverEditorLinks.h"
#include "shell/DrvEdit.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "tests/shell/MainWindowTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "workspace/FilterEditor.h"
#include "workspace/NewDesign.h"
#include "workspace/NewProjectLinks.h"
#include "workspace/ProjectForm.h"
#include "workspace/ProjectLinks.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>

#include <cstdlib>
#include <memory>

namespace {

class AppWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_appwindows"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        shelltest::WriteText(shipped.path() / "version.ini", "[Version]\nNumber=2.5\n");
        TC = TConfig{};
        std::filesystem::create_directories(home.path() / "Drivers");
        TDriverObject woofer;
        woofer.Data.Brand = "Acme";
        woofer.Data.Model = "W10";
        woofer.Data.Fs = 27;
        woofer.Data.Qms = 3.2;
        woofer.Data.Qes = 0.4;
        woofer.Data.Qts = 3.2 * 0.4 / 3.6;
        woofer.Data.Vas = 0.09;
        woofer.Data.Re = 5.8;
        woofer.Data.Sd = 0.0214;
        woofer.Data.Mms = 0.06;
        ASSERT_TRUE(SaveDriverFile(home.path() / "Drivers" / "Acme W10.bvd", woofer));

        TAppLinks links;
        LinkDriverEditor(links);
        LinkProjectWindows(links);
        LinkNewProjectWizard(links);
        main = shelltest::StartMainWindow(std::move(links),
                                          shelltest::TestStartup(store, shipped.path(), home.path()));
    }
    void TearDown() override {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QList<QMdiSubWindow*> Children() const { return main->findChild<QMdiArea*>()->subWindowList(); }

    shelltest::TempFolder shipped;
    shelltest::TempFolder home;
    platform::MemorySettingsStore store;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
    std::unique_ptr<TfrmMain> main;
};

TEST_F(AppWindowsTest, DatabaseEditingOpensOneEditorInTheWorkspace) {
    EXPECT_NE(main->findChild<TfrmDatabaseFilter*>(), nullptr);
    EXPECT_FALSE(main->findChild<TfrmDatabaseFilter*>()->isVisible());
    const qsizetype before = Children().size();
    main->RunDatabaseMaintenance();
    ASSERT_NE(frmDriverEditor, nullptr);
    QPointer<TfrmDriverEditor> editor = frmDriverEditor;
    EXPECT_EQ(Children().size(), before + 1);
    EXPECT_TRUE(editor->isVisible());
    main->RunDatabaseMaintenance();
    EXPECT_EQ(frmDriverEditor, editor.data());
    EXPECT_EQ(Children().size(), before + 1);

    editor->close();
    // The editor goes, then its frame.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(Children().size(), before);
    main->RunDatabaseMaintenance();
    EXPECT_NE(frmDriverEditor, nullptr);
}

TEST_F(AppWindowsTest, TheWizardMakesAProjectWindowInTheNextFreeSlot) {
    auto* wizard = main->findChild<TfrmNewProject*>();
    ASSERT_NE(wizard, nullptr);
    main->NewProject();
    ASSERT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->findChild<QComboBox*>("sDriver")->currentText(), "Acme W10");
    wizard->btnNextClick();
    wizard->btnNextClick();
    wizard->btnNextClick();
    ASSERT_EQ(wizard->ActivePage(), wpAlignment);
    wizard->btnNextClick();
    EXPECT_FALSE(wizard->isVisible());
    ASSERT_TRUE(main->Proj(1).used);
    IProjectWindow* project = main->Proj(1).window;
    ASSERT_NE(project, nullptr);
    const TProjectPlotData plotted = project->PlotData();
    ASSERT_NE(plotted.box, nullptr);
    EXPECT_EQ(plotted.box->BType, 1);
    EXPECT_GT(plotted.box->Vr, 0);
    EXPECT_TRUE(project->Widget()->isVisible());
    EXPECT_EQ(main->ActiveProject(), 1);
    EXPECT_FALSE(main->Proj(1).caption.isEmpty());

    // "New" in the wizard is the database-editing command.
    main->NewProject();
    wizard->findChild<QPushButton*>("btnNew")->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_NE(frmDriverEditor, nullptr);
}

TEST_F(AppWindowsTest, AProjectFromTheWizardTakesFiltersFromTheFilterEditor) {
    auto* wizard = main->findChild<TfrmNewProject*>();
    ASSERT_NE(wizard, nullptr);
    main->NewProject();
    for (int page = 0; page < 3; ++page)
        wizard->btnNextClick();
    wizard->btnNextClick();
    auto* project = dynamic_cast<TfrmProject*>(main->Proj(1).window);
    ASSERT_NE(project, nullptr);

    project->btnAddEqClick();
    ASSERT_NE(frmFilterEditor, nullptr);
    QPointer<TfrmFilterEditor> editor = frmFilterEditor;
    EXPECT_TRUE(editor->isVisible());
    // Its frame: system menu, minimise and close box, no maximise box, in the workspace's middle.
    auto* frame = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(main->findChild<QMdiArea*>()->activeSubWindow(), frame);
    EXPECT_TRUE(frame->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(frame->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    const QPoint middle = frame->parentWidget()->rect().center();
    EXPECT_LE(std::abs(frame->geometry().center().x() - middle.x()), 1);
    EXPECT_LE(std::abs(frame->geometry().center().y() - middle.y()), 1);
    editor->findChild<QPushButton*>("btnAdd")->click();
    ASSERT_EQ(project->filters.size(), 1u);
    EXPECT_EQ(project->filters[0]->Kind, fkLowpass);
    EXPECT_TRUE(project->Modified());
    auto* list = project->findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 1);

    list->setCurrentRow(0);
    project->btnModifyEqClick();
    editor = frmFilterEditor;
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(editor->EditedFilter(), project->filters[0].get());
    project->btnDelEqClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(project->filters.empty());
}

} // namespace
