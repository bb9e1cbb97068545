#include "shell/MainRules.h"
#include "shell/DesktopLayout.h"

#include "ShellTestSupport.h"

#include "platform/FileNames.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDir>

#include <map>
#include <sys/stat.h>

namespace {

using shelltest::TempFolder;

TEST(ProjectSlots, TakesTheLowestFreeSlotAndNoneWhenAllTenAreUsed) {
    TProjectSlots table;
    for (int n = 1; n <= kMaxProjects; ++n) {
        EXPECT_EQ(table.Allocate(), n);
    }
    EXPECT_EQ(table.Allocate(), 0);
    EXPECT_EQ(table.UsedCount(), kMaxProjects);

    table.Free(4);
    table.Free(7);
    EXPECT_FALSE(table.Used(4));
    EXPECT_EQ(table.Allocate(), 4);
    EXPECT_EQ(table.Allocate(), 7);
    EXPECT_EQ(table.Allocate(), 0);
}

TEST(ProjectSlots, NumbersOutsideTheTableNameNoSlot) {
    TProjectSlots table;
    table.Allocate();
    for (int n : {-1, 0, kMaxProjects + 1, 1000}) {
        EXPECT_FALSE(table.Used(n)) << n;
        EXPECT_FALSE(table[n].used) << n;
        table.Free(n); // does nothing
        table[n].used = true;
        EXPECT_FALSE(table.Used(n)) << n;
    }
    EXPECT_EQ(table.UsedCount(), 1);
}

TEST(ActiveProject, TableOfSetAndFreeRules) {
    TProjectSlots table;
    table.Allocate(); // 1
    table.Allocate(); // 2
    table.Allocate(); // 3
    table.Free(2);

    struct SetCase {
        int n;
        int active;
    };
    for (const SetCase& c : std::vector<SetCase>{{1, 1}, {3, 3}, {2, -1}, {0, -1}, {-1, -1}, {11, -1}}) {
        EXPECT_EQ(ResolveActiveProject(table, c.n), c.active) << c.n;
    }

    // Slot 3 is freed: the highest used slot left takes over only when 3 was active.
    table.Free(3);
    struct FreeCase {
        int freed;
        int active;
        int after;
    };
    for (const FreeCase& c : std::vector<FreeCase>{{3, 3, 1}, {3, 1, 1}, {3, -1, -1}}) {
        EXPECT_EQ(ActiveAfterFree(table, c.freed, c.active), c.after) << c.freed << " " << c.active;
    }
    table.Free(1);
    EXPECT_EQ(ActiveAfterFree(table, 1, 1), -1);
}

TEST(Captions, SlotCaptionsAndEscapedMenuTexts) {
    struct Case {
        int slot;
        int type;
        QString driver;
        QString caption;
    };
    const std::vector<Case> cases = {
        {1, 1, "Acme W8", "[1]vented : Acme W8"},
        {10, 0, "Acme W8", "[10]closed : Acme W8"},
        {2, 2, "B&W 10", "[2]4th order bandpass : B&W 10"},
        {3, 3, "X", "[3]6th order bandpass : X"},
        {4, 4, "X", "[4]passive radiator : X"},
        {5, 7, "X", "[5] : X"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlotCaption(c.slot, c.type, c.driver), c.caption);
    }
    EXPECT_EQ(EscapeAmpersands("[2]4th order bandpass : B&W 10"), "[2]4th order bandpass : B&&W 10");
    EXPECT_EQ(EscapeAmpersands("&&"), "&&&&");
}

TEST(CalculatorMenu, CategoriesGroupByExactNameInListingOrder) {
    const std::map<QString, QString> categories = {
        {"a.flt", "Box"}, {"b.flt", "box"}, {"c.flt", "Box"}, {"d.flt", "Filters"}};
    const TCalculatorLoader loader = [&](const QString& path, int, QString& category, QString& name,
                                         QString&) {
        category = categories.at(path);
        name = "calc " + path;
        return true;
    };
    const TCalculatorMenu menu = BuildCalculatorMenu({"a.flt", "b.flt", "c.flt", "d.flt"}, loader);
    ASSERT_EQ(menu.categories.size(), 3u);
    EXPECT_EQ(menu.categories[0].name, "Box");
    EXPECT_EQ(menu.categories[1].name, "box");
    EXPECT_EQ(menu.categories[2].name, "Filters");
    ASSERT_EQ(menu.categories[0].entries.size(), 2u);
    EXPECT_EQ(menu.categories[0].entries[0].number, 1);
    EXPECT_EQ(menu.categories[0].entries[1].number, 3);
    EXPECT_EQ(menu.categories[0].entries[1].name, "calc c.flt");
    EXPECT_EQ(menu.definitionCount, 4);
    EXPECT_TRUE(CalculatorMenuReport(menu).isEmpty());
}

TEST(CalculatorMenu, BoundsAndUnreadableFiles) {
    struct Case {
        const char* what;
        int files;
        bool categoryPerFile;
        int failEvery; // 0: none fails
        int read;
        int categories;
        int skipped;
        int errors;
    };
    const std::vector<Case> cases = {
        {"sixty fit", 60, false, 0, 60, 1, 0, 0},
        {"the 61st is skipped", 61, false, 0, 60, 1, 1, 0},
        {"thirty categories fit", 30, true, 0, 30, 30, 0, 0},
        {"a 31st category is skipped", 32, true, 0, 30, 30, 2, 0},
        {"unreadable files take no number", 10, false, 2, 5, 1, 0, 5},
        {"no files", 0, false, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        QStringList files;
        for (int i = 1; i <= c.files; ++i) {
            files << QString::number(i);
        }
        std::vector<int> numbers;
        const TCalculatorLoader loader = [&](const QString& path, int number, QString& category,
                                             QString& name, QString& error) {
            const int index = path.toInt();
            if (c.failEvery > 0 && index % c.failEvery == 0) {
                error = "bad";
                return false;
            }
            numbers.push_back(number);
            category = c.categoryPerFile ? "cat" + path : "one";
            name = path;
            return true;
        };
        const TCalculatorMenu menu = BuildCalculatorMenu(files, loader);
        EXPECT_EQ(menu.definitionCount, c.read) << c.what;
        EXPECT_EQ(static_cast<int>(menu.categories.size()), c.categories) << c.what;
        EXPECT_EQ(menu.skippedForLimits, c.skipped) << c.what;
        EXPECT_EQ(menu.errors.size(), c.errors) << c.what;
        // Numbers count the definitions read, without gaps.
        for (std::size_t i = 0; i < numbers.size() && static_cast<int>(i) < menu.definitionCount; ++i) {
            EXPECT_EQ(numbers[i], static_cast<int>(i) + 1) << c.what;
        }
        EXPECT_EQ(CalculatorMenuReport(menu).isEmpty(), c.skipped == 0 && c.errors == 0) << c.what;
    }
}

TEST(CommandLine, SwitchesAreNotFiles) {
    struct Case {
        QString argument;
        bool isSwitch;
    };
    for (const Case& c : std::vector<Case>{{"-debug", true},
                                           {"/debug", true},
                                           {"/DEBUG", true},
                                           {"--style", true},
                                           {"/home/me/box.bvp", false},
                                           {"box.bvp", false},
                                           {"/box.bvp", false}}) {
        EXPECT_EQ(IsCommandLineSwitch(c.argument), c.isSwitch) << c.argument.toStdString();
    }
}

TEST(CommandLine, FilesAreMadeAbsoluteAndMissingOnesReported) {
    TempFolder folder;
    shelltest::WriteText(folder.path() / "a.bvp", "");
    shelltest::WriteText(folder.path() / "sub" / "b.bvp", "");
    const QString base = QString::fromStdString(folder.path().string());
    const TCommandLineFiles named = ProjectArguments(
        {"a.bvp", "-debug", "/debug", "missing.bvp", base + "/sub/b.bvp", "sub/../a.bvp", "sub"}, base);
    EXPECT_EQ(named.files, QStringList({base + "/a.bvp", base + "/sub/b.bvp", base + "/a.bvp"}));
    EXPECT_EQ(named.missing, QStringList({"missing.bvp"}));
    EXPECT_EQ(named.refused, QStringList({"\"" + base + "/sub\" is a folder, not a file"}));
}

// A name that exists but is no file that can be read is named with its reason, not as missing;
// a name that is not UTF-8 names its file.
TEST(CommandLine, WhatIsNoReadableFileIsNamedWithItsReason) {
    TempFolder folder;
    const std::filesystem::path dir = folder.path();
    shelltest::WriteText(dir / "proj_\xff\xfe.bvp", "[Box]\n");
    ASSERT_EQ(::mkfifo((dir / "pipe.bvp").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "loop.bvp", dir / "loop.bvp");
    std::filesystem::create_directory(dir / "folder.bvp");
    const QString base = platform::PathToText(dir);
    const TCommandLineFiles named = ProjectArguments(
        {platform::FileNameToText(std::string("proj_\xff\xfe.bvp")), "pipe.bvp", "loop.bvp", "folder.bvp", "gone.bvp"},
        base);
    ASSERT_EQ(named.files.size(), 1);
    EXPECT_EQ(platform::TextToPath(named.files.front()), dir / "proj_\xff\xfe.bvp");
    EXPECT_EQ(named.missing, QStringList({"gone.bvp"}));
    EXPECT_EQ(named.refused, QStringList({"\"" + base + "/pipe.bvp\" is not a regular file",
                                          "\"" + base + "/loop.bvp\" is a link that leads round in a loop",
                                          "\"" + base + "/folder.bvp\" is a folder, not a file"}));
    EXPECT_EQ(CommandLineReport(named),
              "File not found : gone.bvp\n" + named.refused.join(QLatin1Char('\n')));
    EXPECT_EQ(CommandLineReport(ProjectArguments({"-debug"}, base)), QString());
}

TEST(Toolbar, SizeRule) {
    EXPECT_EQ(ToolbarMetrics(true), (TToolbarMetrics{69, 36, 36}));
    EXPECT_EQ(ToolbarMetrics(false), (TToolbarMetrics{21, 21, 22}));
}

// ---------------------------------------------------------------------------------------------

TEST(DesktopLayout, RoundTripThroughTheStore) {
    platform::MemorySettingsStore store;
    EXPECT_FALSE(LoadDesktop(store).valid);
    const TDesktopLayout saved{true, 10, 20, 600, 800, 30, 40, 300, 500};
    ASSERT_TRUE(SaveDesktop(store, saved));
    EXPECT_EQ(store.flushes, 1);
    EXPECT_EQ(store.writes,
              (std::vector<std::string>{"Desktop/MainLeft", "Desktop/MainTop", "Desktop/MainHeight",
                                        "Desktop/MainWidth", "Desktop/PlotLeft", "Desktop/PlotTop",
                                        "Desktop/PlotHeight", "Desktop/PlotWidth"}));
    EXPECT_EQ(LoadDesktop(store), saved);
}

TEST(DesktopLayout, AMissingOrUnreadableValueMakesItInvalid) {
    struct Case {
        const char* what;
        const char* name;
        platform::MemorySettingsStore::Value value;
        bool erase;
    };
    const std::vector<Case> cases = {
        {"missing", "Desktop/PlotWidth", 0, true},
        {"a string", "Desktop/MainTop", std::string("ten"), false},
        {"a double", "Desktop/MainLeft", 1.5, false},
        {"zero width", "Desktop/MainWidth", 0, false},
        {"negative height", "Desktop/PlotHeight", -5, false},
    };
    for (const Case& c : cases) {
        platform::MemorySettingsStore store;
        for (const char* name : {"MainLeft", "MainTop", "MainHeight", "MainWidth", "PlotLeft", "PlotTop",
                                 "PlotHeight", "PlotWidth"}) {
            if (!(c.erase && std::string("Desktop/") + name == c.name)) {
                store.Seed(std::string("Desktop/") + name, 100);
            }
        }
        if (!c.erase) {
            store.Seed(c.name, c.value);
        }
        const TDesktopLayout layout = LoadDesktop(store);
        EXPECT_FALSE(layout.valid) << c.what;
        EXPECT_EQ(layout, TDesktopLayout{}) << c.what;
    }
}

TEST(DesktopLayout, ClampsToTheScreenThereNow) {
    const TScreenRect screen{0, 0, 1280, 800};
    struct Case {
        TScreenRect saved;
        TScreenRect clamped;
    };
    const std::vector<Case> cases = {
        {{100, 100, 800, 600}, {100, 100, 800, 600}},                   // fits
        {{2500, 1500, 800, 600}, {480, 200, 800, 600}},                 // saved on a larger screen
        {{-300, -50, 800, 600}, {0, 0, 800, 600}},                      // off the left and top
        {{100, 100, 3000, 2000}, {0, 0, 1280, 800}},                    // larger than the screen
        {{2147483000, 2147483000, 2147483000, 10}, {0, 790, 1280, 10}}, // no overflow
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampToArea(c.saved, screen), c.clamped) << c.saved.left << "," << c.saved.top;
    }
    EXPECT_EQ(ClampToArea({0, 0, 800, 600}, {1280, 0, 1920, 1080}), (TScreenRect{1280, 0, 800, 600}));
}

} // namespace

namespace {

TEST(TileWindows, TilesFillTheWorkspaceAndNeverLeaveIt) {
    struct Case {
        const char* what;
        std::vector<TTileLimits> windows;
        int width;
        int height;
        int grid;
        std::vector<TTilePlace> places;
    };
    const TTileLimits free{0, 0, 0, 0};
    const TTileLimits project{806, 428, 806, 428}; // a fixed-size frame
    const std::vector<Case> cases = {
        {"nothing to tile", {}, 800, 600, 1, {}},
        {"one window fills the workspace", {free}, 1000, 600, 1, {{0, 0, 1000, 600}}},
        {"two side by side", {free, free}, 1000, 600, 1, {{0, 0, 500, 600}, {500, 0, 500, 600}}},
        {"five: three above, two below sharing the row",
         {free, free, free, free, free},
         1000,
         600,
         1,
         {{0, 0, 333, 300}, {333, 0, 333, 300}, {666, 0, 334, 300}, {0, 300, 500, 300}, {500, 300, 500, 300}}},
        {"fixed frames larger than their tiles overlap inside the workspace",
         {free, project, project, project},
         1152,
         630,
         1,
         {{0, 0, 576, 315}, {346, 0, 806, 428}, {0, 202, 806, 428}, {346, 202, 806, 428}}},
        {"a frame wider than the workspace keeps its size at the left edge",
         {{2000, 100, 0, 0}},
         1000,
         600,
         1,
         {{0, 0, 2000, 600}}},
        {"a frame that cannot grow keeps its largest size in its tile",
         {free, {0, 0, 100, 50}},
         1000,
         600,
         1,
         {{0, 0, 500, 600}, {500, 0, 100, 50}}},
        {"on an 8-pixel grid",
         {free, free, project},
         1001,
         630,
         8,
         {{0, 0, 496, 312}, {496, 0, 496, 312}, {0, 200, 806, 428}}},
    };
    for (const Case& c : cases) {
        const std::vector<TTilePlace> places = TilePlaces(c.windows, c.width, c.height, c.grid, c.grid);
        ASSERT_EQ(places.size(), c.places.size()) << c.what;
        for (std::size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i], c.places[i])
                << c.what << ", window " << i << ": " << places[i].left << "," << places[i].top << " "
                << places[i].width << "x" << places[i].height;
        }
    }
}

TEST(TileWindows, AlignToGridRoundsDown) {
    EXPECT_EQ(AlignToGrid(398, 8), 392);
    EXPECT_EQ(AlignToGrid(400, 8), 400);
    EXPECT_EQ(AlignToGrid(7, 8), 0);
    EXPECT_EQ(AlignToGrid(398, 1), 398);
    EXPECT_EQ(AlignToGrid(-5, 8), -5);
}

} // namespace

namespace {

TEST(NewProjectPlace, BesideThePlotWindowOrElseBelowItsBars) {
    struct Case {
        const char* what;
        TTilePlace plot;
        int slot;
        TTilePlace place;
    };
    // A 1728 x 990 workspace, an 806 x 428 project frame, plot bars 50 high, a 20-pixel grid.
    const std::vector<Case> cases = {
        {"beside the plot window", {0, 0, 920, 980}, 1, {920, 0, 806, 428}},
        {"the cascade steps down and right", {0, 0, 900, 980}, 3, {922, 48, 806, 428}},
        {"the cascade is five deep", {0, 0, 800, 980}, 6, {800, 0, 806, 428}},
        {"no room beside: right edge, below the bars", {0, 0, 940, 980}, 1, {922, 60, 806, 428}},
        {"below the bars of a lower plot window", {0, 300, 1200, 600}, 2, {922, 380, 806, 428}},
        {"no plot window", {0, 0, 0, 0}, 2, {24, 24, 806, 428}},
    };
    for (const Case& c : cases) {
        const TTilePlace place = PlaceNewProject(1728, 990, c.plot, 50, 806, 428, c.slot, 20);
        EXPECT_EQ(place, c.place) << c.what << ": " << place.left << "," << place.top;
    }
    // Never out of a workspace smaller than the frame.
    EXPECT_EQ(PlaceNewProject(500, 300, {0, 0, 300, 300}, 50, 806, 428, 1, 20), (TTilePlace{0, 0, 806, 428}));
}

} // namespace
