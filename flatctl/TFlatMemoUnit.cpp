#include "flatctl/TFlatMemoUnit.h"

#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

TFlatMemo::TFlatMemo(QWidget* parent) : TFlatFramed(parent) {
    // A plain three-pixel frame keeps the viewport and the scroll bars inside the flat frame,
    // which is painted over it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(3);
    // The square between the two scroll bars shows the face colour.
    auto* corner = new QWidget(this);
    corner->setAutoFillBackground(true);
    setCornerWidget(corner);
    // Judged before the layout takes the change in, so that no line is laid out in a wrap
    // mode that would search a long run for a place to break.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { JudgeWrap(position, added); });
    InitFrame();
}

void TFlatMemo::ShowStoredText(const QString& text) {
    const TShownText shown = ShownMemoText(text);
    const QTextOption::WrapMode mode =
        WrapsAnywhere(shown.text) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (mode != wordWrapMode()) {
        // A new mode lays the old text out again: back to word wrap, a long run of the old text
        // would be searched for a place to break, so the old text goes first.
        if (mode != QTextOption::WrapAnywhere)
            clear();
        setWordWrapMode(mode);
    }
    ShowCut(!shown.whole, text.size());
    setPlainText(shown.text);
}

void TFlatMemo::JudgeWrap(int position, int added) {
    if (wordWrapMode() == QTextOption::WrapAnywhere)
        return;
    const QTextBlock last = document()->findBlock(position + added);
    for (QTextBlock block = document()->findBlock(position); block.isValid(); block = block.next()) {
        if (WrapsAnywhere(block.text())) {
            setWordWrapMode(QTextOption::WrapAnywhere);
            return;
        }
        if (block == last)
            return;
    }
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
