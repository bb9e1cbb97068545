#pragma once
// Renders projects of one plot type into an image without a window: the plot window's calling
// order on a QImage. Used by the plotrender tool and by the drawing tests.

#include "workspace/plothelper.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The records of one project as a project window holds them.
struct TRenderProject {
    TDriverObject Driver;
    TBoxData Box;
    TSignalSource Signal;
    TPlotFilterList Filters;
    std::int32_t Color = 0x00FFFF; // yellow
    std::int32_t Width = 1;
};

// A 30 Hz woofer (Qts 0.36, Vas 50 l, Sd 216 cm², Xmax 5 mm, Re 6 ohm, 100 W) in a first design
// of the box type, with round vents of 5 cm², a passive radiator for type 4, the air of the
// settings, 1 W from a source without resistance and no filters. False for a type outside 0..4.
bool MakeDemoProject(std::int32_t boxType, TRenderProject& project);

// Reads a project file into the records; false with the reason when it cannot be read or when
// this build has no reader of project files.
bool LoadRenderProject(const std::filesystem::path& path, TRenderProject& project, std::string& error);

// One picture of the projects (the first one is the active project, whose Xmax is marked) of
// the plot type, with the settings' axes and colours. inspect, when given, sees the engine
// after the picture while its canvas is still live (the last project is still bound).
QImage RenderPlot(std::vector<TRenderProject*> projects, int plotType, int width, int height,
                  const std::function<void(TPlotHelper&)>& inspect = {});

// One picture into a given engine whose canvas is ready: the plot window's calling order.
void PaintPlot(TPlotHelper& helper, const std::vector<TRenderProject*>& projects);

// Whether the project gives the plot type at least one finite value between the axis' lowest
// and highest frequency: a project whose set-up fails or whose every value is refused draws no
// curve. The settings' axes are used.
bool ProjectDrawsCurve(TRenderProject& project, int plotType);
