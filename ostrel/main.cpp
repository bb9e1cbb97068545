#include "ostrel/OstrelApp.h"
#include "ostrel/OstrelHost.h"

#include <QApplication>

namespace {
COstrelApp theApp;
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    CDesktopHost host;
    return theApp.InitInstance(host);
}
