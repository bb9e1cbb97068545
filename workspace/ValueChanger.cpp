#include "workspace/ValueChanger.h"

#include "model/Units.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

TfrmEditor* TfrmEditor::CreateFor(QWidget* owner, double* value, TChangeHandler onChange, double minimum,
                                  const QString& caption) {
    auto* editor = new TfrmEditor(owner, value, std::move(onChange), minimum, caption);
    // A tool window would otherwise open wherever the window system likes, often far from
    // the menu item that asked for it.
    const QPoint cursor = QCursor::pos();
    if (const QScreen* screen = QGuiApplication::screenAt(cursor); screen != nullptr)
        editor->move(PlaceAt(cursor, editor->size(), screen->availableGeometry()));
    editor->show();
    editor->raise();
    editor->activateWindow();
    editor->edValue->setFocus();
    editor->edValue->selectAll();
    return editor;
}

TfrmEditor::TfrmEditor(QWidget* owner, double* value, TChangeHandler onChange, double minimum,
                       const QString& caption)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_OnChange(std::move(onChange)), m_Minimum(minimum), m_Value(value) {
    setObjectName("frmEditor");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);

    edValue = new QLineEdit(this);
    edValue->setObjectName("edValue");
    edValue->setAccessibleName(caption);
    edValue->installEventFilter(this);
    if (owner != nullptr)
        owner->installEventFilter(this);

    Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    Shape1->setBackgroundRole(QPalette::Mid);
    Shape1->setCursor(Qt::OpenHandCursor);
    Shape1->setToolTip("Drag this area with mouse to change value.");
    Shape1->setAccessibleName("Drag this area with mouse to change value.");
    Shape1->installEventFilter(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(edValue, 1);
    layout->addWidget(Shape1);
    const int side = edValue->sizeHint().height();
    Shape1->setFixedSize(side, side);
    edValue->setMinimumWidth(edValue->fontMetrics().horizontalAdvance("0000000.000"));
    ShowValue();
    resize(sizeHint().expandedTo(QSize(162, 37)));
}

QPoint TfrmEditor::PlaceAt(const QPoint& cursor, const QSize& frame, const QRect& available) {
    const int x = std::max(available.left(), std::min(cursor.x(), available.right() + 1 - frame.width()));
    const int y = std::max(available.top(), std::min(cursor.y(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

void TfrmEditor::DoChange() {
    if (m_OnChange)
        m_OnChange();
}

void TfrmEditor::Store(double value) {
    if (!(value >= m_Minimum)) // NaN as well
        value = m_Minimum;
    if (m_Value != nullptr)
        *m_Value = value;
}

void TfrmEditor::ShowValue() {
    // The field shows the value rounded; the stored value keeps every digit.
    if (m_Value != nullptr)
        edValue->setText(QString::fromStdString(Val2Str(qkNone, 0, *m_Value)));
}

void TfrmEditor::CommitText() {
    if (m_Value == nullptr)
        return;
    const QString shown = QString::fromStdString(Val2Str(qkNone, 0, *m_Value));
    if (edValue->text() == shown)
        return; // untouched: the value keeps its digits
    const TStr2ValResult typed = Str2Val(edValue->text().toStdString(), qkNone, 0);
    if (!typed || !std::isfinite(typed.Value)) {
        ShowValue();
        return;
    }
    Store(typed.Value);
    ShowValue();
    if (*m_Value > 0)
        DoChange();
}

void TfrmEditor::StepBy(int pixelsUp) {
    if (m_Value == nullptr || pixelsUp == 0)
        return;
    CommitText();
    Store(*m_Value + pixelsUp * kStepPerPixel);
    ShowValue();
    DoChange();
}

bool TfrmEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        // Typing is kept when the owner closes; once it is hidden (also on its way to being
        // destroyed, its numbers possibly gone already) nothing is written any more.
        if (event->type() == QEvent::Close) {
            CommitText();
            CloseEditor();
        } else if (event->type() == QEvent::Hide) {
            m_Value = nullptr;
            CloseEditor();
        }
        return false;
    }
    if (watched == Shape1) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QPoint at = mouse->globalPosition().toPoint();
                m_LastX = at.x();
                m_LastY = at.y();
                Shape1->setCursor(Qt::ClosedHandCursor);
                return true;
            }
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() & Qt::LeftButton) {
                const QPoint at = mouse->globalPosition().toPoint();
                StepBy(m_LastY - at.y());
                m_LastX = at.x();
                m_LastY = at.y();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            Shape1->setCursor(Qt::OpenHandCursor);
        }
    } else if (watched == edValue && event->type() == QEvent::FocusOut) {
        CommitText();
    } else if (watched == edValue && event->type() == QEvent::KeyPress) {
        // The window sees its keys before the field does.
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
            keyPressEvent(key);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmEditor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CommitText();
        CloseEditor();
        return;
    case Qt::Key_Escape:
        // Text typed but not committed is dropped; stored changes stay.
        ShowValue();
        CloseEditor();
        return;
    case Qt::Key_Up:
        StepBy(1);
        return;
    case Qt::Key_Down:
        StepBy(-1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TfrmEditor::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
        CommitText();
        CloseEditor();
    }
}

void TfrmEditor::CloseEditor() {
    if (m_Closing)
        return;
    m_Closing = true;
    close();
}
