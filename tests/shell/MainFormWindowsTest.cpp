// The main window with the real project and plot windows of this tree.

#include "shell/MainForm.h"

#include "MainWindowTestSupport.h"
#include "ShellTestSupport.h"

#include "shell/Settings.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "workspace/PlotWindowLinks.h"
#include "workspace/ProjectForm.h"
#include "workspace/ProjectLinks.h"
#include "workspace/plotwindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>

namespace {

using shelltest::TempFolder;

class MainFormWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shelltest::EnsureApplication(); }

    void SetUp() override {
        shelltest::WriteText(shipped.path() / "version.ini", "[Version]\nNumber=2.5\n");
        TUnitStore::Instance().SetPath(home.path() / "UNITINDEX.DAT");
        TC = TConfig{};
        std::filesystem::create_directories(home.path() / "Projects");
        std::filesystem::copy_file(std::filesystem::path(BORVIK_TEST_DATA) / "files" / "project_radiator.bvp",
                                   home.path() / "Projects" / "radiator.bvp");
        project = QString::fromStdString((home.path() / "Projects" / "radiator.bvp").string());
    }

    std::unique_ptr<TfrmMain> Start() {
        TAppLinks links;
        LinkProjectWindows(links);
        LinkPlotWindow(links);
        return shelltest::StartMainWindow(std::move(links),
                                          shelltest::TestStartup(store, shipped.path(), home.path()));
    }

    TempFolder shipped;
    TempFolder home;
    QString project;
    platform::MemorySettingsStore store;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
};

TEST_F(MainFormWindowsTest, ProjectsOpenIntoSlotsFollowTheActiveProjectAndFreeTheirSlotsOnClosing) {
    auto main = Start();
    ASSERT_NE(main->PlotWindow(), nullptr);
    ASSERT_TRUE(main->OpenProjectFile(project));
    ASSERT_TRUE(main->OpenProjectFile(project));
    EXPECT_TRUE(main->Proj(1).caption.startsWith("[1]passive radiator : "));
    EXPECT_TRUE(main->Proj(2).caption.startsWith("[2]passive radiator : "));
    EXPECT_EQ(main->ActiveProject(), 2);
    auto* popPlot = main->findChild<QMenu*>("popPlot");
    EXPECT_TRUE(popPlot->actions().at(1)->isVisible());
    EXPECT_TRUE(popPlot->actions().at(1)->isChecked());

    popPlot->actions().at(0)->trigger();
    EXPECT_EQ(main->ActiveProject(), 1);

    // Closing the active project's window frees its slot and hands the cursor on.
    QWidget* first = main->Proj(1).window->Widget();
    QMdiSubWindow* frame = nullptr;
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList()) {
        if (sub->widget() == first) {
            frame = sub;
        }
    }
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(main->Proj(1).used);
    EXPECT_FALSE(popPlot->actions().at(0)->isVisible());
    EXPECT_EQ(main->ActiveProject(), 2);
    EXPECT_TRUE(dialogs.messages.empty());

    // The freed slot is the next one taken.
    ASSERT_TRUE(main->OpenProjectFile(project));
    EXPECT_TRUE(main->Proj(1).used);
}

TEST_F(MainFormWindowsTest, AnOpenedProjectsFrameLiesWhollyInTheWorkspace) {
    auto main = Start();
    main->resize(1400, 950);
    QCoreApplication::processEvents();
    for (int n = 1; n <= 6; ++n)
        ASSERT_TRUE(main->OpenProjectFile(project));
    const QRect area = main->MdiArea()->viewport()->rect();
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList()) {
        SCOPED_TRACE(sub->windowTitle().toStdString());
        EXPECT_TRUE(area.contains(sub->geometry()))
            << "frame " << sub->geometry().x() << "," << sub->geometry().y() << " " << sub->width() << "x"
            << sub->height() << " in " << area.width() << "x" << area.height();
    }
}

TEST_F(MainFormWindowsTest, AProjectsFrameIsFixedWithTheSystemMenuAndMinimiseBoxOnly) {
    auto main = Start();
    main->resize(1400, 950);
    QCoreApplication::processEvents();
    ASSERT_TRUE(main->OpenProjectFile(project));
    auto* window = dynamic_cast<TfrmProject*>(main->Proj(1).window);
    ASSERT_NE(window, nullptr);
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    const Qt::WindowFlags flags = frame->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::MSWindowsFixedSizeDialogHint); // no border to drag

    // The program still sizes the frame: the parameter panel opens inside it.
    const int closedHeight = frame->height();
    window->pnlShowParametersClick();
    EXPECT_GT(frame->height(), closedHeight);
    EXPECT_TRUE(frame->contentsRect().contains(window->geometry()));
}

TEST_F(MainFormWindowsTest, ThePlotWindowKeepsWithinAShrinkingWorkspace) {
    auto main = Start();
    main->resize(1400, 950);
    QCoreApplication::processEvents();
    main->resize(900, 500);
    QCoreApplication::processEvents();
    QMdiSubWindow* plot = nullptr;
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
        if (sub->widget() == main->PlotWindow()->Widget())
            plot = sub;
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(main->MdiArea()->viewport()->rect().contains(plot->geometry()));
}

// Assistive technology reports a frame that reaches past its workspace as not showing.
void ExpectWhollyInSight(QMdiSubWindow* frame) {
    const QRect area = frame->parentWidget()->rect();
    EXPECT_TRUE(area.contains(frame->geometry()))
        << "frame " << frame->x() << "," << frame->y() << " " << frame->width() << "x" << frame->height()
        << " in " << area.width() << "x" << area.height();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(frame);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->state().invisible);
    EXPECT_FALSE(accessible->state().offscreen);
}

TEST_F(MainFormWindowsTest, OnTheGridThePlotWindowStaysWhollyInItsWorkspaceAtStartAndAfterTile) {
    auto main = Start();
    ASSERT_TRUE(TC.GridON);
    ASSERT_EQ(TC.GridY, 20);
    QMdiSubWindow* plot = nullptr;
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
        if (sub->widget() == main->PlotWindow()->Widget())
            plot = sub;
    ASSERT_NE(plot, nullptr);
    // A workspace 975 pixels high: the nearest multiple of the grid, 980, is too high.
    main->resize(1400, 950);
    QCoreApplication::processEvents();
    main->resize(1400, 950 + 975 - main->MdiArea()->viewport()->height());
    QCoreApplication::processEvents();
    const QRect area = main->MdiArea()->viewport()->rect();
    ASSERT_EQ(area.height(), 975);

    // The start-up place: the workspace's height, a little over half its width.
    plot->setGeometry(0, 0, area.width() * 11 / 20, area.height());
    ExpectWhollyInSight(plot);
    main->TileWindows();
    QCoreApplication::processEvents();
    ExpectWhollyInSight(plot);
}

TEST_F(MainFormWindowsTest, QuittingAsksAboutAChangedProjectAndCancelKeepsEverything) {
    auto main = Start();
    ASSERT_TRUE(main->OpenProjectFile(project));
    auto* window = dynamic_cast<TfrmProject*>(main->Proj(1).window);
    ASSERT_NE(window, nullptr);
    window->SetModified();

    dialogs.messageAnswers.push_back(platform::ButtonCancel);
    EXPECT_FALSE(main->close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(main->Proj(1).used);
    EXPECT_TRUE(main->isVisible());

    dialogs.messageAnswers.push_back(platform::ButtonNo);
    EXPECT_TRUE(main->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(main->Proj(1).used);
}

TEST_F(MainFormWindowsTest, ANewFrequencyRangeFromTheOptionsReachesThePlotAxis) {
    auto main = Start();
    auto* plot = dynamic_cast<TfrmPlotWindow*>(main->PlotWindow());
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->Helper().FMax(), 500);

    main->findChild<QAction*>("actOptions")->trigger();
    QDialog* options = main->Options();
    ASSERT_TRUE(options->isVisible());
    options->findChild<QLineEdit*>("edFreqStart")->setText("20");
    options->findChild<QLineEdit*>("edFreqEnd")->setText("20000");
    options->findChild<QPushButton*>("Button2")->click();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(options->isVisible());
    EXPECT_EQ(plot->Helper().FMin(), 20);
    EXPECT_EQ(plot->Helper().FMax(), 20000);
    EXPECT_EQ(store.ReadFloat("Limits_FreqEnd"), 20000);
}

} // namespace
