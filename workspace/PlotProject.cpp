#include "workspace/PlotProject.h"

void TPlotProject::Bind(const TBoxData& box, TDriverObject& driver, const TSignalSource& source,
                        const TPlotFilterList* filters, TBoxMathFunc curveFunction,
                        const ProjectResultCallback& callback) {
    m_Box = box;
    m_Driver = &driver;
    m_Filters = filters;
    m_Function = curveFunction;
    m_Callback = callback;
    m_Point = EvaluationPointOf(source);
    m_State.Invalidate();
    m_Flags = TDriverFlags{};
    m_PreparedType = 0;
    m_CurveValid = false;
}

void TPlotProject::Unbind() {
    *this = TPlotProject{};
}

bool TPlotProject::PrepareCurve(int plotType) {
    m_PreparedType = plotType;
    m_CurveValid = false;
    m_State.Invalidate();
    const TPlotTypeInfo* info = PlotTypeInfo(plotType);
    if (m_Driver == nullptr || m_Function == nullptr || info == nullptr)
        return false;
    TComplex ignored = MakeComplex(0, 0);
    try {
        m_Function(info->Kind, m_Point, m_Box, ignored, m_Callback, *m_Driver, m_State);
    } catch (...) {
        // A set-up that fails leaves no curve; painting goes on with the other projects.
        m_State.Invalidate();
    }
    m_Flags = TDriverFlags{m_Driver->CouplingKnown, m_Driver->MassAdded, m_Driver->ModelReady};
    m_CurveValid = m_State.kind != ckEvaluate;
    return m_CurveValid;
}

double TPlotProject::ValueAt(int plotType, double scale, double f) {
    if (plotType != m_PreparedType)
        PrepareCurve(plotType);
    if (!m_CurveValid)
        return 0;
    const TPlotTypeInfo* info = PlotTypeInfo(plotType);
    m_Point.f = f;
    TComplex r = MakeComplex(0, 0);
    m_Function(ckEvaluate, m_Point, m_Box, r, m_Callback, *m_Driver, m_State);

    // Only what the plot type reads is evaluated: a filter costs two evaluations more for its
    // delay, and most plots never look at it.
    TComplex H = MakeComplex(1, 0);
    double tau = 0;
    if (m_Filters != nullptr) {
        const bool response = info->NeedsResponse();
        const bool delay = info->NeedsDelay();
        for (const std::unique_ptr<TFilterBase>& filter : *m_Filters) {
            if (filter == nullptr || !filter->Enabled)
                continue;
            if (response)
                H = ComplexMul(H, filter->GetResponse(f));
            if (delay)
                tau += filter->GetGroupDelay(f);
        }
    }
    return PlotValue(plotType, scale, r, H, tau, m_Flags, m_Point.Rg, m_Point.P, m_Driver->Data.Re);
}
