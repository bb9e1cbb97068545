#pragma once
// One-pixel lines straight into memory: Bresenham's line between two pixel centres, both ends
// included and every pixel visited once, and a polyline of them into rows of 32-bit pixels.
// The in-memory test canvas and the picture's fast path draw the same pixels with it.

#include "workspace/PlotCanvas.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

template <class Paint> void RasterizeLine(TPlotPoint from, TPlotPoint to, Paint&& paint) {
    int x = from.X;
    int y = from.Y;
    const int dx = std::abs(to.X - x);
    const int dy = -std::abs(to.Y - y);
    const int sx = x < to.X ? 1 : -1;
    const int sy = y < to.Y ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        paint(x, y);
        if (x == to.X && y == to.Y)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

// Joins points[0..count) with one-pixel lines of `value` in an image of width × height pixels
// whose rows lie `stride` pixels apart. Draws only when every point lies inside the image (then
// every pixel of every line does) and answers whether it drew; a single point is no line and
// draws nothing.
bool DrawPixelPolyline(std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height,
                       const TPlotPoint* points, int count, std::uint32_t value);
