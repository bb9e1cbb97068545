#include "workspace/PixelLine.h"

bool DrawPixelPolyline(std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height,
                       const TPlotPoint* points, int count, std::uint32_t value) {
    if (pixels == nullptr || points == nullptr || count < 0 || stride < width)
        return false;
    for (int i = 0; i < count; ++i)
        if (points[i].X < 0 || points[i].Y < 0 || points[i].X >= width || points[i].Y >= height)
            return false;
    const auto paint = [pixels, stride, value](int x, int y) { pixels[y * stride + x] = value; };
    for (int i = 1; i < count; ++i)
        RasterizeLine(points[i - 1], points[i], paint);
    return true;
}
