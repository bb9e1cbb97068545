#include "flatctl/FlatUtilitys.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace {

QPalette::ColorRole SystemRole(TColor colour) {
    switch (static_cast<std::uint32_t>(colour) & 0xFF) {
    case 0x05:
        return QPalette::Base;
    case 0x08:
        return QPalette::Text;
    case 0x0D:
        return QPalette::Highlight;
    case 0x0E:
        return QPalette::HighlightedText;
    case 0x10:
        return QPalette::Dark;
    case 0x14:
        return QPalette::Light;
    default:
        return QPalette::Button;
    }
}

} // namespace

QColor ResolveColor(TColor colour, const QPalette& palette) {
    if (IsSystemColor(colour))
        return palette.color(QPalette::Active, SystemRole(colour));
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

TColor QColorToTColor(const QColor& colour) {
    return RGBColor(colour.red(), colour.green(), colour.blue());
}

TColor ColorToRGB(TColor colour, const QPalette& palette) {
    return QColorToTColor(ResolveColor(colour, palette));
}

TColor AdjustColorLightness(TColor base, TColor current, TAdvColors percentage, TLightness direction) {
    if (percentage == 0)
        return current;
    int H = 0, S = 0, L = 0;
    RGBtoHSLRange(base, H, S, L);
    L += 10;
    if (direction == TLightness::Lighten)
        L = std::min(L + percentage, 100);
    else
        L = std::max(L - percentage, 0);
    return HSLRangeToRGB(H, S, L);
}

QColor ParentWindowColor(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent != nullptr ? parent->palette().color(QPalette::Window)
                             : QApplication::palette().color(QPalette::Window);
}

bool SetBaseColor(QPalette& palette, const QColor& colour) {
    bool changed = false;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        if (palette.color(group, QPalette::Base) != colour) {
            palette.setColor(group, QPalette::Base, colour);
            changed = true;
        }
    }
    return changed;
}

void PaintParentBackground(QWidget* control, QPainter& painter) {
    QWidget* parent = control != nullptr ? control->parentWidget() : nullptr;
    if (parent == nullptr)
        return;
    painter.save();
    const QRect area = QRect(QPoint(0, 0), parent->size()).intersected(control->geometry());
    parent->render(&painter, area.topLeft() - control->pos(), QRegion(area), QWidget::DrawWindowBackground);
    painter.restore();
}

bool RectsOverlap(const QRect& a, const QRect& b) {
    return a.intersects(b);
}

QRect GdiRect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void GdiFillRect(QPainter& painter, const QRect& rect, const QColor& colour) {
    if (rect.isEmpty())
        return;
    painter.fillRect(rect, colour);
}

void GdiFrameRect(QPainter& painter, const QRect& rect, const QColor& colour) {
    if (rect.isEmpty())
        return;
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

void GdiLine(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& colour) {
    // Bresenham, stopping one pixel short of the end.
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        painter.fillRect(QRect(x, y, 1, 1), colour);
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void GdiPolyline(QPainter& painter, const std::vector<QPoint>& points, const QColor& colour) {
    for (std::size_t i = 1; i < points.size(); ++i)
        GdiLine(painter, points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y(), colour);
}

void GdiPolygon(QPainter& painter, const std::vector<QPoint>& points, const QColor& colour) {
    if (points.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 0));
    painter.setBrush(colour);
    painter.drawPolygon(points.data(), static_cast<int>(points.size()));
    painter.restore();
}
