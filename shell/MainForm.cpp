#include "shell/MainForm.h"

#include "shell/About.h"
#include "shell/DesktopLayout.h"
#include "shell/OptionsF.h"
#include "shell/Settings.h"
#include "shell/StartF.h"

#include "flatctl/TFlatHintUnit.h"
#include "model/DB_Text2.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "workspace/DragUtil.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <system_error>

namespace {

// The application's hint pauses: a hint comes 200 ms after the mouse rests on a control.
class THintTimingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) {
            return 200;
        }
        if (hint == SH_ToolTip_FallAsleepDelay) {
            return 3000;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

std::string Utf8(const QString& text) {
    return text.toStdString();
}
// File names as texts keep their bytes, also those that are not UTF-8.
QString FromPath(const std::filesystem::path& path) {
    return platform::PathToText(path);
}

QString CantOpenProject(const QString& fileName, const QString& why) {
    return QStringLiteral("Can't open the project %1:\n%2").arg(QDir::toNativeSeparators(fileName), why);
}

// A version text that says the file or key was missing.
bool VersionNumberMissing(const TVersionInfo& info) {
    return info.Number.empty() || info.Number == "-error-";
}

} // namespace

TfrmMain::TfrmMain(TAppLinks links, TMainStartup startup, QWidget* parent)
    : QMainWindow(parent), m_Links(std::move(links)), m_Startup(std::move(startup)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Borvik"));
    if (m_Startup.shippedFolders.empty()) {
        m_Startup.shippedFolders = platform::ShippedFolders();
    }
    if (m_Startup.documentsFolder.empty()) {
        m_Startup.documentsFolder = platform::DocumentsFolder();
    }
    if (m_Startup.currentFolder.isEmpty()) {
        m_Startup.currentFolder = QDir::currentPath();
    }

    mdiMain = new QMdiArea(this);
    mdiMain->setObjectName(QStringLiteral("mdiMain"));
    mdiMain->setBackground(QColor(0x4F, 0x4F, 0x4F));
    // The plot window keeps within the workspace when it shrinks (bars reaching their height
    // after the first placement, a smaller frame).
    mdiMain->viewport()->installEventFilter(this);
    setCentralWidget(mdiMain);
    connect(mdiMain, &QMdiArea::subWindowActivated, &m_WindowWatch,
            [this](QMdiSubWindow* sub) { SubWindowActivated(sub); });

    BuildActions();
    BuildMenus();
    BuildToolbar();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(new QLabel(QStringLiteral("Loudspeaker enclosure design"), statusBar()));
    // Without a saved layout the frame takes most of the screen: project windows are large.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 9 / 10, area.height() * 9 / 10);
        move(area.left() + area.width() / 20, area.top() + area.height() / 20);
    } else {
        resize(1000, 700);
    }

    // Hint bubbles of every window show only in help mode, for 3 s on white.
    hintHelpMode = new TFlatHint(this);
    hintHelpMode->setObjectName(QStringLiteral("hintHelpMode"));
    QFont hintFont(QStringLiteral("Comic Sans MS"));
    hintFont.setStyleHint(QFont::Cursive);
    hintHelpMode->SetFont(hintFont);
    hintHelpMode->SetColorArrowBackground(0xFFFF00); // aqua
    hintHelpMode->SetColorBackground(0xFFFFFF);
    // Hints follow 200 ms after the mouse rests and stay three seconds.
    hintHelpMode->SetHintPause(200);
    hintHelpMode->SetHintHidePause(3000);
    hintHelpMode->SetShowHintHandler(
        [this](QString&, bool& canShow, THintInfo&) { canShow = canShow && m_HelpMode; });
}

TfrmMain::~TfrmMain() {
    // The child windows go while this window is whole: a project window frees its slot as it goes.
    m_Closing = true;
    const QList<QMdiSubWindow*> children = mdiMain->subWindowList();
    for (QMdiSubWindow* child : children) {
        delete child;
    }
    delete m_NewProjectWizard;
    delete m_UpdateCheck;
    delete m_Options;
    delete m_About;
    delete m_DatabaseFilter;
    delete m_Splash;
    if (MainWindow() == this) {
        SetMainWindow(nullptr);
    }
}

void TfrmMain::BuildActions() {
    const auto make = [this](const char* name, const QString& caption, const QKeySequence& shortcut) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::ApplicationShortcut);
        return action;
    };
    QStyle* style = this->style();
    actOptions = make("actOptions", QStringLiteral("Show Options"), QKeySequence(Qt::ALT | Qt::Key_O));
    actOpenProject =
        make("actOpenProject", QStringLiteral("Open Project"), QKeySequence(Qt::CTRL | Qt::Key_O));
    actOpenProject->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    actOpenProject->setToolTip(QStringLiteral("Opens previously saved project."));
    actNewProject = make("actNewProject", QStringLiteral("New Project"), QKeySequence(Qt::CTRL | Qt::Key_N));
    actNewProject->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    actNewProject->setToolTip(QStringLiteral("Opens new project wizard"));
    actExitProgram =
        make("actExitProgram", QStringLiteral("Exit Program"), QKeySequence(Qt::ALT | Qt::Key_X));
    actSignalGenerator =
        make("actSignalGenerator", QStringLiteral("Signal Gen."), QKeySequence(Qt::ALT | Qt::Key_S));
    actSignalGenerator->setIcon(style->standardIcon(QStyle::SP_MediaVolume));
    actSignalGenerator->setToolTip(QStringLiteral("Opens signal generator"));
    actDatabaseMaintenance = make("actDatabaseMaintenance", QStringLiteral("Database Editing"),
                                  QKeySequence(Qt::CTRL | Qt::Key_D));
    actDatabaseMaintenance->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    actSaveProjectActive =
        make("Saveprojectactive1", QStringLiteral("Save project (active)"), QKeySequence::Save);

    connect(actOptions, &QAction::triggered, this, &TfrmMain::ShowOptions);
    connect(actOpenProject, &QAction::triggered, this, &TfrmMain::OpenProject);
    connect(actNewProject, &QAction::triggered, this, &TfrmMain::NewProject);
    connect(actExitProgram, &QAction::triggered, this, &QWidget::close);
    connect(actSignalGenerator, &QAction::triggered, this, &TfrmMain::RunSignalGenerator);
    connect(actDatabaseMaintenance, &QAction::triggered, this, &TfrmMain::RunDatabaseMaintenance);
    connect(actSaveProjectActive, &QAction::triggered, this, &TfrmMain::SaveProjectActive);
}

void TfrmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(actOpenProject);
    file->addAction(actSaveProjectActive);
    file->addAction(actNewProject);
    file->addSeparator();
    file->addAction(actOptions);
    file->addSeparator();
    file->addAction(actExitProgram);

    QMenu* utilities = bar->addMenu(QStringLiteral("&Utilities"));
    utilities->setObjectName(QStringLiteral("Utilities1"));
    utilities->addAction(actDatabaseMaintenance);
    utilities->addAction(actSignalGenerator);

    mnuWindow = bar->addMenu(QStringLiteral("&Window"));
    mnuWindow->setObjectName(QStringLiteral("Window1"));
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] {
        // The frame's window menu ends with the list of child windows.
        const QList<QAction*> actions = mnuWindow->actions();
        for (QAction* action : actions) {
            if (action->property("childWindowItem").toBool()) {
                mnuWindow->removeAction(action);
                action->deleteLater();
            }
        }
        QMenu list;
        FillWindowsMenu(&list);
        if (!list.actions().isEmpty()) {
            QAction* separator = mnuWindow->addSeparator();
            separator->setProperty("childWindowItem", true);
        }
        for (QAction* action : list.actions()) {
            action->setParent(mnuWindow);
            action->setProperty("childWindowItem", true);
            mnuWindow->addAction(action);
        }
    });
    QAction* tile = mnuWindow->addAction(QStringLiteral("Tile windows"), this, &TfrmMain::TileWindows);
    tile->setObjectName(QStringLiteral("Minimizeall1"));
    QAction* cascade =
        mnuWindow->addAction(QStringLiteral("Cascade windows"), this, &TfrmMain::CascadeWindows);
    cascade->setObjectName(QStringLiteral("Cascadewindows1"));
    mnuWindow->addSeparator();
    QMenu* toolbar = mnuWindow->addMenu(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    actToolbarVisible = toolbar->addAction(QStringLiteral("Visible"));
    actToolbarVisible->setObjectName(QStringLiteral("Visible1"));
    actToolbarVisible->setCheckable(true);
    actToolbarVisible->setChecked(true);
    connect(actToolbarVisible, &QAction::triggered, this, &TfrmMain::SetToolbarVisible);
    actShowTextOnButtons = toolbar->addAction(QStringLiteral("Show text on buttons"));
    actShowTextOnButtons->setObjectName(QStringLiteral("Showtextonbuttons"));
    actShowTextOnButtons->setCheckable(true);
    actShowTextOnButtons->setChecked(true);
    connect(actShowTextOnButtons, &QAction::triggered, this, &TfrmMain::SetToolbarCaptions);
    QMenu* desktop = mnuWindow->addMenu(QStringLiteral("Desktop"));
    desktop->setObjectName(QStringLiteral("Desktop1"));
    QAction* savePositions =
        desktop->addAction(QStringLiteral("Save window positions"), this, &TfrmMain::SaveWindowPositions);
    savePositions->setObjectName(QStringLiteral("Savewindowpositions1"));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    QAction* contents = help->addAction(QStringLiteral("Contents"), this,
                                        [this] { ShowHelpTopic(QStringLiteral("index.html")); });
    contents->setObjectName(QStringLiteral("Contents1"));
    contents->setShortcut(QKeySequence::HelpContents);
    QAction* gettingStarted = help->addAction(QStringLiteral("Getting started"), this, [this] {
        ShowHelpTopic(QStringLiteral("usingborvik/gettingstarted.html"));
    });
    gettingStarted->setObjectName(QStringLiteral("Howtobegin1"));
    QMenu* online = help->addMenu(QStringLiteral("Online"));
    online->setObjectName(QStringLiteral("Online1"));
    actForums = online->addAction(QStringLiteral("Forums"), this, &TfrmMain::OpenForums);
    actForums->setObjectName(QStringLiteral("Forums1"));
    QAction* updates =
        online->addAction(QStringLiteral("Check internet for updates"), this, &TfrmMain::CheckForUpdates);
    updates->setObjectName(QStringLiteral("Checknewversion1"));
    help->addSeparator();
    QAction* about = help->addAction(QStringLiteral("About..."), this, &TfrmMain::ShowAbout);
    about->setObjectName(QStringLiteral("N2"));
}

void TfrmMain::BuildToolbar() {
    ToolBar = addToolBar(QStringLiteral("Toolbar"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(16, 16));
    QStyle* style = this->style();

    const auto addButton = [this](QToolButton* button, const char* name) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoRaise(true);
        ToolBar->addWidget(button);
        m_ToolButtons.push_back(button);
        return button;
    };

    auto* tbNewProject = addButton(new QToolButton(ToolBar), "tbNewProject");
    tbNewProject->setDefaultAction(actNewProject);

    popProjects = new QMenu(this);
    popProjects->setObjectName(QStringLiteral("popProjects"));
    connect(popProjects, &QMenu::aboutToShow, this, [this] { FillProjectsMenu(popProjects); });
    auto* tbOpenProject = addButton(new QToolButton(ToolBar), "tbOpenProject");
    tbOpenProject->setDefaultAction(actOpenProject);
    tbOpenProject->setMenu(popProjects);
    tbOpenProject->setPopupMode(QToolButton::MenuButtonPopup);
    ToolBar->addSeparator();

    popPlot = new QMenu(this);
    popPlot->setObjectName(QStringLiteral("popPlot"));
    for (int n = 1; n <= kMaxProjects; ++n) {
        QAction* item = popPlot->addAction(QString::number(n));
        item->setObjectName(QStringLiteral("PlotProjectItem%1").arg(n));
        item->setData(n);
        item->setCheckable(true);
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, n] {
            SetActiveProject(n);
            CheckActiveProjectItem(m_ActiveProject);
        });
        m_PlotProjectItems[static_cast<std::size_t>(n - 1)] = item;
    }
    auto* tbCursor = addButton(new QToolButton(ToolBar), "tbCursor");
    tbCursor->setText(QStringLiteral("Cursor"));
    tbCursor->setIcon(style->standardIcon(QStyle::SP_ArrowRight));
    tbCursor->setToolTip(QStringLiteral("Plot to follow by mouse, Click for menu"));
    tbCursor->setMenu(popPlot);
    tbCursor->setPopupMode(QToolButton::InstantPopup);

    popWindows = new QMenu(this);
    popWindows->setObjectName(QStringLiteral("popWindows"));
    connect(popWindows, &QMenu::aboutToShow, this, [this] { FillWindowsMenu(popWindows); });
    auto* tbWindows = addButton(new QToolButton(ToolBar), "tbWindows");
    tbWindows->setText(QStringLiteral("Windows"));
    tbWindows->setIcon(style->standardIcon(QStyle::SP_TitleBarNormalButton));
    tbWindows->setToolTip(QStringLiteral("Show list of windows"));
    tbWindows->setMenu(popWindows);
    tbWindows->setPopupMode(QToolButton::InstantPopup);
    ToolBar->addSeparator();

    auto* tbSignalGenerator = addButton(new QToolButton(ToolBar), "tbSignalGenerator");
    tbSignalGenerator->setDefaultAction(actSignalGenerator);

    popFilters = new QMenu(this);
    popFilters->setObjectName(QStringLiteral("popFilters"));
    tbFilter = addButton(new QToolButton(ToolBar), "tbFilter");
    tbFilter->setText(QStringLiteral("Calculators"));
    tbFilter->setIcon(style->standardIcon(QStyle::SP_ComputerIcon));
    tbFilter->setToolTip(QStringLiteral("Start filter designer"));
    tbFilter->setMenu(popFilters);
    tbFilter->setPopupMode(QToolButton::MenuButtonPopup);
    connect(tbFilter, &QToolButton::clicked, this, &TfrmMain::RunCalculators);

    tbDriverEditor = addButton(new QToolButton(ToolBar), "tbDriverEditor");
    tbDriverEditor->setDefaultAction(actDatabaseMaintenance);
    tbDriverEditor->setText(QStringLiteral("Editor"));
    tbDriverEditor->setToolTip(QStringLiteral("Opens driver editor"));
    tbDriverEditor->setAcceptDrops(true);
    tbDriverEditor->installEventFilter(this);
    ToolBar->addSeparator();

    tbHelpMode = addButton(new QToolButton(ToolBar), "tbHelpMode");
    tbHelpMode->setText(QStringLiteral("Help Mode"));
    tbHelpMode->setIcon(style->standardIcon(QStyle::SP_MessageBoxQuestion));
    tbHelpMode->setCheckable(true);
    connect(tbHelpMode, &QToolButton::toggled, this, &TfrmMain::SetHelpMode);

    ApplyToolbarRule();
}

// ---------------------------------------------------------------------------------------------
// Start-up.

std::optional<std::filesystem::path> TfrmMain::FindShipped(std::string_view name) const {
    for (const std::filesystem::path& folder : m_Startup.shippedFolders) {
        if (auto found = platform::ResolveWithoutCase(folder, name)) {
            return found;
        }
    }
    return std::nullopt;
}

QString TfrmMain::ProjectsFolder() const {
    return FromPath(m_Startup.documentsFolder / "Projects");
}

void TfrmMain::SplashText(const QString& text) {
    if (m_Splash) {
        m_Splash->SetInfo(text);
    }
}

bool TfrmMain::Create() {
    SetMainWindow(this);
    // 1. The open dialog starts in the projects folder.
    m_OpenFolder = ProjectsFolder();

    // 2. Help mode off; the help system on the shipped help file.
    SetHelpMode(false);
    if (m_Links.createHelpSystem) {
        const std::filesystem::path helpFile =
            FindShipped("borvik.chm").value_or(platform::ProgramFolder() / "borvik.chm");
        m_Help = m_Links.createHelpSystem(FromPath(helpFile));
    }

    // 4. The version file, from the program's folders, never the current one.
    const std::optional<std::filesystem::path> versionFile = FindShipped("version.ini");
    TVersionInfo version;
    if (!versionFile || !ReadVersionInfo(*versionFile, version) || VersionNumberMissing(version)) {
        Inform(QStringLiteral("Can't load version.ini, check your program path!"),
               platform::MessageKind::Error);
        return false;
    }
    VersionInfo = version;
    actForums->setEnabled(!VersionInfo.WebURL.empty() && VersionInfo.WebURL != "-error-");

    // 6. The database filter window lives from start-up to the end.
    if (m_Links.createDatabaseFilter) {
        m_DatabaseFilter = m_Links.createDatabaseFilter(*this);
        if (!m_DatabaseFilter) {
            Inform(QStringLiteral("Program error : Can't create Database filter object!"),
                   platform::MessageKind::Error);
        }
    }

    // 7. The splash screen.
    m_Splash = new TfrmSplashScreen;
    m_Splash->SetProgram(QStringLiteral("Loading Borvik ") + QString::fromStdString(VersionInfo.Number));
    m_Splash->show();
    m_Splash->raise();
    QCoreApplication::processEvents();

    // 8.
    SplashText(QStringLiteral("Setting variables..."));
    if (dynamic_cast<THintTimingStyle*>(QApplication::style()) == nullptr) {
        QApplication::setStyle(new THintTimingStyle(QStyleFactory::create(QApplication::style()->name())));
    }

    // 9.
    SplashText(QStringLiteral("Loading configuration data..."));
    if (m_Startup.store != nullptr) {
        const platform::FakeJoystickProbe noJoystick;
        platform::StoreResult written;
        ReadSettings(*m_Startup.store,
                     m_Startup.joystick != nullptr ? *m_Startup.joystick
                                                   : static_cast<const platform::JoystickProbe&>(noJoystick),
                     &written);
        if (const std::string message = SettingsStartupMessage(*m_Startup.store, written); !message.empty()) {
            Inform(QString::fromStdString(message), platform::MessageKind::Warning);
        }
    }

    // 10. The documents' folders, created silently.
    SplashText(QStringLiteral("Checking database existence..."));
    for (const char* folder : {"Drivers", "Projects"}) {
        std::error_code error;
        std::filesystem::create_directories(m_Startup.documentsFolder / folder, error);
        if (error) {
            Inform(QStringLiteral("Can't create the folder %1: %2")
                       .arg(FromPath(m_Startup.documentsFolder / folder),
                            QString::fromStdString(error.message())),
                   platform::MessageKind::Warning);
        }
    }

    // 11. The driver database on the documents' Drivers folder.
    DriverDatabase.Directory = (m_Startup.documentsFolder / "Drivers").string() + "/";
    // The unit choices are kept among the documents too; the first write that fails there says
    // so, once, after the event that caused it.
    TUnitStore::Instance().SetWriteFailureHandler([window = QPointer<TfrmMain>(this)](const std::string& message) {
        QTimer::singleShot(0, qApp, [window, text = QString::fromStdString(message)] {
            if (window) {
                window->Inform(text, platform::MessageKind::Warning);
            }
        });
    });

    // 12. The one new-project wizard.
    SplashText(QStringLiteral("Loading drivers..."));
    if (m_Links.createNewProjectWizard) {
        m_NewProjectWizard = m_Links.createNewProjectWizard(*this);
        if (!m_NewProjectWizard) {
            Inform(QStringLiteral("Program error : Can't create newproject dialog!"),
                   platform::MessageKind::Error);
        }
    }

    // 13.
    setWindowTitle(QStringLiteral("Borvik ") + QString::fromStdString(VersionInfo.Number));

    // 14.
    if (m_Startup.store != nullptr) {
        DesktopLayout = LoadDesktop(*m_Startup.store);
    }

    // 15.
    SplashText(QStringLiteral("Doing nothing ..."));
    return true;
}

void TfrmMain::CreateForms() {
    if (m_Links.createUpdateCheck && !m_UpdateCheck) {
        m_UpdateCheck = m_Links.createUpdateCheck(*this);
    }
    if (m_Links.createPlotWindow && m_PlotWindow == nullptr) {
        m_PlotWindow = m_Links.createPlotWindow(*this);
        if (m_PlotWindow != nullptr) {
            m_PlotWidget = m_PlotWindow->Widget();
            AddChildWindow(m_PlotWidget);
        }
    }
    if (!m_Options && m_Startup.store != nullptr) {
        m_Options = new TfrmOptions(*m_Startup.store, this);
    }
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Restoring a minimised window shows it again; the start-up work runs once.
    if (!m_FirstShowDone) {
        m_FirstShowDone = true;
        FormShow();
    }
}

void TfrmMain::FormShow() {
    LoadFilterMenu();

    // The splash stays a moment on a timer; the window answers meanwhile.
    if (m_Splash) {
        m_Splash->raise();
        QTimer::singleShot(std::max(0, m_Startup.splashMilliseconds), this, [this] {
            if (m_Splash) {
                m_Splash->close();
                m_Splash->deleteLater();
            }
        });
    }

    actShowTextOnButtons->setChecked(TC.ButtonText);
    ApplyToolbarRule();
    ApplyDesktopLayout();

    // The plot window takes its place once the frame has its size; then the command line's
    // files open, once.
    QTimer::singleShot(0, this, &TfrmMain::PlacePlotWindow);
    QTimer::singleShot(0, this, &TfrmMain::OpenCommandLineFiles);
}

void TfrmMain::PlacePlotWindow() {
    QMdiSubWindow* frame = SubWindowOf(m_PlotWidget);
    if (frame == nullptr) {
        return;
    }
    const QRect area = mdiMain->viewport()->rect();
    TScreenRect place{0, 0, area.width() * 11 / 20, area.height()};
    if (DesktopLayout.valid) {
        place = {DesktopLayout.PlotLeft, DesktopLayout.PlotTop, DesktopLayout.PlotWidth,
                 DesktopLayout.PlotHeight};
    }
    place = ClampToArea(place, {0, 0, area.width(), area.height()});
    // The program's own place lies on the grid; a saved one is taken as it was saved.
    const TTilePlace placed = DesktopLayout.valid ? TTilePlace{place.left, place.top, place.width, place.height}
                                                  : PlaceOnGrid(place, *frame);
    frame->setGeometry(placed.left, placed.top, placed.width, placed.height);
    m_PlotStartPlace = frame->geometry();
}

void TfrmMain::KeepPlotWindowInWorkspace() {
    KeepInWorkspace(SubWindowOf(m_PlotWidget));
}

void TfrmMain::ApplyDesktopLayout() {
    if (!DesktopLayout.valid) {
        return;
    }
    TScreenRect saved{DesktopLayout.MainLeft, DesktopLayout.MainTop, DesktopLayout.MainWidth,
                      DesktopLayout.MainHeight};
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        saved = ClampToArea(saved, {area.left(), area.top(), area.width(), area.height()});
    }
    move(saved.left, saved.top);
    resize(saved.width, saved.height);
}

void TfrmMain::OpenCommandLineFiles() {
    if (m_CommandLineTaken) {
        return;
    }
    m_CommandLineTaken = true;
    const QStringList arguments = std::exchange(m_Startup.arguments, {});
    const TCommandLineFiles named = ProjectArguments(arguments, m_Startup.currentFolder);
    if (const QString report = CommandLineReport(named); !report.isEmpty()) {
        Inform(report, platform::MessageKind::Warning);
    }
    for (const QString& file : named.files) {
        OpenProjectFile(file);
    }
}

void TfrmMain::LoadFilterMenu() {
    popFilters->clear();
    QStringList files;
    if (const auto folder = FindShipped("filters")) {
        for (const std::string& name : platform::ListFiles(*folder, "*.flt")) {
            files << FromPath(*folder / name);
        }
    }
    m_CalculatorMenu = BuildCalculatorMenu(files, m_Links.loadCalculatorFile);
    for (const TCalculatorCategory& category : m_CalculatorMenu.categories) {
        QMenu* submenu = popFilters->addMenu(EscapeAmpersands(category.name));
        for (const TCalculatorEntry& entry : category.entries) {
            QAction* item = submenu->addAction(EscapeAmpersands(entry.name));
            item->setData(entry.number);
            const int number = entry.number;
            connect(item, &QAction::triggered, this, [this, number] { OpenCalculator(number); });
        }
    }
    const QString report = CalculatorMenuReport(m_CalculatorMenu);
    if (!report.isEmpty()) {
        Inform(report, platform::MessageKind::Warning);
    }
}

void TfrmMain::ApplyToolbarRule() {
    const bool captions = actShowTextOnButtons->isChecked();
    const TToolbarMetrics metrics = ToolbarMetrics(captions);
    for (QToolButton* button : m_ToolButtons) {
        button->setToolButtonStyle(captions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        // Sizes are lower bounds: a larger font or scale grows the buttons instead of clipping.
        button->setMinimumSize(metrics.buttonWidth, metrics.buttonHeight);
        if (!captions) {
            button->setAccessibleName(button->text());
        }
    }
    ToolBar->setMinimumHeight(metrics.barHeight);
}

// ---------------------------------------------------------------------------------------------
// Project slots.

void TfrmMain::SetActiveProject(int n) {
    if (n == m_ActiveProject) {
        return;
    }
    if (IPlotWindow* plot = PlotWindow()) {
        plot->ClearReadouts();
    }
    m_ActiveProject = ResolveActiveProject(m_Slots, n);
    if (m_ActiveProject > 0) {
        CheckActiveProjectItem(m_ActiveProject);
        if (IPlotWindow* plot = PlotWindow()) {
            plot->ShowActiveProject(m_Slots[m_ActiveProject].caption);
        }
    } else {
        CheckActiveProjectItem(-1);
        if (IPlotWindow* plot = PlotWindow()) {
            plot->ShowActiveProject(QStringLiteral("No open projects"));
        }
    }
}

void TfrmMain::SubWindowActivated(QMdiSubWindow* sub) {
    // A project window that comes to the front, whether by its title bar, a click inside, the
    // Window menu, the keyboard or a dialog over it closing, is the project the commands and the
    // cursor act on.
    if (sub == nullptr || m_Closing) {
        return;
    }
    for (int n = 1; n <= kMaxProjects; ++n) {
        if (m_Slots.Used(n) && m_Slots[n].window != nullptr && m_Slots[n].window->Widget() == sub->widget()) {
            SetActiveProject(n);
            return;
        }
    }
}

void TfrmMain::CheckActiveProjectItem(int n) {
    for (int item = 1; item <= kMaxProjects; ++item) {
        m_PlotProjectItems[static_cast<std::size_t>(item - 1)]->setChecked(item == n);
    }
}

int TfrmMain::AllocateProjectSlot() {
    if (!m_Links.createProjectWindow) {
        NotBuilt(QStringLiteral("project window"));
        return 0;
    }
    const int n = m_Slots.Allocate();
    if (n == 0) {
        return 0;
    }
    IProjectWindow* window = m_Links.createProjectWindow(*this, n);
    if (window == nullptr || window->Widget() == nullptr) {
        m_Slots.Free(n);
        return 0;
    }
    m_Slots[n].window = window;
    QMdiSubWindow* sub = mdiMain->addSubWindow(window->Widget());
    sub->hide(); // shown when the project starts
    // Projects stand in a cascade beside the plot window rather than on top of it (a plot window
    // still where the program put it narrows for that while its bars keep their room), or else
    // below its bars.
    const QRect area = mdiMain->viewport()->rect();
    QMdiSubWindow* plot = SubWindowOf(m_PlotWidget);
    sub->adjustSize();
    sub->resize(std::min(sub->width(), area.width()), std::min(sub->height(), area.height()));
    TTilePlace plotPlace;
    int plotBars = 0;
    if (plot != nullptr && plot->isVisible() && !plot->isMinimized() && !plot->isMaximized()) {
        QRect g = plot->geometry();
        const int room = AlignToGrid(area.width() - sub->width() - g.x(), TC.GridON ? TC.GridX : 1);
        const int bars = m_PlotWidget->sizeHint().width() + (g.width() - m_PlotWidget->width());
        if (!DesktopLayout.valid && g == m_PlotStartPlace && room < g.width() && room >= bars) {
            plot->resize(room, g.height());
            g = plot->geometry();
            m_PlotStartPlace = g;
        }
        plotPlace = {g.x(), g.y(), g.width(), g.height()};
        if (const QWidget* picture = m_PlotWidget->findChild<QWidget*>(QStringLiteral("pboxPlot"))) {
            plotBars = picture->mapTo(plot, QPoint(0, 0)).y();
        }
    }
    const TTilePlace place = PlaceNewProject(area.width(), area.height(), plotPlace, plotBars, sub->width(),
                                             sub->height(), n, TC.GridON ? TC.GridY : 1);
    sub->move(place.left, place.top);
    return n;
}

void TfrmMain::SetSlotCaption(int n, const QString& caption) {
    if (!m_Slots.Used(n)) {
        return;
    }
    m_Slots[n].caption = caption;
    QAction* item = m_PlotProjectItems[static_cast<std::size_t>(n - 1)];
    item->setText(EscapeAmpersands(caption));
    item->setVisible(true);
    if (IProjectWindow* window = m_Slots[n].window) {
        AddChildWindow(window->Widget());
    }
    if (n == m_ActiveProject) {
        if (IPlotWindow* plot = PlotWindow()) {
            plot->ShowActiveProject(caption);
        }
    }
}

void TfrmMain::FreeSlot(int n) {
    if (!m_Slots.Used(n)) {
        return;
    }
    m_Slots.Free(n);
    QAction* item = m_PlotProjectItems[static_cast<std::size_t>(n - 1)];
    item->setVisible(false);
    item->setChecked(false);
    item->setText(QString::number(n));
    if (n == m_ActiveProject) {
        SetActiveProject(ActiveAfterFree(m_Slots, n, m_ActiveProject));
    }
}

bool TfrmMain::OpenProjectFile(const QString& fileName) {
    if (!m_Links.createProjectWindow) {
        NotBuilt(QStringLiteral("project window"));
        return false;
    }
    const int n = AllocateProjectSlot();
    if (n == 0) {
        Inform(QStringLiteral("Maximum number(%1) of simultaneous projects reached!").arg(kMaxProjects),
               platform::MessageKind::Warning);
        return false;
    }
    IProjectWindow* window = m_Slots[n].window;
    QString error;
    if (!window->LoadProjectFile(fileName, error)) {
        // The slot is free again before the window goes, so nothing it does on closing can
        // reach a slot that another project takes later.
        FreeSlot(n);
        QWidget* widget = window->Widget();
        QMdiSubWindow* sub = SubWindowOf(widget);
        delete (sub != nullptr ? static_cast<QWidget*>(sub) : widget);
        Inform(CantOpenProject(fileName, error), platform::MessageKind::Error);
        return false;
    }
    window->StartNow(0);
    AddChildWindow(window->Widget());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Child windows.

QMdiSubWindow* TfrmMain::SubWindowOf(QWidget* widget) const {
    if (widget == nullptr) {
        return nullptr;
    }
    for (QMdiSubWindow* sub : mdiMain->subWindowList()) {
        if (sub->widget() == widget) {
            return sub;
        }
    }
    return nullptr;
}

void TfrmMain::AddChildWindow(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    QMdiSubWindow* sub = SubWindowOf(window);
    const bool opening = sub == nullptr || !sub->isVisible();
    if (sub == nullptr) {
        sub = mdiMain->addSubWindow(window);
        // A child that frees itself takes its frame along, and hands the front back to the
        // window worked in before it.
        connect(window, &QObject::destroyed, sub, &QObject::deleteLater);
        // (The frame may be going itself: it is known only as an object then.)
        connect(window, &QObject::destroyed, &m_WindowWatch, [this, frame = QPointer<QObject>(sub)] {
            if (!m_Closing) {
                ReturnToPreviousWindow(frame.data());
            }
        });
    }
    if (sub->isMinimized()) {
        sub->showNormal();
    }
    window->show();
    sub->show();
    mdiMain->setActiveSubWindow(sub);
    if (opening) {
        // A window opens wholly in the workspace, also after its layout has settled at the
        // screen's scale, and with the keyboard in its first field.
        KeepInWorkspace(sub);
        GiveKeyboard(sub);
        QTimer::singleShot(0, sub, [this, frame = QPointer<QMdiSubWindow>(sub)] {
            if (frame) {
                KeepInWorkspace(frame);
                if (mdiMain->activeSubWindow() == frame) {
                    GiveKeyboard(frame);
                }
            }
        });
    }
}

void TfrmMain::ReturnToPreviousWindow(const QObject* closing) {
    // The workspace itself would bring forward whichever window lies highest, which need not be
    // the one the user came from.
    const QList<QMdiSubWindow*> history = mdiMain->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.crbegin(); it != history.crend(); ++it) {
        QMdiSubWindow* candidate = *it;
        if (static_cast<const QObject*>(candidate) == closing) {
            continue;
        }
        if (candidate->widget() == nullptr || !candidate->isVisible() ||
            candidate->isMinimized()) {
            continue;
        }
        QTimer::singleShot(0, this, [this, target = QPointer<QMdiSubWindow>(candidate)] {
            if (target && target->isVisible() && !m_Closing) {
                mdiMain->setActiveSubWindow(target);
            }
        });
        return;
    }
}

void TfrmMain::GiveKeyboard(QMdiSubWindow* sub) {
    QWidget* window = sub->widget();
    if (window == nullptr) {
        return;
    }
    const QWidget* holder = QApplication::focusWidget();
    if (holder != nullptr && window->isAncestorOf(holder)) {
        return;
    }
    // A window without a field of its own that takes the keyboard leaves it with its frame.
    for (QWidget* next = window->nextInFocusChain(); next != nullptr && next != window;
         next = next->nextInFocusChain()) {
        if (window->isAncestorOf(next) && next->isVisibleTo(window) && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) != 0) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TfrmMain::KeepInWorkspace(QMdiSubWindow* sub) {
    if (sub == nullptr || sub->isMinimized() || sub->isMaximized()) {
        return;
    }
    const QRect area = mdiMain->viewport()->rect();
    const QRect now = sub->geometry();
    if (area.isEmpty() || area.contains(now)) {
        return;
    }
    const TTilePlace place = PlaceOnGrid(
        ClampToArea({now.left(), now.top(), now.width(), now.height()}, {0, 0, area.width(), area.height()}),
        *sub);
    sub->setGeometry(place.left, place.top, place.width, place.height);
}

TTilePlace TfrmMain::PlaceOnGrid(const TScreenRect& place, const QWidget& window) const {
    // A window that snaps to the grid when it moves or resizes would snap back out of the
    // workspace from a place or size between two grid lines: both are rounded down onto it.
    TTilePlace result{place.left, place.top, place.width, place.height};
    if (TC.GridON) {
        result.left = AlignToGrid(result.left, TC.GridX);
        result.top = AlignToGrid(result.top, TC.GridY);
        result.width = std::max(AlignToGrid(result.width, TC.GridX), window.minimumWidth());
        result.height = std::max(AlignToGrid(result.height, TC.GridY), window.minimumHeight());
    }
    return result;
}

IPlotWindow* TfrmMain::PlotWindow() {
    return m_PlotWidget ? m_PlotWindow : nullptr;
}

ISignalGenerator* TfrmMain::SignalGenerator() {
    return m_SignalGeneratorWidget ? m_SignalGenerator : nullptr;
}

template <class Window, class Factory>
void TfrmMain::ShowSingleWindow(Window*& window, QPointer<QWidget>& widget, const Factory& create,
                                const QString& what) {
    if (widget) {
        AddChildWindow(widget);
        return;
    }
    if (!create) {
        NotBuilt(what);
        return;
    }
    window = create(*this);
    widget = window != nullptr ? window->Widget() : nullptr;
    AddChildWindow(widget);
}

void TfrmMain::RunDatabaseMaintenance() {
    ShowSingleWindow(m_DriverEditor, m_DriverEditorWidget, m_Links.createDriverEditor,
                     QStringLiteral("driver editor"));
}

void TfrmMain::RunSignalGenerator() {
    ShowSingleWindow(m_SignalGenerator, m_SignalGeneratorWidget, m_Links.createSignalGenerator,
                     QStringLiteral("signal generator"));
}

void TfrmMain::RunCalculators() {
    if (m_Calculators) {
        AddChildWindow(m_Calculators);
        return;
    }
    if (!m_Links.createCalculator) {
        NotBuilt(QStringLiteral("calculators window"));
        return;
    }
    m_Calculators = m_Links.createCalculator(*this, 0);
    AddChildWindow(m_Calculators);
}

void TfrmMain::OpenCalculator(int number) {
    if (!m_Links.createCalculator) {
        NotBuilt(QStringLiteral("calculators window"));
        return;
    }
    AddChildWindow(m_Links.createCalculator(*this, number));
}

// ---------------------------------------------------------------------------------------------
// Commands.

void TfrmMain::SaveProjectActive() {
    if (m_ActiveProject > 0 && m_Slots.Used(m_ActiveProject) && m_Slots[m_ActiveProject].window != nullptr) {
        m_Slots[m_ActiveProject].window->SaveProject();
    }
}

void TfrmMain::OpenProject() {
    if (!m_Links.createProjectWindow) {
        NotBuilt(QStringLiteral("project window"));
        return;
    }
    platform::FileRequest request;
    request.title = "Select project to open";
    request.folder = platform::TextToFileName(m_OpenFolder);
    request.filters = {{"Borvik project files (*.bvp)", {"*.bvp"}}};
    request.defaultExtension = "bvp";
    request.parent = this;
    const std::optional<std::string> chosen = platform::AppDialogs().OpenFile(request);
    if (chosen) {
        m_OpenFolder = FromPath(std::filesystem::path(*chosen).parent_path());
        OpenProjectFile(platform::FileNameToText(*chosen));
    }
}

void TfrmMain::NewProject() {
    if (!m_NewProjectWizard) {
        NotBuilt(QStringLiteral("new-project wizard"));
        return;
    }
    m_NewProjectWizard->show();
    m_NewProjectWizard->raise();
    m_NewProjectWizard->activateWindow();
}

void TfrmMain::ShowOptions() {
    if (!m_Options) {
        NotBuilt(QStringLiteral("options window"));
        return;
    }
    m_Options->show();
    m_Options->raise();
    m_Options->activateWindow();
}

void TfrmMain::ShowAbout() {
    // At most one About box; it frees itself when closed.
    if (m_About) {
        return;
    }
    auto* about = new TfrmAbout(m_Startup.shippedFolders, this);
    m_About = about;
    about->show();
}

void TfrmMain::CheckForUpdates() {
    if (!m_UpdateCheck) {
        NotBuilt(QStringLiteral("update check"));
        return;
    }
    // The window runs its check each time it is shown; shown already, it only comes to the front.
    if (!m_UpdateCheck->isVisible()) {
        m_UpdateCheck->show();
    } else if (m_UpdateCheck->isMinimized()) {
        m_UpdateCheck->showNormal();
    }
    m_UpdateCheck->raise();
    m_UpdateCheck->activateWindow();
}

void TfrmMain::OpenForums() {
    if (VersionInfo.WebURL.empty() || VersionInfo.WebURL == "-error-") {
        return;
    }
    std::string address = VersionInfo.WebURL;
    while (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    ShellOpen(address + "/default.aspx?pageid=forums");
}

void TfrmMain::ShowHelpTopic(const QString& topic) {
    if (!m_Help) {
        NotBuilt(QStringLiteral("help viewer"));
        return;
    }
    m_Help->HelpTopic(topic);
}

void TfrmMain::SetHelpMode(bool on) {
    m_HelpMode = on;
    if (tbHelpMode != nullptr && tbHelpMode->isChecked() != on) {
        tbHelpMode->setChecked(on);
    }
    if (!on && hintHelpMode != nullptr) {
        hintHelpMode->HideHint();
    }
}

void TfrmMain::SetToolbarCaptions(bool on) {
    actShowTextOnButtons->setChecked(on);
    ApplyToolbarRule();
    TC.ButtonText = on;
    if (m_Startup.store != nullptr) {
        const platform::StoreResult written = WriteSettings(*m_Startup.store);
        if (!written) {
            Inform(QStringLiteral("The settings could not be written: %1")
                       .arg(QString::fromStdString(written.error)),
                   platform::MessageKind::Warning);
        }
    }
}

void TfrmMain::SetToolbarVisible(bool on) {
    actToolbarVisible->setChecked(on);
    ToolBar->setVisible(on);
}

void TfrmMain::SaveWindowPositions() {
    if (m_Startup.store == nullptr) {
        return;
    }
    TDesktopLayout layout;
    layout.valid = true;
    const QRect main = geometry();
    layout.MainLeft = main.left();
    layout.MainTop = main.top();
    layout.MainHeight = main.height();
    layout.MainWidth = main.width();
    if (QWidget* plot = m_PlotWidget) {
        const QWidget* frame = SubWindowOf(plot);
        const QRect plotRect = frame != nullptr ? frame->geometry() : plot->geometry();
        layout.PlotLeft = plotRect.left();
        layout.PlotTop = plotRect.top();
        layout.PlotHeight = plotRect.height();
        layout.PlotWidth = plotRect.width();
    }
    const platform::StoreResult written = SaveDesktop(*m_Startup.store, layout);
    if (!written) {
        Inform(QStringLiteral("The window positions could not be saved: %1")
                   .arg(QString::fromStdString(written.error)),
               platform::MessageKind::Warning);
    }
}

void TfrmMain::TileWindows() {
    // The workspace's own tiling grows the main window until every child fits at its smallest
    // size; these tiles keep to the workspace as it is and let such a child overlap.
    std::vector<QMdiSubWindow*> tiled;
    std::vector<TTileLimits> limits;
    for (QMdiSubWindow* sub : mdiMain->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || sub->isMinimized()) {
            continue;
        }
        if (sub->isMaximized()) {
            sub->showNormal();
        }
        tiled.push_back(sub);
        // A frame of fixed size is only moved: squeezed, it would hide fields that the user
        // cannot bring back by resizing it. Any other frame keeps room for its content.
        if (sub->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)) {
            limits.push_back({sub->width(), sub->height(), sub->width(), sub->height()});
        } else {
            const QSize smallest = sub->minimumSize().expandedTo(sub->minimumSizeHint());
            limits.push_back({smallest.width(), smallest.height(), sub->maximumWidth(), sub->maximumHeight()});
        }
    }
    const QRect area = mdiMain->viewport()->rect();
    const std::vector<TTilePlace> places =
        TC.GridON ? TilePlaces(limits, area.width(), area.height(), TC.GridX, TC.GridY)
                  : TilePlaces(limits, area.width(), area.height());
    for (std::size_t i = 0; i < tiled.size(); ++i) {
        tiled[i]->setGeometry(places[i].left, places[i].top, places[i].width, places[i].height);
    }
}

void TfrmMain::CascadeWindows() {
    mdiMain->cascadeSubWindows();
}

// ---------------------------------------------------------------------------------------------
// Drop-downs.

void TfrmMain::FillWindowsMenu(QMenu* menu) {
    menu->clear();
    const QList<QMdiSubWindow*> children = mdiMain->subWindowList(QMdiArea::CreationOrder);
    QStyle* style = this->style();
    int index = 0;
    for (QMdiSubWindow* child : children) {
        if (!child->isVisible() && !child->isMinimized()) {
            continue; // a hidden project frame waiting for its start is no window yet
        }
        QAction* item = menu->addAction(EscapeAmpersands(child->windowTitle()));
        item->setData(index++);
        QWidget* widget = child->widget();
        if (child == mdiMain->activeSubWindow()) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        if (widget != nullptr && widget == m_PlotWidget) {
            item->setIcon(style->standardIcon(QStyle::SP_FileDialogInfoView));
        } else if (widget != nullptr && widget == m_SignalGeneratorWidget) {
            item->setIcon(style->standardIcon(QStyle::SP_MediaVolume));
        } else {
            for (int n = 1; n <= kMaxProjects; ++n) {
                if (m_Slots.Used(n) && m_Slots[n].window != nullptr &&
                    m_Slots[n].window->Widget() == widget) {
                    item->setIcon(style->standardIcon(QStyle::SP_FileIcon));
                }
            }
        }
        QPointer<QMdiSubWindow> target = child;
        connect(item, &QAction::triggered, this, [this, target] {
            if (target) {
                if (target->isMinimized()) {
                    target->showNormal();
                }
                target->show();
                mdiMain->setActiveSubWindow(target);
            }
        });
    }
}

void TfrmMain::FillProjectsMenu(QMenu* menu) {
    menu->clear();
    const std::filesystem::path folder = m_Startup.documentsFolder / "Projects";
    for (const std::string& name : platform::ListFiles(folder, "*.bvp")) {
        const QString file = FromPath(folder / name);
        QAction* item = menu->addAction(EscapeAmpersands(QFileInfo(file).completeBaseName()));
        item->setData(file);
        connect(item, &QAction::triggered, this, [this, file] { ProjectListItemClick(file); });
    }
}

void TfrmMain::ProjectListItemClick(const QString& fileName) {
    // The entry was listed as a file, but the folder may have changed since: a file gone is
    // passed over, anything else that cannot be read is named before a slot is taken for it.
    const std::filesystem::path path = platform::TextToPath(fileName);
    if (platform::FileIsMissing(path)) {
        return;
    }
    if (const std::string problem = platform::FileReadProblem(path); !problem.empty()) {
        Inform(CantOpenProject(fileName, QString::fromStdString(problem)), platform::MessageKind::Error);
        return;
    }
    OpenProjectFile(fileName);
}

// ---------------------------------------------------------------------------------------------
// Events.

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (mdiMain != nullptr && watched == mdiMain->viewport() && event->type() == QEvent::Resize) {
        KeepPlotWindowInWorkspace();
    }
    if (watched == tbDriverEditor) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return DropOnEditor(event);
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::DropOnEditor(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const TBV_DragObject* dragged = TBV_DragObject::From(drop->mimeData());
    if (dragged == nullptr) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        const TDriverObject driver = dragged->Driver();
        RunDatabaseMaintenance();
        if (m_DriverEditorWidget && m_DriverEditor != nullptr) {
            m_DriverEditor->ShowDriver(driver);
        }
    }
    return true;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_Closing) {
        event->accept();
        return;
    }
    // Every changed project is asked about before anything closes: Cancel at any question, or a
    // save that does not happen, stops the quit with every window still open.
    std::vector<IProjectWindow*> projects;
    for (int n = 1; n <= kMaxProjects; ++n) {
        if (m_Slots.Used(n) && m_Slots[n].window != nullptr) {
            projects.push_back(m_Slots[n].window);
        }
    }
    for (IProjectWindow* project : projects) {
        if (!project->CloseQuery()) {
            event->ignore();
            return;
        }
    }
    // The driver editor asks about a driver not yet saved as it closes.
    if (m_DriverEditorWidget) {
        QMdiSubWindow* sub = SubWindowOf(m_DriverEditorWidget);
        const bool closed = sub != nullptr ? sub->close() : m_DriverEditorWidget->close();
        if (!closed) {
            event->ignore();
            return;
        }
    }
    for (IProjectWindow* project : projects) {
        project->CloseAnswered();
        QWidget* widget = project->Widget();
        QMdiSubWindow* sub = SubWindowOf(widget);
        const bool closed = sub != nullptr ? sub->close() : widget->close();
        if (!closed) {
            event->ignore();
            return;
        }
    }
    m_Closing = true;
    FormClose();
    event->accept();
    emit Closed();
}

void TfrmMain::FormClose() {
    delete m_DatabaseFilter;
    if (m_Help) {
        m_Help->CloseAllHelpWindows();
        m_Help.reset();
    }
}

void TfrmMain::NotBuilt(const QString& window) {
    Inform(QStringLiteral("The %1 is not part of this build yet.").arg(window),
           platform::MessageKind::Information);
}

void TfrmMain::Inform(const QString& text, platform::MessageKind kind) {
    platform::MessageRequest request;
    request.kind = kind;
    request.text = Utf8(text);
    request.buttons = platform::ButtonOk;
    request.parent = isVisible() ? this : nullptr;
    platform::AppDialogs().Message(request);
}
