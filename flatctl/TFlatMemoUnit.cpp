#include "flatctl/TFlatMemoUnit.h"

#include <QPainter>
#include <QScrollBar>

TFlatMemo::TFlatMemo(QWidget* parent) : TFlatFramed(parent) {
    // A plain three-pixel frame keeps the viewport and the scroll bars inside the flat frame,
    // which is painted over it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(3);
    // The square between the two scroll bars shows the face colour.
    auto* corner = new QWidget(this);
    corner->setAutoFillBackground(true);
    setCornerWidget(corner);
    InitFrame();
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
