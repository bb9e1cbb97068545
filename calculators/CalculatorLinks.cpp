#include "calculators/CalculatorLinks.h"

#include "calculators/Filter.h"
#include "calculators/FilterWindow.h"
#include "shell/AppLinks.h"

#include <QPointer>

namespace {

// The plain calculators window (no calculator bound) exists at most once; QPointer clears itself
// when the window closes and frees itself.
QPointer<TfrmCalculators> plainCalculators;

} // namespace

void LinkCalculators(TAppLinks& links) {
    links.loadCalculatorFile = [](const QString& path, int number, QString& category, QString& name,
                                  QString& error) {
        TFilter filter;
        const auto result = LoadCalculatorFile(std::filesystem::path(path.toStdString()), filter);
        if (!result) {
            error = QString::fromStdString(result.error);
            return false;
        }
        category = QString::fromStdString(filter.Category);
        name = QString::fromStdString(filter.Name);
        std::string reason;
        if (!CalculatorTable().Store(number, std::move(filter), reason)) {
            error = QString::fromStdString(reason);
            return false;
        }
        return true;
    };
    links.createCalculator = [](IMainWindow& main, int number) -> QWidget* {
        if (number == 0 && plainCalculators) {
            QWidget* frame =
                plainCalculators->parentWidget() ? plainCalculators->parentWidget() : plainCalculators.data();
            frame->showNormal();
            frame->raise();
            frame->activateWindow();
            return plainCalculators;
        }
        auto* window = TfrmCalculators::CreateCalculator(number);
        if (window->CalculatorNumber() == 0)
            plainCalculators = window;
        main.AddChildWindow(window);
        return window;
    };
}
