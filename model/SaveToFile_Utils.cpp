#include "model/SaveToFile_Utils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <iterator>
#include <tuple>
#include <typeinfo>
#include <utility>

#include "model/Airmodel.h"
#include "model/Units.h"
#include "platform/FileNames.h"
#include "shell/Settings.h"
#include "simulation/AllPass.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"

namespace {

using platform::Utf8SequenceLength;

constexpr unsigned char StoredLineBreak = 0xA4;

// Code points of the bytes 0x80..0x9F in Windows-1252; the five unassigned bytes keep
// their own value, as the Windows conversion does.
constexpr char32_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendWindows1252(std::string& out, unsigned char byte) {
    if (byte < 0x80)
        out += static_cast<char>(byte);
    else if (byte < 0xA0)
        AppendUtf8(out, Windows1252High[byte - 0x80]);
    else
        AppendUtf8(out, byte);
}

// Decodes stored bytes; `breaks` turns a stored line break into CR LF.
std::string Decode(std::string_view stored, bool utf8File, bool breaks) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size();) {
        const auto byte = static_cast<unsigned char>(stored[i]);
        if (byte == StoredLineBreak && breaks) {
            // In a UTF-8 file the byte reaches here only outside a character ("ä" is C3 A4).
            out += "\r\n";
            ++i;
            continue;
        }
        if ((byte == '\r' || byte == '\n') && breaks) {
            // A raw break inside the value is a break as well, so that the text reads the same
            // after a save, which stores every break as 0xA4.
            out += "\r\n";
            i += byte == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (utf8File) {
            if (const std::size_t length = Utf8SequenceLength(stored, i); length > 0) {
                out.append(stored.substr(i, length));
                i += length;
                continue;
            }
        }
        AppendWindows1252(out, byte);
        ++i;
    }
    return out;
}

// A single-line text: a line break would end the INI line, so each CR or LF becomes a blank,
// on writing and on reading alike, so that a read-save-read cycle gives the same text.
std::string SingleLine(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

// Each text is judged on its own bytes: one stray byte elsewhere in the file must not make the
// UTF-8 texts the program wrote read as Windows-1252.
std::string ReadSingleLine(const platform::IniFile& file, std::string_view section, std::string_view key) {
    const std::string stored = file.ReadString(section, key, "");
    return SingleLine(DecodeText(stored, IsStoredUtf8(stored)));
}

std::string ReadMultiLine(const platform::IniFile& file, std::string_view section, std::string_view key) {
    const std::string stored = file.ReadString(section, key, "");
    return DecodeMultiLine(stored, IsStoredUtf8(stored));
}

// ParState as the letters the driver knows; any other byte stands for an entered value, as
// a missing letter does.
char ParStateLetter(char letter) {
    return letter == ParNotDetermined || letter == ParCalculated ? letter : ParEntered;
}

std::string RealText(double value) {
    return Float2Str(value, DecimalSeparator());
}

// The writers note in `ok` every value the INI layer refused: a save must not pass one over.
bool WriteReal(platform::IniFile& file, std::string_view section, std::string_view key, double value) {
    return file.WriteString(section, key, RealText(value));
}

double ReadReal(const platform::IniFile& file, std::string_view section, std::string_view key,
                double defaultValue) {
    return Str2Float(file.ReadString(section, key, Float2Str(defaultValue)));
}

// An integer that must lie in [low, high]; anything else reads as the default.
std::int32_t ReadBounded(const platform::IniFile& file, std::string_view section, std::string_view key,
                         std::int32_t defaultValue, std::int32_t low, std::int32_t high) {
    const std::int32_t value = file.ReadInteger(section, key, defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}

TDate ReadDate(const platform::IniFile& file, std::string_view section, std::string_view key) {
    if (!file.ValueExists(section, key))
        return TDate::Today();
    return TextToDate(file.ReadString(section, key, ""));
}

// Counts of drivers, radiators and voice coils: far above any real design, low enough that
// no arithmetic on them can overflow.
constexpr std::int32_t MaximumUnitCount = 1000;
constexpr std::int32_t MaximumLineWidth = 100;

constexpr std::string_view DriverSection = "Driver";
constexpr std::string_view BoxSection = "Box";

// The keys of the driver section in file order; texts, dates and the letters are handled
// around this table.
struct DriverKey {
    std::string_view Key;
    double TDriverData::*Real = nullptr;
    std::int32_t TDriverData::*Integer = nullptr;
};

const DriverKey DriverNumbers[] = {
    {"Qts", &TDriverData::Qts},
    {"Znom", &TDriverData::Znom},
    {"Fs", &TDriverData::Fs},
    {"Pe", &TDriverData::Pe},
    {"SPL", &TDriverData::SPL},
    {"Re", &TDriverData::Re},
    {"Le", &TDriverData::Le},
    {"fLe", &TDriverData::fLe},
    {"KLe", &TDriverData::KLe},
    {"BL", &TDriverData::BL},
    {"Xmax", &TDriverData::Xmax},
    {"Cms", &TDriverData::Cms},
    {"Qms", &TDriverData::Qms},
    {"Qes", &TDriverData::Qes},
    {"Rms", &TDriverData::Rms},
    {"Mms", &TDriverData::Mms},
    {"Sd", &TDriverData::Sd},
    {"Vas", &TDriverData::Vas},
    {"Dia", &TDriverData::Dia},
    {"Vd", &TDriverData::Vd},
    {"no", &TDriverData::no},
    {"Dd", &TDriverData::Dd},
    {"EBP", &TDriverData::EBP},
    {"numVC", nullptr, &TDriverData::numVC},
    {"Hc", &TDriverData::Hc},
    {"Hg", &TDriverData::Hg},
    {"SPLmax", &TDriverData::SPLmax},
    {"SPLmaxLF", &TDriverData::SPLmaxLF},
    {"USPL", &TDriverData::USPL},
    {"alfaVC", &TDriverData::alfaVC},
    {"Rt", &TDriverData::Rt},
    {"Ct", &TDriverData::Ct},
    {"gamma", &TDriverData::gamma},
    {"Rme", &TDriverData::Rme},
    {"Mpow", &TDriverData::Mpow},
    {"Mcost", &TDriverData::Mcost},
    {"Gloss", &TDriverData::Gloss},
    {"VCCon", nullptr, &TDriverData::VCCon},
    {"c", &TDriverData::c},
    {"roo", &TDriverData::roo},
    {"Thick", &TDriverData::Thick},
    {"Depth", &TDriverData::Depth},
    {"MagDepth", &TDriverData::MagDepth},
    {"Magnet", &TDriverData::Magnet},
    {"Basket", &TDriverData::Basket},
    {"Outer", &TDriverData::Outer},
    {"Vcd", &TDriverData::Vcd},
    {"DVol", &TDriverData::DVol},
};

struct BoxKey {
    std::string_view Key;
    double TBoxData::*Real;
    double Default;
};

// The reals of the box section up to "d", in file order.
const BoxKey BoxChamberKeys[] = {
    {"Vf", &TBoxData::Vf, 0},         {"Ff", &TBoxData::Ff, 0},         {"Qlf", &TBoxData::Qlf, 0},
    {"Qaf", &TBoxData::Qaf, 0},       {"Qpf", &TBoxData::Qpf, 0},       {"Vr", &TBoxData::Vr, 0},
    {"Fr", &TBoxData::Fr, 0},         {"Qlr", &TBoxData::Qlr, 0},       {"Qar", &TBoxData::Qar, 0},
    {"Qpr", &TBoxData::Qpr, 0},       {"Vc", &TBoxData::Vc, 0},         {"Fc", &TBoxData::Fc, 0},
    {"Qlc", &TBoxData::Qlc, 0},       {"Qac", &TBoxData::Qac, 0},       {"Qpc", &TBoxData::Qpc, 0},
    {"Qiclfr", &TBoxData::Qiclfr, 0}, {"Qiclfc", &TBoxData::Qiclfc, 0}, {"Qiclcr", &TBoxData::Qiclcr, 0},
    {"T", &TBoxData::T, 293.15},      {"p", &TBoxData::p, 101325},      {"phi", &TBoxData::phi, 0.3},
    {"d", &TBoxData::d, 1},           {"Med", &TBoxData::Med, 0},
};

constexpr std::int32_t PassiveRadiatorBox = 4;

std::string BoxTypeError(std::string_view found) {
    return "Unknown box type \"" + std::string(found) + "\" in section [Box]: the box type must be 0 to 4";
}

// Reads BType alone, so that a file with a foreign box type is refused before anything
// is taken from it.
bool ReadBoxType(const platform::IniFile& file, std::int32_t& type, std::string& error) {
    type = file.ReadInteger(BoxSection, "BType", 0);
    if (type >= 0 && type <= 4)
        return true;
    error = BoxTypeError(file.ReadString(BoxSection, "BType", ""));
    return false;
}

// What a stored real must be for the model to use it. The ranges bound only what no part of the
// program can store: the driver editor refuses negative entries, but derivation stores a negative
// Qes, Qms or Xmax where the data sheet's values disagree, vent sizing a negative length for a
// tuning shorter than the end corrections, and the project window takes any volume, added mass
// and radiator excursion typed; such values read back as written.
enum class Range { Any, NotNegative, Positive, Fraction };

bool InRange(double value, Range range) {
    switch (range) {
    case Range::Any:
        return true;
    case Range::NotNegative:
        return value >= 0;
    case Range::Positive:
        return value > 0;
    case Range::Fraction:
        return value >= 0 && value <= 1;
    }
    return true;
}

struct CheckedReal {
    std::string_view Section;
    std::string_view Key;
    double* Value;
    Range Rule;
    // What an unusable value reads as: the value of a missing key where that one is usable
    // (the air), else 0, as a text that is no number reads.
    std::function<double()> Default = {};
    // A missing or empty value cannot be used either: its default is outside the range.
    bool Required = false;
};

// Lists every checked value whose stored text is no finite number or lies outside its range, and
// sets it to its default. An empty or missing value takes its default and is listed only when
// that cannot be used.
void DropUnusableValues(const platform::IniFile& file, const std::vector<CheckedReal>& checked,
                        std::vector<std::string>& unusable) {
    for (const CheckedReal& real : checked) {
        const std::string text = file.ValueExists(real.Section, real.Key)
                                     ? file.ReadString(real.Section, real.Key, "")
                                     : std::string();
        const auto name = [&real] { return "[" + std::string(real.Section) + "] " + std::string(real.Key); };
        if (text.empty()) {
            if (real.Required && !InRange(*real.Value, real.Rule))
                unusable.push_back(name() + " has no value");
            continue;
        }
        double parsed = 0;
        if (TryStr2Float(text, parsed) && InRange(parsed, real.Rule))
            continue;
        *real.Value = real.Default ? real.Default() : 0;
        const std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
        std::string line = name() + " = " + DecodeText(shown, IsStoredUtf8(shown));
        if (real.Default)
            line += ", read as " + RealText(*real.Value);
        unusable.push_back(std::move(line));
    }
}

// The driver's values that nothing in the program makes negative, and the air, which must have
// density and sound. Qes, Qms and Xmax are left out: derivation stores them negative.
Range DriverRange(std::string_view key) {
    static constexpr std::string_view NotNegative[] = {"Qts", "Znom", "Fs", "Pe",  "Re",  "Le",
                                                       "Cms", "Mms",  "Sd", "Vas", "Dia", "Vd"};
    if (key == "roo" || key == "c")
        return Range::Positive;
    return std::find(std::begin(NotNegative), std::end(NotNegative), key) != std::end(NotNegative)
               ? Range::NotNegative
               : Range::Any;
}

// The density of the program's air: what a driver without "roo" holds.
double DefaultDensity() {
    return AirDensity(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy);
}

// The speed of sound of a driver without "c", in the density it holds; a density that cannot be
// used reads as the program's, so the sound is that of the density the driver ends up with.
double DefaultSound(double density) {
    return SpeedOfSound(TC.Environment_AirPressure,
                        density > 0 && std::isfinite(density) ? density : DefaultDensity());
}

// Air that cannot be used reads as a missing key does: the density of the program's air, and the
// speed of sound in the density the driver then holds.
void AddDriverChecks(TDriverData& data, std::vector<CheckedReal>& checked) {
    for (const DriverKey& key : DriverNumbers) {
        if (key.Real == nullptr)
            continue;
        CheckedReal real{DriverSection, key.Key, &(data.*key.Real), DriverRange(key.Key)};
        if (key.Real == &TDriverData::roo)
            real.Default = DefaultDensity;
        if (key.Real == &TDriverData::c)
            real.Default = [&data] { return DefaultSound(data.roo); };
        checked.push_back(std::move(real));
    }
}

Range BoxRange(std::string_view key) {
    if (key == "T" || key == "p")
        return Range::Positive;
    if (key == "phi")
        return Range::Fraction;
    static constexpr std::string_view NotNegative[] = {"Ff", "Fr", "Vc", "Fc"};
    return std::find(std::begin(NotNegative), std::end(NotNegative), key) != std::end(NotNegative)
               ? Range::NotNegative
               : Range::Any;
}

// A vent's volume is its chamber's, which may be typed negative, and its length may be sized
// negative; the tuning, the sizes and the area never are.
void AddVentChecks(TVentData& vent, std::string_view section, std::vector<CheckedReal>& checked) {
    const std::tuple<std::string_view, double*, Range> keys[] = {
        {"Fb", &vent.Fb, Range::NotNegative},     {"Vb", &vent.Vb, Range::Any},
        {"dia1", &vent.dia1, Range::NotNegative}, {"dia2", &vent.dia2, Range::NotNegative},
        {"carea", &vent.carea, Range::NotNegative}, {"len", &vent.len, Range::Any},
        {"endcorrection", &vent.endcorrection, Range::Any}};
    for (const auto& [key, value, range] : keys)
        checked.push_back({section, key, value, range});
}

} // namespace

// --- text codecs ---------------------------------------------------------------------------

bool IsStoredUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) == StoredLineBreak) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string EncodeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += static_cast<char>(StoredLineBreak);
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeMultiLine(std::string_view stored, bool utf8File) {
    return Decode(stored, utf8File, true);
}

std::string DecodeText(std::string_view stored, bool utf8File) {
    return Decode(stored, utf8File, false);
}

std::string DateToText(const TDate& date) {
    const TDate valid = date.IsCalendarDate() ? date : TDate::Today();
    char buffer[16] = {};
    auto end = std::to_chars(buffer, buffer + sizeof buffer, valid.ToYmd()).ptr;
    std::string digits(buffer, end);
    // Years before 1000 keep their four places.
    if (digits.size() < 8)
        digits.insert(0, 8 - digits.size(), '0');
    return digits;
}

TDate TextToDate(std::string_view text) {
    if (text.size() != 8 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return TDate::Today();
    std::int32_t ymd = 0;
    std::from_chars(text.data(), text.data() + text.size(), ymd);
    const TDate date = TDate::FromYmd(ymd);
    return date.IsEmpty() ? TDate::Today() : date;
}

// --- driver ------------------------------------------------------------------------------

bool WriteDriver(platform::IniFile& file, const TDriverObject& driver) {
    const TDriverData& data = driver.Data;
    bool ok = file.WriteString(DriverSection, "Brand", SingleLine(data.Brand));
    ok &= file.WriteString(DriverSection, "Model", SingleLine(data.Model));
    ok &= file.WriteString(DriverSection, "Manufacturer", SingleLine(data.Manufacturer));
    ok &= file.WriteString(DriverSection, "ProvidedBy", SingleLine(data.ProvidedBy));
    ok &= file.WriteString(DriverSection, "Comment", EncodeLineBreaks(data.Comment));
    ok &= file.WriteString(DriverSection, "DateAdded", DateToText(data.DateAdded));
    ok &= file.WriteString(DriverSection, "DateModified", DateToText(data.DateModified));
    for (const DriverKey& key : DriverNumbers) {
        if (key.Real != nullptr)
            ok &= WriteReal(file, DriverSection, key.Key, data.*key.Real);
        else
            ok &= file.WriteInteger(DriverSection, key.Key, data.*key.Integer);
    }
    std::string letters(data.ParState.begin(), data.ParState.end());
    for (char& letter : letters)
        letter = ParStateLetter(letter);
    ok &= file.WriteString(DriverSection, "ParState", letters);
    return ok;
}

namespace {

void ReadDriverIn(const platform::IniFile& file, TDriverObject& driver) {
    TDriverData& data = driver.Data;
    data.Brand = ReadSingleLine(file, DriverSection, "Brand");
    data.Model = ReadSingleLine(file, DriverSection, "Model");
    data.Manufacturer = ReadSingleLine(file, DriverSection, "Manufacturer");
    data.ProvidedBy = ReadSingleLine(file, DriverSection, "ProvidedBy");
    data.Comment = ReadMultiLine(file, DriverSection, "Comment");
    data.DateAdded = ReadDate(file, DriverSection, "DateAdded");
    data.DateModified = ReadDate(file, DriverSection, "DateModified");

    for (const DriverKey& key : DriverNumbers) {
        if (key.Real != nullptr && key.Real != &TDriverData::c && key.Real != &TDriverData::roo)
            data.*key.Real = ReadReal(file, DriverSection, key.Key, 0);
    }
    data.numVC = ReadBounded(file, DriverSection, "numVC", 1, 1, MaximumUnitCount);
    data.VCCon = ReadBounded(file, DriverSection, "VCCon", 1, 1, 2);
    // "roo" first: the default of "c" is the speed of sound in the air just read.
    data.roo = ReadReal(file, DriverSection, "roo", DefaultDensity());
    data.c = ReadReal(file, DriverSection, "c", DefaultSound(data.roo));

    // A shorter text replaces only its leading letters; without one every parameter counts
    // as entered.
    const std::string letters =
        file.ReadString(DriverSection, "ParState", std::string(ParStateLength, ParEntered));
    const std::size_t count = std::min<std::size_t>(letters.size(), ParStateLength);
    for (std::size_t i = 0; i < count; ++i)
        data.ParState[i] = ParStateLetter(letters[i]);
}

} // namespace

void ReadDriver(const platform::IniFile& file, TDriverObject& driver) {
    ReadDriverIn(file, driver);
}

// --- box and vents ---------------------------------------------------------------------------

bool WriteBox(platform::IniFile& file, const TBoxData& box) {
    bool ok = file.WriteInteger(BoxSection, "BType", box.BType);
    for (const BoxKey& key : BoxChamberKeys)
        ok &= WriteReal(file, BoxSection, key.Key, box.*key.Real);
    ok &= file.WriteInteger(BoxSection, "Nd", box.Nd);
    ok &= WriteReal(file, BoxSection, "Angle", box.Angle);
    ok &= file.WriteBool(BoxSection, "Isobarik", box.Isobarik);
    ok &= WriteReal(file, BoxSection, "alfaVC", box.alfaVC);
    ok &= WriteReal(file, BoxSection, "dTVC", box.dTVC);
    ok &= WriteReal(file, BoxSection, "Sdfport", box.Sdfport);
    ok &= WriteReal(file, BoxSection, "Sdrport", box.Sdrport);
    if (box.BType == PassiveRadiatorBox)
        ok &= file.WriteInteger(BoxSection, "Npr", box.Npr);
    return ok;
}

TReadReport ReadBox(const platform::IniFile& file, TBoxData& box) {
    TReadReport report;
    std::int32_t type = 0;
    if (!ReadBoxType(file, type, report.error)) {
        report.ok = false;
        return report;
    }
    box.BType = type;
    for (const BoxKey& key : BoxChamberKeys)
        box.*key.Real = ReadReal(file, BoxSection, key.Key, key.Default);
    box.Angle = ReadReal(file, BoxSection, "Angle", 0);
    box.Nd = ReadBounded(file, BoxSection, "Nd", 1, 0, MaximumUnitCount);
    box.Isobarik = file.ReadBool(BoxSection, "Isobarik", false);
    box.alfaVC = ReadReal(file, BoxSection, "alfaVC", 0.0039);
    box.dTVC = ReadReal(file, BoxSection, "dTVC", 0);
    box.Sdfport = ReadReal(file, BoxSection, "Sdfport", 0);
    box.Sdrport = ReadReal(file, BoxSection, "Sdrport", 0);
    if (box.BType == PassiveRadiatorBox)
        box.Npr = ReadBounded(file, BoxSection, "Npr", 1, 0, MaximumUnitCount);
    return report;
}

bool WriteVent(platform::IniFile& file, const TVentData& vent, std::string_view suffix) {
    const std::string section = "Vent" + std::string(suffix);
    bool ok = file.WriteInteger(section, "Num", vent.Num);
    ok &= file.WriteInteger(section, "Shape", vent.Shape);
    ok &= WriteReal(file, section, "Fb", vent.Fb);
    ok &= WriteReal(file, section, "Vb", vent.Vb);
    ok &= WriteReal(file, section, "dia1", vent.dia1);
    ok &= WriteReal(file, section, "dia2", vent.dia2);
    ok &= WriteReal(file, section, "carea", vent.carea);
    ok &= WriteReal(file, section, "len", vent.len);
    ok &= WriteReal(file, section, "endcorrection", vent.endcorrection);
    ok &= file.WriteBool(section, "crosscalc", vent.crosscalc);
    return ok;
}

void ReadVent(const platform::IniFile& file, TVentData& vent, std::string_view suffix) {
    const std::string section = "Vent" + std::string(suffix);
    vent.Num = std::clamp(file.ReadInteger(section, "Num", 1), 1, MaximumVentCount);
    vent.Shape = ReadBounded(file, section, "Shape", 1, 1, 2);
    vent.Fb = ReadReal(file, section, "Fb", 0);
    vent.Vb = ReadReal(file, section, "Vb", 0);
    vent.dia1 = ReadReal(file, section, "dia1", 0);
    vent.dia2 = ReadReal(file, section, "dia2", 0);
    vent.carea = ReadReal(file, section, "carea", 0);
    vent.len = ReadReal(file, section, "len", 0);
    vent.endcorrection = ReadReal(file, section, "endcorrection", 0.732);
    vent.crosscalc = file.ReadBool(section, "crosscalc", false);
}

// --- small sections ------------------------------------------------------------------------

bool WritePlotSettings(platform::IniFile& file, std::int32_t color, std::int32_t width) {
    bool ok = file.WriteInteger("PlotSettings", "Color", color);
    ok &= file.WriteInteger("PlotSettings", "Width", width);
    return ok;
}

void ReadPlotSettings(const platform::IniFile& file, std::int32_t& color, std::int32_t& width) {
    color = file.ReadInteger("PlotSettings", "Color", 16777215);
    width = ReadBounded(file, "PlotSettings", "Width", 1, 1, MaximumLineWidth);
}

bool WriteSignalSource(platform::IniFile& file, const TSignalSource& signal) {
    bool ok = WriteReal(file, "SignalSource", "Rg", signal.Rg);
    ok &= WriteReal(file, "SignalSource", "P", signal.P);
    return ok;
}

void ReadSignalSource(const platform::IniFile& file, TSignalSource& signal) {
    signal.Rg = ReadReal(file, "SignalSource", "Rg", 0);
    signal.P = ReadReal(file, "SignalSource", "P", 1);
}

bool WritePassiveRadiator(platform::IniFile& file, const TPassiveRadiatorData& radiator) {
    bool ok = WriteReal(file, "PassiveRadiator", "Vas", radiator.Vas);
    ok &= WriteReal(file, "PassiveRadiator", "Qms", radiator.Qms);
    ok &= WriteReal(file, "PassiveRadiator", "Fs", radiator.Fs);
    ok &= WriteReal(file, "PassiveRadiator", "Sd", radiator.Sd);
    ok &= WriteReal(file, "PassiveRadiator", "Xmax", radiator.Xmax);
    ok &= WriteReal(file, "PassiveRadiator", "Me", radiator.Me);
    return ok;
}

void ReadPassiveRadiator(const platform::IniFile& file, TPassiveRadiatorData& radiator) {
    radiator.Vas = ReadReal(file, "PassiveRadiator", "Vas", 0);
    radiator.Qms = ReadReal(file, "PassiveRadiator", "Qms", 0);
    radiator.Fs = ReadReal(file, "PassiveRadiator", "Fs", 0);
    radiator.Sd = ReadReal(file, "PassiveRadiator", "Sd", 0);
    radiator.Xmax = ReadReal(file, "PassiveRadiator", "Xmax", 0);
    radiator.Me = ReadReal(file, "PassiveRadiator", "Me", 0);
}

bool WriteProjectInfo(platform::IniFile& file, const TProjectInfo& info) {
    // The description comes from a memo: its line breaks are stored as the comment's are.
    bool ok = file.WriteString("ProjectInfo", "Description", EncodeLineBreaks(info.Description));
    ok &= file.WriteString("ProjectInfo", "Creator", SingleLine(info.Creator));
    ok &= file.WriteString("ProjectInfo", "CreateDate", DateToText(info.CreateDate));
    ok &= file.WriteString("ProjectInfo", "ModifyDate", DateToText(info.ModifyDate));
    return ok;
}

namespace {

void ReadProjectInfoIn(const platform::IniFile& file, TProjectInfo& info) {
    if (file.ValueExists("ProjectInfo", "Description"))
        info.Description = ReadMultiLine(file, "ProjectInfo", "Description");
    if (file.ValueExists("ProjectInfo", "Creator"))
        info.Creator = ReadSingleLine(file, "ProjectInfo", "Creator");
    info.CreateDate = ReadDate(file, "ProjectInfo", "CreateDate");
    info.ModifyDate = ReadDate(file, "ProjectInfo", "ModifyDate");
}

} // namespace

void ReadProjectInfo(const platform::IniFile& file, TProjectInfo& info) {
    ReadProjectInfoIn(file, info);
}

// --- filters -------------------------------------------------------------------------------

namespace {

// The kind number of a stage by its exact class, not by its Kind field, which anyone may
// change: a stage stored under another kind would come back as another class reading
// fields that are not its own. -1 for a class of none of the kinds.
std::int32_t StoredKind(const TFilterBase& filter) {
    const std::type_info& type = typeid(filter);
    if (type == typeid(TLowpass))
        return fkLowpass;
    if (type == typeid(THighpass))
        return fkHighpass;
    if (type == typeid(TAllpass))
        return fkAllpass;
    if (type == typeid(TLinkwitzTransform))
        return fkLinkwitzTransform;
    if (type == typeid(TParametricEQ))
        return fkParametricEQ;
    if (type == typeid(TPeakHighpass))
        return fkPeakHighpass;
    if (type == typeid(TStaticGain))
        return fkStaticGain;
    return -1;
}

} // namespace

bool WriteFilters(platform::IniFile& file, const TFilterList& filters) {
    // Only stages of a known kind that give a parameter text are stored, numbered without
    // gaps, so that the count never promises a stage the file does not hold.
    std::vector<std::pair<std::int32_t, std::string>> stored;
    for (const auto& filter : filters) {
        if (filter == nullptr)
            continue;
        const std::int32_t kind = StoredKind(*filter);
        std::string text = filter->SaveToString();
        if (kind >= 0 && !text.empty())
            stored.emplace_back(kind, SingleLine(text));
    }
    bool ok = file.WriteInteger("Filters", "Count", static_cast<std::int32_t>(stored.size()));
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const std::string index = std::to_string(i);
        ok &= file.WriteInteger("Filters", "filter" + index + "type", stored[i].first);
        ok &= file.WriteString("Filters", "filter" + index + "params", stored[i].second);
    }
    return ok;
}

TReadReport ReadFilters(const platform::IniFile& file, TFilterList& filters) {
    TReadReport report;
    filters.clear();
    std::int32_t count = file.ReadInteger("Filters", "Count", 0);
    if (count > MaximumFilterCount) {
        report.warnings.push_back("The project names " + std::to_string(count) + " filters; only the first " +
                                  std::to_string(MaximumFilterCount) + " are read");
        count = MaximumFilterCount;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string index = std::to_string(i);
        const std::int32_t kind = file.ReadInteger("Filters", "filter" + index + "type", 0);
        const std::string text = SingleLine(file.ReadString("Filters", "filter" + index + "params", ""));
        std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
        if (filter == nullptr) {
            report.warnings.push_back("Filter " + index + " is of unknown kind " + std::to_string(kind) +
                                      " and was skipped");
            continue;
        }
        std::string error;
        if (!filter->LoadFromString(text, error)) {
            report.warnings.push_back("Filter " + index + " has malformed parameters (" + error +
                                      ") and was skipped");
            continue;
        }
        filter->Calculate();
        filters.push_back(std::move(filter));
    }
    return report;
}

// --- whole files ---------------------------------------------------------------------------

namespace {

platform::IniResult RefusedValue(const std::filesystem::path& path) {
    return {false, "Cannot save \"" + platform::DisplayFileName(path.native()) +
                       "\": a value could not be written into the file"};
}

// Empty when the document fits what the readers take (the INI layer's size), else why it does
// not. Saving and opening measure alike: a file is only written when it can be opened again, and
// opened only when it can be saved again, as UTF-8, which may be longer than the Windows-1252 read.
std::string TooLargeToOpenAgain(const platform::IniFile& document) {
    const std::size_t size = document.Text().size();
    if (size <= platform::IniFile::MaximumFileSize)
        return {};
    return "the file would hold " + std::to_string(size) + " bytes, more than the " +
           std::to_string(platform::IniFile::MaximumFileSize / (1024 * 1024)) +
           " MiB a file may hold to be opened";
}

platform::IniResult SaveOpenable(const std::filesystem::path& path, platform::IniFile& document) {
    if (const std::string tooLarge = TooLargeToOpenAgain(document); !tooLarge.empty())
        return {false,
                "Cannot save \"" + platform::DisplayFileName(path.native()) + "\": " + tooLarge + " again"};
    return document.SaveAs(path);
}

// A load that read what the file holds but could not save it back refuses the file.
TReadReport RefuseUnsaveable(const std::filesystem::path& path, const platform::IniFile& written) {
    TReadReport report;
    if (const std::string tooLarge = TooLargeToOpenAgain(written); !tooLarge.empty()) {
        report.ok = false;
        report.error = "The file \"" + platform::DisplayFileName(path.native()) +
                       "\" is not opened: saved again, " + tooLarge;
    }
    return report;
}

} // namespace

platform::IniResult SaveDriverFile(const std::filesystem::path& path, const TDriverObject& driver) {
    platform::IniFile document;
    if (!WriteDriver(document, driver))
        return RefusedValue(path);
    return SaveOpenable(path, document);
}

namespace {

TReadReport OpenDocument(const std::filesystem::path& path, platform::IniFile& document) {
    TReadReport report;
    document = platform::IniFile(path);
    if (!document.LoadResult()) {
        report.ok = false;
        report.error = document.LoadResult().error;
    } else if (!document.FileFound()) {
        report.ok = false;
        report.error = "The file \"" + platform::DisplayFileName(path.native()) + "\" does not exist";
    }
    return report;
}

} // namespace

TReadReport LoadDriverFile(const std::filesystem::path& path, TDriverObject& driver) {
    platform::IniFile document;
    TReadReport report = OpenDocument(path, document);
    if (!report)
        return report;
    if (!HoldsDriver(document)) {
        report.ok = false;
        report.error = "The file \"" + platform::DisplayFileName(path.native()) +
                       "\" holds no driver: it has no section [Driver]";
        return report;
    }
    TDriverObject read = driver;
    ReadDriver(document, read);
    std::vector<CheckedReal> checked;
    AddDriverChecks(read.Data, checked);
    DropUnusableValues(document, checked, report.unusable);
    platform::IniFile written;
    WriteDriver(written, read);
    if (TReadReport refused = RefuseUnsaveable(path, written); !refused)
        return refused;
    driver = std::move(read);
    return report;
}

bool WriteProject(platform::IniFile& document, const TProjectParts& project) {
    bool ok = WriteProjectInfo(document, project.Info);
    ok &= WriteDriver(document, project.Driver);
    ok &= WriteBox(document, project.Box);
    ok &= WriteVent(document, project.Box.FrontVent, "Front");
    ok &= WriteVent(document, project.Box.RearVent, "Rear");
    ok &= WritePlotSettings(document, project.Color, project.Width);
    ok &= WriteSignalSource(document, project.Signal);
    ok &= WriteFilters(document, project.Filters);
    if (project.Box.BType == PassiveRadiatorBox)
        ok &= WritePassiveRadiator(document, project.Box.PassiveRadiator);
    return ok;
}

TReadReport ReadProject(const platform::IniFile& document, const TProjectParts& project) {
    TReadReport report;
    std::int32_t type = 0;
    if (!ReadBoxType(document, type, report.error)) {
        report.ok = false;
        return report;
    }
    ReadDriverIn(document, project.Driver);
    ReadBox(document, project.Box);
    TReadReport filters = ReadFilters(document, project.Filters);
    report.warnings = std::move(filters.warnings);
    ReadVent(document, project.Box.FrontVent, "Front");
    ReadVent(document, project.Box.RearVent, "Rear");
    ReadProjectInfoIn(document, project.Info);
    ReadPlotSettings(document, project.Color, project.Width);
    ReadSignalSource(document, project.Signal);
    if (project.Box.BType == PassiveRadiatorBox)
        ReadPassiveRadiator(document, project.Box.PassiveRadiator);

    std::vector<CheckedReal> checked;
    AddDriverChecks(project.Driver.Data, checked);
    const std::span<const TLossFactorKey> losses = BoxLossFactors(type);
    for (const BoxKey& key : BoxChamberKeys) {
        CheckedReal real{BoxSection, key.Key, &(project.Box.*key.Real), BoxRange(key.Key)};
        // Temperature and pressure that cannot be used read as a missing key does; 0 is no air.
        if (key.Key == "T" || key.Key == "p")
            real.Default = [value = key.Default] { return value; };
        // A loss factor the box divides by: a missing one reads as 0, which cannot be used.
        if (std::any_of(losses.begin(), losses.end(),
                        [&](const TLossFactorKey& loss) { return loss.Key == key.Key; })) {
            real.Rule = Range::Positive;
            real.Required = true;
        }
        checked.push_back(std::move(real));
    }
    for (const auto& [key, value] : {std::pair<std::string_view, double*>{"Angle", &project.Box.Angle},
                                     {"alfaVC", &project.Box.alfaVC},
                                     {"dTVC", &project.Box.dTVC}})
        checked.push_back({BoxSection, key, value, Range::Any});
    checked.push_back({BoxSection, "Sdfport", &project.Box.Sdfport, Range::NotNegative});
    checked.push_back({BoxSection, "Sdrport", &project.Box.Sdrport, Range::NotNegative});
    AddVentChecks(project.Box.FrontVent, "VentFront", checked);
    AddVentChecks(project.Box.RearVent, "VentRear", checked);
    checked.push_back({"SignalSource", "Rg", &project.Signal.Rg, Range::NotNegative});
    checked.push_back({"SignalSource", "P", &project.Signal.P, Range::NotNegative});
    if (project.Box.BType == PassiveRadiatorBox) {
        TPassiveRadiatorData& radiator = project.Box.PassiveRadiator;
        // The window takes any excursion and added mass typed, the rest only above 0.
        for (const auto& [key, value] : {std::pair<std::string_view, double*>{"Vas", &radiator.Vas},
                                         {"Qms", &radiator.Qms},
                                         {"Fs", &radiator.Fs},
                                         {"Sd", &radiator.Sd}})
            checked.push_back({"PassiveRadiator", key, value, Range::NotNegative});
        for (const auto& [key, value] :
             {std::pair<std::string_view, double*>{"Xmax", &radiator.Xmax}, {"Me", &radiator.Me}})
            checked.push_back({"PassiveRadiator", key, value, Range::Any});
    }
    DropUnusableValues(document, checked, report.unusable);
    return report;
}

platform::IniResult SaveProjectFile(const std::filesystem::path& path, const TProjectParts& project) {
    platform::IniFile document;
    if (!WriteProject(document, project))
        return RefusedValue(path);
    return SaveOpenable(path, document);
}

TReadReport LoadProjectFile(const std::filesystem::path& path, const TProjectParts& project) {
    platform::IniFile document;
    TReadReport report = OpenDocument(path, document);
    if (!report)
        return report;
    if (!HoldsProject(document)) {
        report.ok = false;
        report.error = "The file \"" + platform::DisplayFileName(path.native()) +
                       "\" holds no project: it has none of the sections of a project file";
        return report;
    }
    // Read into copies, which keep what a file leaves out, so that a refusal changes nothing.
    TProjectInfo info = project.Info;
    TDriverObject driver = project.Driver;
    TBoxData box = project.Box;
    std::int32_t color = project.Color;
    std::int32_t width = project.Width;
    TSignalSource signal = project.Signal;
    TFilterList filters;
    const TProjectParts read{info, driver, box, color, width, signal, filters};
    report = ReadProject(document, read);
    if (!report)
        return report;
    platform::IniFile written;
    WriteProject(written, read);
    if (TReadReport refused = RefuseUnsaveable(path, written); !refused)
        return refused;
    project.Info = std::move(info);
    project.Driver = std::move(driver);
    project.Box = box;
    project.Color = color;
    project.Width = width;
    project.Signal = signal;
    project.Filters = std::move(filters);
    return report;
}

bool HoldsProject(const platform::IniFile& document) {
    static constexpr std::string_view ProjectSections[] = {"ProjectInfo", "Driver",       "Box",
                                                           "VentFront",   "VentRear",     "PlotSettings",
                                                           "SignalSource", "Filters",     "PassiveRadiator"};
    return std::any_of(std::begin(ProjectSections), std::end(ProjectSections),
                       [&](std::string_view section) { return document.SectionExists(section); });
}

bool HoldsDriver(const platform::IniFile& document) {
    return document.SectionExists(DriverSection);
}

std::string LoadNotesMessage(const std::filesystem::path& path, const TReadReport& report) {
    const std::string file = platform::DisplayFileName(path.native());
    std::string text;
    if (!report.unusable.empty()) {
        text = "Some values in \"" + file + "\" cannot be used and were not taken (a number reads as 0):";
        for (const std::string& line : report.unusable)
            text += "\n" + line;
    }
    if (!report.warnings.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += "Some parts of \"" + file + "\" could not be read and were skipped:";
        for (const std::string& line : report.warnings)
            text += "\n" + line;
    }
    return text;
}
