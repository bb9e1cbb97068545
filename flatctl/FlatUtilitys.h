#pragma once
// Drawing and colour helpers of the flat controls.
//
// Colours are 0x00BBGGRR integers (TColor). A value with the top byte 0xFF names a system
// colour (clWindow, clBtnFace, ...), resolved against the widget's palette when drawn.
//
// The drawing helpers keep the meaning the controls' geometry was designed for: a rectangle
// (left, top, right, bottom) covers the pixels left..right-1 and top..bottom-1, and a line
// leaves out its end pixel.

#include "flatctl/HSLUtils.h"

#include <QColor>
#include <QPalette>
#include <QPoint>
#include <QRect>

#include <vector>

class QPainter;
class QWidget;

// Percentages 0..100 of the controls' AdvColor properties.
using TAdvColors = int;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clHighlight = static_cast<TColor>(0xFF00000Du);
constexpr TColor clHighlightText = static_cast<TColor>(0xFF00000Eu);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005u);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010u);
constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014u);

constexpr bool IsSystemColor(TColor colour) {
    return (static_cast<std::uint32_t>(colour) >> 24) == 0xFF;
}

// A system colour becomes its palette colour (active group); any other value its RGB.
QColor ResolveColor(TColor colour, const QPalette& palette);
// The RGB value of a colour, system colours resolved against `palette`.
TColor ColorToRGB(TColor colour, const QPalette& palette);
TColor QColorToTColor(const QColor& colour);

enum class TLightness { Lighten, Darken };

// Derives a control's focus, pressed, border or arrow colour from its base colour. Lightness
// is on the 0..240 scale and bounded by 0 and 100, so a light base colour lightened comes
// out darker; the controls' looks were tuned with that rule.
TColor AdjustColorLightness(TColor base, TColor current, TAdvColors percentage, TLightness direction);

// The window colour of the control's parent, or of the application without a parent.
QColor ParentWindowColor(const QWidget* widget);

// Sets the Base colour of every colour group to `colour`; false when it already was.
bool SetBaseColor(QPalette& palette, const QColor& colour);

// Paints the parent's background and own drawing into the control's painter, the parent's
// coordinates moved onto the control. Nothing without a parent.
void PaintParentBackground(QWidget* control, QPainter& painter);

// Whether two rectangles (right and bottom excluded) share at least one pixel.
bool RectsOverlap(const QRect& a, const QRect& b);

// The rectangle helpers take (left, top, right, bottom) with right and bottom excluded.
QRect GdiRect(int left, int top, int right, int bottom);
void GdiFillRect(QPainter& painter, const QRect& rect, const QColor& colour);
// A one-pixel ring on the rectangle's outermost pixels.
void GdiFrameRect(QPainter& painter, const QRect& rect, const QColor& colour);
// Pixels from (x1, y1) towards (x2, y2), the end pixel left out.
void GdiLine(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& colour);
// Each segment as GdiLine: the last point is left out.
void GdiPolyline(QPainter& painter, const std::vector<QPoint>& points, const QColor& colour);
// A filled triangle or other polygon including its outline pixels.
void GdiPolygon(QPainter& painter, const std::vector<QPoint>& points, const QColor& colour);
