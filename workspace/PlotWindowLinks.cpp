#include "workspace/PlotWindowLinks.h"

#include "workspace/plotwindow.h"

void LinkPlotWindow(TAppLinks& links) {
    links.createPlotWindow = [](IMainWindow& main) -> IPlotWindow* { return new TfrmPlotWindow(main); };
}
