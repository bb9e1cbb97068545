#pragma once

// One loudspeaker driver as the whole program handles it: its catalogue data and parameters,
// the settings of the project it is used in, and the acoustic equivalent circuit derived from
// both, which the box models evaluate per frequency point.

#include "model/HV_Math.h"
#include "simulation/boxmath_util.h"

#include <array>
#include <compare>
#include <cstdint>
#include <string>

// A calendar date; all zero means "no date".
struct TDate {
    std::int32_t Year = 0;
    std::int32_t Month = 0; // 1..12
    std::int32_t Day = 0;   // 1..31

    // Today's date in local time.
    static TDate Today();

    // The date as the number yyyymmdd, and back. ToYmd is meant for a calendar date (on a
    // wild year its arithmetic would overflow); FromYmd gives the empty date for a number that
    // is not a calendar date.
    std::int32_t ToYmd() const { return Year * 10000 + Month * 100 + Day; }
    static TDate FromYmd(std::int32_t ymd);

    // A day of the years 1..9999 that exists (29 February only in leap years).
    bool IsCalendarDate() const;
    bool IsEmpty() const { return Year == 0 && Month == 0 && Day == 0; }

    friend auto operator<=>(const TDate&, const TDate&) = default;
};

// Fixed letter index of every driver parameter into ParState. The editors bind their fields by it
// and the derivation addresses parameters by it; the numbers are part of the stored state string.
namespace DriverPar {
enum : int {
    Znom = 0,
    Fs = 1,
    Pe = 2,
    SPL = 3,
    Re = 4,
    Le = 5,
    fLe = 6,
    KLe = 7,
    BL = 8,
    Xmax = 9,
    Xlim = 10,
    Cms = 11,
    Qms = 12,
    Qes = 13,
    Qts = 14,
    Rms = 15,
    Mms = 16,
    Sd = 17,
    Vd = 18,
    Vas = 19,
    Dia = 20,
    Dd = 21,
    no = 22,
    numVC = 23,
    Hc = 24,
    Hg = 25,
    SPLmax = 26,
    SPLmaxLF = 27,
    USPL = 28,
    alfaVC = 29,
    Rt = 30,
    Ct = 31,
    gamma = 32,
    EBP = 33,
    Rme = 34,
    Mpow = 35,
    Mcost = 36,
    Gloss = 37,
    Thick = 38,
    Depth = 39,
    MagDepth = 40,
    Magnet = 41,
    Basket = 42,
    Outer = 43,
    Vcd = 44,
    DVol = 45,
};
} // namespace DriverPar

// Number of parameters with a letter, and the length of ParState (three trailing positions
// belong to no parameter).
inline constexpr int DriverParameterCount = 46;
inline constexpr int ParStateLength = 49;

// The consistency relations are numbered 1..22.
inline constexpr int DriverErrorCount = 22;

// State letters of ParState.
inline constexpr char ParNotDetermined = 'N';
inline constexpr char ParEntered = 'E';
inline constexpr char ParCalculated = 'C';

// The letters of an empty driver: nothing determined, except that the number of voice coils
// counts as entered and the last two positions, which belong to no parameter, as calculated.
constexpr std::array<char, ParStateLength> EmptyParState() {
    std::array<char, ParStateLength> letters{};
    for (char& letter : letters) {
        letter = ParNotDetermined;
    }
    letters[DriverPar::numVC] = ParEntered;
    letters[47] = ParCalculated;
    letters[48] = ParCalculated;
    return letters;
}

// A driver's catalogue data and parameters, all in SI units. A parameter that is 0 is unknown.
// The comment after each parameter is its letter index.
struct TDriverData {
    std::string Manufacturer;
    std::string Brand;
    std::string Model;
    std::string ProvidedBy;
    std::string Comment; // may hold line breaks
    TDate DateAdded;
    TDate DateModified;

    double Znom = 0;        //  0 nominal impedance, ohm
    double Fs = 0;          //  1 resonance frequency, Hz
    double Pe = 0;          //  2 rated electrical power, W
    double SPL = 0;         //  3 sensitivity at 1 W, dB
    double Re = 0;          //  4 voice-coil DC resistance, ohm
    double Le = 0;          //  5 voice-coil inductance, H
    double fLe = 0;         //  6 frequency at which Le was measured, Hz
    double KLe = 0;         //  7 inductance constant Le·sqrt(2π·fLe), H·sqrt(Hz)
    double BL = 0;          //  8 force factor, T·m
    double Xmax = 0;        //  9 linear peak excursion, m
    double Xlim = 0;        // 10 mechanical excursion limit, m (edited, never stored in files)
    double Cms = 0;         // 11 suspension compliance, m/N
    double Qms = 0;         // 12 mechanical Q
    double Qes = 0;         // 13 electrical Q
    double Qts = 0;         // 14 total Q
    double Rms = 0;         // 15 mechanical resistance, N·s/m
    double Mms = 0;         // 16 moving mass, kg
    double Sd = 0;          // 17 effective cone area, m²
    double Vd = 0;          // 18 displacement volume Sd·Xmax, m³
    double Vas = 0;         // 19 equivalent compliance volume, m³
    double Dia = 0;         // 20 nominal diameter, m
    double Dd = 0;          // 21 effective cone diameter, m
    double no = 0;          // 22 reference efficiency as a ratio
    std::int32_t numVC = 1; // 23 number of voice coils
    double Hc = 0;          // 24 voice-coil winding height, m
    double Hg = 0;          // 25 magnetic gap height, m
    double SPLmax = 0;      // 26 maximum level at rated power, dB
    double SPLmaxLF = 0;    // 27 displacement-limited maximum level, dB
    double USPL = 0;        // 28 sensitivity at 2.83 V, dB
    double alfaVC = 0;      // 29 temperature coefficient of the coil resistance, 1/K
    double Rt = 0;          // 30 thermal resistance, K/W
    double Ct = 0;          // 31 thermal capacity, J/K
    double gamma = 0;       // 32 BL/Mms, N/(A·kg)
    double EBP = 0;         // 33 efficiency bandwidth product Fs/Qes, Hz
    double Rme = 0;         // 34 electrically induced damping BL²/Re, N·s/m
    double Mpow = 0;        // 35 motor strength BL/sqrt(Re), N/sqrt(W)
    double Mcost = 0;       // 36 motor figure Rme·(Xmax + m)/m, m = min(Hc, Hg), N·s/m
    double Gloss = 0;       // 37 gravity sag relative to Xmax
    double c = 0;           //    speed of sound stored with the driver, m/s
    double roo = 0;         //    air density stored with the driver, kg/m³
    double Thick = 0;       // 38 dimension of the dimensions page, m
    double Depth = 0;       // 39 overall depth, m
    double MagDepth = 0;    // 40 depth of the magnet, m
    double Magnet = 0;      // 41 magnet diameter, m
    double Basket = 0;      // 42 dimension of the dimensions page, m
    double Outer = 0;       // 43 dimension of the dimensions page, m
    double Vcd = 0;         // 44 voice-coil diameter, m
    double DVol = 0;        // 45 volume the driver displaces inside the box, m³
    std::int32_t VCCon = 1; //    voice-coil connection: 1 parallel, 2 series

    // One letter per parameter, indexed by DriverPar: 'N' not determined, 'E' entered,
    // 'C' calculated. Always exactly ParStateLength letters.
    std::array<char, ParStateLength> ParState = EmptyParState();

    // Relative errors of the consistency relations: Errors[k] belongs to relation k = 1..22;
    // Errors[0] belongs to none and stays 0.
    std::array<double, DriverErrorCount + 1> Errors{};
};

class TDriverObject {
public:
    // Set by PrepareModel: the electro-mechanical coupling is known (impedance can be shown),
    // the cone area is known so a mass can be added, and the equivalent circuit is usable.
    bool CouplingKnown = false;
    bool MassAdded = false;
    bool ModelReady = false;

    TDriverData Data;

    // Settings of the project the driver is used in; copied by Assign, reset by Clear.
    double Rs = 0;               // series resistance of source and wiring, ohm
    double AddedMass = 0;        // mass added to each cone, kg
    double dTVC = 0;             // temperature rise of the voice coil, K
    std::int32_t NumDrivers = 1; // number of drivers (of pairs when isobaric)
    bool Isobaric = false;       // drivers mounted as isobaric pairs
    double c = 0;                // speed of sound used by the model, m/s
    double rho = 0;              // air density used by the model, kg/m³

    // The equivalent circuit, acoustic impedance analogue, rebuilt by PrepareModel.
    double Rae = 0;            // electrical damping as an acoustic resistance
    double Ras = 0;            // mechanical losses as an acoustic resistance
    double Cas = 0;            // acoustic compliance of the suspension
    double Mas = 0;            // acoustic moving mass, added mass included
    double Cae = 0;            // acoustic image of the voice-coil inductance, 0 when unknown
    double CouplingFactor = 0; // carries an acoustic admittance into the electrical impedance
    double MasCopy = 0;
    double DriveFactor = 0;     // source pressure per sqrt(W)
    double SplFactor = 0;       // DriveFactor scaled for sound pressure level
    double MasOverRae = 0;      // transfer scale
    double DriveOverRae = 0;    // volume-velocity scale
    double SplOverRae = 0;      // pressure scale
    TTransferFunction DriverTF; // acoustic series impedance of the driver, electrical side included
    TTransferFunction CoilTF;   // the electrical side seen from the acoustic circuit

    // The drivers as mounted: several drivers, isobaric pairs, source resistance, voice-coil
    // heating and added mass included.
    double VasTotal = 0;
    double QtsTotal = 0;
    double QmsTotal = 0;
    double QesTotal = 0;
    double FsTotal = 0;
    double SdTotal = 0;

    // An empty driver with the air of the current settings.
    TDriverObject();

    // Resets to an empty driver: every value 0, one driver, one voice coil in parallel, every
    // letter 'N' except that of numVC, dates today, air density and speed of sound from the
    // program's settings.
    void Clear();

    // Copies the data and the project block of source and rebuilds the model from them.
    void Assign(const TDriverObject& source);

    // Switches the voice coils between 1 parallel and 2 series, converting BL and Re.
    void SetVCConnection(std::int32_t mode);

    // Fills the missing parameters from the known ones.
    void CalcParameters();

    // Computes the relative errors of the consistency relations into Data.Errors; true when
    // every relation holds.
    bool CheckConsistency();

    // Rebuilds the derived model from Data and the project block. Leaves ModelReady false when
    // the parameters do not give a usable circuit.
    void PrepareModel();

    // Response of the driver for the acoustic load the enclosure presents at frequency f in Hz,
    // scaled by gain.
    TComplex LoadedResponse(TComplex load, double f, double gain) const;

    // Electrical input impedance in ohm with the acoustic load at frequency f in Hz.
    TComplex InputImpedance(TComplex load, double f) const;

    // Cone excursion in m for the acoustic load at frequency f in Hz and the input power P in W.
    TComplex Excursion(TComplex load, double f, double P) const;

private:
    // Every member at its initial value, without reading the settings.
    struct EmptyTag {};
    explicit TDriverObject(EmptyTag) {}
};
