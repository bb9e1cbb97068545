#include "shell/MainForm.h"

#include "MainWindowTestSupport.h"
#include "ShellTestSupport.h"

#include "shell/About.h"
#include "shell/DesktopLayout.h"
#include "shell/OptionsF.h"
#include "shell/Settings.h"

#include "flatctl/TFlatHintUnit.h"
#include "model/DB_Text2.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "platform/SettingsStore.h"
#include "tests/platform/Unprivileged.h"
#include "workspace/DragUtil.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <memory>

#include <sys/stat.h>

namespace {

using platformtest::kWaitLimit;
using shelltest::FakePlotWindow;
using shelltest::FakeProjectWindow;
using shelltest::TempFolder;

const char* kVersionFile = "[Version]\nNumber=2.5\nReleasedBy=us\nReleaseDate=2026-01-01\nDownloadFrom=\n"
                           "AuthorEmail=\nWebURL=\n";

class FakeDriverEditor : public QWidget, public IDriverEditor {
public:
    QWidget* Widget() override { return this; }
    void ShowDriver(const TDriverObject& driver) override { shown = driver.Data.Brand; }
    std::string shown;
    // Stands for a user who answers Cancel to the unsaved-driver question.
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose)
            event->ignore();
        else
            event->accept();
    }
};

class MainFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_mainwindow"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        shelltest::WriteText(shipped.path() / "version.ini", kVersionFile);
        TC = TConfig{};
    }

    TMainStartup Startup(QStringList arguments = {}) {
        return shelltest::TestStartup(store, shipped.path(), home.path(), std::move(arguments));
    }

    // Links with stand-ins for the project and plot windows, which record what they made.
    TAppLinks Links() {
        TAppLinks links;
        links.createProjectWindow = [this](IMainWindow& main, int slot) -> IProjectWindow* {
            auto* window = new FakeProjectWindow(main, slot);
            projects.push_back(window);
            return window;
        };
        links.createPlotWindow = [this](IMainWindow&) -> IPlotWindow* {
            plot = new FakePlotWindow;
            plot->setWindowTitle("Plot");
            return plot;
        };
        return links;
    }

    std::unique_ptr<TfrmMain> Start(TAppLinks links, QStringList arguments = {}) {
        return shelltest::StartMainWindow(std::move(links), Startup(std::move(arguments)));
    }

    QString Project(const std::string& name, const std::string& brand = "Acme",
                    const std::string& model = "W8", int type = 1) {
        const std::filesystem::path file = home.path() / "Projects" / name;
        shelltest::WriteProject(file, brand, model, type);
        return QString::fromStdString(file.string());
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const platform::MessageRequest& request : dialogs.messages) {
            texts.push_back(request.text);
        }
        return texts;
    }

    TempFolder shipped;
    TempFolder home;
    platform::MemorySettingsStore store;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs installed{dialogs};
    std::vector<QPointer<FakeProjectWindow>> projects;
    FakePlotWindow* plot = nullptr;
};

TEST_F(MainFormTest, FirstStartCreatesTheFoldersWritesTheSettingsAndShowsTheVersion) {
    auto main = Start(Links());
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Drivers"));
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Projects"));
    EXPECT_TRUE(store.ValueExists("ButtonText"));
    EXPECT_TRUE(store.ValueExists("Limits_FreqStart"));
    EXPECT_GE(store.flushes, 1);
    EXPECT_EQ(main->windowTitle(), "Borvik 2.5");
    EXPECT_EQ(VersionInfo.Number, "2.5");
    EXPECT_EQ(DriverDatabase.Directory, (home.path() / "Drivers").string() + "/");
    EXPECT_EQ(MainWindow(), main.get());
    EXPECT_TRUE(dialogs.messages.empty());
    // The version file names no web address: the forum link has nothing to open.
    EXPECT_FALSE(main->findChild<QAction*>("Forums1")->isEnabled());
}

// A corrupt settings file: start-up says once that the settings could not be read, that the
// defaults are in use and where the old file was kept; nothing of it is written back.
TEST_F(MainFormTest, ACorruptSettingsFileIsNamedOnceAndKeptAndTheDefaultsAreUsed) {
    const std::filesystem::path file = home.path() / "Borvik Pro.conf";
    std::string junk(4096, '\0');
    unsigned seed = 29;
    for (char& byte : junk) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    junk += "\nGridX=3\nJunkKey=1\n";
    shelltest::WriteText(file, junk);
    {
        platform::QtSettingsStore settings(file);
        TfrmMain main(Links(), shelltest::TestStartup(settings, shipped.path(), home.path()));
        ASSERT_TRUE(main.Create());
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::string>{"The settings could not be read: the settings file \"" + file.string() +
                                           "\" is malformed.\nThe defaults are in use; the old settings file was "
                                           "kept as \"" + file.string() + ".broken\"."});
        EXPECT_EQ(TC.GridX, 20);
    }
    EXPECT_EQ(shelltest::ReadText(file.string() + ".broken"), junk);
    const std::string written = shelltest::ReadText(file);
    EXPECT_NE(written.find("GridX=20"), std::string::npos) << written;
    EXPECT_EQ(written.find("JunkKey"), std::string::npos) << written;

    // The next start reads the new file and has nothing to say.
    dialogs.messages.clear();
    platform::QtSettingsStore again(file);
    TfrmMain main(Links(), shelltest::TestStartup(again, shipped.path(), home.path()));
    ASSERT_TRUE(main.Create());
    EXPECT_TRUE(dialogs.messages.empty());
}

// A settings file that cannot be read (no permission, a folder in its place) says that it could
// not be read, why, and that the defaults are in use; it is not written over.
TEST_F(MainFormTest, ASettingsFileThatCannotBeReadSaysWhyAndTheDefaultsAreUsed) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    const std::filesystem::path locked = home.path() / "locked.conf";
    shelltest::WriteText(locked, "[General]\nGridX=7\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const std::filesystem::path folder = home.path() / "folder.conf";
    std::filesystem::create_directory(folder);
    const struct {
        std::filesystem::path file;
        std::string why;
    } rows[] = {
        {locked, "\"" + locked.string() + "\" cannot be read: Permission denied"},
        {folder, "\"" + folder.string() + "\" is a folder, not a file"},
    };
    for (const auto& row : rows) {
        dialogs.messages.clear();
        TC = TConfig{};
        TC.GridX = 5;
        platform::QtSettingsStore settings(row.file);
        TfrmMain main(Links(), shelltest::TestStartup(settings, shipped.path(), home.path()));
        ASSERT_TRUE(main.Create());
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The settings could not be read: " + row.why +
                                                           ".\nThe defaults are in use."});
        EXPECT_EQ(TC.GridX, 20);
        // Said once: a later write says only that it failed.
        dialogs.messages.clear();
        main.SetToolbarCaptions(false);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text.rfind("The settings could not be written: Cannot write the settings file", 0),
                  0u)
            << dialogs.messages[0].text;
    }
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_EQ(shelltest::ReadText(locked), "[General]\nGridX=7\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A documents folder that cannot be written: the first unit choice that cannot be kept says
// so, once.
TEST_F(MainFormTest, AReadOnlyDocumentsFolderSaysOnceThatTheUnitChoicesAreNotKept) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    std::filesystem::create_directories(home.path() / "Drivers");
    std::filesystem::create_directories(home.path() / "Projects");
    std::filesystem::permissions(home.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    TUnitStore::Instance().SetPath(home.path() / "UNITINDEX.DAT");
    // Start-up itself may look up units (and so write first); either way one message says it.
    auto main = Start(Links());
    EXPECT_FALSE(TUnitStore::Instance().Store("edFs", 1));
    EXPECT_FALSE(TUnitStore::Instance().Store("edVas", 1));
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         dialogs.messages.empty() && std::chrono::steady_clock::now() < deadline;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The unit choices could not be saved: Cannot create a file in \"" +
                                                       home.path().string() +
                                                       "\": Permission denied. The units chosen now hold until the "
                                                       "program ends."});
    std::filesystem::permissions(home.path(), std::filesystem::perms::owner_all);
    TUnitStore::Instance().SetWriteFailureHandler({});
}

TEST_F(MainFormTest, TheSplashNamesTheStepsAndGoesOnATimerAfterTheFirstShow) {
    TfrmMain main(Links(), Startup());
    ASSERT_TRUE(main.Create());
    ASSERT_NE(main.Splash(), nullptr);
    EXPECT_EQ(main.Splash()->findChild<QLabel*>("lblProgram")->text(), "Loading Borvik 2.5");
    EXPECT_EQ(main.Splash()->Info(), "Doing nothing ...");
    main.show();
    EXPECT_NE(main.Splash(), nullptr); // still up: the timer has not run
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.Splash() == nullptr; }, kWaitLimit));
}

TEST_F(MainFormTest, AMissingVersionFileOrNumberEndsStartUp) {
    for (const char* contents : {"", "[Version]\nReleasedBy=us\n"}) {
        std::filesystem::remove(shipped.path() / "version.ini");
        if (*contents != '\0') {
            shelltest::WriteText(shipped.path() / "version.ini", contents);
        }
        dialogs.messages.clear();
        TfrmMain main(Links(), Startup());
        EXPECT_FALSE(main.Create()) << contents;
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::string>{"Can't load version.ini, check your program path!"});
    }
}

TEST_F(MainFormTest, CommandLineFilesOpenOnceInArgumentOrderAfterTheFirstShow) {
    const QString first = Project("first.bvp", "Acme", "W8", 1);
    const QString second = Project("second.bvp", "Bolt", "T25", 0);
    auto main = Start(Links(), {first, "-debug", "/debug", "Projects/second.bvp", "gone.bvp"});

    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[0]->loadedFile, first);
    EXPECT_EQ(projects[1]->loadedFile, second);
    EXPECT_EQ(projects[0]->startMode, 0);
    EXPECT_EQ(main->Proj(1).caption, "[1]vented : Acme W8");
    EXPECT_EQ(main->Proj(2).caption, "[2]closed : Bolt T25");
    EXPECT_EQ(projects[0]->windowTitle(), "[1]vented : Acme W8");
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"File not found : gone.bvp"});

    // Showing the window again (restored from minimised) opens nothing more.
    main->hide();
    main->show();
    QCoreApplication::processEvents();
    main->showMinimized();
    main->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[0]->loads + projects[1]->loads, 2);
}

TEST_F(MainFormTest, AnEleventhProjectIsRefusedAndChangesNothing) {
    auto main = Start(Links());
    const QString file = Project("p.bvp");
    for (int i = 0; i < kMaxProjects; ++i) {
        ASSERT_TRUE(main->OpenProjectFile(file));
    }
    const int active = main->ActiveProject();
    dialogs.messages.clear();
    EXPECT_FALSE(main->OpenProjectFile(file));
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Maximum number(10) of simultaneous projects reached!"});
    EXPECT_EQ(projects.size(), static_cast<std::size_t>(kMaxProjects));
    EXPECT_EQ(main->ActiveProject(), active);
    EXPECT_EQ(main->Proj(10).caption, "[10]vented : Acme W8");

    // Every slot, the tenth too, can be made active through its plot-project item.
    auto* popPlot = main->findChild<QMenu*>("popPlot");
    for (int n = 1; n <= kMaxProjects; ++n) {
        QAction* item = popPlot->actions().at(n - 1);
        EXPECT_TRUE(item->isVisible());
        EXPECT_EQ(item->data().toInt(), n);
        item->trigger();
        EXPECT_EQ(main->ActiveProject(), n);
        EXPECT_EQ(plot->activeCaption, main->Proj(n).caption);
        for (QAction* other : popPlot->actions()) {
            EXPECT_EQ(other->isChecked(), other == item);
        }
    }
}

TEST_F(MainFormTest, AProjectThatCannotBeReadFreesItsSlotAndSaysWhy) {
    auto main = Start(Links());
    const QString broken = Project("broken.bvp", "Acme", "W8", 9);
    EXPECT_FALSE(main->OpenProjectFile(broken));
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_TRUE(projects[0].isNull()); // the window went
    EXPECT_FALSE(main->Proj(1).used);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("broken.bvp"), std::string::npos);
    EXPECT_TRUE(main->MdiArea()->subWindowList().size() == 1); // the plot window alone

    EXPECT_TRUE(main->OpenProjectFile(Project("good.bvp")));
    EXPECT_EQ(main->Proj(1).caption, "[1]vented : Acme W8");
}

TEST_F(MainFormTest, ClosingProjectsMovesTheActiveProjectToTheHighestLeft) {
    auto main = Start(Links());
    const QString file = Project("p.bvp");
    for (int i = 0; i < 3; ++i) {
        main->OpenProjectFile(file);
    }
    EXPECT_EQ(main->ActiveProject(), 3);

    main->SetActiveProject(2);
    const int clears = plot->readoutClears;
    main->SetActiveProject(2); // already active: the readouts stay
    EXPECT_EQ(plot->readoutClears, clears);

    delete main->MdiArea()->subWindowList().at(3); // slot 3's window; 2 stays active
    EXPECT_EQ(main->ActiveProject(), 2);
    delete projects[1]->parentWidget(); // slot 2, the active one
    EXPECT_EQ(main->ActiveProject(), 1);
    EXPECT_EQ(plot->activeCaption, "[1]vented : Acme W8");
    delete projects[0]->parentWidget();
    EXPECT_EQ(main->ActiveProject(), -1);
    EXPECT_EQ(plot->activeCaption, "No open projects");
    auto* popPlot = main->findChild<QMenu*>("popPlot");
    for (QAction* item : popPlot->actions()) {
        EXPECT_FALSE(item->isVisible());
    }
    // A freed slot is taken again first.
    main->OpenProjectFile(file);
    EXPECT_EQ(main->ActiveProject(), 1);
}

TEST_F(MainFormTest, AProjectFromTheWizardShowsOnlyOnceItStarts) {
    auto main = Start(Links());
    const int slot = main->AllocateProjectSlot();
    ASSERT_EQ(slot, 1);
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_FALSE(projects[0]->isVisible());
    QMenu menu;
    main->FillWindowsMenu(&menu);
    EXPECT_EQ(menu.actions().size(), 1); // the plot window alone

    projects[0]->boxType = 0;
    projects[0]->brandAndModel = "New W6";
    projects[0]->StartNow(1);
    EXPECT_TRUE(projects[0]->isVisible());
    EXPECT_EQ(main->ActiveProject(), 1);
    EXPECT_EQ(main->Proj(1).caption, "[1]closed : New W6");
    main->FillWindowsMenu(&menu);
    EXPECT_EQ(menu.actions().size(), 2);
}

TEST_F(MainFormTest, CaptionsWithAmpersandsShowThemInMenus) {
    auto main = Start(Links());
    main->OpenProjectFile(Project("bw.bvp", "B&W", "DM1", 4));
    EXPECT_EQ(main->Proj(1).caption, "[1]passive radiator : B&W DM1");
    EXPECT_EQ(main->findChild<QMenu*>("popPlot")->actions().at(0)->text(), "[1]passive radiator : B&&W DM1");
}

TEST_F(MainFormTest, ProjectsDropDownListsTheProjectsFolderAndOpensTheChoice) {
    auto main = Start(Links());
    QMenu menu;
    main->FillProjectsMenu(&menu);
    EXPECT_TRUE(menu.actions().isEmpty());

    Project("b&c.bvp");
    Project("A.BVP");
    shelltest::WriteText(home.path() / "Projects" / "notes.txt", "");
    main->FillProjectsMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions()[0]->text(), "A");
    EXPECT_EQ(menu.actions()[1]->text(), "b&&c");
    menu.actions()[1]->trigger();
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_TRUE(projects[0]->loadedFile.endsWith("/Projects/b&c.bvp"));

    // An entry whose file vanished does nothing.
    main->FillProjectsMenu(&menu);
    std::filesystem::remove(home.path() / "Projects" / "A.BVP");
    menu.actions()[0]->trigger();
    EXPECT_EQ(projects.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

// An entry of the projects drop-down that is no file to read any more when it is chosen is named
// with the reason, and no project slot is taken.
TEST_F(MainFormTest, AProjectsEntryThatIsNoReadableFileWhenChosenSaysWhy) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    namespace fs = std::filesystem;
    auto main = Start(Links());
    auto* popProjects = main->findChild<QMenu*>("popProjects");
    ASSERT_NE(popProjects, nullptr);
    const struct {
        const char* name;
        void (*change)(const fs::path& file);
        const char* why;
    } rows[] = {
        {"loop",
         [](const fs::path& file) {
             fs::remove(file);
             fs::create_symlink(file.filename(), file);
         },
         "is a link that leads round in a loop"},
        {"folder",
         [](const fs::path& file) {
             fs::remove(file);
             fs::create_directory(file);
         },
         "is a folder, not a file"},
        {"pipe",
         [](const fs::path& file) {
             fs::remove(file);
             ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
         },
         "is not a regular file"},
        {"locked", [](const fs::path& file) { fs::permissions(file, fs::perms::none); },
         "cannot be read: Permission denied"},
    };
    for (const auto& row : rows) {
        const fs::path file = home.path() / "Projects" / (std::string(row.name) + ".bvp");
        Project(file.filename().string());
        emit popProjects->aboutToShow();
        QAction* entry = nullptr;
        for (QAction* action : popProjects->actions()) {
            if (action->text() == row.name) {
                entry = action;
            }
        }
        ASSERT_NE(entry, nullptr) << row.name;
        row.change(file);
        dialogs.messages.clear();
        entry->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u) << row.name;
        EXPECT_EQ(dialogs.messages[0].text,
                  "Can't open the project " + file.string() + ":\n\"" + file.string() + "\" " + row.why);
        EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
        EXPECT_TRUE(projects.empty()) << row.name;
        for (int n = 1; n <= kMaxProjects; ++n) {
            EXPECT_FALSE(main->Proj(n).used) << row.name << " " << n;
        }
    }
}

// A project whose file name is not UTF-8 is listed and opens its own file.
TEST_F(MainFormTest, ProjectsDropDownOpensAFileWhoseNameIsNotUtf8) {
    auto main = Start(Links());
    Project("proj_\xff\xfe.bvp");
    QMenu menu;
    main->FillProjectsMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 1);
    menu.actions()[0]->trigger();
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_EQ(platform::TextToPath(projects[0]->loadedFile), home.path() / "Projects" / "proj_\xff\xfe.bvp");
}

TEST_F(MainFormTest, WindowsDropDownListsChildrenInOrderAndMarksTheActiveOne) {
    auto main = Start(Links());
    main->OpenProjectFile(Project("p.bvp"));
    main->OpenProjectFile(Project("q.bvp", "Bolt", "T25", 0));
    QMenu menu;
    main->FillWindowsMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(menu.actions()[0]->text(), "Plot");
    EXPECT_EQ(menu.actions()[1]->text(), "[1]vented : Acme W8");
    EXPECT_EQ(menu.actions()[2]->text(), "[2]closed : Bolt T25");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(menu.actions()[i]->data().toInt(), i);
        EXPECT_EQ(menu.actions()[i]->font().bold(), i == 2) << i; // the last opened is active
    }

    // Choosing a minimised window restores it.
    QMdiSubWindow* first = main->MdiArea()->subWindowList().at(1);
    first->showMinimized();
    menu.actions()[1]->trigger();
    EXPECT_FALSE(first->isMinimized());
    EXPECT_EQ(main->MdiArea()->activeSubWindow(), first);
}

TEST_F(MainFormTest, CalculatorCategoriesDifferingInCaseGetTheirOwnSubmenus) {
    TAppLinks links = Links();
    links.loadCalculatorFile = [](const QString& path, int, QString& category, QString& name, QString&) {
        const QString file = QFileInfo(path).completeBaseName();
        category = file == "b" ? "box" : "Box";
        name = file;
        return true;
    };
    int opened = 0;
    links.createCalculator = [&opened](IMainWindow&, int number) -> QWidget* {
        opened = number;
        return nullptr;
    };
    for (const char* name : {"a.flt", "b.flt", "c.flt"}) {
        shelltest::WriteText(shipped.path() / "filters" / name, "");
    }
    auto main = Start(std::move(links));
    auto* popFilters = main->findChild<QMenu*>("popFilters");
    ASSERT_EQ(popFilters->actions().size(), 2);
    EXPECT_EQ(popFilters->actions()[0]->text(), "Box");
    EXPECT_EQ(popFilters->actions()[1]->text(), "box");
    QMenu* box = popFilters->actions()[0]->menu();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->actions().size(), 2);
    EXPECT_EQ(box->actions()[1]->text(), "c");
    box->actions()[1]->trigger();
    EXPECT_EQ(opened, 3);
}

TEST_F(MainFormTest, TheToolbarCaptionChoiceSurvivesARestart) {
    {
        auto main = Start(Links());
        auto* button = main->findChild<QToolButton*>("tbNewProject");
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        main->findChild<QAction*>("Showtextonbuttons")->trigger();
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_EQ(store.ReadBool("ButtonText"), false);
    }
    TC = TConfig{};
    auto main = Start(Links());
    EXPECT_FALSE(main->findChild<QAction*>("Showtextonbuttons")->isChecked());
    EXPECT_EQ(main->findChild<QToolButton*>("tbHelpMode")->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_EQ(main->findChild<QToolButton*>("tbHelpMode")->accessibleName(), "Help Mode");
}

TEST_F(MainFormTest, SavedWindowPositionsAreRestoredClampedToTheScreen) {
    {
        auto main = Start(Links());
        main->move(40, 50);
        main->resize(700, 500);
        QCoreApplication::processEvents();
        plot->parentWidget()->setGeometry(30, 20, 300, 200);
        main->findChild<QAction*>("Savewindowpositions1")->trigger();
        const TDesktopLayout saved = LoadDesktop(store);
        EXPECT_TRUE(saved.valid);
        EXPECT_EQ(saved.MainWidth, main->geometry().width());
        EXPECT_EQ(saved.PlotLeft, 30);
        EXPECT_EQ(saved.PlotHeight, 200);
    }
    store.Seed("Desktop/MainLeft", 100000);
    auto main = Start(Links());
    EXPECT_TRUE(DesktopLayout.valid);
    const QRect area = main->screen()->availableGeometry();
    EXPECT_LE(main->x() + main->width(), area.right() + 1);
    EXPECT_EQ(main->width(), 700);
    EXPECT_EQ(plot->parentWidget()->geometry(), QRect(30, 20, 300, 200));
}

TEST_F(MainFormTest, EveryCommandOfAWindowNotBuiltSaysSo) {
    auto main = Start(TAppLinks{});
    struct Case {
        const char* action;
        const char* window;
    };
    const std::vector<Case> cases = {
        {"actNewProject", "new-project wizard"},    {"actDatabaseMaintenance", "driver editor"},
        {"actSignalGenerator", "signal generator"}, {"Contents1", "help viewer"},
        {"Checknewversion1", "update check"},       {"actOpenProject", "project window"},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        auto* action = main->findChild<QAction*>(c.action);
        ASSERT_NE(action, nullptr) << c.action;
        action->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.action;
        EXPECT_EQ(dialogs.messages[0].text,
                  std::string("The ") + c.window + " is not part of this build yet.");
    }
    dialogs.messages.clear();
    main->findChild<QToolButton*>("tbFilter")->click();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"The calculators window is not part of this build yet."});
    EXPECT_FALSE(main->OpenProjectFile(Project("p.bvp")));
    EXPECT_EQ(main->PlotWindow(), nullptr);
    main->SaveProjectActive(); // nothing active: nothing happens
}

TEST_F(MainFormTest, QuittingStopsWhenAProjectWindowStaysOpen) {
    auto main = Start(Links());
    main->OpenProjectFile(Project("p.bvp"));
    main->OpenProjectFile(Project("q.bvp"));
    projects[1]->refuseClose = true;
    bool closed = false;
    QObject::connect(main.get(), &TfrmMain::Closed, [&closed] { closed = true; });
    EXPECT_FALSE(main->close());
    EXPECT_FALSE(closed);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->Proj(2).used);

    projects[1]->refuseClose = false;
    EXPECT_TRUE(main->close());
    EXPECT_TRUE(closed);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(main->Proj(1).used);
    EXPECT_FALSE(main->Proj(2).used);
}

TEST_F(MainFormTest, QuittingStopsWhenTheDriverEditorStaysOpen) {
    TAppLinks links = Links();
    FakeDriverEditor* editor = nullptr;
    links.createDriverEditor = [&editor](IMainWindow&) -> IDriverEditor* {
        editor = new FakeDriverEditor;
        return editor;
    };
    auto main = Start(std::move(links));
    main->RunDatabaseMaintenance();
    ASSERT_NE(editor, nullptr);
    editor->refuseClose = true;
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());

    editor->refuseClose = false;
    EXPECT_TRUE(main->close());
}

// A tool window with two fields, standing in for the signal generator.
class FakeSignalGenerator : public QWidget, public ISignalGenerator {
public:
    FakeSignalGenerator() {
        auto* layout = new QVBoxLayout(this);
        mode = new QComboBox(this);
        mode->addItem("Normal");
        frequency = new QLineEdit(this);
        layout->addWidget(mode);
        layout->addWidget(frequency);
    }
    QWidget* Widget() override { return this; }
    void SetFrequencyFromCursor(double) override {}
    QComboBox* mode;
    QLineEdit* frequency;
};

TEST_F(MainFormTest, AToolWindowOpenedFromTheKeyboardTakesTheKeyboard) {
    TAppLinks links = Links();
    FakeSignalGenerator* generator = nullptr;
    links.createSignalGenerator = [&generator](IMainWindow&) -> ISignalGenerator* {
        generator = new FakeSignalGenerator;
        return generator;
    };
    auto main = Start(std::move(links));
    main->activateWindow();
    QApplication::setActiveWindow(main.get());
    main->findChild<QAction*>("actSignalGenerator")->trigger();
    QCoreApplication::processEvents();
    ASSERT_NE(generator, nullptr);
    // The first field in its tab order, not the frame around it.
    EXPECT_EQ(QApplication::focusWidget(), generator->mode);

    // Shown again after the user moved on to its second field: that field again.
    generator->frequency->setFocus();
    main->findChild<QMdiArea*>()->activatePreviousSubWindow();
    main->findChild<QAction*>("actSignalGenerator")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), generator->frequency);
}

TEST_F(MainFormTest, SaveActiveSavesTheActiveSlotOnly) {
    auto main = Start(Links());
    main->OpenProjectFile(Project("p.bvp"));
    main->OpenProjectFile(Project("q.bvp"));
    main->SetActiveProject(1);
    main->findChild<QAction*>("Saveprojectactive1")->trigger();
    EXPECT_EQ(projects[0]->saves, 1);
    EXPECT_EQ(projects[1]->saves, 0);
}

TEST_F(MainFormTest, AboutAndOptionsExistOnceEach) {
    auto main = Start(Links());
    QAction* about = main->findChild<QAction*>("N2");
    about->trigger();
    about->trigger();
    ASSERT_EQ(main->findChildren<TfrmAbout*>().size(), 1);
    main->findChildren<TfrmAbout*>().front()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main->findChildren<TfrmAbout*>().isEmpty());
    about->trigger();
    EXPECT_EQ(main->findChildren<TfrmAbout*>().size(), 1);

    main->findChild<QAction*>("actOptions")->trigger();
    main->findChild<QAction*>("actOptions")->trigger();
    EXPECT_EQ(main->findChildren<TfrmOptions*>().size(), 1);
    EXPECT_TRUE(main->Options()->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

// Stands for the update window: counts its showings, each of which would run a check.
class FakeUpdateWindow : public QWidget {
public:
    FakeUpdateWindow() : QWidget(nullptr, Qt::Window) {}
    int showings = 0;

protected:
    void showEvent(QShowEvent* event) override {
        if (!event->spontaneous())
            ++showings;
        QWidget::showEvent(event);
    }
};

TEST_F(MainFormTest, CheckingForUpdatesWhileTheWindowIsShownOnlyBringsItToTheFront) {
    TAppLinks links = Links();
    QPointer<FakeUpdateWindow> update;
    links.createUpdateCheck = [&](IMainWindow&) -> QWidget* {
        update = new FakeUpdateWindow;
        return update;
    };
    auto main = Start(std::move(links));
    ASSERT_NE(update, nullptr);
    QAction* check = main->findChild<QAction*>("Checknewversion1");
    ASSERT_NE(check, nullptr);
    check->trigger();
    EXPECT_TRUE(update->isVisible());
    EXPECT_EQ(update->showings, 1);
    check->trigger();
    EXPECT_EQ(update->showings, 1);
    // Closed, it is shown again, with a check of its own.
    update->close();
    check->trigger();
    EXPECT_EQ(update->showings, 2);
}

TEST_F(MainFormTest, OpenCommandUsesTheDialogStartingInTheProjectsFolder) {
    auto main = Start(Links());
    const QString file = Project("chosen.bvp");
    dialogs.openAnswers.push_back({file.toStdString()});
    main->findChild<QAction*>("actOpenProject")->trigger();
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(dialogs.opens[0].title, "Select project to open");
    EXPECT_EQ(dialogs.opens[0].folder, (home.path() / "Projects").string());
    EXPECT_EQ(dialogs.opens[0].defaultExtension, "bvp");
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_EQ(projects[0]->loadedFile, file);
}

TEST_F(MainFormTest, HintsShowOnlyInHelpMode) {
    auto main = Start(Links());
    TFlatHint* hint = main->HelpModeHint();
    ASSERT_EQ(TFlatHint::Installed(), hint);
    EXPECT_EQ(hint->HintHidePause(), 3000);
    EXPECT_EQ(hint->HintPause(), 200);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 200);
    auto* button = main->findChild<QToolButton*>("tbNewProject");
    const QPoint at = button->mapToGlobal(button->rect().center());
    EXPECT_FALSE(hint->ShowHint(button, at));

    main->findChild<QToolButton*>("tbHelpMode")->click();
    EXPECT_TRUE(main->HelpMode());
    EXPECT_TRUE(hint->ShowHint(button, at));
    ASSERT_NE(hint->HintWindow(), nullptr);
    EXPECT_EQ(hint->HintWindow()->Text(), "Opens new project wizard");

    main->findChild<QToolButton*>("tbHelpMode")->click();
    EXPECT_FALSE(main->HelpMode());
    EXPECT_FALSE(hint->HintWindow()->isVisible());
    EXPECT_FALSE(hint->ShowHint(button, at));
}

TEST_F(MainFormTest, OnlyADriverIsAcceptedOnTheEditorButton) {
    TAppLinks links = Links();
    FakeDriverEditor* editor = nullptr;
    links.createDriverEditor = [&editor](IMainWindow&) -> IDriverEditor* {
        editor = new FakeDriverEditor;
        return editor;
    };
    auto main = Start(std::move(links));
    auto* button = main->findChild<QToolButton*>("tbDriverEditor");

    QMimeData text;
    text.setText("Acme");
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &refused);
    EXPECT_FALSE(refused.isAccepted());

    TDriverObject driver;
    driver.Data.Brand = "Acme";
    TBV_DragObject dragged(driver);
    QDragEnterEvent accepted(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_EQ(editor, nullptr);

    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &drop);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->shown, "Acme");
    // A second command brings the same editor forward.
    FakeDriverEditor* first = editor;
    main->RunDatabaseMaintenance();
    EXPECT_EQ(editor, first);
}

} // namespace
