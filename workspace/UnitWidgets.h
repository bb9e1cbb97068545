#pragma once
// Qt widgets as fields of the unit binder: a QLineEdit, a QComboBox, or a QLabel standing
// for a unit label or a read-only panel. Any other widget gives an empty text and ignores
// a new one.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

#include "model/UnitHelper.h"

class TUnitWidgetField : public QObject, public TUnitField {
    Q_OBJECT
public:
    // `kind` is the quantity kind the field shows. The widget's objectName is the field's
    // name: fields of the same name share one display unit.
    TUnitWidgetField(QWidget* widget, int kind, QObject* parent = nullptr);
    ~TUnitWidgetField() override;

    QWidget* Widget() const { return m_Widget; }

    std::string Name() const override;
    int Kind() const override { return m_Kind; }
    std::string Text() const override;
    void SetText(const std::string& text) override;
    bool Focused() const override;
    bool Modified() const override;
    void SetModified(bool modified) override;
    // Edits show calculated values in blue, entered ones in green and undetermined ones in
    // the palette's text colour; other letters leave the colour.
    void ShowState(char letter) override;

    // Called when typed text is to be judged: Enter, leaving the field, a choice from a
    // combo box's list, or an arrow-key step. The window commits the field to its binder
    // there and runs its change rule.
    std::function<void()> OnCommit;

    // Lets the Up and Down keys step an edit's value by 1.05 (StepValue).
    void EnableStepKeys(bool enable) { m_StepKeys = enable; }
    // When set, the Up and Down keys call this (true for Up) instead of stepping the text, so
    // the window can step the value the field stands for rather than its rounded display.
    std::function<void(bool up)> OnStep;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Commit();
    QWidget* TextWidget() const;

    QPointer<QWidget> m_Widget;
    int m_Kind;
    bool m_StepKeys = false;
    bool m_Chosen = false; // a list without an edit: the user chose an item
};
