#pragma once
// A flat radio button: a round mark with a dot, exclusive among the radio buttons of its
// parent that share its GroupIndex. Checking it from code unchecks the others and fires Click
// (clicked) as a user's choice does; a click on a checked one changes nothing. It takes Tab
// stops only while checked; the arrow keys move the choice within its group.

#include "flatctl/FlatChoiceButton.h"

class TFlatRadioButton : public TFlatChoiceButton {
    Q_OBJECT
    Q_PROPERTY(int ColorDot READ ColorDot WRITE SetColorDot)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(TRadioButtonLayout Layout READ Layout WRITE SetLayout)
public:
    enum TRadioButtonLayout { radioLeft, radioRight };
    Q_ENUM(TRadioButtonLayout)

    explicit TFlatRadioButton(QWidget* parent = nullptr);
    explicit TFlatRadioButton(const QString& caption, QWidget* parent = nullptr);

    TColor ColorDot() const { return MarkColor(); }
    void SetColorDot(TColor value) { SetColors(2, value); }
    std::int32_t GroupIndex() const { return m_GroupIndex; }
    void SetGroupIndex(std::int32_t value) { m_GroupIndex = value; }
    TRadioButtonLayout Layout() const { return RightLayout() ? radioRight : radioLeft; }
    void SetLayout(TRadioButtonLayout value) { SetRightLayout(value == radioRight); }

    QRect MarkRect() const override;

protected:
    bool CheckedChanged(bool value) override;
    void UserChoice() override;
    void PaintMark(QPainter& painter) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::int32_t m_GroupIndex = 0;
};
