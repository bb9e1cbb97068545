#pragma once
// How the main window and the windows of the subsystems built on the shell reach each other.
//
// The shell cannot link the workspace, the calculators, the signal generator, the help viewer or
// the update check: they build on it. So the main window speaks to them through the small
// interfaces below, and the program's entry fills one TAppLinks with a factory per window kind.
// A factory left empty means that window is not part of this build; the command that needs it
// says so in a message instead of failing.
//
// The other direction is plain: windows of those subsystems include this header and reach the
// main window through MainWindow().

#include "model/Driver.h"
#include "simulation/FilterBase.h"
#include "simulation/ProjectRecords.h"
#include "simulation/boxmath.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

// The number of project slots; slots are numbered 1..kMaxProjects.
inline constexpr int kMaxProjects = 10;

// What the plot window draws of one project. The pointers stay valid while the project window
// lives; `filters` may be null (no filters).
struct TProjectPlotData {
    const TBoxData* box = nullptr;
    TDriverObject* driver = nullptr;
    const TSignalSource* source = nullptr;
    const std::vector<std::unique_ptr<TFilterBase>>* filters = nullptr;
    std::int32_t color = 0xFFFFFF; // 0x00BBGGRR
    int width = 1;
    ProjectResultCallback callback; // receives the set-up's reports (Qtc, Fc, ...)
};

// A project window as the main window and the plot window see it.
class IProjectWindow {
public:
    virtual ~IProjectWindow() = default;
    // The window itself; the main window puts it into its MDI area.
    virtual QWidget* Widget() = 0;
    virtual int Slot() const = 0;
    // Reads a project file's sections, in their order, into the window's records and fills the
    // window's panels (everything of opening a file but the start). False with a reason when the
    // file cannot be used; the caller then frees the slot and closes the window.
    virtual bool LoadProjectFile(const QString& fileName, QString& error) = 0;
    // mode 1: a new project (from the wizard), 0: an opened project.
    virtual void StartNow(int mode) = 0;
    // Saves; false when nothing was saved (failed or cancelled), the project stays changed.
    virtual bool SaveProject() = 0;
    virtual bool Modified() const = 0;
    // The question closing the window asks: about unsaved changes, saving on Yes. True when the
    // window may close (nothing changed, No, or saved); false on Cancel or a save that did not
    // happen.
    virtual bool CloseQuery() { return true; }
    // The question was answered already: the window's next close asks nothing.
    virtual void CloseAnswered() {}
    virtual TProjectPlotData PlotData() = 0;
};

// The shared plot window.
class IPlotWindow {
public:
    virtual ~IPlotWindow() = default;
    virtual QWidget* Widget() = 0;
    // Renders the picture of every used slot now and shows it (derived values reach the project
    // windows through their callbacks even while the window is hidden).
    virtual void Repaint() = 0;
    // The two readout panels.
    virtual void ClearReadouts() = 0;
    // The active-project button's caption ("No open projects" when none).
    virtual void ShowActiveProject(const QString& caption) = 0;
    // The settings changed (options window OK): axes from the settings again, then a repaint.
    virtual void ApplySettings() = 0;
};

// The signal generator window, while it exists.
class ISignalGenerator {
public:
    virtual ~ISignalGenerator() = default;
    virtual QWidget* Widget() = 0;
    virtual void SetFrequencyFromCursor(double frequency) = 0;
};

// The help system: opens the program's help file at a topic page or a context number.
class IHelpSystem {
public:
    virtual ~IHelpSystem() = default;
    // 0 on success; otherwise the failure was already reported to the user.
    virtual int HelpTopic(const QString& topic) = 0;
    virtual int HelpContext(int context) = 0;
    virtual void CloseAllHelpWindows() = 0;
};

// The driver editor, while it exists.
class IDriverEditor {
public:
    virtual ~IDriverEditor() = default;
    virtual QWidget* Widget() = 0;
    // A driver dropped on the main window's editor button: copied into the edited driver and
    // shown in the editor's fields.
    virtual void ShowDriver(const TDriverObject& driver) = 0;
};

// One project slot of the main window.
struct TProj {
    QString caption; // "[n]" + box-type name + " : " + brand and model; empty when free
    IProjectWindow* window = nullptr;
    bool used = false;
};

// The main window as the other windows see it.
class IMainWindow {
public:
    virtual ~IMainWindow() = default;
    virtual QWidget* Widget() = 0;

    // Project slots, 1..kMaxProjects.
    virtual int ActiveProject() const = 0;
    virtual void SetActiveProject(int n) = 0;
    virtual void CheckActiveProjectItem(int n) = 0;
    // Takes a free slot and creates its project window; 0 when all are used.
    virtual int AllocateProjectSlot() = 0;
    virtual const TProj& Proj(int n) const = 0;
    // A starting project window names its slot: caption stored, plot-project item shown.
    virtual void SetSlotCaption(int n, const QString& caption) = 0;
    // A closing project window frees its slot: caption and flag cleared, item hidden, and the
    // highest used slot left becomes active when this one was.
    virtual void FreeSlot(int n) = 0;

    // Adds a child window (project, calculator, generator ...) to the MDI area and shows it.
    virtual void AddChildWindow(QWidget* window) = 0;

    // The plot window; null only before it is created.
    virtual IPlotWindow* PlotWindow() = 0;
    // The signal generator window when one is open, else null.
    virtual ISignalGenerator* SignalGenerator() = 0;
    // The help system; null when help is not part of this build.
    virtual IHelpSystem* Help() = 0;

    // Opens the driver editor or brings it to the front (the "Database Editing" command).
    virtual void RunDatabaseMaintenance() = 0;
    // Whether hint bubbles are shown (the toolbar's Help Mode button is down).
    virtual bool HelpMode() const = 0;

    // The "Options" command: the options window.
    virtual void RunOptions() {}
};

// The running main window; null before it exists and in tests that set none.
IMainWindow* MainWindow();
void SetMainWindow(IMainWindow* window);

// A caption that a menu item or button shows as it stands (slot captions, file and driver
// names): "&" doubled so that none becomes a shortcut marker.
QString EscapeAmpersands(const QString& text);

// What the program's entry hands the main window.
struct TAppLinks {
    // Workspace.
    std::function<IProjectWindow*(IMainWindow& main, int slot)> createProjectWindow;
    std::function<IPlotWindow*(IMainWindow& main)> createPlotWindow;
    // The one new-project wizard, created at start-up and shown by "New project".
    std::function<QWidget*(IMainWindow& main)> createNewProjectWizard;

    // Driver editor, created by "Database Editing" when none exists.
    std::function<IDriverEditor*(IMainWindow& main)> createDriverEditor;
    // The database filter window, created at start-up and freed at the end.
    std::function<QWidget*(IMainWindow& main)> createDatabaseFilter;

    // Calculators: reads one definition file as calculator `number` (1..60); false with a reason
    // when the file cannot be used. `createCalculator` opens the window of a calculator, or with
    // 0 the plain calculators window (brought to the front when it is open already); it puts the
    // window into the main window's MDI area itself (AddChildWindow) and returns it.
    std::function<bool(const QString& path, int number, QString& category, QString& name,
                       QString& error)>
        loadCalculatorFile;
    std::function<QWidget*(IMainWindow& main, int number)> createCalculator;

    // Signal generator.
    std::function<ISignalGenerator*(IMainWindow& main)> createSignalGenerator;

    // Help, on the help file's path.
    std::function<std::unique_ptr<IHelpSystem>(const QString& helpFile)> createHelpSystem;

    // The update-check window, created at start-up and shown by "Check internet for updates".
    std::function<QWidget*(IMainWindow& main)> createUpdateCheck;
};
