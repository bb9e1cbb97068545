#include "shell/AppLinks.h"

namespace {
IMainWindow* runningMainWindow = nullptr;
}

IMainWindow* MainWindow() { return runningMainWindow; }
void SetMainWindow(IMainWindow* window) { runningMainWindow = window; }
