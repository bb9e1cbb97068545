#include "ProjectTestSupport.h"

namespace projecttest {

void FakePlotWindow::Repaint() {
    ++repaints;
    // As the plot window does: every used project is bound and set up, its reports delivered.
    TPlotHelper helper;
    for (int n = 1; n <= kMaxProjects; ++n) {
        const TProj& proj = m_Main.Proj(n);
        if (!proj.used || proj.window == nullptr)
            continue;
        TProjectPlotData data = proj.window->PlotData();
        helper.SetProject(*data.box, *data.driver, *data.source, data.filters, data.box->BType,
                          data.callback);
    }
}

} // namespace projecttest
