#include "flatctl/TFlatCheckBoxUnit.h"

#include <QPainter>

TFlatCheckBox::TFlatCheckBox(QWidget* parent) : TFlatChoiceButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

TFlatCheckBox::TFlatCheckBox(const QString& caption, QWidget* parent) : TFlatCheckBox(parent) {
    setText(caption);
}

QRect TFlatCheckBox::MarkRect() const {
    const int top = 3 + MarkOffset();
    return RightLayout() ? GdiRect(width() - 12, top, width() - 1, top + 11) : GdiRect(1, top, 12, top + 11);
}

void TFlatCheckBox::UserChoice() {
    SetChecked(!Checked());
}

void TFlatCheckBox::MnemonicChoice() {
    UserChoice();
}

void TFlatCheckBox::PaintMark(QPainter& painter) {
    const QRect mark = MarkRect();
    GdiFillRect(painter, mark, MarkFillColor());
    if (Checked()) {
        const QColor tick =
            isEnabled() ? ResolveColor(ColorCheck(), palette()) : palette().color(QPalette::Dark);
        const int x = mark.left(), y = mark.top();
        static constexpr int Lines[6][4] = {{2, 4, 6, 8}, {2, 5, 5, 8}, {2, 6, 5, 9},
                                            {8, 2, 4, 6}, {8, 3, 4, 7}, {8, 4, 5, 7}};
        for (const auto& line : Lines)
            GdiLine(painter, x + line[0], y + line[1], x + line[2], y + line[3], tick);
    }
    GdiFrameRect(painter, mark, ResolveColor(ColorBorder(), palette()));
}
