#pragma once
// A flat check box: a square mark with a tick. Click (clicked) fires on every change of
// Checked, also when set from code; the mouse toggles it when released inside it, the space
// key and the caption's mnemonic toggle it too.

#include "flatctl/FlatChoiceButton.h"

class TFlatCheckBox : public TFlatChoiceButton {
    Q_OBJECT
    Q_PROPERTY(int ColorCheck READ ColorCheck WRITE SetColorCheck)
    Q_PROPERTY(TCheckBoxLayout Layout READ Layout WRITE SetLayout)
public:
    enum TCheckBoxLayout { checkboxLeft, checkboxRight };
    Q_ENUM(TCheckBoxLayout)

    explicit TFlatCheckBox(QWidget* parent = nullptr);
    explicit TFlatCheckBox(const QString& caption, QWidget* parent = nullptr);

    TColor ColorCheck() const { return MarkColor(); }
    void SetColorCheck(TColor value) { SetColors(2, value); }
    TCheckBoxLayout Layout() const { return RightLayout() ? checkboxRight : checkboxLeft; }
    void SetLayout(TCheckBoxLayout value) { SetRightLayout(value == checkboxRight); }

    QRect MarkRect() const override;

protected:
    void UserChoice() override;
    void MnemonicChoice() override;
    void PaintMark(QPainter& painter) override;
};
