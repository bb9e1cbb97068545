#include "flatctl/FlatFrame.h"

#include <QPainter>

void TFlatFrameColors::ApplyAdvColors() {
    if (!UseAdvColors)
        return;
    ColorFocused = AdjustColorLightness(ColorFlat, ColorFocused, AdvColorFocused, TLightness::Lighten);
    ColorBorder = AdjustColorLightness(ColorFlat, ColorBorder, AdvColorBorder, TLightness::Darken);
}

bool FlatFrameHighlighted(bool focused, bool mouseInside, bool focusInSameClass) {
    return focused || (mouseInside && !focusInSameClass);
}

void PaintFlatFrame(QPainter& painter, const QRect& windowRect, const QColor& border, const QColor& face) {
    GdiFrameRect(painter, windowRect, border);
    GdiFrameRect(painter, windowRect.adjusted(1, 1, -1, -1), face);
    GdiFrameRect(painter, windowRect.adjusted(2, 2, -2, -2), face);
}
