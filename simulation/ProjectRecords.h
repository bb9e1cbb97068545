#pragma once

// The plain records that describe one project: the box with its two vents and the passive
// radiator, and the signal source. A project window holds one of each, the box models read the
// box record whole, the plot engine keeps its own copy and the project file stores the fields.
// All values are SI. Every field starts at zero so that a fresh record is a defined empty box.

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

struct TVentData {
    std::int32_t Num = 0;      // number of vents (1..8 in the project window)
    std::int32_t Shape = 0;    // 1 round, 2 rectangular
    double Fb = 0;             // tuning, Hz
    double Vb = 0;             // volume of the chamber the vent belongs to, m^3
    double dia1 = 0;           // diameter, or width of a rectangular vent, m
    double dia2 = 0;           // height of a rectangular vent, m
    double carea = 0;          // area of one vent, m^2
    double len = 0;            // length of each vent, m
    double endcorrection = 0;  // end-correction factor
    double firstResonance = 0; // first pipe resonance c / (2 len), Hz
    bool crosscalc = false;    // the length may be typed and the tuning follows from it
};

struct TPassiveRadiatorData {
    double Vas = 0; // m^3
    double Qms = 0;
    double Fs = 0;   // Hz
    double Sd = 0;   // m^2
    double Xmax = 0; // m
    double Me = 0;   // mass added to each radiator, kg
};

struct TBoxData {
    std::int32_t BType =
        0; // TBoxType: 0 closed, 1 vented, 2 4th-order bandpass, 3 6th-order, 4 passive radiator

    // front chamber: volume (m^3), tuning (Hz), leakage, absorption and vent loss factors
    double Vf = 0, Ff = 0, Qlf = 0, Qaf = 0, Qpf = 0;
    // rear chamber, the same
    double Vr = 0, Fr = 0, Qlr = 0, Qar = 0, Qpr = 0;
    // a third chamber, kept and stored but never edited
    double Vc = 0, Fc = 0, Qlc = 0, Qac = 0, Qpc = 0;
    // leakage between chambers; only front-rear is edited
    double Qiclfr = 0, Qiclfc = 0, Qiclcr = 0;

    double T = 0;   // air temperature, K
    double p = 0;   // static pressure, Pa
    double phi = 0; // relative humidity, fraction 0..1

    double d = 0;     // listening distance, m
    double Angle = 0; // off-axis angle, rad

    double Med = 0;        // mass added to each driver's cone, kg
    std::int32_t Nd = 0;   // number of drivers (of pairs when isobaric)
    bool Isobarik = false; // isobaric (compound) mounting

    double alfaVC = 0; // temperature coefficient of the voice-coil resistance, 1/K
    double dTVC = 0;   // temperature rise of the voice coil, K

    double Sdfport = 0; // total front vent area (count x area of one vent), m^2
    double Sdrport = 0; // total rear vent area, m^2

    TVentData RearVent;
    TVentData FrontVent;

    std::int32_t Npr = 0; // number of passive radiators
    TPassiveRadiatorData PassiveRadiator;

    double Fsm = 0; // passive-radiator resonance with its added mass, reported by the model, Hz
};

// A loss factor of the box record by its key in the project file.
struct TLossFactorKey {
    std::string_view Key;
    double TBoxData::*Factor;
};

// The loss factors the model of a box type divides by, in file order; none for a type outside
// 0..4. Each must be finite and above 0 for the box to have a curve.
inline std::span<const TLossFactorKey> BoxLossFactors(std::int32_t boxType) {
    // The sealed chamber has its leak and absorption, a vented one its vent loss as well, and
    // two chambers the leak between them.
    static constexpr TLossFactorKey RearSealed[] = {{"Qlr", &TBoxData::Qlr}, {"Qar", &TBoxData::Qar}};
    static constexpr TLossFactorKey RearVented[] = {
        {"Qlr", &TBoxData::Qlr}, {"Qar", &TBoxData::Qar}, {"Qpr", &TBoxData::Qpr}};
    static constexpr TLossFactorKey Bandpass4[] = {{"Qlf", &TBoxData::Qlf}, {"Qaf", &TBoxData::Qaf},
                                                   {"Qpf", &TBoxData::Qpf}, {"Qlr", &TBoxData::Qlr},
                                                   {"Qar", &TBoxData::Qar}, {"Qiclfr", &TBoxData::Qiclfr}};
    static constexpr TLossFactorKey Bandpass6[] = {{"Qlf", &TBoxData::Qlf},      {"Qaf", &TBoxData::Qaf},
                                                   {"Qpf", &TBoxData::Qpf},      {"Qlr", &TBoxData::Qlr},
                                                   {"Qar", &TBoxData::Qar},      {"Qpr", &TBoxData::Qpr},
                                                   {"Qiclfr", &TBoxData::Qiclfr}};
    switch (boxType) {
    case 0: // closed
    case 4: // passive radiator
        return RearSealed;
    case 1:
        return RearVented;
    case 2:
        return Bandpass4;
    case 3:
        return Bandpass6;
    default:
        return {};
    }
}

struct TSignalSource {
    double f = 0;  // frequency slot, written only by the plot engine's copy, Hz
    double Rg = 0; // series resistance of the source, ohm
    double P = 0;  // input power, W
};

// The plot engine and the file sections copy these records whole; keep them plain values.
static_assert(std::is_trivially_copyable_v<TVentData> && std::is_standard_layout_v<TVentData>);
static_assert(std::is_trivially_copyable_v<TPassiveRadiatorData> &&
              std::is_standard_layout_v<TPassiveRadiatorData>);
static_assert(std::is_trivially_copyable_v<TBoxData> && std::is_standard_layout_v<TBoxData>);
static_assert(std::is_trivially_copyable_v<TSignalSource> && std::is_standard_layout_v<TSignalSource>);
