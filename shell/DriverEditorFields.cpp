#include "shell/DriverEditorFields.h"

#include "model/BV_Utils.h"
#include "model/Derivation.h"
#include "model/Units.h"
#include "platform/FileNames.h"

#include <algorithm>

namespace {

using P = TDriverEditorPage;
using R = TEntryRule;
using D = TDriverData;
namespace L = DriverPar;

constexpr R Param = R::NotNegative;

} // namespace

// clang-format off
const std::array<TDriverFieldBinding, 47> DriverEditorFields = {{
    {"edQts",      nullptr,       "Qts",         "Total Q at Fs",                     L::Qts,      &D::Qts,      qkNone,                   P::Parameters, true,  Param},
    {"edQms",      nullptr,       "Qms",         "Mechanical Q at Fs",                L::Qms,      &D::Qms,      qkNone,                   P::Parameters, true,  Param},
    {"edQes",      nullptr,       "Qes",         "Electrical Q at Fs",                L::Qes,      &D::Qes,      qkNone,                   P::Parameters, true,  Param},
    {"edFs",       "lblFs",       "Fs",          "Free-air resonance",                L::Fs,       &D::Fs,       qkFrequency,              P::Parameters, true,  Param},
    {"edVas",      "lblVas",      "Vas",         "Equivalent compliance volume",      L::Vas,      &D::Vas,      qkVolume,                 P::Parameters, true,  Param},
    {"edRe",       "lblRe",       "Re",          "Voice-coil DC resistance",          L::Re,       &D::Re,       qkResistance,             P::Parameters, true,  Param},
    {"edLe",       "lblLe",       "Le",          "Voice-coil inductance",             L::Le,       &D::Le,       qkInductance,             P::Parameters, true,  Param},
    {"edfLe",      "lblfLe",      "fLe",         "Frequency at which Le was measured", L::fLe,     &D::fLe,      qkFrequency,              P::Parameters, true,  Param},
    {"edKLe",      "lblKLe",      "KLe",         "Inductance constant",               L::KLe,      &D::KLe,      qkInductanceConstant,     P::Parameters, true,  Param},
    {"edPe",       "lblPe",       "Pe",          "Rated electrical power",            L::Pe,       &D::Pe,       qkPower,                  P::Parameters, true,  Param},
    {"eddia",      "lblDia",      "Dia",         "Nominal diameter",                  L::Dia,      &D::Dia,      qkLength,                 P::Advanced,   false, Param},
    {"edBL",       "lblBl",       "BL",          "Force factor",                      L::BL,       &D::BL,       qkForceFactor,            P::Parameters, true,  Param},
    {"edSPL",      "lblSPL",      "SPL",         "Sensitivity at 1 W",                L::SPL,      &D::SPL,      qkLevel,                  P::Parameters, true,  Param},
    {"edXmax",     "lblXmax",     "Xmax peak",   "Linear excursion, peak",            L::Xmax,     &D::Xmax,     qkLength,                 P::Parameters, true,  Param},
    {"edSd",       "lblSd",       "Sd",          "Cone area",                         L::Sd,       &D::Sd,       qkArea,                   P::Parameters, true,  Param},
    {"edZ",        "lblZ",        "Z",           "Nominal impedance",                 L::Znom,     &D::Znom,     qkResistance,             P::Parameters, true,  Param},
    {"edno",       "lblNo",       "no",          "Reference efficiency",              L::no,       &D::no,       qkRatio,                  P::Parameters, true,  Param},
    {"edEBP",      "lblEBP",      "EBP",         "Efficiency bandwidth product",      L::EBP,      &D::EBP,      qkFrequency,              P::Advanced,   true,  Param},
    {"edRms",      "lblRms",      "Rms",         "Mechanical resistance",             L::Rms,      &D::Rms,      qkMechanicalResistance,   P::Parameters, true,  Param},
    {"edCms",      "lblCms",      "Cms",         "Suspension compliance",             L::Cms,      &D::Cms,      qkCompliance,             P::Parameters, true,  Param},
    {"edMms",      "lblMms",      "Mms",         "Moving mass",                       L::Mms,      &D::Mms,      qkMass,                   P::Parameters, true,  Param},
    {"edDd",       "lblDd",       "Dd",          "Driver cone diameter",              L::Dd,       &D::Dd,       qkLength,                 P::Parameters, true,  Param},
    {"edVd",       "lblVd",       "Vd",          "Displacement volume",               L::Vd,       &D::Vd,       qkVolume,                 P::Parameters, true,  Param},
    {"edXlim",     "lblXlim",     "Xlim",        "Mechanical excursion limit",        L::Xlim,     &D::Xlim,     qkLength,                 P::Parameters, true,  Param},
    {"edSPLmax",   "lblSPLmax",   "SPLmax",      "Maximum level at rated power",      L::SPLmax,   &D::SPLmax,   qkLevel,                  P::Advanced,   true,  Param},
    {"edSPLmaxLF", "lblSPLmaxLF", "SPLmaxLF",    "Displacement-limited maximum level", L::SPLmaxLF, &D::SPLmaxLF, qkLevel,                 P::Advanced,   true,  Param},
    {"edHc",       "lblHc",       "Hc",          "Voice-coil winding height",         L::Hc,       &D::Hc,       qkLength,                 P::Parameters, true,  Param},
    {"edHg",       "lblHg",       "Hg",          "Magnetic gap height",               L::Hg,       &D::Hg,       qkLength,                 P::Parameters, true,  Param},
    {"edUSPL",     "lblUSPL",     "USPL",        "Sensitivity at 2.83 V",             L::USPL,     &D::USPL,     qkLevel,                  P::Parameters, true,  Param},
    {"edAlfaVC",   "lblAlfaVC",   "alfaVC",      "Temperature coefficient of the coil resistance", L::alfaVC, &D::alfaVC, qkTemperatureCoefficient, P::Advanced, true, Param},
    {"edGamma",    "lblGamma",    "Gamma",       "BL / Mms",                          L::gamma,    &D::gamma,    qkForceFactorPerMass,     P::Advanced,   true,  Param},
    {"edRme",      "lblRme",      "Rme",         "Electrical damping BL\u00b2/Re",    L::Rme,      &D::Rme,      qkMechanicalResistance,   P::Advanced,   true,  Param},
    {"edMpow",     "lblMpow",     "Mpow",        "Motor strength BL/\u221aRe",        L::Mpow,     &D::Mpow,     qkMotorStrength,          P::Advanced,   true,  Param},
    {"edMcost",    "lblMcost",    "Mcost",       "Motor figure",                      L::Mcost,    &D::Mcost,    qkMechanicalResistance,   P::Advanced,   true,  Param},
    {"edGloss",    "lblGloss",    "Gloss",       "Gravity sag relative to Xmax",      L::Gloss,    &D::Gloss,    qkRatio,                  P::Advanced,   true,  Param},
    {"edRt",       "lblRt",       "R(t)",        "Thermal resistance",                L::Rt,       &D::Rt,       qkThermalResistance,      P::Advanced,   true,  Param},
    {"edCt",       "lblCt",       "C(t)",        "Thermal capacity",                  L::Ct,       &D::Ct,       qkThermalCapacity,        P::Advanced,   true,  Param},
    {"edC",        "lblC",        "c",           "Speed of sound",                    -1,          &D::c,        qkVelocity,               P::Advanced,   true,  R::Positive},
    {"edRoo",      "lblRoo",      "roo",         "Air density",                       -1,          &D::roo,      qkDensity,                P::Advanced,   true,  R::Positive},
    {"edThick",    "lblThick",    "Thickness",   nullptr,                             L::Thick,    &D::Thick,    qkLength,                 P::Dimensions, true,  Param},
    {"edDepth",    "lblDepth",    "Depth",       "Overall depth",                     L::Depth,    &D::Depth,    qkLength,                 P::Dimensions, true,  Param},
    {"edMagDepth", "lblMagDepth", "Magnet depth", nullptr,                            L::MagDepth, &D::MagDepth, qkLength,                 P::Dimensions, true,  Param},
    {"edMagnet",   "lblMagnet",   "Magnet diameter", nullptr,                         L::Magnet,   &D::Magnet,   qkLength,                 P::Dimensions, true,  Param},
    {"edBasket",   "lblBasket",   "Basket",      nullptr,                             L::Basket,   &D::Basket,   qkLength,                 P::Dimensions, true,  Param},
    {"edOuter",    "lblOuter",    "Outer diameter", nullptr,                          L::Outer,    &D::Outer,    qkLength,                 P::Dimensions, true,  Param},
    {"edVcd",      "lblVcd",      "Voice-coil diameter", nullptr,                     L::Vcd,      &D::Vcd,      qkLength,                 P::Dimensions, true,  Param},
    {"edDVol",     "lblDVol",     "Driver volume", "Volume the driver displaces inside the box", L::DVol, &D::DVol, qkVolume,             P::Dimensions, true,  Param},
}};
// clang-format on

const TDriverFieldBinding* FindDriverField(std::string_view edit) {
    for (const TDriverFieldBinding& field : DriverEditorFields)
        if (edit == field.edit)
            return &field;
    return nullptr;
}

bool EntryAllowed(TEntryRule rule, double siValue) {
    switch (rule) {
    case TEntryRule::NotNegative:
        return siValue >= 0;
    case TEntryRule::Positive:
        return siValue > 0;
    }
    return false;
}

std::string DefaultDriverFileName(std::string_view brand, std::string_view model) {
    std::string name(brand);
    name += ' ';
    name += model;
    constexpr std::string_view extension = ".bvd";
    constexpr std::size_t room = 255 - extension.size();
    if (name.size() > room) {
        std::size_t end = 0;
        for (std::size_t step; end < name.size(); end += step) {
            step = std::max<std::size_t>(1, platform::Utf8SequenceLength(name, end));
            if (end + step > room)
                break;
        }
        name.resize(end);
    }
    name += extension;
    return SanitizeFileName(name);
}

std::vector<std::string> FailingRelationLabels(const TDriverData& data) {
    std::vector<std::string> labels;
    for (int k = 1; k <= ConsistencyRelationCount; ++k)
        if (ConsistencyErrorFails(data.Errors[static_cast<std::size_t>(k)]))
            labels.emplace_back(ConsistencyRelationName(k));
    return labels;
}
