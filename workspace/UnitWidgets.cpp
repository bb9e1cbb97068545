#include "workspace/UnitWidgets.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace {

QLineEdit* EditOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    return nullptr;
}

} // namespace

TUnitWidgetField::TUnitWidgetField(QWidget* widget, int kind, QObject* parent)
    : QObject(parent), m_Widget(widget), m_Kind(kind) {
    if (widget == nullptr)
        return;
    if (QLineEdit* edit = EditOf(widget)) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::returnPressed, this, &TUnitWidgetField::Commit);
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->installEventFilter(this);
        // activated, not currentIndexChanged: only the user's choice is a commit, and a change.
        connect(combo, &QComboBox::activated, this, [this] {
            SetModified(true);
            Commit();
        });
    }
}

TUnitWidgetField::~TUnitWidgetField() {
    if (m_Widget == nullptr)
        return;
    if (QLineEdit* edit = EditOf(m_Widget))
        edit->removeEventFilter(this);
    m_Widget->removeEventFilter(this);
}

std::string TUnitWidgetField::Name() const {
    return m_Widget != nullptr ? m_Widget->objectName().toStdString() : std::string();
}

std::string TUnitWidgetField::Text() const {
    if (m_Widget == nullptr)
        return {};
    if (auto* edit = qobject_cast<QLineEdit*>(m_Widget.data()))
        return edit->text().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(m_Widget.data()))
        return combo->currentText().toStdString();
    if (auto* label = qobject_cast<QLabel*>(m_Widget.data()))
        return label->text().toStdString();
    return {};
}

void TUnitWidgetField::SetText(const std::string& text) {
    if (m_Widget == nullptr)
        return;
    m_Chosen = false;
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(m_Widget.data())) {
        edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(m_Widget.data())) {
        if (combo->isEditable()) {
            combo->setEditText(value);
            combo->lineEdit()->setModified(false);
        } else if (const int item = combo->findText(value); item >= 0) {
            combo->setCurrentIndex(item);
        }
    } else if (auto* label = qobject_cast<QLabel*>(m_Widget.data())) {
        label->setText(value);
    }
}

bool TUnitWidgetField::Focused() const {
    return m_Widget != nullptr && m_Widget->hasFocus();
}

bool TUnitWidgetField::Modified() const {
    QLineEdit* edit = m_Widget != nullptr ? EditOf(m_Widget) : nullptr;
    return m_Chosen || (edit != nullptr && edit->isModified());
}

void TUnitWidgetField::SetModified(bool modified) {
    QLineEdit* edit = m_Widget != nullptr ? EditOf(m_Widget) : nullptr;
    if (edit != nullptr)
        edit->setModified(modified);
    // A list without an edit keeps the user's choice here.
    m_Chosen = modified && edit == nullptr && qobject_cast<QComboBox*>(m_Widget.data()) != nullptr;
}

void TUnitWidgetField::ShowState(char letter) {
    auto* edit = qobject_cast<QLineEdit*>(m_Widget.data());
    if (edit == nullptr)
        return;
    QColor colour;
    switch (letter) {
    case 'C':
        colour = QColor(0, 0, 255);
        break;
    case 'E':
        colour = QColor(0, 128, 0);
        break;
    case 'N':
        colour = QApplication::palette(edit).color(QPalette::Text);
        break;
    default:
        return;
    }
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, colour);
    edit->setPalette(palette);
}

QWidget* TUnitWidgetField::TextWidget() const {
    QLineEdit* edit = m_Widget != nullptr ? EditOf(m_Widget) : nullptr;
    return edit != nullptr ? edit : m_Widget.data();
}

void TUnitWidgetField::Commit() {
    if (OnCommit)
        OnCommit();
}

bool TUnitWidgetField::eventFilter(QObject* watched, QEvent* event) {
    // The focus belongs to the field itself: an editable combo box keeps it for its line
    // edit, which sees no focus events of its own.
    if (watched == m_Widget.data() && event->type() == QEvent::FocusOut) {
        // Every exit to another control judges the text (editingFinished would skip an
        // unchanged field); a popup or a switch to another window is no exit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            Commit();
    } else if (watched == TextWidget()) {
        if (event->type() == QEvent::KeyPress && m_StepKeys) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                if (OnStep) {
                    OnStep(key == Qt::Key_Up);
                    return true;
                }
                if (StepValue(*this, key == Qt::Key_Up ? TStepKey::Up : TStepKey::Down)) {
                    // A step is the user's change, as typing is.
                    SetModified(true);
                    Commit();
                }
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
