#pragma once
// One project as plain data: the records a project window holds, the first box of each box type,
// the vent update, the change rules of the window's fields and gestures, and the composition of
// the saved file. The window (ProjectForm) only wires widgets to this.

#include "model/Driver.h"
#include "model/SaveToFile_Utils.h"
#include "simulation/ProjectRecords.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

// The box types and their names as the window shows them.
enum TProjectBoxType : std::int32_t {
    pbClosed = 0,
    pbVented = 1,
    pbBandpass4 = 2,
    pbBandpass6 = 3,
    pbPassiveRadiator = 4,
};
inline constexpr int kProjectBoxTypeCount = 5;
// The curve colour of a new project of the type (0x00BBGGRR).
std::int32_t NewProjectColor(std::int32_t boxType);

// The preset vent diameters of the size lists, m.
inline constexpr std::array<double, 5> kVentPresetDiameters = {0.047, 0.068, 0.082, 0.102, 0.14};
// The preset selected in a new project's size lists.
inline constexpr int kVentPresetDefault = 3;
inline constexpr int kMaxVentCount = 8;
inline constexpr int kMaxDriverCount = 10;

// The end-correction item that matches a factor exactly, or -1.
int EndCorrectionItem(double factor);

// The fields whose edits the change rules judge. Each names the window's control.
enum class TProjectField {
    ReVolume,
    FeVolume,
    ReTune,
    FeTune,
    RVentLen,
    FVentLen,
    RVents,
    RDia,
    RDia2,
    FVents,
    FDia,
    FDia2,
    REndCorrection,
    FEndCorrection,
    Temperature,
    Humidity,
    AirPressure,
    Power,
    Rg,
    Distance,
    Angle,
    DeltaMass,
    dTVC,
    AlfaVC,
    PRVas,
    PRQms,
    PRFs,
    PRSd,
    PRXmax,
    PRDeltaMass,
    NumOfPR,
    Drivers,
    LineWidth,
};

// What a change did.
enum class TChangeResult {
    Refused, // the value is not accepted; the record kept its value, the field shows it again
    Stored,  // stored; nothing to recalculate (a chamber without volume or tuning)
    Recalc,  // stored; the project is to be recalculated (UpdateNow)
    Replot,  // stored; only the picture changes (PlotNow)
    Ignored, // the field does not apply to this box type or vent; nothing stored
};

// The temperature and humidity a project accepts: outside these the entry is refused with
// these messages.
inline constexpr double kMinTemperature = 174;
inline constexpr double kMaxTemperature = 373;
inline constexpr const char* kTemperatureMessage =
    "Temperature must have a value between 174 and 373 kelvins!";
inline constexpr const char* kHumidityMessage = "Relative humidity must have a value between 0 and 100!";

// Which of a project's chamber values the box-picture gestures may change; shared by every
// project window. Volume and tuning of a chamber are never locked together.
struct TDragLocks {
    bool rearVolume = true;
    bool rearTuning = true;
    bool frontVolume = true;
    bool frontTuning = true;
    bool addedMass = true;

    enum class Label { RearVolume, RearTuning, FrontVolume, FrontTuning };
    // A click on a chamber label: toggles its own flag when the partner is enabled, else enables
    // the partner. Front labels do nothing for closed and radiator boxes, rear labels nothing
    // for the fourth-order bandpass. Returns whether anything changed.
    bool Click(Label label, std::int32_t boxType);
};
TDragLocks& ProjectDragLocks();

// Mouse buttons of a box-picture drag.
enum class TDragButton { Left, Right };

// The records of one project window, with the rules that change them.
struct TProjectDocument {
    bool modified = false;
    double c = 0;   // speed of sound from the environment, m/s
    double rho = 0; // air density from the environment, kg/m^3
    TDriverObject driver;
    TBoxData box;
    std::int32_t Color = 0xFFFFFF; // 0x00BBGGRR
    std::int32_t Width = 1;        // 1..4
    TFilterList filters;
    TSignalSource signal;
    bool loading = false;
    TDate CreateDate;
    double Qtc = 0;
    double Fc = 0;
    int slot = 0;

    // The project's description, creator and dates (CreateDate above is the one the window
    // shows and saves).
    TProjectInfo info;
    // The file the project was read from or last saved to; empty for a new project.
    std::filesystem::path fileName;
    // Whether the air could be computed (else both panels show "N/A").
    bool airValid = true;

    // Air from the settings, everything else zero, as a created window starts.
    TProjectDocument();

    // Completes the records of a project started by the wizard (mode 1) or read from a file
    // (mode 0): vents, colour, default box of the 6th-order bandpass and radiator types,
    // dates, creator. A new project counts as changed.
    void Start(int mode, const std::string& userName);

    // rho and c from T, p and phi.
    void UpdateAir();
    // Completes the used vents for the chambers: the missing length or tuning, the areas, the
    // first resonances, and copies the tunings into Fr and Ff.
    void VentUpdate();

    // The change rule of a field, for an edit the user committed (typed, stepped, chosen,
    // dragged). value is SI (counts and list items as whole numbers). Every result but
    // Refused and Ignored marks the project changed.
    TChangeResult ApplyChange(TProjectField field, double value);
    // The value a field shows, SI.
    double FieldValue(TProjectField field) const;

    // One box-picture drag step by (dx, dy) pixels with the button held, under the locks.
    // Moving left enlarges a chamber, moving up raises a tuning (and lightens the radiator's
    // added mass). Returns whether anything changed.
    bool DragStep(TDragButton button, int dx, int dy, const TDragLocks& locks);

    // Turns a vent round <-> rectangular; a rectangular vent takes the width as height. The
    // rear vent keeps its tuning (new length), the front vent its length (new tuning).
    void ToggleVentShape(bool rear);

    // The vent-size preset of a new project, for both vents.
    void SetDefaultVentSizes();

    // The project's sections as a file; the creator stays the original author, the modify
    // date becomes today. On failure the project stays changed.
    platform::IniResult Save(const std::filesystem::path& path, const std::string& userName);
    // Reads a project file into the records; the records stay as they were when it fails.
    TReadReport Load(const std::filesystem::path& path);

    // The report of a box model's set-up (Qtc, Fc or the radiator resonance).
    void ProjectResult(std::uint8_t kind, double value);

    TProjectParts Parts();
};

// Pixels a box-picture drag must move for one step of x1.1 (chambers) or x1.05 (tunings).
inline constexpr double kDragPixelsPerStep = 4;

// Rounds a window position to the grid (ties to even), as windows do while the grid is on.
int SnapToGrid(int position, int step);
// The same for a window `length` long that lies within [low, high): rounded down instead where
// the nearest multiple would carry it past `high`.
int SnapToGrid(int position, int length, int step, int low, int high);
