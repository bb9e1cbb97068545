#include "shell/UnitLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TUnitLabel::TUnitLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(tr("Click (or press F4 in the field) to change the unit"));
    // Wide enough for the longest unit name, so switching units never moves the fields.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("mH*sqrt(Hz)")) +
                    fontMetrics().averageCharWidth());
}

void TUnitLabel::AttachField(QWidget* field) {
    if (m_Field != nullptr)
        m_Field->removeEventFilter(this);
    m_Field = field;
    if (field != nullptr)
        field->installEventFilter(this);
}

void TUnitLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void TUnitLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TUnitLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

bool TUnitLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        emit clicked();
        return true;
    }
    return QLabel::eventFilter(watched, event);
}
