#pragma once
// The records of the projects the ten-project benchmarks open: the demonstration woofer in a box
// of type index mod 5, all with the same chambers, vents and passive radiator.
#include "shell/Settings.h"
#include "workspace/DemoDriver.h"
#include "workspace/ProjectDocument.h"

inline void FillBenchProject(TProjectDocument& project, int index) {
    project.driver =
        DemoWoofer(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy, 0.0005);
    project.box.BType = index % kProjectBoxTypeCount;
    project.box.Nd = 1;
    project.box.Vr = 0.05;
    project.box.Fr = 35;
    project.box.Vf = 0.02;
    project.box.Ff = 70;
    project.box.Qlr = project.box.Qlf = 10;
    project.box.Qar = project.box.Qaf = 100;
    project.box.Qpr = project.box.Qpf = 100;
    project.box.Qiclfr = 100;
    project.box.PassiveRadiator = TPassiveRadiatorData{0.06, 6, 20, 0.035, 0.01, 0.02};
}
