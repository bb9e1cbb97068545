#include "workspace/PlotRender.h"

#include "simulation/boxmath2.h"
#include "workspace/DemoDriver.h"
#include "workspace/QtPlotCanvas.h"

#ifdef BORVIK_HAVE_PROJECT_FILES
#include "model/SaveToFile_Utils.h"
#endif

#include <QPainter>

#include <cmath>

namespace {

TDriverObject DemoDriver() {
    TDriverObject driver =
        DemoWoofer(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy, 0.0005);
    driver.Data.Brand = "Demo";
    driver.Data.Model = "W8";
    return driver;
}

} // namespace

bool MakeDemoProject(std::int32_t boxType, TRenderProject& project) {
    if (boxType < 0 || boxType > 4)
        return false;
    project.Driver = DemoDriver();
    TBoxData box;
    box.BType = boxType;
    box.T = TC.Environment_Temperature;
    box.p = TC.Environment_AirPressure;
    box.phi = TC.Environment_Humidy;
    box.Nd = 1;
    box.alfaVC = 0.0039;
    if (!BoxMath_DefaultBox(boxType, project.Driver.Data, box))
        return false;
    box.Sdrport = boxType == btVented || boxType == btBandpass6 ? 0.0005 : 0;
    box.Sdfport = boxType == btBandpass4 || boxType == btBandpass6 ? 0.0005 : 0;
    box.Qiclfr = box.Qiclfr > 0 ? box.Qiclfr : 100;
    if (boxType == btPassiveRadiator) {
        box.Npr = 1;
        box.PassiveRadiator.Vas = 0.06;
        box.PassiveRadiator.Qms = 6;
        box.PassiveRadiator.Fs = 20;
        box.PassiveRadiator.Sd = 0.035;
        box.PassiveRadiator.Xmax = 0.01;
        box.PassiveRadiator.Me = 0.02;
    }
    project.Box = box;
    project.Signal = TSignalSource{0, 0, 1};
    project.Filters.clear();
    return true;
}

bool LoadRenderProject(const std::filesystem::path& path, TRenderProject& project, std::string& error) {
#ifdef BORVIK_HAVE_PROJECT_FILES
    TProjectInfo info;
    const TProjectParts parts{info,          project.Driver, project.Box,    project.Color,
                              project.Width, project.Signal, project.Filters};
    const TReadReport report = LoadProjectFile(path, parts);
    if (!report.ok) {
        error = report.error.empty() ? "Can't read the project file." : report.error;
        return false;
    }
    for (const std::unique_ptr<TFilterBase>& filter : project.Filters)
        if (filter != nullptr)
            filter->Calculate();
    return true;
#else
    (void)path;
    (void)project;
    error = "This build reads no project files.";
    return false;
#endif
}

void PaintPlot(TPlotHelper& helper, const std::vector<TRenderProject*>& projects) {
    if (!projects.empty() && projects.front() != nullptr)
        helper.SetReferenceProject(projects.front()->Driver, projects.front()->Box);
    else
        helper.ClearReferenceProject();
    helper.CalcPlotRect();
    helper.DrawGrid();
    helper.DrawFrame();
    for (TRenderProject* project : projects) {
        if (project == nullptr)
            continue;
        helper.SetPenWidth(project->Width);
        helper.SetPenColor(project->Color);
        helper.SetProject(project->Box, project->Driver, project->Signal, &project->Filters,
                          project->Box.BType, ProjectResultCallback{});
        helper.DrawCurve();
    }
}

QImage RenderPlot(std::vector<TRenderProject*> projects, int plotType, int width, int height,
                  const std::function<void(TPlotHelper&)>& inspect) {
    QImage image(width > 0 ? width : 1, height > 0 ? height : 1, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    TQtPlotCanvas canvas(painter);
    TPlotHelper helper(canvas);
    helper.Colors = TPlotColors::FromSettings(TC);
    helper.OuterRect = TPlotRect{0, 0, image.width(), image.height()};
    helper.SetPlotType(plotType);
    PaintPlot(helper, projects);
    if (inspect)
        inspect(helper);
    painter.end();
    return image;
}

bool ProjectDrawsCurve(TRenderProject& project, int plotType) {
    TPlotAxes axes;
    SetPlotAxes(plotType, TC, axes);
    if (!(axes.FMin > 0) || !(axes.FMax > axes.FMin) || !std::isfinite(axes.FMax))
        return false;
    TPlotProject bound;
    bound.Bind(project.Box, project.Driver, project.Signal, &project.Filters,
               BoxMath_GetFunc(project.Box.BType), ProjectResultCallback{});
    if (!bound.PrepareCurve(plotType))
        return false;
    // As many columns as a wide picture has.
    constexpr int Columns = 2000;
    const double ratio = std::log(axes.FMax / axes.FMin);
    for (int i = 0; i < Columns; ++i) {
        const double f = axes.FMin * std::exp(ratio * i / (Columns - 1));
        if (std::isfinite(bound.ValueAt(plotType, axes.Scale, f)))
            return true;
    }
    return false;
}
