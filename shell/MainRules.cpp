#include "shell/MainRules.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <limits>

int TProjectSlots::Allocate() {
    for (int n = 1; n <= kMaxProjects; ++n) {
        if (!slots_[n - 1].used) {
            slots_[n - 1] = TProj{};
            slots_[n - 1].used = true;
            return n;
        }
    }
    return 0;
}

void TProjectSlots::Free(int n) {
    if (InRange(n)) {
        slots_[n - 1] = TProj{};
    }
}

const TProj& TProjectSlots::operator[](int n) const {
    return InRange(n) ? slots_[n - 1] : none_;
}

TProj& TProjectSlots::operator[](int n) {
    if (InRange(n)) {
        return slots_[n - 1];
    }
    none_ = TProj{}; // writes through an out-of-range number reach nothing lasting
    return none_;
}

int TProjectSlots::UsedCount() const {
    int count = 0;
    for (const TProj& slot : slots_) {
        count += slot.used ? 1 : 0;
    }
    return count;
}

int TProjectSlots::HighestUsed() const {
    for (int n = kMaxProjects; n >= 1; --n) {
        if (slots_[n - 1].used) {
            return n;
        }
    }
    return -1;
}

int TProjectSlots::SlotOf(const IProjectWindow* window) const {
    if (window == nullptr) {
        return 0;
    }
    for (int n = 1; n <= kMaxProjects; ++n) {
        if (slots_[n - 1].used && slots_[n - 1].window == window) {
            return n;
        }
    }
    return 0;
}

int ResolveActiveProject(const TProjectSlots& table, int n) {
    return table.Used(n) ? n : -1;
}

int ActiveAfterFree(const TProjectSlots& table, int freed, int active) {
    if (freed != active) {
        return active;
    }
    return table.HighestUsed();
}

QString SlotCaption(int slot, int boxType, const QString& brandAndModel) {
    return QStringLiteral("[%1]%2 : %3")
        .arg(slot)
        .arg(QString::fromUtf8(BoxTypeName(boxType)), brandAndModel);
}

TCalculatorMenu BuildCalculatorMenu(const QStringList& files, const TCalculatorLoader& loader) {
    TCalculatorMenu menu;
    for (const QString& path : files) {
        if (menu.definitionCount >= kMaxCalculators) {
            ++menu.skippedForLimits;
            continue;
        }
        const int number = menu.definitionCount + 1;
        QString category;
        QString name;
        QString error;
        if (!loader || !loader(path, number, category, name, error)) {
            menu.errors << QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), error);
            continue;
        }
        auto found = std::find_if(menu.categories.begin(), menu.categories.end(),
                                  [&](const TCalculatorCategory& c) { return c.name == category; });
        if (found == menu.categories.end()) {
            if (static_cast<int>(menu.categories.size()) >= kMaxCalculatorCategories) {
                ++menu.skippedForLimits;
                continue;
            }
            menu.categories.push_back({category, {}});
            found = std::prev(menu.categories.end());
        }
        found->entries.push_back({name, number});
        menu.definitionCount = number;
    }
    return menu;
}

QString CalculatorMenuReport(const TCalculatorMenu& menu) {
    QStringList lines;
    if (menu.skippedForLimits > 0) {
        lines << QStringLiteral("The calculators menu holds at most %1 calculators in %2 categories; "
                                "%3 calculator file(s) were left out.")
                     .arg(kMaxCalculators)
                     .arg(kMaxCalculatorCategories)
                     .arg(menu.skippedForLimits);
    }
    if (!menu.errors.isEmpty()) {
        lines << QStringLiteral("These calculator files could not be read:");
        lines << menu.errors;
    }
    return lines.join(QLatin1Char('\n'));
}

bool IsCommandLineSwitch(const QString& argument) {
    if (argument.startsWith(QLatin1Char('-'))) {
        return true;
    }
    // "/debug" and the like: a slash and a plain word, which no absolute file name looks like.
    static const QRegularExpression slashSwitch(QStringLiteral("^/[A-Za-z]+$"));
    return slashSwitch.match(argument).hasMatch();
}

TCommandLineFiles ProjectArguments(const QStringList& arguments, const QString& currentFolder) {
    TCommandLineFiles result;
    const std::filesystem::path base = platform::TextToPath(currentFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || IsCommandLineSwitch(argument)) {
            continue;
        }
        // The bytes of the name, not Qt's reading of them: a name that is not UTF-8 stays itself.
        const std::filesystem::path path = (base / platform::TextToPath(argument)).lexically_normal();
        if (platform::FileIsMissing(path)) {
            result.missing << argument;
        } else if (const std::string problem = platform::FileReadProblem(path); !problem.empty()) {
            result.refused << QString::fromStdString(problem);
        } else {
            result.files << platform::PathToText(path);
        }
    }
    return result;
}

QString CommandLineReport(const TCommandLineFiles& named) {
    QStringList lines;
    if (!named.missing.isEmpty()) {
        QStringList shown;
        for (const QString& name : named.missing) {
            shown << QString::fromStdString(platform::DisplayFileName(platform::TextToFileName(name)));
        }
        lines << QStringLiteral("File not found : ") + shown.join(QStringLiteral(", "));
    }
    lines << named.refused;
    return lines.join(QLatin1Char('\n'));
}

TToolbarMetrics ToolbarMetrics(bool captions) {
    if (captions) {
        return {69, 36, 36};
    }
    return {21, 21, 22};
}

int AlignToGrid(int value, int step) {
    if (step < 2 || value < 0) {
        return value;
    }
    return value - value % step;
}

std::vector<TTilePlace> TilePlaces(const std::vector<TTileLimits>& windows, int width, int height,
                                   int gridX, int gridY) {
    std::vector<TTilePlace> places;
    const int count = static_cast<int>(windows.size());
    if (count == 0) {
        return places;
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    int columns = 1;
    while (columns * columns < count) {
        ++columns;
    }
    const int rows = (count + columns - 1) / columns;
    places.reserve(windows.size());
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        // The last row's windows share its whole width.
        const int inRow = row == rows - 1 ? count - row * columns : columns;
        const int column = i - row * columns;
        // 64-bit products: the workspace may be large, the counts are small.
        const auto edge = [](int extent, int index, int parts) {
            return static_cast<int>(std::int64_t{extent} * index / parts);
        };
        const int cellLeft = edge(width, column, inRow);
        const int cellTop = edge(height, row, rows);
        const TTileLimits& limits = windows[static_cast<std::size_t>(i)];
        const auto fit = [](int cell, int least, int most) {
            const int upper = most > 0 ? std::max(most, least) : std::numeric_limits<int>::max();
            return std::clamp(cell, std::max(least, 1), upper);
        };
        const auto onGrid = [](int size, int step, int least) {
            const int aligned = AlignToGrid(size, step);
            return aligned >= std::max(least, 1) ? aligned : size;
        };
        TTilePlace place;
        place.width = fit(edge(width, column + 1, inRow) - cellLeft, limits.minWidth, limits.maxWidth);
        place.height = fit(edge(height, row + 1, rows) - cellTop, limits.minHeight, limits.maxHeight);
        place.width = fit(onGrid(place.width, gridX, limits.minWidth), limits.minWidth, limits.maxWidth);
        place.height = fit(onGrid(place.height, gridY, limits.minHeight), limits.minHeight, limits.maxHeight);
        place.left = AlignToGrid(std::clamp(cellLeft, 0, std::max(0, width - place.width)), gridX);
        place.top = AlignToGrid(std::clamp(cellTop, 0, std::max(0, height - place.height)), gridY);
        places.push_back(place);
    }
    return places;
}

TTilePlace PlaceNewProject(int areaWidth, int areaHeight, const TTilePlace& plot, int plotBars, int projectWidth,
                           int projectHeight, int slot, int gridY) {
    const int step = 24 * ((std::max(slot, 1) - 1) % 5);
    const int beside = plot.width > 0 ? plot.left + plot.width : 0;
    const int maxLeft = std::max(0, areaWidth - projectWidth);
    const int maxTop = std::max(0, areaHeight - projectHeight);
    if (beside + projectWidth <= areaWidth) {
        return {std::clamp(beside + step, 0, maxLeft), std::clamp(step, 0, maxTop), projectWidth, projectHeight};
    }
    // Rounded up onto the grid, so that snapping never lifts the window over the bars.
    int below = plot.width > 0 ? plot.top + std::max(plotBars, 0) + step : step;
    if (gridY > 1 && below % gridY != 0) {
        below += gridY - below % gridY;
    }
    return {maxLeft, std::clamp(below, 0, maxTop), projectWidth, projectHeight};
}
