#include "help/HelpLinks.h"

#include "help/HHDebug.h"
#include "help/HelpViewer.h"
#include "help/hh.h"
#include "help/hh_funcs.h"
#include "platform/SettingsStore.h"
#include "shell/AppLinks.h"

#include <QCoreApplication>
#include <QStringList>

#include <fstream>

namespace {

std::vector<std::string> CommandLine() {
    std::vector<std::string> items;
    if (QCoreApplication::instance()) {
        for (const QString& argument : QCoreApplication::arguments())
            items.push_back(argument.toStdString());
        return items;
    }
    // Before the application object exists the kernel still knows the command line.
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string item;
    while (std::getline(file, item, '\0'))
        items.push_back(item);
    return items;
}

} // namespace

void LinkHelp(TAppLinks& links) {
    static bool started = false;
    if (!started) {
        started = true;
        const platform::QtSettingsStore store;
        THelpEnvironment environment = CurrentHelpEnvironment(CommandLine());
        environment.helpLibrary = FindHelpControlPath(store);
        environment.browserLibrary =
            LibraryFileOf(reinterpret_cast<const void*>(&QTextBrowser::staticMetaObject));
        StartHelpDebugLog(environment);
        LoadHelpControl(environment.helpLibrary, &THelpViewer::HtmlHelp);
    }
    links.createHelpSystem = [](const QString& helpFile) -> std::unique_ptr<IHelpSystem> {
        return std::make_unique<THookHelpSystem>(LocateHelpFile(helpFile), QString(), 0);
    };
}
