#pragma once
// The small driver-parameter panel: fourteen parameters of one driver in their display units.
// A double-click on a value asks for a new one; a click on a unit label cycles the unit. Embedded
// in every project window and in the new-project wizard.

#include "model/Driver.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class TUnitWidgetField;

class TfrmTinyParams : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTinyParams(QWidget* parent = nullptr);
    ~TfrmTinyParams() override;

    // Shows the driver's values and remembers it (not owned; it must outlive the panel or be
    // replaced by another ShowDriver). Null shows nothing.
    void ShowDriver(TDriverObject* driver);
    TDriverObject* Driver() const { return m_Driver; }

    // Every unit label from its panel's current unit.
    void DrawUnitLabels();

    // Asks for a new value of the parameter shown in value panel `index` (0..13, the rows of
    // the panel from the top of the left column), stores it straight into the driver and shows
    // it. Cancelling keeps the value. Returns whether a value was stored.
    bool ChangeValue(int index);

    // Called after ChangeValue stored a value (the project window recomputes there).
    std::function<void()> OnValueChanged;

    static constexpr int kValueCount = 14;
    // The value panel of a row, for tests.
    QLabel* ValuePanel(int index) const;
    QLabel* UnitLabel(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Row;
    void ShowValues();
    double* Parameter(int index) const;

    TDriverObject* m_Driver = nullptr;
    std::array<QLabel*, kValueCount> m_Values{};
    std::array<QLabel*, kValueCount> m_Units{};
    std::array<std::unique_ptr<TUnitWidgetField>, kValueCount> m_Fields;
};
