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

    // The parent's window colour last seen, so only a real change is followed.
    QColor LastParentColor;

    // With UseAdvColors the focus and border colours follow ColorFlat.
    void ApplyAdvColors();
    // The property setters. Each returns whether the control must redraw.
    // By index: 0 ColorFocused, 1 ColorBorder, 2 ColorFlat (which clears ParentColor).
    bool SetColor(int index, TColor value);
    // Turning it on takes the parent's colour as ColorFlat.
    bool SetParentColor(bool value, const QColor& parentColor);
    // By index: 0 AdvColorFocused, 1 AdvColorBorder.
    bool SetAdvColor(int index, TAdvColors value);
    // Also writes ParentColor with the same value, then derives the colours.
    bool SetUseAdvColors(bool value, const QColor& parentColor);
    // The parent's colour is now `parentColor`: ColorFlat follows it with UseAdvColors or
    // ParentColor. False when it had not changed.
    bool FollowParent(const QColor& parentColor);
    TColor Face(bool highlighted) const { return highlighted ? ColorFocused : ColorFlat; }
};

// The control is plain unless it has the focus, or the mouse is inside it while the focus is
// not in another control of its class.
bool FlatFrameHighlighted(bool focused, bool mouseInside, bool focusInSameClass);

// A one-pixel ring in `border`, then two rings in `face`, on the outer three pixels of
// `windowRect`.
void PaintFlatFrame(QPainter& painter, const QRect& windowRect, const QColor& border, const QColor& face);
