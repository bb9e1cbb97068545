#include "workspace/QtPlotCanvas.h"

#include "workspace/PixelLine.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QString>

#include <algorithm>
#include <cstdlib>

QColor ColorToQColor(std::int32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

std::int32_t QColorToColor(const QColor& color) {
    return static_cast<std::int32_t>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

namespace {

// Qt's raster routines may use 256-bit vector instructions and return with the upper halves of
// the vector registers in use; the plain SSE code of the models that runs next then pays a
// transition penalty on many instructions (about twice the time of a whole picture here).
// Clearing the upper state after each call into the painter avoids it. Code built for AVX
// clears it itself (and may keep values there), so there nothing is done.
void ClearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__AVX__)
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        asm volatile("vzeroupper" ::: "memory");
#endif
}

// Held through every call into the painter.
struct TPainterCall {
    TPainterCall() = default;
    TPainterCall(const TPainterCall&) = delete;
    TPainterCall& operator=(const TPainterCall&) = delete;
    ~TPainterCall() { ClearUpperVectorState(); }
};

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TQtPlotCanvas::TQtPlotCanvas(QPainter& painter) : m_Painter(painter) {
    m_Painter.setRenderHint(QPainter::Antialiasing, false);
    m_Painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_Pen = QPen(Qt::white, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    m_Painter.setPen(m_Pen);
}

int TQtPlotCanvas::PixelWidth() const {
    return m_Painter.device() != nullptr ? m_Painter.device()->width() : 0;
}

int TQtPlotCanvas::PixelHeight() const {
    return m_Painter.device() != nullptr ? m_Painter.device()->height() : 0;
}

int TQtPlotCanvas::FontHeight() const {
    const TPainterCall call;
    return std::abs(QFontMetrics(m_Painter.font(), m_Painter.device()).height());
}

int TQtPlotCanvas::TextWidth(std::string_view text) const {
    const TPainterCall call;
    return QFontMetrics(m_Painter.font(), m_Painter.device()).horizontalAdvance(ToQString(text));
}

void TQtPlotCanvas::FillRect(const TPlotRect& rect, std::int32_t color) {
    const TPainterCall call;
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    m_Painter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ColorToQColor(color));
}

void TQtPlotCanvas::SetPen(std::int32_t color, int width) {
    m_Pen.setColor(ColorToQColor(color));
    // Width 1 is the cosmetic one-pixel pen; wider pens round their joins like a thick plot line.
    m_Pen.setWidth(width > 1 ? width : 1);
    // A one-pixel pen is drawn as a cosmetic line, the raster engine's fast path.
    m_Pen.setCosmetic(width <= 1);
    m_Pen.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    m_Pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::SquareCap);
    m_Painter.setPen(m_Pen);
}

void TQtPlotCanvas::Line(TPlotPoint from, TPlotPoint to) {
    const TPainterCall call;
    // The grid's one-pixel lines are rows and columns of pixels: filled as rectangles they take
    // a fraction of the time the line stroker needs, with the same pixels.
    if (m_Pen.width() <= 1 && (from.X == to.X || from.Y == to.Y)) {
        const int left = std::min(from.X, to.X);
        const int top = std::min(from.Y, to.Y);
        m_Painter.fillRect(QRect(left, top, std::abs(to.X - from.X) + 1, std::abs(to.Y - from.Y) + 1),
                           m_Pen.color());
        return;
    }
    m_Painter.drawLine(QPoint(from.X, from.Y), QPoint(to.X, to.Y));
}

namespace {

// The curves of a window's picture straight into its pixels: the painter's line stroker spends
// about 50 ns on every segment of a curve, a fifth of a ten-project picture. Only an opaque
// one-pixel solid pen drawn plainly into a 32-bit image takes this path; anything else (a printer,
// a wide or translucent pen, clipping, a transformation) goes through the painter.
bool DrawImagePolyline(QPainter& painter, const QPen& pen, const TPlotPoint* points, int count) {
    QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image ||
        !painter.deviceTransform().isIdentity() || painter.hasClipping() ||
        painter.testRenderHint(QPainter::Antialiasing) || painter.opacity() != 1.0 ||
        (painter.compositionMode() != QPainter::CompositionMode_SourceOver &&
         painter.compositionMode() != QPainter::CompositionMode_Source))
        return false;
    if (!pen.isCosmetic() || pen.widthF() > 1.0 || pen.style() != Qt::SolidLine ||
        pen.brush().style() != Qt::SolidPattern || pen.color().alpha() != 255)
        return false;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    return DrawPixelPolyline(reinterpret_cast<std::uint32_t*>(image->bits()), image->bytesPerLine() / 4,
                             image->width(), image->height(), points, count, pen.color().rgba());
}

} // namespace

void TQtPlotCanvas::Polyline(const TPlotPoint* points, int count) {
    const TPainterCall call;
    if (count <= 0)
        return;
    if (count >= 2 && DrawImagePolyline(m_Painter, m_Pen, points, count))
        return;
    m_Polygon.resize(count);
    for (int i = 0; i < count; ++i)
        m_Polygon[i] = QPoint(points[i].X, points[i].Y);
    m_Painter.drawPolyline(m_Polygon);
}

void TQtPlotCanvas::FrameRect(const TPlotRect& rect) {
    const TPainterCall call;
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    m_Painter.save();
    QPen pen = m_Pen;
    pen.setWidth(1);
    m_Painter.setPen(pen);
    m_Painter.setBrush(Qt::NoBrush);
    // A one-pixel pen outlines x..x+w inclusive: the rectangle's last column is Right - 1.
    m_Painter.drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
    m_Painter.restore();
}

namespace {

// The cursor's rows and columns straight in the pixels of a window's picture: the painter's
// raster operation takes a hundred times as long, and a cursor move draws four such lines.
bool InvertImageLine(QPainter& painter, TPlotPoint from, TPlotPoint to) {
    QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image || !painter.transform().isIdentity() ||
        painter.hasClipping() || (from.X != to.X && from.Y != to.Y))
        return false;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32)
        return false;
    const int left = std::max(0, std::min(from.X, to.X));
    const int right = std::min(image->width() - 1, std::max(from.X, to.X));
    const int top = std::max(0, std::min(from.Y, to.Y));
    const int bottom = std::min(image->height() - 1, std::max(from.Y, to.Y));
    for (int y = top; y <= bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(y));
        for (int x = left; x <= right; ++x)
            line[x] ^= 0x00FFFFFFu;
    }
    return true;
}

} // namespace

void TQtPlotCanvas::InvertLine(TPlotPoint from, TPlotPoint to) {
    const TPainterCall call;
    if (InvertImageLine(m_Painter, from, to))
        return;
    m_Painter.save();
    m_Painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    m_Painter.setPen(QPen(Qt::white, 1));
    m_Painter.drawLine(QPoint(from.X, from.Y), QPoint(to.X, to.Y));
    m_Painter.restore();
}

void TQtPlotCanvas::Text(int x, int y, std::string_view text, std::int32_t color) {
    const TPainterCall call;
    m_Painter.save();
    m_Painter.setPen(ColorToQColor(color));
    const QFontMetrics metrics(m_Painter.font(), m_Painter.device());
    m_Painter.drawText(QPoint(x, y + metrics.ascent()), ToQString(text));
    m_Painter.restore();
}
