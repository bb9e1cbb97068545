#pragma once
// A canvas in memory: it keeps every drawing call in order and paints one-pixel lines into a
// pixel array, so tests can look both at what was asked and at what it left on the surface.
// Text is measured with fixed metrics and recorded, not painted.

#include "workspace/PlotCanvas.h"

#include <cstdint>
#include <string>
#include <vector>

class TRecordingCanvas : public TPlotCanvas {
public:
    enum class TOperation { Fill, Line, Polyline, Frame, Invert, Text };

    struct TCall {
        TOperation Operation = TOperation::Line;
        std::vector<TPlotPoint> Points; // line and invert ends, polyline points, rectangle corners
        std::int32_t Color = 0;
        int Width = 1;
        std::string Text;
    };

    // A surface of width x height pixels, all 0; text is characterWidth pixels per character
    // and fontHeight pixels high.
    TRecordingCanvas(int width, int height, int characterWidth = 6, int fontHeight = 11);

    int PixelWidth() const override { return m_Width; }
    int PixelHeight() const override { return m_Height; }
    int FontHeight() const override { return m_FontHeight; }
    int TextWidth(std::string_view text) const override;

    void FillRect(const TPlotRect& rect, std::int32_t color) override;
    void SetPen(std::int32_t color, int width) override;
    void Line(TPlotPoint from, TPlotPoint to) override;
    void Polyline(const TPlotPoint* points, int count) override;
    void FrameRect(const TPlotRect& rect) override;
    void InvertLine(TPlotPoint from, TPlotPoint to) override;
    void Text(int x, int y, std::string_view text, std::int32_t color) override;

    const std::vector<TCall>& Calls() const { return m_Calls; }
    void ClearCalls() { m_Calls.clear(); }

    // The pixel at (x, y); -1 outside the surface.
    std::int32_t Pixel(int x, int y) const;
    const std::vector<std::int32_t>& Pixels() const { return m_Pixels; }

    // The calls of one operation, and the texts drawn.
    std::vector<TCall> CallsOf(TOperation operation) const;
    std::vector<std::string> Texts() const;

private:
    void Plot(int x, int y, std::int32_t color);

    int m_Width;
    int m_Height;
    int m_CharacterWidth;
    int m_FontHeight;
    std::int32_t m_PenColor = 0;
    int m_PenWidth = 1;
    std::vector<std::int32_t> m_Pixels;
    std::vector<TCall> m_Calls;
};
