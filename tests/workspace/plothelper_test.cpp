// The plot engine's drawing on a recording canvas: grid, labels and reference lines, the
// curve with clipping, gaps and phase breaks, the crosshair and its readout, and the pictures
// that cannot be drawn.

#include "workspace/RecordingCanvas.h"
#include "workspace/plothelper.h"

#include "PlotTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace plottest;
using TOp = TRecordingCanvas::TOperation;

constexpr std::int32_t GridColor = 0x008000;
constexpr std::int32_t ZeroColor = 0x0000FF;
constexpr std::int32_t Minus3Color = 0x800080;
constexpr std::int32_t XmaxColor = 0x123456;
constexpr std::int32_t CurveColor = 0x00FFFF;

// An 800 x 567 surface with 6-pixel characters and an 11-pixel font: the plot rectangle is
// columns 29..799 ("-180" is 24 pixels, plus 5) and rows 0..553 (13 pixels of labels below).
class PlotDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Saved = TC;
        TC = TConfig{};
        StubModel::Reset();
        TUnitStore::Instance().Store("edExcursionEnd", 1); // mm
    }
    void TearDown() override {
        TC = m_Saved;
        StubModel::Reset();
        TUnitStore::Instance().Store("edExcursionEnd", 0);
    }

    static void Prepare(TPlotHelper& helper, int plotType) {
        helper.Colors = TPlotColors{ZeroColor, Minus3Color, GridColor, XmaxColor, 0, 0xFFFFFF};
        helper.OuterRect = TPlotRect{0, 0, 800, 567};
        helper.SetPlotType(plotType);
        helper.CalcPlotRect();
    }

    // One picture of the stand-in model.
    void Picture(TPlotHelper& helper, int plotType) {
        Prepare(helper, plotType);
        helper.DrawGrid();
        helper.DrawFrame();
        helper.SetPenWidth(1);
        helper.SetPenColor(CurveColor);
        helper.SetProject(m_Box, m_Driver, m_Source, nullptr, &StubModel::Func, {});
        helper.DrawCurve();
    }

    static std::vector<TRecordingCanvas::TCall> LinesOf(const TRecordingCanvas& canvas, std::int32_t color) {
        std::vector<TRecordingCanvas::TCall> lines;
        for (const auto& call : canvas.CallsOf(TOp::Line))
            if (call.Color == color)
                lines.push_back(call);
        return lines;
    }

    // Columns of the vertical and rows of the horizontal lines of a colour.
    static std::vector<int> VerticalColumns(const TRecordingCanvas& canvas, std::int32_t color) {
        std::vector<int> columns;
        for (const auto& line : LinesOf(canvas, color))
            if (line.Points[0].X == line.Points[1].X)
                columns.push_back(line.Points[0].X);
        return columns;
    }
    static std::vector<int> HorizontalRows(const TRecordingCanvas& canvas, std::int32_t color) {
        std::vector<int> rows;
        for (const auto& line : LinesOf(canvas, color))
            if (line.Points[0].Y == line.Points[1].Y)
                rows.push_back(line.Points[0].Y);
        return rows;
    }

    // The column of f on 29..799, computed here from the axis definition.
    static int ColumnOf(double f, double fmin, double fmax) {
        const double position =
            (std::log10(f) - std::log10(fmin)) / (std::log10(fmax) - std::log10(fmin)) * 770;
        return 29 + static_cast<int>(std::nearbyint(position));
    }

    TConfig m_Saved;
    TBoxData m_Box;
    TDriverObject m_Driver = Woofer();
    TSignalSource m_Source{0, 0, 1};
};

TEST_F(PlotDrawingTest, PlotRectangleLeavesTheLabelMargins) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 1);
    EXPECT_EQ(helper.PlotRect(), (TPlotRect{29, 0, 800, 554}));
    helper.ValueLabels = false;
    helper.FrequencyLabels = false;
    helper.CalcPlotRect();
    EXPECT_EQ(helper.PlotRect(), (TPlotRect{0, 0, 800, 567}));
}

TEST_F(PlotDrawingTest, ValueLabelsDoNotDependOnTheFrequencyLabels) {
    // The margin kept for the value labels is filled whether or not the frequency labels are on.
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    helper.FrequencyLabels = false;
    Prepare(helper, 1);
    EXPECT_EQ(helper.PlotRect(), (TPlotRect{29, 0, 800, 567}));
    helper.DrawGrid();
    const auto texts = canvas.CallsOf(TOp::Text);
    EXPECT_FALSE(texts.empty());
    for (const auto& call : texts)
        EXPECT_EQ(call.Points[0].X, 2) << call.Text;
}

TEST_F(PlotDrawingTest, WideValueLabelsWidenTheMarginInsteadOfRunningIntoThePlot) {
    // Excursion in metres: labels such as "0.029" are wider than "-180".
    TUnitStore::Instance().Store("edExcursionEnd", 0);
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 5);
    helper.DrawGrid();
    int widest = 0;
    for (const auto& call : canvas.CallsOf(TOp::Text))
        if (call.Points[0].X == 2)
            widest = std::max(widest, canvas.TextWidth(call.Text));
    EXPECT_GT(widest, canvas.TextWidth("-180"));
    EXPECT_EQ(helper.PlotRect().Left, widest + 5);
}

TEST_F(PlotDrawingTest, GridAndLabelsFrom10To500Hz) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 1);
    helper.DrawGrid();

    std::vector<int> expected;
    for (const double f : {20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400})
        expected.push_back(ColumnOf(f, 10, 500));
    EXPECT_EQ(VerticalColumns(canvas, GridColor), expected);
    for (const auto& line : LinesOf(canvas, GridColor)) {
        if (line.Points[0].X == line.Points[1].X) {
            EXPECT_EQ(line.Points[0].Y, 0);
            EXPECT_EQ(line.Points[1].Y, 553);
        }
    }

    std::vector<std::string> frequencyTexts;
    for (const auto& call : canvas.CallsOf(TOp::Text))
        if (call.Points[0].Y == 554)
            frequencyTexts.push_back(call.Text);
    EXPECT_EQ(frequencyTexts, (std::vector<std::string>{"10", "20", "50", "100", "200", "500"}));
}

TEST_F(PlotDrawingTest, GridAndLabelsFrom20HzTo20kHzWithLabelsKeptInside) {
    TC.Limits_FreqStart = 20;
    TC.Limits_FreqEnd = 20000;
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 2);
    helper.DrawGrid();

    std::vector<int> expected;
    for (double decade : {10.0, 100.0, 1000.0})
        for (int m = decade == 10.0 ? 3 : 1; m <= 9; ++m)
            expected.push_back(ColumnOf(m * decade, 20, 20000));
    expected.push_back(ColumnOf(10000, 20, 20000));
    EXPECT_EQ(VerticalColumns(canvas, GridColor), expected);

    std::vector<std::string> texts;
    std::vector<int> columns;
    for (const auto& call : canvas.CallsOf(TOp::Text)) {
        if (call.Points[0].Y == 554) {
            texts.push_back(call.Text);
            columns.push_back(call.Points[0].X);
        }
    }
    ASSERT_EQ(texts,
              (std::vector<std::string>{"20", "50", "100", "200", "500", "1k", "2k", "5k", "10k", "20k"}));
    // "20" would start left of the rectangle: it moves to half a text height inside.
    EXPECT_EQ(columns.front(), 29 + 5);
    // "20k" (18 pixels) would end beyond the right edge: it ends half a text height inside.
    EXPECT_EQ(columns.back(), 800 - 5 - 18);
    // "1k" is centred on its column.
    EXPECT_EQ(columns[5], ColumnOf(1000, 20, 20000) - 6);
}

TEST_F(PlotDrawingTest, ValueStepAndTheMinus3dBRowRoundHalvesToEven) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 1);
    helper.DrawGrid();

    // wanted = 11 x 36 / 554 = 0.71: a 1 dB step, lines at 6, 5, ..., -29.
    std::vector<int> expected;
    for (int v = 6; v > -30; --v)
        expected.push_back(static_cast<int>(std::nearbyint((6.0 - v) / 36.0 * 554)));
    EXPECT_EQ(HorizontalRows(canvas, GridColor), expected);

    // (6 + 3) / 36 x 554 = 138.5, which goes to the even 138.
    EXPECT_EQ(HorizontalRows(canvas, Minus3Color), std::vector<int>{138});
    EXPECT_EQ(HorizontalRows(canvas, ZeroColor), std::vector<int>{92});

    // Value labels sit at x = 2, half a text height plus 2 above their row, and only where
    // they fit between the rectangle's top and bottom.
    bool foundMinus3 = false;
    for (const auto& call : canvas.CallsOf(TOp::Text)) {
        if (call.Points[0].X != 2)
            continue;
        EXPECT_NE(call.Text, "6"); // row 0 is too close to the top
        if (call.Text == "-3") {
            foundMinus3 = true;
            EXPECT_EQ(call.Points[0].Y, 138 - 7);
        }
    }
    EXPECT_TRUE(foundMinus3);
}

TEST_F(PlotDrawingTest, CurveIsClippedAtTopAndBottomAndSkipsNonFiniteValues) {
    // Maximum power, 0..500 W: 250 W, then far above, not a number, far below, and 100 W.
    StubModel::Answer = [](TCurveKind, double f) {
        if (f < 20)
            return MakeComplex(250, 0);
        if (f < 30)
            return MakeComplex(1e300, 0);
        if (f < 40)
            return MakeComplex(std::nan(""), 0);
        if (f < 60)
            return MakeComplex(-1e300, 0);
        return MakeComplex(100, 0);
    };
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Picture(helper, 7);

    const auto runs = canvas.CallsOf(TOp::Polyline);
    ASSERT_FALSE(runs.empty());
    const int row250 = helper.ValueToRow(250);
    const int row100 = helper.ValueToRow(100);
    bool resumedFromBottom = false;
    for (const auto& run : runs) {
        EXPECT_EQ(run.Color, CurveColor);
        for (std::size_t i = 0; i < run.Points.size(); ++i) {
            const TPlotPoint p = run.Points[i];
            EXPECT_GE(p.Y, 0);
            EXPECT_LE(p.Y, 553);
            const double f = helper.XToFrequency(p.X);
            EXPECT_FALSE(f >= 30 && f < 40) << "drawn through the gap at " << f << " Hz";
            if (i > 0) {
                EXPECT_EQ(p.X, run.Points[i - 1].X + 1);
            }
        }
        if (run.Points.front().Y == 553 && run.Points[1].Y == row100)
            resumedFromBottom = true;
    }
    EXPECT_TRUE(resumedFromBottom);
    EXPECT_EQ(canvas.Pixel(helper.FrequencyToX(15), row250), CurveColor);
    EXPECT_EQ(canvas.Pixel(helper.FrequencyToX(100), row100), CurveColor);
}

TEST_F(PlotDrawingTest, PhaseCurveBreaksAtTheWrapInsteadOfJoiningIt) {
    // The phase falls by 360 degrees every 100 Hz: it wraps at 50, 150, 250, 350 and 450 Hz.
    StubModel::Answer = [](TCurveKind, double f) {
        const double angle = -2 * Pi * f / 100;
        return MakeComplex(std::cos(angle), std::sin(angle));
    };
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Picture(helper, 4);
    const auto runs = canvas.CallsOf(TOp::Polyline);
    EXPECT_EQ(runs.size(), 6u);
    for (const auto& run : runs)
        for (std::size_t i = 1; i < run.Points.size(); ++i)
            EXPECT_LT(std::abs(run.Points[i].Y - run.Points[i - 1].Y), 554 / 4);

    // The impedance phase is not broken: on the same range the same answer is one joined line.
    TC.Limits_ImpedancePhaseStart = -180;
    TC.Limits_ImpedancePhaseEnd = 180;
    TRecordingCanvas joined(800, 567);
    TPlotHelper other(joined);
    Picture(other, 8);
    EXPECT_EQ(joined.CallsOf(TOp::Polyline).size(), 1u);
}

TEST_F(PlotDrawingTest, CursorDrawnTwiceRestoresThePicture) {
    StubModel::Answer = [](TCurveKind, double f) { return MakeComplex(f, 0); };
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Picture(helper, 7);
    const std::vector<std::int32_t> before = canvas.Pixels();

    double f = 0, v = 0;
    std::string unit;
    helper.DrawCursor(f, v, 300, unit);
    EXPECT_EQ(unit, "W");
    EXPECT_DOUBLE_EQ(f, helper.XToFrequency(300));
    EXPECT_NEAR(v, f, 1e-9);
    EXPECT_TRUE(helper.CursorShown());
    const int row = helper.CursorRow();
    EXPECT_EQ(row, helper.ValueToRow(v));
    EXPECT_EQ(canvas.Pixel(300, 10), before[10 * 800 + 300] ^ 0x00FFFFFF);
    EXPECT_EQ(canvas.Pixel(100, row), before[static_cast<std::size_t>(row) * 800 + 100] ^ 0x00FFFFFF);

    // Moving the cursor inverts the old cross again: only the new one remains.
    helper.DrawCursor(f, v, 500, unit);
    TRecordingCanvas expected(800, 567);
    TPlotHelper reference(expected);
    Picture(reference, 7);
    reference.DrawCursor(f, v, 500, unit);
    EXPECT_EQ(canvas.Pixels(), expected.Pixels());

    // The same cross drawn a second time by hand leaves the picture as it was.
    for (const auto& call : expected.CallsOf(TOp::Invert))
        canvas.InvertLine(call.Points[0], call.Points[1]);
    EXPECT_EQ(canvas.Pixels(), before);

    // A new grid forgets the cursor, so the next one erases nothing.
    helper.DrawGrid();
    EXPECT_FALSE(helper.CursorShown());
}

TEST_F(PlotDrawingTest, RelativeReadoutStartsAtZeroAndEndsWithNewAxes) {
    StubModel::Answer = [](TCurveKind, double f) { return MakeComplex(f, 0); };
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Picture(helper, 7);
    double f = 0, v = 0;
    std::string unit;
    helper.DrawCursor(f, v, 200, unit);
    const double f200 = f;
    helper.ToggleRelative();
    EXPECT_TRUE(helper.Relative());
    helper.DrawCursor(f, v, 200, unit);
    EXPECT_DOUBLE_EQ(f, 0);
    EXPECT_DOUBLE_EQ(v, 0);
    helper.DrawCursor(f, v, 400, unit);
    EXPECT_NEAR(f, helper.XToFrequency(400) - f200, 1e-9);
    EXPECT_NEAR(v, helper.XToFrequency(400) - f200, 1e-9);
    helper.ToggleRelative();
    EXPECT_FALSE(helper.Relative());
    helper.ToggleRelative();
    helper.SetAxisRanges();
    EXPECT_FALSE(helper.Relative());

    // A column left of the rectangle reads at its left edge.
    helper.DrawCursor(f, v, -50, unit);
    EXPECT_EQ(helper.CursorColumn(), 29);
    EXPECT_DOUBLE_EQ(f, 10);
}

TEST_F(PlotDrawingTest, LimitsThatCannotBeDrawnGiveBackgroundAndFrameOnly) {
    const struct {
        double fmin, fmax, top, bottom;
    } cases[] = {
        {0, 500, 6, -30}, {-5, 500, 6, -30}, {500, 500, 6, -30}, {800, 500, 6, -30}, {10, 500, 4, 4}};
    for (const auto& c : cases) {
        TC = TConfig{};
        TC.Limits_FreqStart = c.fmin;
        TC.Limits_FreqEnd = c.fmax;
        TC.Limits_GainEnd = c.top;
        TC.Limits_GainStart = c.bottom;
        TRecordingCanvas canvas(800, 567);
        TPlotHelper helper(canvas);
        Picture(helper, 1);
        double f = 1, v = 1;
        std::string unit;
        helper.DrawCursor(f, v, 300, unit);
        std::vector<TOp> operations;
        for (const auto& call : canvas.Calls())
            operations.push_back(call.Operation);
        EXPECT_EQ(operations, (std::vector<TOp>{TOp::Fill, TOp::Frame})) << c.fmin << " " << c.fmax;
        EXPECT_EQ(f, 0);
        EXPECT_EQ(v, 0);
    }
}

TEST_F(PlotDrawingTest, AnInvalidCurveDrawsNothingAndNeverBorrowsTheLastProject) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 2);
    helper.DrawGrid();
    // No model for box type 7.
    helper.SetProject(m_Box, m_Driver, m_Source, nullptr, 7, {});
    helper.DrawCurve();
    EXPECT_TRUE(canvas.CallsOf(TOp::Polyline).empty());
    EXPECT_FALSE(helper.CurveValid());

    // A good closed box, then one without a volume: the second draws nothing.
    TDriverObject other = Woofer();
    helper.SetProject(LosslessClosedBox(0.03), m_Driver, m_Source, nullptr, btClosed, {});
    helper.DrawCurve();
    EXPECT_EQ(canvas.CallsOf(TOp::Polyline).size(), 1u);
    helper.SetProject(LosslessClosedBox(0), other, m_Source, nullptr, btClosed, {});
    helper.DrawCurve();
    EXPECT_EQ(canvas.CallsOf(TOp::Polyline).size(), 1u);
    EXPECT_EQ(helper.ValueAt(100), 0);
}

TEST_F(PlotDrawingTest, AModelThatThrowsLeavesNoCurveAndNothingLeavesThePainting) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    StubModel::EvaluationThrows = true;
    EXPECT_NO_THROW(Picture(helper, 2));
    EXPECT_TRUE(canvas.CallsOf(TOp::Polyline).empty());
    double f = 0, v = 0;
    std::string unit;
    EXPECT_NO_THROW(helper.DrawCursor(f, v, 300, unit));
    EXPECT_TRUE(std::isnan(v));

    StubModel::Reset();
    StubModel::SetUpThrows = true;
    canvas.ClearCalls();
    EXPECT_NO_THROW(Picture(helper, 2));
    EXPECT_FALSE(helper.CurveValid());
    EXPECT_TRUE(canvas.CallsOf(TOp::Polyline).empty());
}

TEST_F(PlotDrawingTest, WithoutACanvasNothingIsDrawnAndTheValuesStillWork) {
    TPlotHelper helper;
    helper.OuterRect = TPlotRect{0, 0, 800, 567};
    helper.CalcPlotRect();
    helper.DrawGrid();
    helper.DrawFrame();
    helper.SetProject(m_Box, m_Driver, m_Source, nullptr, &StubModel::Func, {});
    helper.DrawCurve();
    EXPECT_DOUBLE_EQ(helper.ValueAt(100), 0); // 20 log10 |1|
    TRecordingCanvas canvas(800, 567);
    helper.SetCanvas(canvas);
    helper.CalcPlotRect();
    helper.DrawGrid();
    EXPECT_FALSE(canvas.Calls().empty());
}

TEST_F(PlotDrawingTest, XmaxLineBelongsToTheActiveProjectAndIsDrawnOncePerPicture) {
    TC.ExcursionScale = 1; // peak, in mm
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 5);
    TDriverObject active = Woofer(); // Xmax 5 mm
    TDriverObject second = Woofer();
    second.Data.Xmax = 0.008;
    const TBoxData box = LosslessClosedBox(0.03);
    helper.SetReferenceProject(active, box);
    helper.DrawGrid();
    helper.DrawFrame();
    for (TDriverObject* driver : {&active, &second, &active}) {
        helper.SetProject(box, *driver, m_Source, nullptr, btClosed, {});
        helper.DrawCurve();
    }
    EXPECT_EQ(HorizontalRows(canvas, XmaxColor), std::vector<int>{helper.ValueToRow(5.0)});
    // The next picture still marks the active project, not the one bound last.
    helper.DrawGrid();
    EXPECT_EQ(HorizontalRows(canvas, XmaxColor).size(), 2u);
    EXPECT_EQ(HorizontalRows(canvas, XmaxColor).back(), helper.ValueToRow(5.0));
    // Without an active project there is no line.
    helper.ClearReferenceProject();
    canvas.ClearCalls();
    helper.DrawGrid();
    EXPECT_TRUE(HorizontalRows(canvas, XmaxColor).empty());
}

TEST_F(PlotDrawingTest, AKindTheBoxDoesNotAnswerLiesOnTheZeroRow) {
    // A closed box has no rear port: its gain is 0 at every frequency, on the 0 dB row.
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 11);
    helper.SetPenColor(CurveColor);
    helper.SetProject(LosslessClosedBox(0.03), m_Driver, m_Source, nullptr, btClosed, {});
    helper.DrawCurve();
    const auto runs = canvas.CallsOf(TOp::Polyline);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs.front().Points.front(), (TPlotPoint{29, 92}));
    EXPECT_EQ(runs.front().Points.back(), (TPlotPoint{799, 92}));
    for (const auto& point : runs.front().Points)
        EXPECT_EQ(point.Y, 92);
    EXPECT_EQ(helper.ValueAt(50), 0);
}

TEST_F(PlotDrawingTest, BindingRunsTheSetUpThatReportsToTheProject) {
    struct Recorder {
        std::vector<std::pair<int, double>> reports;
        void operator()(std::uint8_t code, double value) { reports.emplace_back(code, value); }
    } recorder;
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 2);
    const double V = 0.03;
    EXPECT_TRUE(helper.SetProject(LosslessClosedBox(V), m_Driver, m_Source, nullptr, btClosed,
                                  ProjectResultCallback::Of(recorder)));
    const double alpha = m_Driver.Data.Vas / V;
    bool qtc = false;
    for (const auto& [code, value] : recorder.reports) {
        if (code == rcQtc) {
            qtc = true;
            EXPECT_NEAR(value, m_Driver.Data.Qts * std::sqrt(1 + alpha), 0.01);
        }
    }
    EXPECT_TRUE(qtc);
}

TEST_F(PlotDrawingTest, CurveUsesThePenSetForIt) {
    TRecordingCanvas canvas(800, 567);
    TPlotHelper helper(canvas);
    Prepare(helper, 2);
    helper.SetPenColor(0x0102FF);
    helper.SetPenWidth(3);
    helper.SetProject(LosslessClosedBox(0.03), m_Driver, m_Source, nullptr, btClosed, {});
    helper.DrawCurve();
    const auto runs = canvas.CallsOf(TOp::Polyline);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().Color, 0x0102FF);
    EXPECT_EQ(runs.front().Width, 3);
}

} // namespace
