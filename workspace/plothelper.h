#pragma once
// The plot engine: draws one kind of frequency-response plot of one or more projects on any
// canvas, with grid, reference lines, labels and frame, and the plot window's crosshair cursor
// with its readout. It owns no window.
//
// One picture: set Colors and OuterRect; SetReferenceProject (the active project, for the
// Xmax line); CalcPlotRect; DrawGrid; DrawFrame; then for each project SetPenWidth,
// SetPenColor, SetProject, DrawCurve. Cursor calls come between pictures, after SetProject of
// the followed project. Nothing here throws or opens a message.

#include "shell/Settings.h"
#include "simulation/boxmath.h"
#include "workspace/PlotCanvas.h"
#include "workspace/PlotProject.h"
#include "workspace/PlotTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// The six colours of a plot, 0x00BBGGRR.
struct TPlotColors {
    std::int32_t ZeroLine = 0x0000FF;
    std::int32_t Minus3dBLine = 0x800080;
    std::int32_t Grid = 0x008000; // grid and frame: the "other lines"
    std::int32_t XmaxLine = 0x0000FF;
    std::int32_t Background = 0;
    std::int32_t Label = 0xFFFFFF;

    static TPlotColors FromSettings(const TConfig& config);
};

class TPlotHelper {
public:
    // Create: pen white and 1 pixel wide, both label margins on, colours from the settings,
    // plot type 1 with its axes; the outer rectangle is the whole canvas. The canvas is
    // referenced, never owned. Without a canvas nothing is drawn until SetCanvas.
    TPlotHelper();
    explicit TPlotHelper(TPlotCanvas& canvas);
    virtual ~TPlotHelper() = default;

    TPlotHelper(const TPlotHelper&) = delete;
    TPlotHelper& operator=(const TPlotHelper&) = delete;

    // A window paints through a new painter each time: the canvas can be replaced.
    void SetCanvas(TPlotCanvas& canvas) { m_Canvas = &canvas; }
    // Drops a canvas about to go away; the drawing steps then draw nothing.
    void ClearCanvas() { m_Canvas = nullptr; }

    // Set by the caller before a picture.
    TPlotColors Colors;
    TPlotRect OuterRect;
    bool FrequencyLabels = true;
    bool ValueLabels = true;

    // Forgets the cursor and sets the axes of the type (0 = nothing; above 20 nothing as well).
    void SetPlotType(int plotType);
    int PlotType() const { return m_PlotType; }

    // Frequency limits, value range, scale and unit of the plot type from the settings; ends
    // relative mode. Types 0 and above 20 keep the previous range, scale and unit.
    void SetAxisRanges();
    void SetAxisRanges(const TConfig& config);

    // Binds one project: a copy of the box record and the signal source, the driver and the
    // filter list (may be null) by reference, the box type's curve function, and the callback
    // that receives the set-up's reports. Runs the set-up of the plot type at once. Always true.
    bool SetProject(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
                    const TPlotFilterList* filters, std::int32_t boxType,
                    const ProjectResultCallback& callback);
    // The same with a given curve function in place of the box type's.
    bool SetProject(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
                    const TPlotFilterList* filters, TBoxMathFunc curveFunction,
                    const ProjectResultCallback& callback);

    // The project whose Xmax the excursion plots mark: the driver's Xmax for type 5, the passive
    // radiator's for type 15 (both in m, peak). Without one no Xmax line is drawn.
    void SetReferenceProject(const TDriverObject& driver, const TBoxData& box);
    void ClearReferenceProject();
    // The Xmax line's value in display units; NaN when this plot type has none.
    double XmaxReference() const;

    void SetPenColor(std::int32_t color) { m_PenColor = color; }
    void SetPenWidth(int width) { m_PenWidth = width; }

    // The drawing steps of a picture.
    void CalcPlotRect();
    void DrawGrid(); // background, grid, then DrawReferenceLines and DrawLabels
    void DrawReferenceLines();
    void DrawLabels();
    void DrawFrame();
    void DrawCurve();

    // The plotted value of the bound project at f, scaled to display units.
    double ValueAt(double f);
    // Whether the last set-up of the bound project gave a curve that can be drawn.
    bool CurveValid() const { return m_Project.CurveValid(); }

    double XToFrequency(int x) const;
    int FrequencyToX(double f) const;
    // The row of a value, clamped to one row beyond the plot rectangle on either side.
    int ValueToRow(double value) const;
    // Whether axes and rectangle allow a picture.
    bool AxesValid() const { return Mapping().Valid(); }

    // Moves the crosshair to column x (at least the left edge, at most the right) and the row of
    // the value there; returns the readout, relative to the reference when relative mode is on.
    void DrawCursor(double& frequency, double& value, int x, std::string& unitText);
    void ToggleRelative();
    bool Relative() const { return m_Relative; }

    const TPlotRect& PlotRect() const { return m_PlotRect; }
    int TextHeight() const { return m_TextHeight; }
    double FMin() const { return m_Axes.FMin; }
    double FMax() const { return m_Axes.FMax; }
    double TopValue() const { return m_Axes.TopValue; }
    double BottomValue() const { return m_Axes.BottomValue; }
    double Scale() const { return m_Axes.Scale; }
    const std::string& UnitText() const { return m_Axes.UnitText; }
    bool CursorShown() const { return m_CursorShown; }
    int CursorColumn() const { return m_CursorColumn; }
    int CursorRow() const { return m_CursorRow; }
    const TPlotProject& Project() const { return m_Project; }

private:
    TPlotMapping Mapping() const;
    void InvertCross(int column, int row);
    // The rows of the horizontal grid and value labels, from the top value down.
    std::vector<double> GridValues(const TPlotMapping& mapping) const;

    TPlotCanvas* m_Canvas = nullptr;
    int m_PlotType = 0;
    TPlotAxes m_Axes;
    int m_TextHeight = 0;
    TPlotRect m_PlotRect;

    bool m_CursorShown = false;
    int m_CursorColumn = 0;
    int m_CursorRow = 0;
    bool m_Relative = false;
    double m_ReferenceFrequency = 0;
    double m_ReferenceValue = 0;

    bool m_HasReferenceProject = false;
    double m_DriverXmax = 0;
    double m_RadiatorXmax = 0;

    TPlotProject m_Project;
    std::int32_t m_PenColor = 0xFFFFFF;
    int m_PenWidth = 1;
    std::vector<TPlotPoint> m_Run;
    // The frequency of every column, shared by all curves of a picture; rebuilt when the
    // rectangle or the frequency limits change.
    struct TColumnKey {
        int Left = 0;
        int Right = 0;
        double FMin = 0;
        double FMax = 0;
        bool operator==(const TColumnKey&) const = default;
    };
    TColumnKey m_ColumnKey;
    std::vector<double> m_ColumnFrequencies;
};
