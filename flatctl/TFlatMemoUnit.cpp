#include "flatctl/TFlatMemoUnit.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QScrollBar>

TFlatMemo::TFlatMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // A plain three-pixel frame keeps the viewport and the scroll bars inside the flat frame,
    // which is painted over it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(3);
    // The square between the two scroll bars shows the face colour.
    auto* corner = new QWidget(this);
    corner->setAutoFillBackground(true);
    setCornerWidget(corner);
    m_Colors.LastParentColor = ParentWindowColor(this);
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_MouseInside)
            Redraw();
    });
    Redraw();
}

void TFlatMemo::SetColors(int index, TColor value) {
    if (m_Colors.SetColor(index, value))
        Redraw();
}

void TFlatMemo::SetParentColor(bool value) {
    if (m_Colors.SetParentColor(value, ParentWindowColor(this)))
        Redraw();
}

void TFlatMemo::SetAdvColors(int index, TAdvColors value) {
    if (m_Colors.SetAdvColor(index, value))
        Redraw();
}

void TFlatMemo::SetUseAdvColors(bool value) {
    if (m_Colors.SetUseAdvColors(value, ParentWindowColor(this)))
        Redraw();
}

bool TFlatMemo::Highlighted() const {
    return FlatFrameHighlighted(hasFocus(), m_MouseInside,
                                qobject_cast<TFlatMemo*>(QApplication::focusWidget()) != nullptr);
}

QColor TFlatMemo::FaceColor() const {
    return ResolveColor(m_Colors.Face(Highlighted()), palette());
}

void TFlatMemo::Redraw() {
    const QColor face = FaceColor();
    QPalette colours = palette();
    if (SetBaseColor(colours, face))
        setPalette(colours);
    if (QWidget* corner = cornerWidget()) {
        QPalette cornerColours = corner->palette();
        if (cornerColours.color(QPalette::Window) != face) {
            cornerColours.setColor(QPalette::Window, face);
            corner->setPalette(cornerColours);
        }
    }
    update();
    viewport()->update();
}

bool TFlatMemo::event(QEvent* event) {
    const bool result = QPlainTextEdit::event(event);
    if (event->type() == QEvent::Paint) {
        // The scroll area's own paint event covers the frame; the text is painted by the
        // viewport.
        QPainter painter(this);
        const QColor face = FaceColor();
        PaintFlatFrame(painter, rect(), ResolveColor(m_Colors.ColorBorder, palette()), face);
    }
    return result;
}

void TFlatMemo::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    Redraw();
}

void TFlatMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    Redraw();
}

void TFlatMemo::enterEvent(QEnterEvent* event) {
    QPlainTextEdit::enterEvent(event);
    if (QApplication::activeWindow() != nullptr)
        m_MouseInside = true;
    Redraw();
}

void TFlatMemo::leaveEvent(QEvent* event) {
    QPlainTextEdit::leaveEvent(event);
    m_MouseInside = false;
    Redraw();
}

void TFlatMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        if (m_Colors.FollowParent(ParentWindowColor(this)))
            Redraw();
    } else if (event->type() == QEvent::EnabledChange) {
        Redraw();
    }
}
