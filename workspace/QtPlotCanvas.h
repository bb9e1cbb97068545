#pragma once
// The plot canvas on a QPainter: a QImage for the plot window's picture, or a printer's page.
// Colours cross over from 0x00BBGGRR here and nowhere else.

#include "workspace/PlotCanvas.h"

#include <QColor>
#include <QPainter>
#include <QPolygon>

#include <cstdint>

// 0x00BBGGRR to an opaque QColor and back.
QColor ColorToQColor(std::int32_t color);
std::int32_t QColorToColor(const QColor& color);

class TQtPlotCanvas : public TPlotCanvas {
public:
    // The painter must be active on its device for the life of the canvas; the canvas draws
    // without antialiasing so that lines land on whole pixels.
    explicit TQtPlotCanvas(QPainter& painter);

    int PixelWidth() const override;
    int PixelHeight() const override;
    int FontHeight() const override;
    int TextWidth(std::string_view text) const override;

    void FillRect(const TPlotRect& rect, std::int32_t color) override;
    void SetPen(std::int32_t color, int width) override;
    void Line(TPlotPoint from, TPlotPoint to) override;
    void Polyline(const TPlotPoint* points, int count) override;
    void FrameRect(const TPlotRect& rect) override;
    void InvertLine(TPlotPoint from, TPlotPoint to) override;
    void Text(int x, int y, std::string_view text, std::int32_t color) override;

private:
    QPainter& m_Painter;
    QPen m_Pen;
    QPolygon m_Polygon;
};
