// The main window with the real project and plot windows of this tree.

#include "shell/MainForm.h"

#include "MainWindowTestSupport.h"
#include "ShellTestSupport.h"

#include "shell/Settings.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "workspace/PlotWindowLinks.h"
#include "workspace/ProjectForm.h"
#include "workspace/ProjectLinks.h"
#include "workspace/plotwindow.h"

#include <map>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>

#include <chrono>
#include <string>

namespace {

using shelltest::TempFolder;

class MainFormWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_mainwindow_windows"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

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

QMdiSubWindow* FrameOf(TfrmMain& main, int slot) {
    for (QMdiSubWindow* sub : main.MdiArea()->subWindowList())
        if (sub->widget() == main.Proj(slot).window->Widget())
            return sub;
    return nullptr;
}

TEST_F(MainFormWindowsTest, TheProjectBroughtToTheFrontIsTheActiveProjectThatSaveWrites) {
    auto main = Start();
    ASSERT_TRUE(main->OpenProjectFile(project));
    ASSERT_TRUE(main->OpenProjectFile(project));
    ASSERT_EQ(main->ActiveProject(), 2);

    // However a child comes to the front, the workspace activates it.
    main->MdiArea()->setActiveSubWindow(FrameOf(*main, 1));
    EXPECT_EQ(main->ActiveProject(), 1);

    dialogs.saveAnswers.push_back(std::nullopt);
    main->SaveProjectActive();
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves.back().parent, main->Proj(1).window->Widget());

    // The plot window's own choice holds until another project comes to the front.
    main->findChild<QMenu*>("popPlot")->actions().at(1)->trigger();
    EXPECT_EQ(main->ActiveProject(), 2);
    main->MdiArea()->setActiveSubWindow(FrameOf(*main, 2));
    main->MdiArea()->setActiveSubWindow(FrameOf(*main, 1));
    EXPECT_EQ(main->ActiveProject(), 1);

    // The plot window in front leaves the active project as it was.
    main->MdiArea()->setActiveSubWindow(main->MdiArea()->subWindowList().front());
    EXPECT_EQ(main->ActiveProject(), 1);
}

TEST_F(MainFormWindowsTest, ClosingAToolWindowHandsTheFrontBackToTheWindowWorkedIn) {
    auto main = Start();
    ASSERT_TRUE(main->OpenProjectFile(project));
    QMdiSubWindow* worked = FrameOf(*main, 1);
    // The plot window lies on top of the project, as after a cursor drag.
    QMdiSubWindow* plot = main->MdiArea()->subWindowList().front();
    main->MdiArea()->setActiveSubWindow(worked);
    plot->raise();

    auto* tool = new QWidget;
    tool->setAttribute(Qt::WA_DeleteOnClose);
    tool->setWindowTitle("Tool");
    auto* field = new QLineEdit(tool);
    main->AddChildWindow(tool);
    QCoreApplication::processEvents();
    EXPECT_EQ(main->MdiArea()->activeSubWindow()->widget(), tool);
    EXPECT_EQ(tool->focusWidget(), field);

    tool->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(main->MdiArea()->activeSubWindow(), worked);
    EXPECT_EQ(main->ActiveProject(), 1);
}

TEST_F(MainFormWindowsTest, TilingKeepsTheMainWindowAsItIsAndTheFramesInTheWorkspace) {
    auto main = Start();
    main->resize(1200, 800);
    QCoreApplication::processEvents();
    for (int n = 1; n <= 5; ++n)
        ASSERT_TRUE(main->OpenProjectFile(project));
    const QSize before = main->size();
    std::map<QMdiSubWindow*, QSize> sizes;
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
        sizes[sub] = sub->size();

    main->findChild<QAction*>("Minimizeall1")->trigger();
    QCoreApplication::processEvents();

    EXPECT_EQ(main->size(), before);
    const QRect area = main->MdiArea()->viewport()->rect();
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList()) {
        SCOPED_TRACE(sub->windowTitle().toStdString());
        // A project's frame is fixed: tiling moves it and leaves its size. Any other frame
        // keeps the room its content needs, where the workspace has it.
        if (sub->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)) {
            EXPECT_EQ(sub->size(), sizes[sub]);
        } else {
            const QSize needed = sub->minimumSizeHint().boundedTo(area.size());
            EXPECT_GE(sub->width(), needed.width());
            EXPECT_GE(sub->height(), needed.height());
        }
        EXPECT_TRUE(area.contains(sub->geometry()))
            << "frame " << sub->geometry().x() << "," << sub->geometry().y() << " " << sub->width() << "x"
            << sub->height() << " in " << area.width() << "x" << area.height();
    }
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

TEST_F(MainFormWindowsTest, OnTheGridAProjectWindowMovedToTheWorkspacesEdgeStaysInIt) {
    auto main = Start();
    main->resize(1400, 950);
    QCoreApplication::processEvents();
    ASSERT_TRUE(main->OpenProjectFile(project));
    auto* frame = qobject_cast<QMdiSubWindow*>(main->Proj(1).window->Widget()->parentWidget());
    ASSERT_NE(frame, nullptr);
    // A workspace in which the frame, flush to the right edge, lies three quarters of a grid
    // step past a multiple: the nearest multiple would carry it past the edge.
    const int around = main->width() - main->MdiArea()->viewport()->width();
    int width = 1400;
    while ((width - around - frame->width()) % TC.GridX != TC.GridX * 3 / 4)
        ++width;
    main->resize(width, 950);
    QCoreApplication::processEvents();
    const QRect area = main->MdiArea()->viewport()->rect();
    ASSERT_EQ((area.width() - frame->width()) % TC.GridX, TC.GridX * 3 / 4);
    frame->move(area.width() - frame->width(), 0);
    QCoreApplication::processEvents();
    ExpectWhollyInSight(frame);
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

TEST_F(MainFormWindowsTest, CancelAtTheQuitQuestionOfALaterProjectKeepsTheEarlierOnesOpen) {
    auto main = Start();
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(main->OpenProjectFile(project));
    auto* last = dynamic_cast<TfrmProject*>(main->Proj(3).window);
    ASSERT_NE(last, nullptr);
    last->SetModified();

    dialogs.messageAnswers.push_back(platform::ButtonCancel);
    EXPECT_FALSE(main->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(main->Proj(n).used) << n;
    EXPECT_TRUE(main->isVisible());

    // No closes everything, each question asked once.
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    EXPECT_TRUE(main->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(main->Proj(n).used) << n;
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

// A file that holds no project opens nothing: one message names the file and says so, and no slot
// and no window is taken.
TEST_F(MainFormWindowsTest, AFileThatHoldsNoProjectOpensNothingAndSaysSo) {
    auto main = Start();
    const auto windowsBefore = main->MdiArea()->subWindowList().size();
    std::string randomBytes(4096, '\0');
    unsigned seed = 7;
    for (char& byte : randomBytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    std::string foreign;
    for (int i = 0; i < 100000; ++i)
        foreign += "[S" + std::to_string(i) + "]\n";
    const std::filesystem::path path = home.path() / "Projects" / "none.bvp";
    const QString name = QString::fromStdString(path.string());
    for (const std::string& bytes : {std::string(), randomBytes, std::string(10 * 1024 * 1024, 'x'), foreign}) {
        shelltest::WriteText(path, bytes);
        dialogs.messages.clear();
        EXPECT_FALSE(main->OpenProjectFile(name));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Can't open the project " + path.string() + ":\nThe file \"" +
                                                path.string() +
                                                "\" holds no project: it has none of the sections of a project file");
        for (int n = 1; n <= kMaxProjects; ++n)
            EXPECT_FALSE(main->Proj(n).used) << n;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(main->MdiArea()->subWindowList().size(), windowsBefore);
    }
}

// Values a project file holds that the model cannot use are named in one message on opening; the
// project opens with the rest.
TEST_F(MainFormWindowsTest, UnusableValuesOfAProjectAreNamedInOneMessageOnOpening) {
    auto main = Start();
    const std::filesystem::path path = home.path() / "Projects" / "odd.bvp";
    // Without a vent loss factor the vented box divides by 0: that is named too.
    shelltest::WriteText(path, "[Driver]\nBrand=Acme\nFs=30\n[Box]\nBType=1\nVr=nan\nFr=35\nQlr=10\nQar=100\n"
                               "T=-300\np=0\n");
    ASSERT_TRUE(main->OpenProjectFile(QString::fromStdString(path.string())));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Some values in \"" + path.string() +
                  "\" cannot be used and were not taken (a number reads as 0):\n"
                  "[Box] Vr = nan\n[Box] Qpr has no value\n[Box] T = -300, read as 293.15\n"
                  "[Box] p = 0, read as 101325");
    EXPECT_TRUE(main->Proj(1).used);
}

// A name on the command line that is not UTF-8 opens its file.
TEST_F(MainFormWindowsTest, ACommandLineNameThatIsNotUtf8OpensItsFile) {
    const std::filesystem::path path = home.path() / "Projects" / "proj_\xff\xfe.bvp";
    std::filesystem::copy_file(home.path() / "Projects" / "radiator.bvp", path);
    TAppLinks links;
    LinkProjectWindows(links);
    LinkPlotWindow(links);
    auto main = shelltest::StartMainWindow(
        std::move(links), shelltest::TestStartup(store, shipped.path(), home.path(), {platform::PathToText(path)}));
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         !main->Proj(1).used && std::chrono::steady_clock::now() < deadline;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(main->Proj(1).used);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
}

} // namespace
