#include "workspace/plothelper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Bounds on the loops a setting can drive: far more lines than any surface can show.
constexpr int MaximumGridLines = 4096;

constexpr double Sqrt2 = 1.41421356237309504880;

} // namespace

TPlotColors TPlotColors::FromSettings(const TConfig& config) {
    TPlotColors colors;
    colors.ZeroLine = config.Line0dB;
    colors.Minus3dBLine = config.Line3dB;
    colors.Grid = config.LineOther;
    colors.XmaxLine = config.LineXmax;
    colors.Background = config.Back;
    colors.Label = config.Label;
    return colors;
}

TPlotHelper::TPlotHelper() : Colors(TPlotColors::FromSettings(TC)) {
    SetPlotType(1);
}

TPlotHelper::TPlotHelper(TPlotCanvas& canvas) : TPlotHelper() {
    SetCanvas(canvas);
    m_TextHeight = std::abs(canvas.FontHeight());
    OuterRect = TPlotRect{0, 0, canvas.PixelWidth(), canvas.PixelHeight()};
}

void TPlotHelper::SetPlotType(int plotType) {
    m_CursorShown = false;
    m_PlotType = plotType;
    SetAxisRanges();
}

void TPlotHelper::SetAxisRanges() {
    SetAxisRanges(TC);
}

void TPlotHelper::SetAxisRanges(const TConfig& config) {
    m_Relative = false;
    SetPlotAxes(m_PlotType, config, m_Axes);
}

bool TPlotHelper::SetProject(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
                             const TPlotFilterList* filters, std::int32_t boxType,
                             const ProjectResultCallback& callback) {
    return SetProject(box, driver, source, filters, BoxMath_GetFunc(boxType), callback);
}

bool TPlotHelper::SetProject(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
                             const TPlotFilterList* filters, TBoxMathFunc curveFunction,
                             const ProjectResultCallback& callback) {
    m_Project.Bind(box, driver, source, filters, curveFunction, callback);
    m_Project.PrepareCurve(m_PlotType);
    return true;
}

void TPlotHelper::SetReferenceProject(const TDriverObject& driver, const TBoxData& box) {
    m_HasReferenceProject = true;
    m_DriverXmax = driver.Data.Xmax;
    m_RadiatorXmax = box.PassiveRadiator.Xmax;
}

void TPlotHelper::ClearReferenceProject() {
    m_HasReferenceProject = false;
    m_DriverXmax = 0;
    m_RadiatorXmax = 0;
}

double TPlotHelper::XmaxReference() const {
    const TPlotTypeInfo* info = PlotTypeInfo(m_PlotType);
    if (!m_HasReferenceProject || info == nullptr)
        return std::nan("");
    // Xmax is a peak excursion; the curves are rms before their amplitude scale.
    if ((info->ReferenceLines & rlXmaxDriver) != 0)
        return m_Axes.Scale * m_DriverXmax / Sqrt2;
    if ((info->ReferenceLines & rlXmaxRadiator) != 0)
        return m_Axes.Scale * m_RadiatorXmax / Sqrt2;
    return std::nan("");
}

TPlotMapping TPlotHelper::Mapping() const {
    return TPlotMapping(m_PlotRect.Left, m_PlotRect.Top, m_PlotRect.Right, m_PlotRect.Bottom, m_Axes.FMin,
                        m_Axes.FMax, m_Axes.TopValue, m_Axes.BottomValue);
}

double TPlotHelper::XToFrequency(int x) const {
    return Mapping().XToFrequency(x);
}

int TPlotHelper::FrequencyToX(double f) const {
    return Mapping().FrequencyToX(f);
}

int TPlotHelper::ValueToRow(double value) const {
    return Mapping().Row(value);
}

void TPlotHelper::CalcPlotRect() {
    if (m_Canvas == nullptr)
        return;
    m_TextHeight = std::abs(m_Canvas->FontHeight());
    const int bottomMargin = FrequencyLabels ? m_TextHeight + 2 : 0;
    m_PlotRect = OuterRect;
    m_PlotRect.Bottom -= bottomMargin;
    if (!ValueLabels)
        return;
    // The margin holds "-180"; labels with more digits (excursion in metres, say) widen it so
    // that no label runs into the plot. The rows do not depend on the left edge.
    const int standardWidth = m_Canvas->TextWidth("-180");
    int labelWidth = standardWidth;
    const TPlotMapping mapping = Mapping();
    if (mapping.Valid()) {
        for (const double value : GridValues(mapping))
            labelWidth = std::max(labelWidth, m_Canvas->TextWidth(ValueLabel(value)));
    }
    // Never more than a third of the picture for the labels.
    m_PlotRect.Left += std::max(standardWidth, std::min(labelWidth, OuterRect.Width() / 3)) + 5;
}

std::vector<double> TPlotHelper::GridValues(const TPlotMapping& mapping) const {
    std::vector<double> values;
    const double step = ValueGridStep(std::max(m_TextHeight, 1) * mapping.ValuePerPixel());
    if (!(step > 0))
        return values;
    const double high = std::max(m_Axes.TopValue, m_Axes.BottomValue);
    const double low = std::min(m_Axes.TopValue, m_Axes.BottomValue);
    const double first = RoundHalfEven(high / step);
    // Each row is formed from its index, so no error piles up over many steps.
    for (int i = 0; i < MaximumGridLines; ++i) {
        const double value = (first - i) * step;
        if (!(value > low))
            break;
        values.push_back(value);
    }
    return values;
}

void TPlotHelper::DrawGrid() {
    const TPlotRect& r = m_PlotRect;
    if (m_Canvas == nullptr || r.Right <= 0 || r.Bottom <= 0)
        return;
    m_Canvas->FillRect(OuterRect, Colors.Background);
    m_CursorShown = false;
    const TPlotMapping mapping = Mapping();
    if (!mapping.Valid())
        return;
    m_Canvas->SetPen(Colors.Grid, 1);

    double f = NextGridFrequency(m_Axes.FMin);
    for (int count = 0; f < m_Axes.FMax && count < MaximumGridLines; ++count) {
        const int x = mapping.FrequencyToX(f);
        m_Canvas->Line({x, r.Top}, {x, r.Bottom - 1});
        f = NextGridFrequency(f);
    }

    for (const double value : GridValues(mapping)) {
        const int row = mapping.Row(value);
        if (row >= r.Top && row < r.Bottom)
            m_Canvas->Line({r.Left, row}, {r.Right - 1, row});
    }

    DrawReferenceLines();
    DrawLabels();
}

void TPlotHelper::DrawReferenceLines() {
    const TPlotMapping mapping = Mapping();
    const TPlotTypeInfo* info = PlotTypeInfo(m_PlotType);
    if (m_Canvas == nullptr || !mapping.Valid() || info == nullptr)
        return;
    const double high = std::max(m_Axes.TopValue, m_Axes.BottomValue);
    const double low = std::min(m_Axes.TopValue, m_Axes.BottomValue);
    const auto line = [&](double value, std::int32_t color) {
        if (!(value > low && value < high))
            return;
        const int row = mapping.Row(value);
        m_Canvas->SetPen(color, 1);
        m_Canvas->Line({m_PlotRect.Left, row}, {m_PlotRect.Right - 1, row});
    };
    if ((info->ReferenceLines & rlZero) != 0)
        line(0, Colors.ZeroLine);
    if ((info->ReferenceLines & rlMinus3dB) != 0)
        line(-3, Colors.Minus3dBLine);
    if ((info->ReferenceLines & (rlXmaxDriver | rlXmaxRadiator)) != 0)
        line(XmaxReference(), Colors.XmaxLine);
    m_Canvas->SetPen(Colors.Grid, 1);
}

void TPlotHelper::DrawLabels() {
    const TPlotMapping mapping = Mapping();
    if (m_Canvas == nullptr || !mapping.Valid())
        return;
    const TPlotRect& r = m_PlotRect;
    const int halfHeight = m_TextHeight / 2;

    if (FrequencyLabels) {
        const int firstDecade = static_cast<int>(std::floor(std::log10(m_Axes.FMin)));
        const int lastDecade = static_cast<int>(std::trunc(std::log10(m_Axes.FMax)));
        for (int k = firstDecade; k <= lastDecade; ++k) {
            for (const int m : {1, 2, 5}) {
                const double f = m * std::pow(10.0, k);
                if (!(f >= m_Axes.FMin && f <= m_Axes.FMax))
                    continue;
                const std::string text = FrequencyLabel(m, k);
                const int width = m_Canvas->TextWidth(text);
                int x = mapping.FrequencyToX(f) - width / 2;
                if (x < r.Left + halfHeight)
                    x = r.Left + halfHeight;
                if (x + width > r.Right - halfHeight)
                    x = r.Right - halfHeight - width;
                m_Canvas->Text(x, r.Bottom, text, Colors.Label);
            }
        }
    }

    if (ValueLabels) {
        for (const double value : GridValues(mapping)) {
            const int row = mapping.Row(value);
            if (r.Top + m_TextHeight < row && row < r.Bottom - m_TextHeight)
                m_Canvas->Text(2, row - (halfHeight + 2), ValueLabel(value), Colors.Label);
        }
    }
}

void TPlotHelper::DrawFrame() {
    if (m_Canvas == nullptr || m_PlotRect.Right <= 0 || m_PlotRect.Bottom <= 0)
        return;
    m_Canvas->SetPen(Colors.Grid, 1);
    m_Canvas->FrameRect(m_PlotRect);
}

double TPlotHelper::ValueAt(double f) {
    return m_Project.ValueAt(m_PlotType, m_Axes.Scale, f);
}

void TPlotHelper::DrawCurve() {
    const TPlotMapping mapping = Mapping();
    if (m_Canvas == nullptr || !mapping.Valid() || !m_Project.PrepareCurve(m_PlotType))
        return;
    const TPlotTypeInfo* info = PlotTypeInfo(m_PlotType);
    const TPlotRect& r = m_PlotRect;
    m_Canvas->SetPen(m_PenColor, m_PenWidth);

    // The curve goes out as runs of joined points; a move ends a run.
    m_Run.clear();
    const auto flush = [this] {
        if (m_Run.size() >= 2)
            m_Canvas->Polyline(m_Run.data(), static_cast<int>(m_Run.size()));
        m_Run.clear();
    };
    const auto moveTo = [&](TPlotPoint point) {
        flush();
        m_Run.push_back(point);
    };
    const auto lineTo = [&](TPlotPoint point) {
        if (m_Run.empty() || !(m_Run.back() == point))
            m_Run.push_back(point);
    };

    const TColumnKey key{r.Left, r.Right, m_Axes.FMin, m_Axes.FMax};
    if (!(key == m_ColumnKey) || m_ColumnFrequencies.size() != static_cast<std::size_t>(r.Right - r.Left)) {
        m_ColumnKey = key;
        m_ColumnFrequencies.resize(static_cast<std::size_t>(r.Right - r.Left));
        for (int x = r.Left; x < r.Right; ++x)
            m_ColumnFrequencies[static_cast<std::size_t>(x - r.Left)] = mapping.XToFrequency(x);
    }

    double previous = 0;
    bool first = true;
    for (int x = r.Left; x < r.Right; ++x) {
        const double value = ValueAt(m_ColumnFrequencies[static_cast<std::size_t>(x - r.Left)]);
        const double position = mapping.RowPosition(value);
        if (!std::isfinite(value) || !std::isfinite(position)) {
            // A value that is not finite is a gap: the curve resumes at the next good column.
            flush();
            continue;
        }
        const int y = mapping.RowAtPosition(position);
        if (first) {
            moveTo({x, y});
            first = false;
        }
        if (y > r.Bottom) {
            moveTo({x, r.Bottom - 1});
        } else if (y < r.Top) {
            moveTo({x, r.Top});
        } else {
            // The bottom value itself maps onto the row below the rectangle; keep it on the last.
            const TPlotPoint point{x, std::min(y, r.Bottom - 1)};
            if (info->PhaseBreaks && std::fabs(previous - value) >= 90)
                moveTo(point);
            else
                lineTo(point);
            previous = value;
        }
    }
    flush();
}

void TPlotHelper::InvertCross(int column, int row) {
    const TPlotRect& r = m_PlotRect;
    if (r.Top < row && row < r.Bottom)
        m_Canvas->InvertLine({r.Left, row}, {r.Right - 1, row});
    if (r.Left < column && column < r.Right)
        m_Canvas->InvertLine({column, r.Top}, {column, r.Bottom - 1});
}

void TPlotHelper::DrawCursor(double& frequency, double& value, int x, std::string& unitText) {
    unitText = m_Axes.UnitText;
    const TPlotMapping mapping = Mapping();
    if (m_Canvas == nullptr || !mapping.Valid()) {
        frequency = 0;
        value = 0;
        return;
    }
    x = std::clamp(x, m_PlotRect.Left, m_PlotRect.Right - 1);
    frequency = mapping.XToFrequency(x);
    value = ValueAt(frequency);
    const int row = mapping.Row(value);
    if (m_Relative) {
        frequency -= m_ReferenceFrequency;
        value -= m_ReferenceValue;
    }
    if (m_CursorShown) {
        InvertCross(m_CursorColumn, m_CursorRow);
        m_CursorShown = false;
    }
    InvertCross(x, row);
    m_CursorColumn = x;
    m_CursorRow = row;
    m_CursorShown = true;
}

void TPlotHelper::ToggleRelative() {
    if (m_Relative) {
        m_Relative = false;
        return;
    }
    m_ReferenceFrequency = XToFrequency(m_CursorColumn);
    m_ReferenceValue = ValueAt(m_ReferenceFrequency);
    m_Relative = true;
}
