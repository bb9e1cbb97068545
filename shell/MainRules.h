#pragma once
// The main window's rules that need no window: the project slots and the active project, the
// captions, the calculators menu's grouping, the command line and the toolbar's size rule.

#include "shell/AppLinks.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Project slots.

// The ten slots, numbered 1..kMaxProjects. Numbers outside that range name no slot: reads give
// a free slot and writes do nothing.
class TProjectSlots {
public:
    static bool InRange(int n) { return n >= 1 && n <= kMaxProjects; }

    // Marks the first free slot used and returns its number; 0 when all are used.
    int Allocate();
    // Clears caption, window and used flag.
    void Free(int n);
    bool Used(int n) const { return InRange(n) && slots_[n - 1].used; }
    const TProj& operator[](int n) const;
    TProj& operator[](int n);
    int UsedCount() const;
    // The highest used slot, -1 when none is used.
    int HighestUsed() const;
    // The slot holding `window`, 0 when none does.
    int SlotOf(const IProjectWindow* window) const;

private:
    std::array<TProj, kMaxProjects> slots_{};
    TProj none_{};
};

// What ActiveProject becomes when it is set to n: n when that slot is used, else -1.
int ResolveActiveProject(const TProjectSlots& table, int n);

// What ActiveProject becomes after slot `freed` was freed while `active` was active: the
// highest used slot left (or -1) when the freed slot was the active one, else unchanged.
int ActiveAfterFree(const TProjectSlots& table, int freed, int active);

// "[n]" + box-type name + " : " + brand and model, e.g. "[1]vented : Acme W8".
QString SlotCaption(int slot, int boxType, const QString& brandAndModel);

// ---------------------------------------------------------------------------------------------
// Calculators menu.

inline constexpr int kMaxCalculators = 60;
inline constexpr int kMaxCalculatorCategories = 30;

struct TCalculatorEntry {
    QString name;
    int number = 0; // the definition's number, 1..kMaxCalculators
};

struct TCalculatorCategory {
    QString name;
    std::vector<TCalculatorEntry> entries;
};

// The menu's contents: categories in the order of their first definition, definitions in
// listing order under their category. Names compare exactly (letter case counts).
struct TCalculatorMenu {
    std::vector<TCalculatorCategory> categories;
    int definitionCount = 0;  // the definitions actually read
    int skippedForLimits = 0; // files over the 60-definition or 30-category bound
    QStringList errors;       // one line per file that could not be read
};

// Reads one definition file as definition `number`; false with a reason when it cannot be used.
using TCalculatorLoader =
    std::function<bool(const QString& path, int number, QString& category, QString& name, QString& error)>;

// Builds the menu from the listed files (full paths, in listing order). Definitions are numbered
// from 1 as they are read; a file that cannot be read takes no number. Once 60 definitions are
// read, or when a file would open a 31st category, the file is skipped and counted.
TCalculatorMenu BuildCalculatorMenu(const QStringList& files, const TCalculatorLoader& loader);

// The one message about a menu that could not take everything, or empty when all was read.
QString CalculatorMenuReport(const TCalculatorMenu& menu);

// ---------------------------------------------------------------------------------------------
// Command line.

struct TCommandLineFiles {
    QStringList files;   // existing files, absolute, in argument order
    QStringList missing; // named files that do not exist, as given
    QStringList refused; // one sentence per name that exists but is no file that can be read
};

// Whether an argument is a switch ("-debug", "/debug") rather than a file name.
bool IsCommandLineSwitch(const QString& argument);

// The project files named by `arguments` (the program's name not included); relative names are
// taken from `currentFolder`. Names are file names as texts (platform::FileNameToText), so a name
// that is not valid UTF-8 still names its file.
TCommandLineFiles ProjectArguments(const QStringList& arguments, const QString& currentFolder);

// The one message about the names that cannot be opened: "File not found : a, b" for the missing
// ones, then the reason of each other one ("... is a folder, not a file"); empty when all exist.
QString CommandLineReport(const TCommandLineFiles& named);

// ---------------------------------------------------------------------------------------------
// Toolbar.

struct TToolbarMetrics {
    int buttonWidth = 0;
    int buttonHeight = 0;
    int barHeight = 0;
    bool operator==(const TToolbarMetrics&) const = default;
};

// Captions shown: 69 x 36 buttons on a 36-high bar; captions off: 21 x 21 buttons on a 22-high bar.
TToolbarMetrics ToolbarMetrics(bool captions);

// ---------------------------------------------------------------------------------------------
// Window › Tile windows.

// How small and how large a child window's frame may be.
struct TTileLimits {
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
};

struct TTilePlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TTilePlace&) const = default;
};

// The places of the child windows, in the order given, tiled side by side in a grid that fills
// the workspace (width x height, from 0, 0) as it is. A window that cannot shrink to its tile
// keeps its smallest size and overlaps its neighbours, moved back inside the workspace where it
// fits; one that cannot grow to its tile keeps its largest. Tiling never asks for more room.
// With grid steps, places and sizes lie on the grid (rounded down, a size not below the smallest
// one), so that windows that snap to the grid stay where they are put.
std::vector<TTilePlace> TilePlaces(const std::vector<TTileLimits>& windows, int width, int height,
                                   int gridX = 1, int gridY = 1);

// `value` rounded down to a multiple of `step` (unchanged for a step below 2 or a negative value).
int AlignToGrid(int value, int step);

// Where a project window opens: in a cascade (24 pixels a slot, five deep) beside the plot window
// (`plot`; zero width: none), wholly inside the workspace. Where there is no room beside it, the
// project stands at the workspace's right edge below the plot window's bars (`plotBars` high), so
// that its buttons and readouts stay in sight (on the grid of `gridY` rows, which windows snap to).
TTilePlace PlaceNewProject(int areaWidth, int areaHeight, const TTilePlace& plot, int plotBars, int projectWidth,
                           int projectHeight, int slot, int gridY = 1);
