#pragma once
// The surface the plot engine draws on: a window's picture, a printer's page or a recording
// for tests. Colours are 0x00BBGGRR integers; a line includes both of its end points.

#include <cstdint>
#include <string_view>

// A rectangle of pixels: columns Left..Right-1, rows Top..Bottom-1.
struct TPlotRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TPlotRect&) const = default;
};

struct TPlotPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPlotPoint&) const = default;
};

class TPlotCanvas {
public:
    virtual ~TPlotCanvas() = default;

    // Size of the surface in pixels.
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;

    // Height of a line of the current font in pixels, and the width of a text in it.
    virtual int FontHeight() const = 0;
    virtual int TextWidth(std::string_view text) const = 0;

    virtual void FillRect(const TPlotRect& rect, std::int32_t color) = 0;

    // The pen of the lines that follow.
    virtual void SetPen(std::int32_t color, int width) = 0;
    virtual void Line(TPlotPoint from, TPlotPoint to) = 0;
    // Joined segments through the points, in the current pen.
    virtual void Polyline(const TPlotPoint* points, int count) = 0;
    // A one-pixel outline along the rectangle's outermost pixels, in the current pen colour.
    virtual void FrameRect(const TPlotRect& rect) = 0;

    // A one-pixel line that inverts every pixel under it: drawn twice, it leaves the picture
    // as it was.
    virtual void InvertLine(TPlotPoint from, TPlotPoint to) = 0;

    // Text with its top-left corner at (x, y).
    virtual void Text(int x, int y, std::string_view text, std::int32_t color) = 0;
};
