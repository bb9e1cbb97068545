#pragma once
// Borvik's MDI frame: start-up, the ten project slots, the menus and the toolbar, and the way to
// every other window of the program.

#include "shell/AppLinks.h"
#include "shell/DesktopLayout.h"
#include "shell/MainRules.h"
#include "shell/StartF.h"

#include "model/BV_Utils.h"
#include "platform/Dialogs.h"
#include "platform/JoystickProbe.h"
#include "platform/SettingsStore.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <array>
#include <filesystem>
#include <memory>
#include <vector>

class QAction;

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class TFlatHint;

// What start-up takes from outside; the program fills it from the real environment, tests from
// temporary folders.
struct TMainStartup {
    platform::SettingsStore* store = nullptr;          // required
    const platform::JoystickProbe* joystick = nullptr; // none: no joystick
    // Where shipped files (version file, help file, calculators, texts) are looked up, in order;
    // empty: the program's own folders.
    std::vector<std::filesystem::path> shippedFolders;
    // The writable documents folder; empty: the program's own choice.
    std::filesystem::path documentsFolder;
    // The command line without the program's name, and the folder relative names start from.
    QStringList arguments;
    QString currentFolder;
    // How long the splash stays after the window is first shown.
    int splashMilliseconds = 1000;
};

class TfrmMain : public QMainWindow, public IMainWindow {
    Q_OBJECT
public:
    TfrmMain(TAppLinks links, TMainStartup startup, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The start-up steps, announced on the splash screen. False when the program cannot go on
    // (the version file is missing); the reason was shown.
    bool Create();
    // The windows the program entry creates after the main window: the update check, the plot
    // window and the options window.
    void CreateForms();

    // IMainWindow
    QWidget* Widget() override { return this; }
    int ActiveProject() const override { return m_ActiveProject; }
    void SetActiveProject(int n) override;
    void CheckActiveProjectItem(int n) override;
    int AllocateProjectSlot() override;
    const TProj& Proj(int n) const override { return m_Slots[n]; }
    void SetSlotCaption(int n, const QString& caption) override;
    void FreeSlot(int n) override;
    void AddChildWindow(QWidget* window) override;
    IPlotWindow* PlotWindow() override;
    ISignalGenerator* SignalGenerator() override;
    IHelpSystem* Help() override { return m_Help.get(); }
    void RunDatabaseMaintenance() override;
    bool HelpMode() const override { return m_HelpMode; }
    void RunOptions() override { ShowOptions(); }

    // Opens a project file into a new slot; false when nothing was opened (the reason was shown).
    bool OpenProjectFile(const QString& fileName);

    // The commands, callable as the menus and buttons call them.
    void SaveProjectActive();
    void OpenProject();
    void NewProject();
    void ShowOptions();
    void RunSignalGenerator();
    void RunCalculators();
    void OpenCalculator(int number);
    void ShowAbout();
    void CheckForUpdates();
    void OpenForums();
    void ShowHelpTopic(const QString& topic);
    void SetHelpMode(bool on);
    void SetToolbarCaptions(bool on);
    void SetToolbarVisible(bool on);
    void SaveWindowPositions();
    void TileWindows();
    void CascadeWindows();

    // Drop-downs, rebuilt each time they open.
    void FillWindowsMenu(QMenu* menu);
    void FillProjectsMenu(QMenu* menu);

    // The calculators menu as read at the first show.
    const TCalculatorMenu& CalculatorMenu() const { return m_CalculatorMenu; }
    // Where writable files go, and the folder of the projects drop-down.
    const std::filesystem::path& DocumentsFolder() const { return m_Startup.documentsFolder; }
    QString ProjectsFolder() const;
    // A shipped file found in the shipped folders (letter case aside), or no value.
    std::optional<std::filesystem::path> FindShipped(std::string_view name) const;
    QMdiArea* MdiArea() const { return mdiMain; }
    TfrmSplashScreen* Splash() const { return m_Splash; }
    TFlatHint* HelpModeHint() const { return hintHelpMode; }
    QDialog* Options() const { return m_Options; }
    // Whether the command line's files were taken (after the first show).
    bool CommandLineTaken() const { return m_CommandLineTaken; }

signals:
    // The main window closed for good; the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolbar();
    void FormShow();
    void LoadFilterMenu();
    void OpenCommandLineFiles();
    void ApplyToolbarRule();
    void ApplyDesktopLayout();
    void PlacePlotWindow();
    void KeepPlotWindowInWorkspace();
    void SubWindowActivated(QMdiSubWindow* sub);
    void KeepInWorkspace(QMdiSubWindow* sub);
    TTilePlace PlaceOnGrid(const TScreenRect& place, const QWidget& window) const;
    void GiveKeyboard(QMdiSubWindow* sub);
    void ReturnToPreviousWindow(const QObject* closing);
    void SplashText(const QString& text);
    void NotBuilt(const QString& window);
    // Brings up the one window of its kind, made by `create` the first time; `what` names it
    // when the program was built without it.
    template <class Window, class Factory>
    void ShowSingleWindow(Window*& window, QPointer<QWidget>& widget, const Factory& create,
                          const QString& what);
    void Inform(const QString& text, platform::MessageKind kind);
    QMdiSubWindow* SubWindowOf(QWidget* widget) const;
    void ProjectListItemClick(const QString& fileName);
    bool DropOnEditor(QEvent* event);
    void FormClose();

    TAppLinks m_Links;
    TMainStartup m_Startup;
    // What the workspace and the child windows report comes in through this object, which goes
    // before the main window's own parts do: children still going after it report to nobody.
    QObject m_WindowWatch;

    TProjectSlots m_Slots;
    int m_ActiveProject = 0;
    bool m_HelpMode = false;
    bool m_FirstShowDone = false;
    bool m_CommandLineTaken = false;
    bool m_Closing = false;
    QString m_OpenFolder;
    QRect m_PlotStartPlace; // where the program put the plot window
    TCalculatorMenu m_CalculatorMenu;

    std::unique_ptr<IHelpSystem> m_Help;
    IPlotWindow* m_PlotWindow = nullptr;
    QPointer<QWidget> m_PlotWidget;
    IDriverEditor* m_DriverEditor = nullptr;
    QPointer<QWidget> m_DriverEditorWidget;
    ISignalGenerator* m_SignalGenerator = nullptr;
    QPointer<QWidget> m_SignalGeneratorWidget;
    QPointer<QWidget> m_Calculators;
    QPointer<QWidget> m_NewProjectWizard;
    QPointer<QWidget> m_UpdateCheck;
    QPointer<QWidget> m_DatabaseFilter;
    QPointer<QWidget> m_About;
    QPointer<QDialog> m_Options;
    QPointer<TfrmSplashScreen> m_Splash;
    TFlatHint* hintHelpMode = nullptr;

    QMdiArea* mdiMain = nullptr;
    QToolBar* ToolBar = nullptr;
    QAction* actOptions = nullptr;
    QAction* actOpenProject = nullptr;
    QAction* actNewProject = nullptr;
    QAction* actExitProgram = nullptr;
    QAction* actSignalGenerator = nullptr;
    QAction* actDatabaseMaintenance = nullptr;
    QAction* actSaveProjectActive = nullptr;
    QAction* actToolbarVisible = nullptr;
    QAction* actShowTextOnButtons = nullptr;
    QAction* actForums = nullptr;
    QMenu* popPlot = nullptr;
    QMenu* popWindows = nullptr;
    QMenu* popProjects = nullptr;
    QMenu* popFilters = nullptr;
    QMenu* mnuWindow = nullptr;
    std::array<QAction*, kMaxProjects> m_PlotProjectItems{};
    std::vector<QToolButton*> m_ToolButtons;
    QToolButton* tbDriverEditor = nullptr;
    QToolButton* tbHelpMode = nullptr;
    QToolButton* tbFilter = nullptr;
};
