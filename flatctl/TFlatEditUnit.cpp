#include "flatctl/TFlatEditUnit.h"

#include <QPainter>

TFlatEdit::TFlatEdit(QWidget* parent) : TFlatFramed(parent) {
    Init();
}

TFlatEdit::TFlatEdit(const QString& text, QWidget* parent) : TFlatFramed(text, parent) {
    Init();
}

void TFlatEdit::Init() {
    setFrame(false);
    // The frame's three pixels stand where the platform's border would.
    setContentsMargins(3, 3, 3, 3);
    setAttribute(Qt::WA_Hover, false);
    InitFrame();
}

void TFlatEdit::ShowStoredText(const QString& text) {
    const TShownText shown = ShownLine(text, maxLength());
    ShowCut(!shown.whole, text.size());
    setText(shown.text);
    if (!shown.whole)
        setCursorPosition(0);
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
