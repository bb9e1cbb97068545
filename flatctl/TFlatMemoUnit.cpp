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
    m_LastParentColor = ParentWindowColor(this);
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_MouseInside)
            Redraw();
    });
    Redraw();
}

void TFlatMemo::SetColors(int index, TColor value) {
    switch (index) {
    case 0:
        m_Colors.ColorFocused = value;
        break;
    case 1:
        m_Colors.ColorBorder = value;
        break;
    case 2:
        m_Colors.ColorFlat = value;
        m_Colors.ParentColor = false;
        break;
    default:
        return;
    }
    Redraw();
}

void TFlatMemo::SetParentColor(bool value) {
    if (m_Colors.ParentColor == value)
        return;
    m_Colors.ParentColor = value;
    if (value) {
        m_Colors.ColorFlat = QColorToTColor(ParentWindowColor(this));
        Redraw();
    }
}

void TFlatMemo::SetAdvColors(int index, TAdvColors value) {
    if (index == 0)
        m_Colors.AdvColorFocused = value;
    else if (index == 1)
        m_Colors.AdvColorBorder = value;
    else
        return;
    if (m_Colors.UseAdvColors) {
        m_Colors.ApplyAdvColors();
        Redraw();
    }
}

void TFlatMemo::SetUseAdvColors(bool value) {
    if (m_Colors.UseAdvColors == value)
        return;
    m_Colors.UseAdvColors = value;
    SetParentColor(value);
    m_Colors.ApplyAdvColors();
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

void TFlatMemo::ParentColorChanged() {
    const QColor parentColor = ParentWindowColor(this);
    if (parentColor == m_LastParentColor)
        return;
    m_LastParentColor = parentColor;
    if (m_Colors.UseAdvColors) {
        m_Colors.ColorFlat = QColorToTColor(parentColor);
        m_Colors.ApplyAdvColors();
    } else if (m_Colors.ParentColor) {
        m_Colors.ColorFlat = QColorToTColor(parentColor);
    }
    Redraw();
}

void TFlatMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ParentColorChanged();
    else if (event->type() == QEvent::EnabledChange)
        Redraw();
}
