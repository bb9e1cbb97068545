#include "workspace/PlotProject.h"

#include <cmath>

namespace {

// The chain's group delay in s, the sum of its stages' delays, each from the exact slope of its
// phase (the stages' own delays).
double ChainGroupDelay(const TPlotFilterList& filters, double f) {
    double delay = 0.0;
    for (const std::unique_ptr<TFilterBase>& filter : filters) {
        if (filter == nullptr || !filter->Enabled || !filter->HasResponse())
            continue;
        if (!TransferOrdersValid(filter->TF))
            return std::nan("");
        delay += filter->GetGroupDelay(f);
    }
    return delay;
}

} // namespace

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
    try {
        m_Function(ckEvaluate, m_Point, m_Box, r, m_Callback, *m_Driver, m_State);
    } catch (...) {
        // Nothing may leave a paint handler: a point that cannot be computed is a gap.
        return std::nan("");
    }

    // Only what the plot type reads is evaluated: most plots never look at the chain's delay,
    // and the driver's own curves (impedance, power limits) at no filter at all.
    TComplex H = MakeComplex(1, 0);
    double tau = 0;
    if (m_Filters != nullptr) {
        if (info->NeedsResponse()) {
            for (const std::unique_ptr<TFilterBase>& filter : *m_Filters)
                if (filter != nullptr && filter->Enabled)
                    H = ComplexMul(H, filter->GetResponse(f));
        }
        if (info->NeedsDelay())
            tau = ChainGroupDelay(*m_Filters, f);
    }
    return PlotValue(*info, scale, r, H, tau, m_Flags, m_Point.Rg, m_Point.P, m_Driver->Data.Re);
}
