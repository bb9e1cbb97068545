#include "flatctl/TFlatEditUnit.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>

TFlatEdit::TFlatEdit(QWidget* parent) : QLineEdit(parent) {
    Init();
}

TFlatEdit::TFlatEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    Init();
}

void TFlatEdit::Init() {
    setFrame(false);
    // The frame's three pixels stand where the platform's border would.
    setContentsMargins(3, 3, 3, 3);
    setAttribute(Qt::WA_Hover, false);
    m_Colors.LastParentColor = ParentWindowColor(this);
    // Another flat edit taking or leaving the focus changes whether this one may highlight.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_MouseInside)
            Redraw();
    });
    Redraw();
}

void TFlatEdit::SetColors(int index, TColor value) {
    if (m_Colors.SetColor(index, value))
        Redraw();
}

void TFlatEdit::SetParentColor(bool value) {
    if (m_Colors.SetParentColor(value, ParentWindowColor(this)))
        Redraw();
}

void TFlatEdit::SetAdvColors(int index, TAdvColors value) {
    if (m_Colors.SetAdvColor(index, value))
        Redraw();
}

void TFlatEdit::SetUseAdvColors(bool value) {
    if (m_Colors.SetUseAdvColors(value, ParentWindowColor(this)))
        Redraw();
}

bool TFlatEdit::Highlighted() const {
    return FlatFrameHighlighted(hasFocus(), m_MouseInside,
                                qobject_cast<TFlatEdit*>(QApplication::focusWidget()) != nullptr);
}

QColor TFlatEdit::FaceColor() const {
    return ResolveColor(m_Colors.Face(Highlighted()), palette());
}

QSize TFlatEdit::sizeHint() const {
    return QSize(QLineEdit::sizeHint().width(), fontMetrics().height() + 6);
}

QSize TFlatEdit::minimumSizeHint() const {
    return QSize(QLineEdit::minimumSizeHint().width(), fontMetrics().height() + 6);
}

void TFlatEdit::Redraw() {
    // The text area shows the face colour in every state, also while disabled.
    const QColor face = FaceColor();
    QPalette colours = palette();
    if (SetBaseColor(colours, face))
        setPalette(colours);
    update();
}

void TFlatEdit::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        PaintFlatFrame(painter, rect(), ResolveColor(m_Colors.ColorBorder, palette()), FaceColor());
    }
    QLineEdit::paintEvent(event);
}

void TFlatEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    Redraw();
}

void TFlatEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Redraw();
}

void TFlatEdit::enterEvent(QEnterEvent* event) {
    QLineEdit::enterEvent(event);
    if (QApplication::activeWindow() != nullptr)
        m_MouseInside = true;
    Redraw();
}

void TFlatEdit::leaveEvent(QEvent* event) {
    QLineEdit::leaveEvent(event);
    m_MouseInside = false;
    Redraw();
}

void TFlatEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
        if (m_Colors.FollowParent(ParentWindowColor(this)))
            Redraw();
        break;
    case QEvent::EnabledChange:
        Redraw();
        break;
    default:
        break;
    }
}
