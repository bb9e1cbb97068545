// One offscreen picture of a real closed-box project through the painter adapter: background,
// grid, frame and curve pixels where the engine put them.

#include "workspace/PixelLine.h"
#include "workspace/PlotRender.h"
#include "workspace/QtPlotCanvas.h"

#include "PlotTestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#ifdef BORVIK_HAVE_PROJECT_FILES
#include "model/SaveToFile_Utils.h"
#include "simulation/Lowpass.h"
#endif

namespace {

using namespace plottest;

class GuiEnvironment : public TempHome {
public:
    void SetUp() override {
        TempHome::SetUp();
        static int argc = 1;
        static char name[] = "test_plotrender";
        static char* argv[] = {name, nullptr};
        m_Application = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override {
        m_Application.reset();
        TempHome::TearDown();
    }

private:
    std::unique_ptr<QGuiApplication> m_Application;
};

[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::int32_t PixelColor(const QImage& image, int x, int y) {
    return QColorToColor(QColor(image.pixel(x, y)));
}

TEST(QtPlotCanvas, ColoursCrossTheBoundaryAsBGR) {
    EXPECT_EQ(ColorToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(0x800080), QColor(128, 0, 128));
    EXPECT_EQ(ColorToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(QColorToColor(QColor(0x56, 0x34, 0x12)), 0x123456);
}

TEST(PlotRender, ClosedBoxSplLandsOnTheRowsTheEngineComputed) {
    const TConfig saved = TC;
    TC = TConfig{};
    TRenderProject project;
    ASSERT_TRUE(MakeDemoProject(btClosed, project));
    project.Color = 0x00FFFF;

    TPlotRect rect;
    int column = 0;
    int row = 0;
    int gridColumn = 0;
    const QImage image = RenderPlot({&project}, 2, 800, 500, [&](TPlotHelper& helper) {
        rect = helper.PlotRect();
        column = helper.FrequencyToX(150);
        row = helper.ValueToRow(helper.ValueAt(helper.XToFrequency(column)));
        gridColumn = helper.FrequencyToX(20);
    });
    ASSERT_EQ(image.width(), 800);
    ASSERT_GT(rect.Left, 0);
    ASSERT_GT(row, rect.Top);
    ASSERT_LT(row, rect.Bottom - 1);

    // The curve at 150 Hz, in the project's colour, on the engine's row.
    EXPECT_EQ(PixelColor(image, column, row), 0x00FFFF);
    // The 20 Hz grid line and the frame in the grid colour.
    const int clearRow = rect.Top + 3;
    EXPECT_EQ(PixelColor(image, gridColumn, clearRow), TC.LineOther);
    EXPECT_EQ(PixelColor(image, rect.Left, (rect.Top + rect.Bottom) / 2 + 1), TC.LineOther);
    EXPECT_EQ(PixelColor(image, rect.Right - 1, rect.Bottom - 1), TC.LineOther);
    // Background between the grid lines, and in the label margin.
    EXPECT_EQ(PixelColor(image, gridColumn + 3, clearRow), TC.Back);
    EXPECT_EQ(PixelColor(image, rect.Left - 1, rect.Bottom + 1), TC.Back);

    // The crosshair inverts what lies under it and a second pass restores it.
    QImage copy = image;
    {
        QPainter painter(&copy);
        TQtPlotCanvas canvas(painter);
        canvas.InvertLine({rect.Left, 100}, {rect.Right - 1, 100});
        painter.end();
    }
    EXPECT_EQ(PixelColor(copy, gridColumn + 3, 100), 0xFFFFFF ^ TC.Back);
    {
        QPainter painter(&copy);
        TQtPlotCanvas canvas(painter);
        canvas.InvertLine({rect.Left, 100}, {rect.Right - 1, 100});
    }
    EXPECT_EQ(copy, image);
    TC = saved;
}

TEST(QtPlotCanvas, InvertedLinesStayInsideTheImageAndMatchThePaintersRasterOperation) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    const TPlotPoint lines[][2] = {
        {{-5, 10}, {500, 10}}, {{20, -7}, {20, 90}}, {{39, 29}, {39, 29}},
        {{50, 5}, {60, 5}},    {{3, 0}, {3, 29}},
    };
    for (const auto& line : lines) {
        QImage fast = image;
        QImage reference = image;
        {
            QPainter painter(&fast);
            TQtPlotCanvas canvas(painter);
            canvas.InvertLine(line[0], line[1]);
        }
        {
            // A one-pixel white line under "not destination", drawn by the painter itself.
            QPainter painter(&reference);
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter.setPen(QPen(Qt::white, 1));
            painter.drawLine(QPoint(line[0].X, line[0].Y), QPoint(line[1].X, line[1].Y));
        }
        EXPECT_EQ(fast, reference) << line[0].X << "," << line[0].Y;
    }
}

// A curve as the engine hands it over: one point per column, rows wandering up and down by up
// to 40 pixels, inside a 300 x 200 image.
std::vector<TPlotPoint> WanderingCurve(unsigned seed) {
    std::vector<TPlotPoint> points;
    int y = 100;
    for (int x = 5; x < 295; ++x) {
        seed = seed * 1103515245u + 12345u;
        y = std::clamp(y + static_cast<int>((seed >> 16) % 81) - 40, 0, 199);
        points.push_back({x, y});
    }
    return points;
}

QImage PainterPolyline(const QImage& paper, const std::vector<TPlotPoint>& points, const QPen& pen,
                       const std::function<void(QPainter&)>& setUp = {}) {
    QImage image = paper;
    QPainter painter(&image);
    if (setUp)
        setUp(painter);
    painter.setPen(pen);
    QPolygon polygon;
    for (const TPlotPoint& p : points)
        polygon << QPoint(p.X, p.Y);
    painter.drawPolyline(polygon);
    return image;
}

QImage CanvasPolyline(const QImage& paper, const std::vector<TPlotPoint>& points, std::int32_t color,
                      int width, const std::function<void(QPainter&)>& setUp = {}) {
    QImage image = paper;
    QPainter painter(&image);
    if (setUp)
        setUp(painter);
    TQtPlotCanvas canvas(painter);
    canvas.SetPen(color, width);
    canvas.Polyline(points.data(), static_cast<int>(points.size()));
    return image;
}

// Every pixel of `image` that differs from `paper` lies next to (or on) one that differs in `other`.
bool DrawnNextToEachOther(const QImage& image, const QImage& other, const QImage& paper) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == paper.pixel(x, y))
                continue;
            bool near = false;
            for (int v = std::max(0, y - 1); v <= std::min(other.height() - 1, y + 1) && !near; ++v)
                for (int u = std::max(0, x - 1); u <= std::min(other.width() - 1, x + 1) && !near; ++u)
                    near = other.pixel(u, v) == image.pixel(x, y);
            if (!near)
                return false;
        }
    return true;
}

TEST(QtPlotCanvas, OnePixelCurvesGoStraightIntoThePictureAlongThePaintersLine) {
    QImage paper(300, 200, QImage::Format_RGB32);
    paper.fill(QColor(10, 20, 30));
    const QImage untouched = paper;
    for (unsigned seed : {1u, 2u, 3u}) {
        const std::vector<TPlotPoint> points = WanderingCurve(seed);
        const QImage fast = CanvasPolyline(paper, points, 0x00FFFF, 1);
        EXPECT_EQ(paper, untouched) << "a shared copy was drawn on";

        // Exactly the pixels of the in-memory lines...
        std::vector<std::uint32_t> pixels(300 * 200, paper.pixel(0, 0));
        ASSERT_TRUE(DrawPixelPolyline(pixels.data(), 300, 300, 200, points.data(),
                                      static_cast<int>(points.size()), QColor(255, 255, 0).rgba()));
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                ASSERT_EQ(fast.pixel(x, y), pixels[static_cast<std::size_t>(y * 300 + x)]) << x << "," << y;

        // ... which differ from the painter's own line by at most a pixel's choice at a step.
        QPen pen(QColor(255, 255, 0), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        pen.setCosmetic(true);
        const QImage reference = PainterPolyline(paper, points, pen);
        EXPECT_TRUE(DrawnNextToEachOther(fast, reference, paper));
        EXPECT_TRUE(DrawnNextToEachOther(reference, fast, paper));
    }
}

// The same pixels, or the first that differs.
::testing::AssertionResult SamePixels(const QImage& image, const QImage& reference) {
    if (image.size() != reference.size())
        return ::testing::AssertionFailure() << "the sizes differ";
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != reference.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << image.pixel(x, y)
                       << ", expected " << reference.pixel(x, y);
    return ::testing::AssertionSuccess();
}

TEST(QtPlotCanvas, CurvesThePictureCannotTakeStraightAreLeftToThePainter) {
    QImage paper(300, 200, QImage::Format_RGB32);
    paper.fill(Qt::black);
    std::vector<TPlotPoint> points = WanderingCurve(7);
    QPen thin(QColor(255, 0, 0), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    thin.setCosmetic(true);
    const auto clip = [](QPainter& painter) { painter.setClipRect(QRect(50, 20, 120, 100)); };
    const auto shift = [](QPainter& painter) { painter.translate(7, 3); };
    const auto blend = [](QPainter& painter) { painter.setOpacity(0.5); };
    // Clipped, moved or translucent drawing: the painter's pixels exactly.
    EXPECT_TRUE(SamePixels(CanvasPolyline(paper, points, 0x0000FF, 1, clip),
                           PainterPolyline(paper, points, thin, clip)));
    EXPECT_TRUE(SamePixels(CanvasPolyline(paper, points, 0x0000FF, 1, shift),
                           PainterPolyline(paper, points, thin, shift)));
    EXPECT_TRUE(SamePixels(CanvasPolyline(paper, points, 0x0000FF, 1, blend),
                           PainterPolyline(paper, points, thin, blend)));
    // A wide pen, with its round joins.
    QPen wide(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    EXPECT_TRUE(SamePixels(CanvasPolyline(paper, points, 0x0000FF, 3), PainterPolyline(paper, points, wide)));
    // A point off the picture.
    points.push_back({310, 50});
    EXPECT_TRUE(SamePixels(CanvasPolyline(paper, points, 0x0000FF, 1), PainterPolyline(paper, points, thin)));
    // Another kind of picture.
    QImage other(300, 200, QImage::Format_RGB16);
    other.fill(Qt::black);
    points.pop_back();
    EXPECT_TRUE(SamePixels(CanvasPolyline(other, points, 0x0000FF, 1), PainterPolyline(other, points, thin)));
}

#ifdef BORVIK_HAVE_PROJECT_FILES
TEST(PlotRender, AProjectReadFromItsFileDrawsTheSameCurve) {
    TRenderProject original;
    ASSERT_TRUE(MakeDemoProject(btVented, original));
    auto lowpass = std::make_unique<TLowpass>();
    lowpass->Order = 2;
    lowpass->Fc = 120;
    lowpass->Enabled = true;
    ASSERT_TRUE(lowpass->Calculate());
    original.Filters.push_back(std::move(lowpass));
    TProjectInfo info;
    const auto path = std::filesystem::path(std::getenv("BORVIK_HOME")) / "render.bvp";
    ASSERT_TRUE(SaveProjectFile(path, {info, original.Driver, original.Box, original.Color, original.Width,
                                       original.Signal, original.Filters}));

    TRenderProject loaded;
    std::string error;
    ASSERT_TRUE(LoadRenderProject(path, loaded, error)) << error;
    ASSERT_EQ(loaded.Filters.size(), 1u);
    std::vector<double> expected, actual;
    RenderPlot({&original}, 2, 400, 300, [&](TPlotHelper& helper) {
        for (const double f : {20.0, 50.0, 200.0})
            expected.push_back(helper.ValueAt(f));
    });
    RenderPlot({&loaded}, 2, 400, 300, [&](TPlotHelper& helper) {
        for (const double f : {20.0, 50.0, 200.0})
            actual.push_back(helper.ValueAt(f));
    });
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9);

    EXPECT_FALSE(LoadRenderProject(path.parent_path() / "missing.bvp", loaded, error));
    EXPECT_FALSE(error.empty());
}
#endif

} // namespace
