// plotrender: draws projects of one plot type into a PNG, without a window.
//
//   plotrender [--help] [--type N] [--width W] [--height H] [--out FILE.png]
//              [--box closed|vented|bp4|bp6|pr | --project FILE.bvp]...
//              [--filter KIND:PARAMETERS]...
//
// Each --box or --project adds a project (the first is the active one); each --filter adds a
// stage, of kind 0..6 with its parameter line ("SubType;Enabled;Order;...", as stored in
// project files), to the project named last. Without a project a closed box is drawn.

#include "workspace/PlotRender.h"
#include "simulation/FilterBase.h"

#include <QGuiApplication>
#include <QImage>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool ParseInt(std::string_view text, int& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int BoxTypeOf(std::string_view name) {
    static constexpr std::string_view Names[] = {"closed", "vented", "bp4", "bp6", "pr"};
    for (int i = 0; i < 5; ++i)
        if (name == Names[i])
            return i;
    int number = -1;
    return ParseInt(name, number) ? number : -1;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "plotrender: %s\n", message.c_str());
    return 2;
}

void PrintUsage() {
    std::printf("Usage: plotrender [OPTION]...\n"
                "Draws projects of one plot type into a PNG picture, without a window.\n\n"
                "  --type N                plot type 1..20 (default 2), see below\n"
                "  --width W, --height H   picture size in pixels, 16..10000 (default 800 x 500)\n"
                "  --out FILE.png          the picture to write (default plot.png)\n"
                "  --box TYPE              adds a demonstration project of a box type: closed, vented,\n"
                "                          bp4, bp6, pr, or its number 0..4\n"
                "  --project FILE.bvp      adds a project from its file\n"
                "  --filter KIND:PARAMS    adds a filter stage of kind 0..6 with its parameter line\n"
                "                          (\"SubType;Enabled;Order;...\", as stored in project files) to\n"
                "                          the project named last\n"
                "  -h, --help              shows this text\n\n"
                "The first project is the active one; without a project a closed box is drawn.\n"
                "A project that draws no curve is an error.\n\n"
                "Plot types:\n");
    for (int type = 1; type <= PlotTypeCount; ++type)
        if (const TPlotTypeInfo* info = PlotTypeInfo(type))
            std::printf("  %2d  %.*s\n", type, static_cast<int>(info->Caption.size()), info->Caption.data());
    std::printf("\nFilter kinds: 0 low-pass, 1 high-pass, 2 all-pass, 3 Linkwitz transform,\n"
                "4 parametric equaliser, 5 peaking high-pass, 6 static gain.\n");
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);

    static constexpr std::int32_t Colors[] = {0x00FFFF, 0xFFFF00, 0xFF00FF, 0x00FF00, 0x8080FF,
                                              0xFF8080, 0xFFFFFF, 0x0080FF, 0x80FF80, 0xC0C0C0};
    int plotType = 2;
    int width = 800;
    int height = 500;
    std::string out = "plot.png";
    std::vector<std::unique_ptr<TRenderProject>> projects;

    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            PrintUsage();
            return 0;
        }
        if (i + 1 >= argc)
            return Fail("missing value after " + std::string(option));
        const std::string_view value = argv[++i];
        if (option == "--type") {
            if (!ParseInt(value, plotType) || plotType < 1 || plotType > PlotTypeCount)
                return Fail("plot type must be 1..20");
        } else if (option == "--width" || option == "--height") {
            int size = 0;
            if (!ParseInt(value, size) || size < 16 || size > 10000)
                return Fail("size must be 16..10000 pixels");
            (option == "--width" ? width : height) = size;
        } else if (option == "--out") {
            out = std::string(value);
        } else if (option == "--box") {
            auto project = std::make_unique<TRenderProject>();
            if (!MakeDemoProject(BoxTypeOf(value), *project))
                return Fail("unknown box type " + std::string(value));
            projects.push_back(std::move(project));
        } else if (option == "--project") {
            auto project = std::make_unique<TRenderProject>();
            std::string error;
            if (!LoadRenderProject(std::string(value), *project, error))
                return Fail(std::string(value) + ": " + error);
            projects.push_back(std::move(project));
        } else if (option == "--filter") {
            if (projects.empty())
                return Fail("--filter needs a project before it");
            const std::size_t colon = value.find(':');
            int kind = -1;
            if (colon == std::string_view::npos || !ParseInt(value.substr(0, colon), kind))
                return Fail("filter must be KIND:PARAMETERS");
            std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
            if (filter == nullptr)
                return Fail("filter refused: there is no filter kind " + std::to_string(kind) + " (0..6)");
            std::string error;
            if (!filter->LoadFromString(value.substr(colon + 1), error))
                return Fail("filter refused: " + error);
            if (!filter->Calculate())
                return Fail("filter refused: " + filter->RefusalReason());
            projects.back()->Filters.push_back(std::move(filter));
        } else {
            return Fail("unknown option " + std::string(option));
        }
    }
    if (projects.empty()) {
        auto project = std::make_unique<TRenderProject>();
        MakeDemoProject(btClosed, *project);
        projects.push_back(std::move(project));
    }

    for (std::size_t i = 0; i < projects.size(); ++i) {
        if (!ProjectDrawsCurve(*projects[i], plotType))
            return Fail("project " + std::to_string(i + 1) +
                        " draws no curve of this plot type: its values are refused or unreadable");
    }

    std::vector<TRenderProject*> bound;
    for (std::size_t i = 0; i < projects.size(); ++i) {
        if (projects[i]->Color == TRenderProject{}.Color)
            projects[i]->Color = Colors[i % 10];
        bound.push_back(projects[i].get());
    }
    const QImage image = RenderPlot(bound, plotType, width, height);
    if (!image.save(QString::fromStdString(out), "PNG"))
        return Fail("can't write " + out);
    return 0;
}
