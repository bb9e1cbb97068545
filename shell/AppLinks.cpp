#include "shell/AppLinks.h"

namespace {
IMainWindow* runningMainWindow = nullptr;
}

IMainWindow* MainWindow() { return runningMainWindow; }
void SetMainWindow(IMainWindow* window) { runningMainWindow = window; }

QString EscapeAmpersands(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
}
