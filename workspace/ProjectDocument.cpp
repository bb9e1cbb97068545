#include "workspace/ProjectDocument.h"

#include "model/Airmodel.h"
#include "shell/Settings.h"
#include "simulation/boxmath2.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

std::int32_t NewProjectColor(std::int32_t boxType) {
    switch (boxType) {
    case pbClosed:
        return 0x00FFFF;
    case pbVented:
        return 0xC0C0C0;
    case pbBandpass4:
        return 0xFFFF00;
    default:
        return 0xFF00FF;
    }
}

int EndCorrectionItem(double factor) {
    for (int item = 0; item < 3; ++item)
        if (factor == VentEndCorrections[item])
            return item;
    return -1;
}

bool TDragLocks::Click(Label label, std::int32_t boxType) {
    const bool front = label == Label::FrontVolume || label == Label::FrontTuning;
    if (front && (boxType == pbClosed || boxType == pbPassiveRadiator))
        return false;
    if (!front && boxType == pbBandpass4)
        return false;
    bool* own = nullptr;
    bool* partner = nullptr;
    switch (label) {
    case Label::RearVolume:
        own = &rearVolume, partner = &rearTuning;
        break;
    case Label::RearTuning:
        own = &rearTuning, partner = &rearVolume;
        break;
    case Label::FrontVolume:
        own = &frontVolume, partner = &frontTuning;
        break;
    case Label::FrontTuning:
        own = &frontTuning, partner = &frontVolume;
        break;
    }
    if (*partner)
        *own = !*own;
    else
        *partner = true;
    return true;
}

TDragLocks& ProjectDragLocks() {
    static TDragLocks locks;
    return locks;
}

int SnapToGrid(int position, int step) {
    if (step < 1)
        return position;
    const double rounded = std::nearbyint(static_cast<double>(position) / step) * step;
    return static_cast<int>(rounded);
}

int SnapToGrid(int position, int length, int step, int low, int high) {
    const int nearest = SnapToGrid(position, step);
    if (step < 1 || position < low || position + length > high || nearest + length <= high)
        return nearest;
    return std::max(low, static_cast<int>(std::floor(static_cast<double>(position) / step)) * step);
}

namespace {

bool Finite(double value) {
    return std::isfinite(value);
}

// SI values above this are typing accidents, not designs; refusing them keeps every derived
// value finite.
constexpr double kLargestValue = 1e9;

bool Usable(double value) {
    return Finite(value) && std::fabs(value) <= kLargestValue;
}

bool VentFinite(const TVentData& vent) {
    for (double value : {vent.Fb, vent.Vb, vent.dia1, vent.dia2, vent.carea, vent.len, vent.endcorrection,
                         vent.firstResonance})
        if (!Finite(value))
            return false;
    return true;
}

// Values a file holds that are not numbers read as 0, so nothing non-finite reaches a model or
// a saved file.
void Clean(double& value) {
    if (!Finite(value))
        value = 0;
}

void CleanVent(TVentData& vent) {
    for (double* value : {&vent.Fb, &vent.Vb, &vent.dia1, &vent.dia2, &vent.carea, &vent.len,
                          &vent.endcorrection, &vent.firstResonance})
        Clean(*value);
    if (vent.Num < 1 || vent.Num > kMaxVentCount)
        vent.Num = 1;
    if (vent.Shape != 1 && vent.Shape != 2)
        vent.Shape = 1;
}

void CleanBox(TBoxData& box) {
    for (double* value : {&box.Vf,
                          &box.Ff,
                          &box.Qlf,
                          &box.Qaf,
                          &box.Qpf,
                          &box.Vr,
                          &box.Fr,
                          &box.Qlr,
                          &box.Qar,
                          &box.Qpr,
                          &box.Vc,
                          &box.Fc,
                          &box.Qlc,
                          &box.Qac,
                          &box.Qpc,
                          &box.Qiclfr,
                          &box.Qiclfc,
                          &box.Qiclcr,
                          &box.T,
                          &box.p,
                          &box.phi,
                          &box.d,
                          &box.Angle,
                          &box.Med,
                          &box.alfaVC,
                          &box.dTVC,
                          &box.Sdfport,
                          &box.Sdrport,
                          &box.PassiveRadiator.Vas,
                          &box.PassiveRadiator.Qms,
                          &box.PassiveRadiator.Fs,
                          &box.PassiveRadiator.Sd,
                          &box.PassiveRadiator.Xmax,
                          &box.PassiveRadiator.Me,
                          &box.Fsm})
        Clean(*value);
    CleanVent(box.RearVent);
    CleanVent(box.FrontVent);
}

// An environment change keeps the vent and moves its tuning; a vent without a length has
// nothing to move the tuning from, so it keeps its tuning.
void ClearTuningForNewAir(TVentData& vent) {
    if (vent.len > 0)
        vent.Fb = 0;
}

} // namespace

TProjectDocument::TProjectDocument() {
    box.T = TC.Environment_Temperature;
    box.p = TC.Environment_AirPressure;
    box.phi = TC.Environment_Humidy;
    CreateDate = TDate::Today();
    UpdateAir();
}

void TProjectDocument::SetDefaultVentSizes() {
    for (TVentData* vent : {&box.RearVent, &box.FrontVent}) {
        vent->dia1 = kVentPresetDiameters[kVentPresetDefault];
        vent->dia2 = kVentPresetDiameters[kVentPresetDefault];
    }
}

void TProjectDocument::Start(int mode, const std::string& userName) {
    // Whatever the opener or the wizard left, the air must be computable.
    if (!(box.T > 0) || !(box.p > 0) || !(box.phi >= 0 && box.phi <= 1)) {
        box.T = TC.Environment_Temperature;
        box.p = TC.Environment_AirPressure;
        box.phi = TC.Environment_Humidy;
    }
    if (mode == 1) {
        CreateDate = TDate::Today();
        for (TVentData* vent : {&box.RearVent, &box.FrontVent}) {
            vent->Shape = 1;
            vent->crosscalc = true;
            vent->endcorrection = DefaultVentEndCorrection;
            if (vent->Num < 1 || vent->Num > kMaxVentCount)
                vent->Num = 1;
        }
        SetDefaultVentSizes();
        Width = 1;
        info.Creator = userName;
        info.CreateDate = CreateDate;
        info.ModifyDate = CreateDate;
        if (box.Nd < 1)
            box.Nd = 1;
        // A wizard that left them empty gets the values a file without them would read.
        if (!(signal.P > 0))
            signal.P = 1;
        if (!(box.d > 0))
            box.d = 1;
        if (box.alfaVC == 0)
            box.alfaVC = 0.0039;
        if (box.BType == pbBandpass6 || box.BType == pbPassiveRadiator)
            BoxMath_DefaultBox(box.BType, driver.Data, box);
        if (box.BType == pbClosed) {
            box.Vf = 0;
            box.Ff = 0;
        }
        if (box.BType == pbPassiveRadiator && box.Npr < 1)
            box.Npr = 1;
        Color = NewProjectColor(box.BType);
        modified = true;
    } else {
        CleanBox(box);
        if (Width < 1 || Width > 4)
            Width = 1;
        if (box.Nd < 1)
            box.Nd = 1;
    }
    if (box.BType == pbVented || box.BType == pbBandpass6)
        box.RearVent.Fb = box.Fr;
    if (box.BType == pbBandpass4 || box.BType == pbBandpass6)
        box.FrontVent.Fb = box.Ff;
    UpdateAir();
}

void TProjectDocument::UpdateAir() {
    rho = AirDensity(box.T, box.p, box.phi);
    c = SpeedOfSound(box.p, rho);
    airValid = Finite(rho) && Finite(c) && rho > 0 && c > 0;
    if (!airValid) {
        // The models still need an air; the panels say it is not available.
        rho = AirDensity(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy);
        c = SpeedOfSound(TC.Environment_AirPressure, rho);
    }
    driver.c = c;
    driver.rho = rho;
}

void TProjectDocument::VentUpdate() {
    auto update = [this](TVentData& vent, double volume, bool used, double& area) {
        const TVentData before = vent;
        vent.Vb = volume;
        if (!used)
            return;
        BoxMath_CalcPort(vent, c);
        const double total = vent.Num * vent.carea;
        if (!VentFinite(vent) || !Finite(total)) {
            vent = before;
            return;
        }
        area = total;
    };
    update(box.FrontVent, box.Vf, box.BType == pbBandpass4 || box.BType == pbBandpass6, box.Sdfport);
    if (box.BType == pbBandpass4 || box.BType == pbBandpass6)
        box.Ff = box.FrontVent.Fb;
    update(box.RearVent, box.Vr, box.BType == pbVented || box.BType == pbBandpass6, box.Sdrport);
    if (box.BType == pbVented || box.BType == pbBandpass6)
        box.Fr = box.RearVent.Fb;
}

double TProjectDocument::FieldValue(TProjectField field) const {
    switch (field) {
    case TProjectField::ReVolume:
        return box.Vr;
    case TProjectField::FeVolume:
        return box.Vf;
    case TProjectField::ReTune:
        return box.RearVent.Fb;
    case TProjectField::FeTune:
        return box.FrontVent.Fb;
    case TProjectField::RVentLen:
        return box.RearVent.len;
    case TProjectField::FVentLen:
        return box.FrontVent.len;
    case TProjectField::RVents:
        return box.RearVent.Num;
    case TProjectField::RDia:
        return box.RearVent.dia1;
    case TProjectField::RDia2:
        return box.RearVent.dia2;
    case TProjectField::FVents:
        return box.FrontVent.Num;
    case TProjectField::FDia:
        return box.FrontVent.dia1;
    case TProjectField::FDia2:
        return box.FrontVent.dia2;
    case TProjectField::REndCorrection:
        return box.RearVent.endcorrection;
    case TProjectField::FEndCorrection:
        return box.FrontVent.endcorrection;
    case TProjectField::Temperature:
        return box.T;
    case TProjectField::Humidity:
        return box.phi;
    case TProjectField::AirPressure:
        return box.p;
    case TProjectField::Power:
        return signal.P;
    case TProjectField::Rg:
        return signal.Rg;
    case TProjectField::Distance:
        return box.d;
    case TProjectField::Angle:
        return box.Angle;
    case TProjectField::DeltaMass:
        return box.Med;
    case TProjectField::dTVC:
        return box.dTVC;
    case TProjectField::AlfaVC:
        return box.alfaVC;
    case TProjectField::PRVas:
        return box.PassiveRadiator.Vas;
    case TProjectField::PRQms:
        return box.PassiveRadiator.Qms;
    case TProjectField::PRFs:
        return box.PassiveRadiator.Fs;
    case TProjectField::PRSd:
        return box.PassiveRadiator.Sd;
    case TProjectField::PRXmax:
        return box.PassiveRadiator.Xmax;
    case TProjectField::PRDeltaMass:
        return box.PassiveRadiator.Me;
    case TProjectField::NumOfPR:
        return box.Npr;
    case TProjectField::Drivers:
        return box.Nd;
    case TProjectField::LineWidth:
        return Width;
    }
    return 0;
}

TChangeResult TProjectDocument::ApplyChange(TProjectField field, double value) {
    if (!Usable(value))
        return TChangeResult::Refused;
    using F = TProjectField;
    // A whole number in [low, high], or refused.
    auto count = [&](std::int32_t& target, int low, int high) {
        if (value != std::floor(value) || value < low || value > high)
            return false;
        target = static_cast<std::int32_t>(value);
        return true;
    };
    // Volumes keep the tuning and resize the vent: the length is computed again.
    auto volume = [&](double& target, TVentData& vent) {
        target = value;
        vent.len = 0;
        return value > 0 ? TChangeResult::Recalc : TChangeResult::Stored;
    };
    TChangeResult result = TChangeResult::Recalc;
    switch (field) {
    case F::ReVolume:
        result = volume(box.Vr, box.RearVent);
        break;
    case F::FeVolume:
        result = volume(box.Vf, box.FrontVent);
        break;
    case F::ReTune:
    case F::FeTune: {
        if (field == F::FeTune && (box.BType == pbClosed || box.BType == pbPassiveRadiator))
            return TChangeResult::Ignored;
        // A cleared tuning would leave the vent with neither tuning nor length.
        if (!(value > 0))
            return TChangeResult::Refused;
        TVentData& vent = field == F::ReTune ? box.RearVent : box.FrontVent;
        vent.Fb = value;
        vent.len = 0;
        break;
    }
    case F::RVentLen:
    case F::FVentLen: {
        TVentData& vent = field == F::RVentLen ? box.RearVent : box.FrontVent;
        if (!vent.crosscalc)
            return TChangeResult::Ignored;
        if (!(value > 0))
            return TChangeResult::Refused;
        vent.len = value;
        vent.Fb = 0;
        break;
    }
    case F::RVents:
    case F::FVents: {
        TVentData& vent = field == F::RVents ? box.RearVent : box.FrontVent;
        if (!count(vent.Num, 1, kMaxVentCount))
            return TChangeResult::Refused;
        vent.len = 0;
        break;
    }
    case F::RDia:
    case F::RDia2:
    case F::FDia:
    case F::FDia2: {
        if (!(value > 0))
            return TChangeResult::Refused;
        TVentData& vent = field == F::RDia || field == F::RDia2 ? box.RearVent : box.FrontVent;
        (field == F::RDia || field == F::FDia ? vent.dia1 : vent.dia2) = value;
        vent.len = 0;
        break;
    }
    case F::REndCorrection:
    case F::FEndCorrection: {
        if (!(value > 0))
            return TChangeResult::Refused;
        TVentData& vent = field == F::REndCorrection ? box.RearVent : box.FrontVent;
        vent.endcorrection = value;
        vent.len = 0;
        break;
    }
    case F::Temperature:
    case F::Humidity:
    case F::AirPressure: {
        if (field == F::Temperature && !(value >= kMinTemperature && value <= kMaxTemperature))
            return TChangeResult::Refused;
        if (field == F::Humidity && !(value >= 0 && value <= 1))
            return TChangeResult::Refused;
        if (field == F::AirPressure && !(value > 0))
            return TChangeResult::Refused;
        (field == F::Temperature ? box.T : field == F::Humidity ? box.phi : box.p) = value;
        ClearTuningForNewAir(box.RearVent);
        ClearTuningForNewAir(box.FrontVent);
        UpdateAir();
        break;
    }
    case F::Power:
        if (!(value > 0))
            return TChangeResult::Refused;
        signal.P = value;
        break;
    case F::Rg:
        if (!(value >= 0))
            return TChangeResult::Refused;
        signal.Rg = value;
        break;
    case F::Distance:
        if (!(value > 0))
            return TChangeResult::Refused;
        box.d = value;
        break;
    case F::Angle:
        box.Angle = value;
        break;
    case F::DeltaMass:
        box.Med = value;
        break;
    case F::dTVC:
        box.dTVC = value;
        break;
    case F::AlfaVC:
        box.alfaVC = value;
        break;
    case F::PRVas:
    case F::PRQms:
    case F::PRFs:
    case F::PRSd: {
        // A radiator without compliance, losses, resonance or area has no model.
        if (!(value > 0))
            return TChangeResult::Refused;
        TPassiveRadiatorData& r = box.PassiveRadiator;
        (field == F::PRVas ? r.Vas : field == F::PRQms ? r.Qms : field == F::PRFs ? r.Fs : r.Sd) = value;
        break;
    }
    case F::PRXmax:
        box.PassiveRadiator.Xmax = value;
        break;
    case F::PRDeltaMass:
        box.PassiveRadiator.Me = value;
        break;
    case F::NumOfPR:
        if (!count(box.Npr, 1, 100))
            return TChangeResult::Refused;
        break;
    case F::Drivers:
        if (!count(box.Nd, 1, 1000))
            return TChangeResult::Refused;
        break;
    case F::LineWidth:
        if (!count(Width, 1, 4))
            return TChangeResult::Refused;
        result = TChangeResult::Replot;
        break;
    }
    modified = true;
    return result;
}

bool TProjectDocument::DragStep(TDragButton button, int dx, int dy, const TDragLocks& locks) {
    bool changed = false;
    // One step per kDragPixelsPerStep pixels, whatever the rate of mouse events.
    auto scaled = [](double value, int pixels, double lessFactor, double moreFactor) {
        if (pixels == 0)
            return value;
        const double steps = std::abs(pixels) / kDragPixelsPerStep;
        return value * std::pow(pixels < 0 ? moreFactor : lessFactor, steps);
    };
    auto apply = [&](TProjectField field, double newValue) {
        const double old = FieldValue(field);
        if (newValue == old || !(newValue > 0))
            return;
        const TChangeResult result = ApplyChange(field, newValue);
        if (result != TChangeResult::Refused && result != TChangeResult::Ignored)
            changed = true;
    };
    const std::int32_t type = box.BType;
    if (button == TDragButton::Left) {
        if (locks.rearVolume)
            apply(TProjectField::ReVolume, scaled(box.Vr, dx, 0.9, 1.1));
        if (locks.rearTuning && (type == pbVented || type == pbBandpass6))
            apply(TProjectField::ReTune, scaled(box.RearVent.Fb, dy, 0.95, 1.05));
        // Moving up lightens the radiator.
        if (locks.addedMass && type == pbPassiveRadiator)
            apply(TProjectField::PRDeltaMass, scaled(box.PassiveRadiator.Me, dy, 1.05, 0.95));
    } else if (type == pbBandpass4 || type == pbBandpass6) {
        if (locks.frontVolume)
            apply(TProjectField::FeVolume, scaled(box.Vf, dx, 0.9, 1.1));
        if (locks.frontTuning)
            apply(TProjectField::FeTune, scaled(box.FrontVent.Fb, dy, 0.95, 1.05));
    }
    return changed;
}

void TProjectDocument::ToggleVentShape(bool rear) {
    TVentData& vent = rear ? box.RearVent : box.FrontVent;
    if (vent.Shape == 2) {
        vent.Shape = 1;
    } else {
        vent.Shape = 2;
        vent.dia2 = vent.dia1;
    }
    if (rear)
        vent.len = 0;
    else
        ClearTuningForNewAir(vent);
    modified = true;
}

TProjectParts TProjectDocument::Parts() {
    return TProjectParts{info, driver, box, Color, Width, signal, filters};
}

platform::IniResult TProjectDocument::Save(const std::filesystem::path& path, const std::string& userName) {
    TProjectInfo before = info;
    // The creator is who made the project, not who saved it last.
    if (info.Creator.empty())
        info.Creator = userName;
    info.CreateDate = CreateDate;
    info.ModifyDate = TDate::Today();
    platform::IniResult result = SaveProjectFile(path, Parts());
    if (!result) {
        info = before;
        return result;
    }
    fileName = path;
    modified = false;
    return result;
}

TReadReport TProjectDocument::Load(const std::filesystem::path& path) {
    TProjectInfo readInfo = info;
    TDriverObject readDriver = driver;
    TBoxData readBox = box;
    std::int32_t readColor = Color;
    std::int32_t readWidth = Width;
    TSignalSource readSignal = signal;
    TFilterList readFilters;
    TReadReport report = LoadProjectFile(
        path, TProjectParts{readInfo, readDriver, readBox, readColor, readWidth, readSignal, readFilters});
    if (!report)
        return report;
    info = std::move(readInfo);
    driver = std::move(readDriver);
    box = readBox;
    Color = readColor;
    Width = readWidth;
    signal = readSignal;
    Clean(signal.P);
    Clean(signal.Rg);
    filters = std::move(readFilters);
    CreateDate = info.CreateDate;
    fileName = path;
    modified = false;
    return report;
}

void TProjectDocument::ProjectResult(std::uint8_t kind, double value) {
    if (!Finite(value))
        return;
    switch (kind) {
    case 0:
        Qtc = value;
        break;
    case 1:
        Fc = value;
        box.RearVent.Fb = value;
        break;
    case 2:
        box.Fsm = value;
        break;
    default:
        break;
    }
}
