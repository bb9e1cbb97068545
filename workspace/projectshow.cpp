// Shows a new project window of one box type with the sample woofer, without the main window:
// for looking at the window and for pictures of it.
//   projectshow BOXTYPE [TAB] [--parameters] [--save FILE]
#include "platform/QtDialogs.h"
#include "shell/Settings.h"
#include "workspace/DemoDriver.h"
#include "workspace/ProjectForm.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: projectshow BOXTYPE [TAB] [--parameters] [--save FILE]\n");
        return 2;
    }
    platform::QtDialogs dialogs;
    platform::ScopedDialogs installed(dialogs);
    TfrmProject window(1);
    window.driver.Assign(
        DemoWoofer(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy, 0.0005));
    window.driver.Data.Brand = "Sample";
    window.driver.Data.Model = "Woofer 30";
    window.box.BType = arguments[1].toInt();
    window.box.Nd = 1;
    window.box.Vr = 0.05;
    window.box.Fr = 35;
    window.box.Vf = 0.02;
    window.box.Ff = 70;
    window.box.Qlr = window.box.Qlf = 10;
    window.box.Qar = window.box.Qaf = 100;
    window.box.Qpr = window.box.Qpf = 100;
    window.box.Qiclfr = 100;
    window.box.PassiveRadiator = TPassiveRadiatorData{0.06, 6, 20, 0.035, 0.01, 0};
    window.StartNow(1);
    for (int i = 2; i < arguments.size(); ++i) {
        if (arguments[i] == "--parameters") {
            window.pnlShowParametersClick();
        } else if (arguments[i] == "--save" && i + 1 < arguments.size()) {
            const std::string path = arguments[++i].toStdString();
            if (!window.Save(path, "Sample")) {
                std::fprintf(stderr, "projectshow: cannot save %s\n", path.c_str());
                return 1;
            }
            return 0;
        } else {
            window.Tabs()->setCurrentIndex(arguments[i].toInt());
        }
    }
    window.show();
    return QApplication::exec();
}
