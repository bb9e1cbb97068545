#include "shell/MainRules.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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
