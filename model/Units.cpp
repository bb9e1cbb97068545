#include "model/Units.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <numbers>
#include <span>
#include <system_error>

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"

namespace {

// Unit rows, row 0 first. The factors are those of the unit tables the stored unit indices
// refer to, rounded ones included: a file holds SI values only, and every rounded factor lies
// well inside the decimals its row shows. The quotients are exact in double precision.
constexpr TUnitInfo LengthUnits[] = {{"m", 1, 3, 0},
                                     {"mm", 1000, 1, 0},
                                     {"cm", 100, 2, 0},
                                     {"in", 1 / 0.0254, 2, 0},
                                     {"ft", 3.2808398950131235, 3, 0},
                                     {"yd", 1 / 0.9144, 3, 0}};
constexpr TUnitInfo VolumeUnits[] = {{"m^3", 1, 4, 0},
                                     {"l", 1000, 2, 0},
                                     {"in^3", 61023.744, 1, 0},
                                     {"ft^3", 35.3147, 3, 0},
                                     {"cm^3", 1000000, 0, 0}};
constexpr TUnitInfo AreaUnits[] = {{"m^2", 1, 4, 0},     {"cm^2", 10000, 1, 0},   {"mm^2", 1000000, 0, 0},
                                   {"in^2", 1550, 2, 0}, {"ft^2", 10.7639, 4, 0}, {"yd^2", 1.19599, 4, 0}};
constexpr TUnitInfo FrequencyUnits[] = {{"Hz", 1, 2, 0}, {"kHz", 0.001, 5, 0}};
constexpr TUnitInfo ResistanceUnits[] = {{"ohm", 1, 3, 0}};
constexpr TUnitInfo InductanceUnits[] = {{"H", 1, 6, 0}, {"mH", 1000, 2, 0}};
constexpr TUnitInfo LevelUnits[] = {{"dB", 1, 2, 0}};
constexpr TUnitInfo PowerUnits[] = {{"W", 1, 1, 0}};
constexpr TUnitInfo VelocityUnits[] = {{"m/s", 1, 2, 0},
                                       {"cm/s", 100, 1, 0},
                                       {"ft/s", 3.2808399, 2, 0},
                                       {"km/h", 3.6, 2, 0},
                                       {"mph", 2.2369363, 2, 0}};
constexpr TUnitInfo TemperatureUnits[] = {
    {"K", 1, 2, 0}, {"\u00B0C", 1, 2, -273.15}, {"\u00B0F", 1.8, 2, -255.37}};
constexpr TUnitInfo PressureUnits[] = {{"Pa", 1, 1, 0},
                                       {"kPa", 0.001, 3, 0},
                                       {"bar", 0.00001, 5, 0},
                                       {"atm", 9.86923267e-6, 6, 0},
                                       {"psi", 0.00014503774, 5, 0}};
constexpr TUnitInfo MassUnits[] = {{"kg", 1, 5, 0}, {"g", 1000, 1, 0}};
constexpr TUnitInfo MechanicalResistanceUnits[] = {{"Ns/m", 1, 5, 0}, {"kg/s", 1, 5, 0}};
constexpr TUnitInfo ComplianceUnits[] = {{"m/N", 1, 7, 0}, {"mm/N", 1000, 4, 0}, {"um/N", 1000000, 1, 0}};
constexpr TUnitInfo RatioUnits[] = {{"%", 100, 4, 0}};
constexpr TUnitInfo TemperatureCoefficientUnits[] = {{"1/K", 1, 7, 0},
                                                     {"1000/K", 1000, 4, 0},
                                                     {"1/\u00B0C", 1, 7, 0},
                                                     {"1000/\u00B0C", 1000, 4, 0},
                                                     {"1/\u00B0F", 1 / 1.8, 7, 0},
                                                     {"1000/\u00B0F", 1000 / 1.8, 4, 0}};
constexpr TUnitInfo ForceFactorUnits[] = {{"Tm", 1, 5, 0}, {"N/A", 1, 5, 0}};
constexpr TUnitInfo ThermalResistanceUnits[] = {{"K/W", 1, 5, 0}};
constexpr TUnitInfo ThermalCapacityUnits[] = {{"J/K", 1, 5, 0}};
constexpr TUnitInfo ForceFactorPerMassUnits[] = {{"N/(A*kg)", 1, 5, 0}};
constexpr TUnitInfo MotorStrengthUnits[] = {{"N/sqrt(W)", 1, 5, 0}};
constexpr TUnitInfo InductanceConstantUnits[] = {{"H*sqrt(Hz)", 1, 6, 0}, {"mH*sqrt(Hz)", 1000, 3, 0}};
constexpr TUnitInfo DensityUnits[] = {{"kg/m^3", 1, 5, 0}};
constexpr TUnitInfo TemperatureDifferenceUnits[] = {
    {"K", 1, 2, 0}, {"\u00B0C", 1, 2, 0}, {"\u00B0F", 1.8, 2, 0}};
constexpr TUnitInfo AngleUnits[] = {
    {"rad", 1, 4, 0}, {"deg", 180 / std::numbers::pi, 3, 0}, {"grad", 200 / std::numbers::pi, 3, 0}};

constexpr TUnitInfo DefaultUnit = {"", 1, 3, 0};

const std::span<const TUnitInfo> UnitTables[QuantityKindCount + 1] = {
    {},
    LengthUnits,
    VolumeUnits,
    AreaUnits,
    FrequencyUnits,
    ResistanceUnits,
    InductanceUnits,
    LevelUnits,
    PowerUnits,
    VelocityUnits,
    TemperatureUnits,
    PressureUnits,
    MassUnits,
    MechanicalResistanceUnits,
    ComplianceUnits,
    RatioUnits,
    TemperatureCoefficientUnits,
    ForceFactorUnits,
    ThermalResistanceUnits,
    ThermalCapacityUnits,
    ForceFactorPerMassUnits,
    MotorStrengthUnits,
    InductanceConstantUnits,
    DensityUnits,
    TemperatureDifferenceUnits,
    AngleUnits,
};

bool KnownKind(int kind) {
    return kind >= 1 && kind <= QuantityKindCount;
}

char LocaleSeparatorOfEnvironment() {
    // Asks the user's LC_NUMERIC without touching the process-wide locale, which stays "C"
    // for every file format.
    char separator = '.';
    locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (numeric != static_cast<locale_t>(nullptr)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
        if (radix != nullptr && std::strcmp(radix, ",") == 0)
            separator = ',';
        freelocale(numeric);
    }
    return separator;
}

std::atomic<char> OverriddenSeparator{0};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Digits and decimal exponent of a finite, nonzero |value|, rounded to `significant` digits,
// or, for `significant` 0, the shortest digits that convert back to the same double.
struct DecimalDigits {
    std::string Digits; // no leading zero
    int Exponent = 0;   // value = D.DDD * 10^Exponent
};

DecimalDigits ToDigits(double value, int significant) {
    char buffer[64];
    const auto result = significant > 0 ? std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                                        std::chars_format::scientific, significant - 1)
                                        : std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                                        std::chars_format::scientific);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    DecimalDigits out;
    std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            out.Digits.push_back(text[i]);
    std::string_view exponent = text.substr(e + 1);
    if (!exponent.empty() && exponent.front() == '+')
        exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), out.Exponent);
    return out;
}

// "1.5E-7", "1E20": the exponent form of the general and fixed formats.
std::string ExponentForm(bool negative, std::string digits, int exponent, char separator) {
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1) {
        out += separator;
        out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

} // namespace

int UnitCount(int kind) {
    return KnownKind(kind) ? static_cast<int>(UnitTables[kind].size()) : 1;
}

TUnitInfo GetUnitInfo(int kind, int index) {
    if (!KnownKind(kind))
        return DefaultUnit;
    const auto& rows = UnitTables[kind];
    if (index < 0 || index >= static_cast<int>(rows.size()))
        return rows[0];
    return rows[static_cast<std::size_t>(index)];
}

double Val2Display(int kind, int index, double siValue) {
    const TUnitInfo unit = GetUnitInfo(kind, index);
    return (siValue + unit.Offset) * unit.Factor;
}

double Display2Val(int kind, int index, double displayValue) {
    const TUnitInfo unit = GetUnitInfo(kind, index);
    return displayValue / unit.Factor - unit.Offset;
}

TStr2ValResult Str2Val(std::string_view text, int kind, int index) {
    TStr2ValResult result;
    // An empty field is an unknown value, 0 in SI whatever the unit (not 273.15 K in degC).
    if (Trim(text).empty())
        return result;
    double number = 0;
    if (!TryStr2Float(text, number)) {
        result.Converted = false;
        number = 0;
    }
    result.Value = Display2Val(kind, index, number);
    return result;
}

std::string Val2Str(int kind, int index, double siValue) {
    const TUnitInfo unit = GetUnitInfo(kind, index);
    double display = Val2Display(kind, index, siValue);
    if (std::isnan(display))
        return "NAN";
    // A value beyond the unit's range shows as the largest number that reads back, never as a
    // text the number reader refuses.
    if (std::isinf(display))
        display = std::copysign(std::numeric_limits<double>::max(), display);
    const char separator = DecimalSeparator();
    constexpr int Precision = 9;
    int decimals = unit.Decimals;
    if (display != 0) {
        const DecimalDigits rounded = ToDigits(display, Precision);
        if (rounded.Exponent >= Precision)
            return ExponentForm(display < 0, rounded.Digits, rounded.Exponent, separator);
        // Digits beyond the ninth significant one are not shown; the rest is padded with zeros.
        decimals = std::min(decimals, Precision - 1 - rounded.Exponent);
    }
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, display, std::chars_format::fixed, decimals).ptr;
    std::string out(buffer, end);
    for (int i = decimals; i < unit.Decimals; ++i) {
        if (i == 0)
            out += '.';
        out += '0';
    }
    if (out.front() == '-' && out.find_first_not_of("-0.") == std::string::npos)
        out.erase(0, 1);
    for (char& c : out)
        if (c == '.')
            c = separator;
    return out;
}

bool TryStr2Float(std::string_view text, double& value) {
    text = Trim(text);
    if (text.empty() || text.size() > 256)
        return false;
    char buffer[258] = {};
    std::size_t length = 0;
    for (char c : text)
        buffer[length++] = c == ',' ? '.' : c;
    const char* first = buffer;
    const char* last = buffer + length;
    if (*first == '+')
        ++first;
    if (first == last || (*first == '-' && first != buffer))
        return false;
    double parsed = 0;
    auto [ptr, ec] = std::from_chars(first, last, parsed, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double Str2Float(std::string_view text) {
    double value = 0;
    return TryStr2Float(text, value) ? value : 0;
}

std::string Float2Str(double value) {
    return Float2Str(value, '.');
}

std::string Float2Str(double value, char decimalSeparator) {
    if (!std::isfinite(value) || value == 0)
        return "0";
    // The shortest digits that read back as the same double: a value typed with up to 15
    // digits is written as typed, a computed one keeps all its bits (at most 17 digits)
    // instead of losing its last ones at every save.
    constexpr int Precision = 15;
    DecimalDigits rounded = ToDigits(value, 0);
    std::string& digits = rounded.Digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const bool negative = value < 0;
    const int exponent = rounded.Exponent;
    if (exponent < -5 || exponent >= Precision)
        return ExponentForm(negative, digits, exponent, decimalSeparator);
    std::string out = negative ? "-" : "";
    if (exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        out += digits;
        out.append(integerDigits - digits.size(), '0');
        return out;
    }
    out.append(digits, 0, integerDigits);
    out += decimalSeparator;
    out.append(digits, integerDigits);
    return out;
}

char DecimalSeparator() {
    const char overridden = OverriddenSeparator.load(std::memory_order_relaxed);
    if (overridden != 0)
        return overridden;
    static const char fromLocale = LocaleSeparatorOfEnvironment();
    return fromLocale;
}

void SetDecimalSeparator(char separator) {
    OverriddenSeparator.store(separator == '.' || separator == ',' ? separator : 0,
                              std::memory_order_relaxed);
}

double AmplitudeFactor(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(AmplitudeKinds)))
        return 1.0;
    return AmplitudeKinds[index].Factor;
}

// --- unit store ------------------------------------------------------------------------------

TUnitStore& TUnitStore::Instance() {
    static TUnitStore store;
    return store;
}

void TUnitStore::SetPath(const std::filesystem::path& path) {
    std::lock_guard guard(m_Lock);
    m_Path = path;
    m_PathSet = true;
    m_CreateFolder = false;
    m_Loaded = false;
    // Another file: its first failure is told again.
    m_Failure.clear();
    m_FailureTold = false;
}

std::filesystem::path TUnitStore::Path() {
    std::lock_guard guard(m_Lock);
    return PathLocked();
}

const std::filesystem::path& TUnitStore::PathLocked() {
    if (!m_PathSet) {
        m_Path = platform::DocumentsFolder() / "UNITINDEX.DAT";
        m_PathSet = true;
        m_CreateFolder = true;
    }
    return m_Path;
}

TUnitStore::FileStamp TUnitStore::StampOf(const std::filesystem::path& path) const {
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        stamp.Exists = true;
        stamp.Size = static_cast<int64_t>(info.st_size);
        stamp.ModifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        stamp.Inode = static_cast<uint64_t>(info.st_ino);
    }
    return stamp;
}

void TUnitStore::RefreshLocked() {
    const std::filesystem::path& path = PathLocked();
    // One stat per lookup: another program instance may have chosen a unit meanwhile.
    if (!m_Loaded || StampOf(path) != m_Stamp)
        LoadLocked();
}

void TUnitStore::LoadLocked() {
    m_Records.clear();
    m_ByName.clear();
    m_Loaded = true;
    m_Unreadable = false;
    m_Stamp = StampOf(m_Path);
    if (!m_Stamp.Exists)
        return;
    std::ifstream file(m_Path, std::ios::binary);
    // A file that is there but cannot be read (another user's, say) is never replaced by
    // the few choices of this run.
    m_Unreadable = !file.is_open();
    // The file holds one record per field name; a damaged file cannot make us read more than
    // a bounded number of records.
    constexpr std::size_t MaximumRecords = 100000;
    unsigned char record[RecordSize];
    while (m_Records.size() < MaximumRecords &&
           file.read(reinterpret_cast<char*>(record), static_cast<std::streamsize>(RecordSize))) {
        const std::size_t length = record[0];
        std::string name(reinterpret_cast<const char*>(record + 1), length);
        const uint32_t raw = static_cast<uint32_t>(record[256]) | static_cast<uint32_t>(record[257]) << 8 |
                             static_cast<uint32_t>(record[258]) << 16 |
                             static_cast<uint32_t>(record[259]) << 24;
        Record entry{std::move(name), static_cast<int32_t>(raw)};
        m_ByName.try_emplace(entry.Name, m_Records.size());
        m_Records.push_back(std::move(entry));
    }
    // A trailing part of a record is ignored; the next save drops it.
}

bool TUnitStore::SaveLocked() {
    const auto failed = [this](const std::string& why) {
        if (m_Failure.empty())
            m_Failure = "The unit choices could not be saved: " + why +
                        ". The units chosen now hold until the program ends.";
        return false;
    };
    if (m_Unreadable)
        return failed("\"" + platform::DisplayFileName(m_Path.native()) +
                      "\" cannot be read, so it is not written over");
    std::string bytes(m_Records.size() * RecordSize, '\0');
    for (std::size_t i = 0; i < m_Records.size(); ++i) {
        char* record = bytes.data() + i * RecordSize;
        const Record& entry = m_Records[i];
        record[0] = static_cast<char>(static_cast<unsigned char>(entry.Name.size()));
        std::memcpy(record + 1, entry.Name.data(), entry.Name.size());
        const uint32_t raw = static_cast<uint32_t>(entry.Index);
        for (int b = 0; b < 4; ++b)
            record[256 + b] = static_cast<char>((raw >> (8 * b)) & 0xFF);
    }
    if (m_CreateFolder) {
        // The documents folder may not exist yet on a first run.
        std::error_code ignored;
        std::filesystem::create_directories(m_Path.parent_path(), ignored);
    }
    // The whole file is replaced at once, so a crash never leaves a torn record behind.
    if (const platform::IniResult written = platform::WriteFileAtomically(m_Path, bytes); !written)
        return failed(written.error);
    m_Stamp = StampOf(m_Path);
    return true;
}

TUnitStore::Record& TUnitStore::RecordLocked(std::string_view name, bool& added) {
    std::string key(name.substr(0, MaxNameLength));
    const auto [found, inserted] = m_ByName.try_emplace(key, m_Records.size());
    added = inserted;
    if (inserted)
        m_Records.push_back({std::move(key), 0});
    return m_Records[found->second];
}

void TUnitStore::TakeFailureLocked(FailureHandler& tell, std::string& message) {
    if (m_FailureTold || !m_FailureHandler || m_Failure.empty())
        return;
    m_FailureTold = true;
    tell = m_FailureHandler;
    message = m_Failure;
}

void TUnitStore::SetWriteFailureHandler(FailureHandler handler) {
    FailureHandler tell;
    std::string message;
    {
        std::lock_guard guard(m_Lock);
        m_FailureHandler = std::move(handler);
        TakeFailureLocked(tell, message);
    }
    if (tell)
        tell(message);
}

int32_t TUnitStore::Lookup(std::string_view name) {
    FailureHandler tell;
    std::string message;
    int32_t index = 0;
    {
        std::lock_guard guard(m_Lock);
        RefreshLocked();
        bool added = false;
        index = RecordLocked(name, added).Index;
        if (added && !SaveLocked())
            TakeFailureLocked(tell, message);
    }
    if (tell)
        tell(message);
    return index;
}

bool TUnitStore::Store(std::string_view name, int32_t index) {
    FailureHandler tell;
    std::string message;
    bool saved = false;
    {
        std::lock_guard guard(m_Lock);
        RefreshLocked();
        bool added = false;
        RecordLocked(name, added).Index = index;
        saved = SaveLocked();
        if (!saved)
            TakeFailureLocked(tell, message);
    }
    if (tell)
        tell(message);
    return saved;
}
