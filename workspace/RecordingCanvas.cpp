#include "workspace/RecordingCanvas.h"

#include "workspace/PixelLine.h"

#include <algorithm>
#include <cstdlib>

TRecordingCanvas::TRecordingCanvas(int width, int height, int characterWidth, int fontHeight)
    : m_Width(std::max(width, 0)), m_Height(std::max(height, 0)), m_CharacterWidth(characterWidth),
      m_FontHeight(fontHeight),
      m_Pixels(static_cast<std::size_t>(m_Width) * static_cast<std::size_t>(m_Height), 0) {}

int TRecordingCanvas::TextWidth(std::string_view text) const {
    return static_cast<int>(text.size()) * m_CharacterWidth;
}

void TRecordingCanvas::Plot(int x, int y, std::int32_t color) {
    if (x < 0 || y < 0 || x >= m_Width || y >= m_Height)
        return;
    m_Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Width) + static_cast<std::size_t>(x)] =
        color;
}

std::int32_t TRecordingCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_Width || y >= m_Height)
        return -1;
    return m_Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Width) +
                    static_cast<std::size_t>(x)];
}

void TRecordingCanvas::FillRect(const TPlotRect& rect, std::int32_t color) {
    m_Calls.push_back({TOperation::Fill, {{rect.Left, rect.Top}, {rect.Right, rect.Bottom}}, color, 1, {}});
    for (int y = std::max(rect.Top, 0); y < std::min(rect.Bottom, m_Height); ++y)
        for (int x = std::max(rect.Left, 0); x < std::min(rect.Right, m_Width); ++x)
            Plot(x, y, color);
}

void TRecordingCanvas::SetPen(std::int32_t color, int width) {
    m_PenColor = color;
    m_PenWidth = width;
}

void TRecordingCanvas::Line(TPlotPoint from, TPlotPoint to) {
    m_Calls.push_back({TOperation::Line, {from, to}, m_PenColor, m_PenWidth, {}});
    RasterizeLine(from, to, [this](int x, int y) { Plot(x, y, m_PenColor); });
}

void TRecordingCanvas::Polyline(const TPlotPoint* points, int count) {
    if (count <= 0)
        return;
    m_Calls.push_back(
        {TOperation::Polyline, std::vector<TPlotPoint>(points, points + count), m_PenColor, m_PenWidth, {}});
    for (int i = 1; i < count; ++i)
        RasterizeLine(points[i - 1], points[i], [this](int x, int y) { Plot(x, y, m_PenColor); });
}

void TRecordingCanvas::FrameRect(const TPlotRect& rect) {
    m_Calls.push_back(
        {TOperation::Frame, {{rect.Left, rect.Top}, {rect.Right, rect.Bottom}}, m_PenColor, 1, {}});
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        return;
    const int right = rect.Right - 1;
    const int bottom = rect.Bottom - 1;
    const auto paint = [this](int x, int y) { Plot(x, y, m_PenColor); };
    RasterizeLine({rect.Left, rect.Top}, {right, rect.Top}, paint);
    RasterizeLine({rect.Left, bottom}, {right, bottom}, paint);
    RasterizeLine({rect.Left, rect.Top}, {rect.Left, bottom}, paint);
    RasterizeLine({right, rect.Top}, {right, bottom}, paint);
}

void TRecordingCanvas::InvertLine(TPlotPoint from, TPlotPoint to) {
    m_Calls.push_back({TOperation::Invert, {from, to}, 0, 1, {}});
    RasterizeLine(from, to, [this](int x, int y) {
        const std::int32_t old = Pixel(x, y);
        if (old >= 0)
            Plot(x, y, old ^ 0x00FFFFFF);
    });
}

void TRecordingCanvas::Text(int x, int y, std::string_view text, std::int32_t color) {
    m_Calls.push_back({TOperation::Text, {{x, y}}, color, 1, std::string(text)});
}

std::vector<TRecordingCanvas::TCall> TRecordingCanvas::CallsOf(TOperation operation) const {
    std::vector<TCall> result;
    for (const TCall& call : m_Calls)
        if (call.Operation == operation)
            result.push_back(call);
    return result;
}

std::vector<std::string> TRecordingCanvas::Texts() const {
    std::vector<std::string> result;
    for (const TCall& call : m_Calls)
        if (call.Operation == TOperation::Text)
            result.push_back(call.Text);
    return result;
}
