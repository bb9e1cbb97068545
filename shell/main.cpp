// Borvik's entry: the main window with every window library this build holds.

#include "shell/AppLinks.h"
#include "shell/MainForm.h"

#include "platform/FileNames.h"
#include "platform/JoystickProbe.h"
#include "platform/QtDialogs.h"
#include "platform/SettingsStore.h"

#if BORVIK_LINK_DRIVEREDITOR
#include "shell/DriverEditorLinks.h"
#endif
#if BORVIK_LINK_PROJECTWINDOW
#include "workspace/ProjectLinks.h"
#endif
#if BORVIK_LINK_PLOTWINDOW
#include "workspace/PlotWindowLinks.h"
#endif
#if BORVIK_LINK_NEWPROJECT
#include "workspace/NewProjectLinks.h"
#endif
#if BORVIK_LINK_CALCULATORS_UI
#include "calculators/CalculatorLinks.h"
#endif
#if BORVIK_LINK_SIGGEN_UI
#include "siggen/SignalGeneratorLinks.h"
#endif
#if BORVIK_LINK_HELP_UI
#include "help/HelpLinks.h"
#endif
#if BORVIK_LINK_UPDATECHECK
#include "net/UpdateCheckLinks.h"
#endif

#include <QApplication>
#include <filesystem>
#include <string_view>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Borvik alpha"));

    platform::QtDialogs dialogs;
    platform::ScopedDialogs installed(dialogs);

    TAppLinks links;
#if BORVIK_LINK_DRIVEREDITOR
    LinkDriverEditor(links);
#endif
#if BORVIK_LINK_PROJECTWINDOW
    LinkProjectWindows(links);
#endif
#if BORVIK_LINK_PLOTWINDOW
    LinkPlotWindow(links);
#endif
#if BORVIK_LINK_NEWPROJECT
    LinkNewProjectWizard(links);
#endif
#if BORVIK_LINK_CALCULATORS_UI
    LinkCalculators(links);
#endif
#if BORVIK_LINK_SIGGEN_UI
    LinkSignalGenerator(links);
#endif
#if BORVIK_LINK_HELP_UI
    LinkHelp(links);
#endif
#if BORVIK_LINK_UPDATECHECK
    LinkUpdateCheck(links);
#endif

    platform::QtSettingsStore store;
    platform::LinuxJoystickProbe joystick;
    TMainStartup startup;
    startup.store = &store;
    startup.joystick = &joystick;
    // Qt has taken its own options out of argv by now.
    // Arguments and folder are file names: converted so that names that are not UTF-8 survive.
    for (int i = 1; i < argc; ++i) {
        startup.arguments << platform::FileNameToText(std::string_view(argv[i]));
    }
    std::error_code noFolder;
    startup.currentFolder = platform::PathToText(std::filesystem::current_path(noFolder));

    TfrmMain frmMain(std::move(links), std::move(startup));
    if (!frmMain.Create()) {
        return 1;
    }
    frmMain.CreateForms();
    QObject::connect(&frmMain, &TfrmMain::Closed, &application, &QApplication::quit, Qt::QueuedConnection);
    frmMain.show();
    return QApplication::exec();
}
