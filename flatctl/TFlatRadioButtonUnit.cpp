#include "flatctl/TFlatRadioButtonUnit.h"

#include <QKeyEvent>
#include <QPainter>

TFlatRadioButton::TFlatRadioButton(QWidget* parent) : TFlatChoiceButton(parent) {}

TFlatRadioButton::TFlatRadioButton(const QString& caption, QWidget* parent) : TFlatChoiceButton(parent) {
    setText(caption);
}

QRect TFlatRadioButton::MarkRect() const {
    const int top = 3 + MarkOffset();
    return RightLayout() ? GdiRect(width() - 11, top, width() - 1, top + 10) : GdiRect(1, top, 11, top + 10);
}

bool TFlatRadioButton::CheckedChanged(bool value) {
    // Only the checked button of a group is a Tab stop.
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
    if (!value)
        return false;
    if (QWidget* parent = parentWidget()) {
        for (auto* sibling : parent->findChildren<TFlatRadioButton*>(Qt::FindDirectChildrenOnly)) {
            if (sibling != this && sibling->GroupIndex() == m_GroupIndex)
                sibling->SetChecked(false);
        }
    }
    return true;
}

void TFlatRadioButton::UserChoice() {
    if (!Checked())
        SetChecked(true);
}

void TFlatRadioButton::PaintMark(QPainter& painter) {
    const QRect mark = MarkRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The circle covers the mark's pixels exactly: pen centres half a pixel inside.
    painter.setPen(QPen(ResolveColor(ColorBorder(), palette()), 1));
    painter.setBrush(MarkFillColor());
    painter.drawEllipse(QRectF(mark).adjusted(0.5, 0.5, -0.5, -0.5));
    if (Checked()) {
        const QColor dot =
            isEnabled() ? ResolveColor(ColorDot(), palette()) : palette().color(QPalette::Dark);
        painter.setPen(QPen(dot, 1));
        painter.setBrush(dot);
        painter.drawEllipse(QRectF(GdiRect(mark.left() + 3, mark.top() + 3, mark.left() + 7, mark.top() + 7))
                                .adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.restore();
}

void TFlatRadioButton::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        step = 1;
        break;
    default:
        TFlatChoiceButton::keyPressEvent(event);
        return;
    }
    QWidget* parent = parentWidget();
    if (parent == nullptr) {
        event->ignore();
        return;
    }
    // The group in the parent's order of children, wrapping around.
    QList<TFlatRadioButton*> group;
    for (auto* sibling : parent->findChildren<TFlatRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (sibling->GroupIndex() == m_GroupIndex &&
            (sibling == this || (sibling->isEnabled() && sibling->isVisible())))
            group.append(sibling);
    }
    const qsizetype count = group.size();
    const qsizetype here = group.indexOf(this);
    if (count < 2 || here < 0) {
        event->accept();
        return;
    }
    TFlatRadioButton* next = group[(here + step + count) % count];
    next->setFocus(Qt::TabFocusReason);
    next->SetChecked(true);
    event->accept();
}
