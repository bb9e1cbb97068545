#pragma once
// Help context numbers of the program's windows; the help file maps each to its page. A window
// declares its context with setProperty("helpContext", HelpContext::...) (see help/hh.h).

namespace HelpContext {
inline constexpr int MainWindow = 1;       // usingborvik/mainwindow.html
inline constexpr int NewProjectWizard = 2; // usingborvik/newproject.html
inline constexpr int ProjectWindow = 3;    // usingborvik/projects.html
inline constexpr int DriverEditor = 4;     // usingborvik/drivereditor.html
inline constexpr int Calculators = 5;      // usingborvik/calculators.html
inline constexpr int SignalGenerator = 6;  // usingborvik/signalgenerator.html
inline constexpr int Options = 7;          // usingborvik/options.html
inline constexpr int PlotWindow = 8;       // usingborvik/plots.html
inline constexpr int DriverErrors = 9;     // usingborvik/newdriver.html
} // namespace HelpContext
