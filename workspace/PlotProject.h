#pragma once
// One project as the plot engine evaluates it: a private copy of its box record and signal
// source, its driver and filter chain (referenced, never owned), the box type's curve function
// and the model state of its own curve, so that binding project after project never mixes the
// circuit of one into the curve of another.

#include "simulation/FilterBase.h"
#include "simulation/ProjectRecords.h"
#include "simulation/boxmath.h"
#include "workspace/PlotTypes.h"

#include <memory>
#include <vector>

// A project's filter chain as the project window keeps it.
using TPlotFilterList = std::vector<std::unique_ptr<TFilterBase>>;

class TPlotProject {
public:
    // Binds a project. The driver and the filter list (which may be null: no filters) must
    // outlive the binding or the next Bind. No set-up runs yet.
    void Bind(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
              const TPlotFilterList* filters, TBoxMathFunc curveFunction,
              const ProjectResultCallback& callback);
    void Unbind();

    bool Bound() const { return m_Driver != nullptr; }

    // The set-up call of the plot type's curve kind; the driver's flags are taken after it, so
    // they describe the model this very set-up built. Returns whether the curve can be drawn: a
    // bound project, a curve function, a plot type 1..20 and a successful set-up.
    bool PrepareCurve(int plotType);
    bool CurveValid() const { return m_CurveValid; }

    // The plotted value at f, scaled; 0 while the curve is not valid, NaN (a gap in the curve)
    // when the model fails at this point.
    double ValueAt(int plotType, double scale, double f);

    const TBoxData& Box() const { return m_Box; }
    const TDriverObject* Driver() const { return m_Driver; }
    const TDriverFlags& Flags() const { return m_Flags; }
    const TEvaluationPoint& Point() const { return m_Point; }

private:
    TBoxData m_Box;
    TDriverObject* m_Driver = nullptr;
    const TPlotFilterList* m_Filters = nullptr;
    TBoxMathFunc m_Function = nullptr;
    ProjectResultCallback m_Callback;
    TEvaluationPoint m_Point;
    TBoxModelState m_State;
    TDriverFlags m_Flags;
    int m_PreparedType = 0;
    bool m_CurveValid = false;
};
