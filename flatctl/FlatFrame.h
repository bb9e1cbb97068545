#pragma once
// The colour rules shared by the flat edit and the flat memo, kept apart from the widgets.

#include "flatctl/FlatUtilitys.h"

class QPainter;

struct TFlatFrameColors {
    TColor ColorFocused = clWhite;
    TColor ColorBorder = 0x8396A0;
    TColor ColorFlat = 0xE1EAEB;
    bool ParentColor = true;
    TAdvColors AdvColorFocused = 10;
    TAdvColors AdvColorBorder = 50;
    bool UseAdvColors = false;

    // With UseAdvColors the focus and border colours follow ColorFlat.
    void ApplyAdvColors();
    TColor Face(bool highlighted) const { return highlighted ? ColorFocused : ColorFlat; }
};

// The control is plain unless it has the focus, or the mouse is inside it while the focus is
// not in another control of its class.
bool FlatFrameHighlighted(bool focused, bool mouseInside, bool focusInSameClass);

// A one-pixel ring in `border`, then two rings in `face`, on the outer three pixels of
// `windowRect`.
void PaintFlatFrame(QPainter& painter, const QRect& windowRect, const QColor& border, const QColor& face);
