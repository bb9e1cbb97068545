#pragma once
// The calculators window: one tab with the calculator's name and picture, one grid per input
// and output page, and "Calculate", which fills the output grids from the formulas.

#include "calculators/Filter.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

class TfrmCalculators : public QWidget {
    Q_OBJECT

public:
    // A window for calculator `number` of the calculator table; 0 (or a number the table does
    // not hold) gives the plain window with no calculator bound.
    explicit TfrmCalculators(int number, QWidget* parent = nullptr);

    // A new window for calculator `number`, freed when it closes.
    static TfrmCalculators* CreateCalculator(int number);

    int CalculatorNumber() const { return number_; }
    // The resolver formulas of this window are parsed with (input symbols, output captions).
    TExpressionPtr ResolveIdentifier(const std::string& identifier, TParameterListPtr& parameters) {
        return sheet_.ResolveIdentifier(identifier, parameters);
    }
    TCalculatorSheet& Sheet() { return sheet_; }

    // "Calculate": the input cells into the sheet, every output evaluated, the results back into
    // the output grids; an error is shown in the standard error box.
    void Button1Click();
    void CloseButtonClick();

    QTableWidget* InputGrid(int page) const { return inputGrids_.at(static_cast<std::size_t>(page)); }
    QTableWidget* OutputGrid(int page) const { return outputGrids_.at(static_cast<std::size_t>(page)); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    QTableWidget* AddGrid(const std::string& caption, int rows, int firstWidth, int secondWidth);
    void LoadPicture();

    int number_;
    TCalculatorSheet sheet_;
    QTabWidget* pgFilter_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* filterPic_ = nullptr;
    QPushButton* button1_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::vector<QTableWidget*> inputGrids_;
    std::vector<QTableWidget*> outputGrids_;
    bool shown_ = false;
    bool snapping_ = false;
};
