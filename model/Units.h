#pragma once
// Physical quantities, their display units and the text form of numbers.
//
// Every value is held in SI units; only the user interface shows it in a unit chosen per
// field. A display unit is one row of its quantity kind's table; the unit last chosen for a
// field is remembered in "UNITINDEX.DAT" under the field's component name (TUnitStore).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The quantity kind a numeric field names in its tag. Values outside 1..25 (0 in
// particular) mean "no kind": one unnamed unit with factor 1 and three decimals.
enum QuantityKind : int {
    qkNone = 0,
    qkLength = 1,
    qkVolume = 2,
    qkArea = 3,
    qkFrequency = 4,
    qkResistance = 5,
    qkInductance = 6,
    qkLevel = 7,
    qkPower = 8,
    qkVelocity = 9,
    qkTemperature = 10,
    qkPressure = 11,
    qkMass = 12,
    qkMechanicalResistance = 13,
    qkCompliance = 14,
    qkRatio = 15,
    qkTemperatureCoefficient = 16,
    qkForceFactor = 17,
    qkThermalResistance = 18,
    qkThermalCapacity = 19,
    qkForceFactorPerMass = 20,
    qkMotorStrength = 21,
    qkInductanceConstant = 22,
    qkDensity = 23,
    qkTemperatureDifference = 24,
    qkAngle = 25,
};

inline constexpr int QuantityKindCount = 25;

// One display unit: display value = (SI value + Offset) * Factor.
struct TUnitInfo {
    std::string_view Name; // UTF-8, at most 12 characters
    double Factor = 1;
    uint8_t Decimals = 3;
    double Offset = 0;
};

// Number of unit rows of a kind; 1 (the default row) for a kind outside 1..25.
int UnitCount(int kind);

// A copy of row `index` of `kind`. An index outside the kind's rows gives row 0, so a
// stale index in the unit file shows the value in the kind's base unit.
TUnitInfo GetUnitInfo(int kind, int index);

double Val2Display(int kind, int index, double siValue);
double Display2Val(int kind, int index, double displayValue);

// The outcome of reading a typed value. `Value` is what the text means in SI units; when
// the text is not a number `Converted` is false and `Value` holds what a display value of
// 0 means in that unit (273.15 K for a failed entry in degrees Celsius). The caller
// decides whether to tell the user "Can't convert floating point number".
struct TStr2ValResult {
    double Value = 0;
    bool Converted = true;
    explicit operator bool() const { return Converted; }
};

// What a window tells the user when Str2Val could not read a typed value.
inline constexpr const char* CantConvertMessage = "Can't convert floating point number";

// Reads display text in the given unit: "." and "," both count as the decimal separator;
// an empty text is 0 and counts as converted.
TStr2ValResult Str2Val(std::string_view text, int kind, int index);

// The SI value as display text of the given unit: fixed notation with the row's decimals,
// at most 9 significant digits, the locale's decimal separator; scientific notation when
// the integer part needs more than 9 digits. A value whose display overflows shows as the
// largest finite number, which reads back.
std::string Val2Str(int kind, int index, double siValue);

// The number codec of the document files.
// Reading accepts "." and "," as decimal separator; an empty or unreadable text gives 0.
double Str2Float(std::string_view text);
// Like Str2Float, but tells whether the text was a number (an empty text is not).
bool TryStr2Float(std::string_view text, double& value);
// Shortest general form that reads back as the same double (up to 15 significant digits
// for a value typed with that many, up to 17 for a computed one), "." as decimal separator;
// exponent form below 0.00001 and from 1E15 on.
std::string Float2Str(double value);
// The same with the given decimal separator ("." or ",").
std::string Float2Str(double value, char decimalSeparator);

// The decimal separator of the user's LC_NUMERIC ("," or "."; any other separator of a
// locale counts as "." so that every reader can read what is written). Read once.
char DecimalSeparator();
// Replaces the separator for the whole process ("." or ","; anything else restores the
// user's locale). Meant for tests and for a user setting.
void SetDecimalSeparator(char separator);

// Amplitude scales of excursion and velocity plots: rms, peak, peak-to-peak.
struct TAmplitudeKind {
    std::string_view Name;
    double Factor;
};
inline constexpr TAmplitudeKind AmplitudeKinds[3] = {
    {"rms", 1.0}, {"peak", 1.41421356237}, {"p-p", 2.82842712474}};
// Factor of amplitude scale `index` (0..2); 1 for any other index.
double AmplitudeFactor(int index);

// The per-field unit choices of "UNITINDEX.DAT": fixed 260-byte records of a name length
// byte, 255 name bytes and a 32-bit little-endian unit index. The records are kept in
// memory, shared by the whole process, so a unit chosen in one window applies at once to
// every field of the same name; the file is read again only when it changed on disk, and
// every change is written through.
class TUnitStore {
public:
    static constexpr std::size_t RecordSize = 260;
    static constexpr std::size_t MaxNameLength = 255;

    static TUnitStore& Instance();

    // Where the unit file lives. Until a path is set, "UNITINDEX.DAT" of the writable
    // documents folder is used (the folder is created when the first choice is stored).
    void SetPath(const std::filesystem::path& path);
    std::filesystem::path Path();

    // The stored index of a name; an unknown name is stored with index 0 and gives 0.
    int32_t Lookup(std::string_view name);
    // Stores the index of a name. Returns false when the file could not be written (the
    // choice still holds for this run).
    bool Store(std::string_view name, int32_t index);

    // Told, once per run, when the unit file first cannot be written: the text says which file
    // and why. A failure before any handler is set is told when one is set.
    using FailureHandler = std::function<void(const std::string& message)>;
    void SetWriteFailureHandler(FailureHandler handler);

private:
    struct Record {
        std::string Name;
        int32_t Index;
    };
    struct FileStamp {
        bool Exists = false;
        int64_t Size = 0;
        int64_t ModifiedNs = 0;
        uint64_t Inode = 0;
        bool operator==(const FileStamp&) const = default;
    };

    TUnitStore() = default;
    // The record of a name cut to MaxNameLength, added with index 0 when the name is new.
    Record& RecordLocked(std::string_view name, bool& added);
    void RefreshLocked();
    void LoadLocked();
    bool SaveLocked();
    const std::filesystem::path& PathLocked();
    FileStamp StampOf(const std::filesystem::path& path) const;

    std::mutex m_Lock;
    std::filesystem::path m_Path;
    bool m_PathSet = false;
    bool m_CreateFolder = false;
    bool m_Loaded = false;
    bool m_Unreadable = false;
    // Why the first failed write failed, until the handler has been told.
    std::string m_Failure;
    bool m_FailureTold = false;
    FailureHandler m_FailureHandler;
    // The handler to tell and what, when a failure waits to be told; the caller tells it once the
    // lock is released.
    void TakeFailureLocked(FailureHandler& tell, std::string& message);
    FileStamp m_Stamp;
    std::vector<Record> m_Records;
    std::unordered_map<std::string, std::size_t> m_ByName;
};
