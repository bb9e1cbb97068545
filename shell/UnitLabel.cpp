#include "shell/UnitLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

TUnitLabel::TUnitLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
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

bool TUnitLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        emit clicked();
        return true;
    }
    return QLabel::eventFilter(watched, event);
}
