#include "flatctl/FlatFrame.h"

#include <QPainter>

void TFlatFrameColors::ApplyAdvColors() {
    if (!UseAdvColors)
        return;
    ColorFocused = AdjustColorLightness(ColorFlat, ColorFocused, AdvColorFocused, TLightness::Lighten);
    ColorBorder = AdjustColorLightness(ColorFlat, ColorBorder, AdvColorBorder, TLightness::Darken);
}

bool TFlatFrameColors::SetColor(int index, TColor value) {
    switch (index) {
    case 0:
        ColorFocused = value;
        return true;
    case 1:
        ColorBorder = value;
        return true;
    case 2:
        ColorFlat = value;
        ParentColor = false;
        return true;
    default:
        return false;
    }
}

bool TFlatFrameColors::SetParentColor(bool value, const QColor& parentColor) {
    if (ParentColor == value)
        return false;
    ParentColor = value;
    if (value)
        ColorFlat = QColorToTColor(parentColor);
    return value;
}

bool TFlatFrameColors::SetAdvColor(int index, TAdvColors value) {
    if (index == 0)
        AdvColorFocused = value;
    else if (index == 1)
        AdvColorBorder = value;
    else
        return false;
    ApplyAdvColors();
    return UseAdvColors;
}

bool TFlatFrameColors::SetUseAdvColors(bool value, const QColor& parentColor) {
    if (UseAdvColors == value)
        return false;
    UseAdvColors = value;
    SetParentColor(value, parentColor);
    ApplyAdvColors();
    return true;
}

bool TFlatFrameColors::FollowParent(const QColor& parentColor) {
    if (parentColor == LastParentColor)
        return false;
    LastParentColor = parentColor;
    if (UseAdvColors) {
        ColorFlat = QColorToTColor(parentColor);
        ApplyAdvColors();
    } else if (ParentColor) {
        ColorFlat = QColorToTColor(parentColor);
    }
    return true;
}

bool FlatFrameHighlighted(bool focused, bool mouseInside, bool focusInSameClass) {
    return focused || (mouseInside && !focusInSameClass);
}

void PaintFlatFrame(QPainter& painter, const QRect& windowRect, const QColor& border, const QColor& face) {
    GdiFrameRect(painter, windowRect, border);
    GdiFrameRect(painter, windowRect.adjusted(1, 1, -1, -1), face);
    GdiFrameRect(painter, windowRect.adjusted(2, 2, -2, -2), face);
}
