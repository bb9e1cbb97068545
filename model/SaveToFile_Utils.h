#pragma once
// The sections of driver files (*.bvd) and project files (*.bvp): one writer and one
// reader per section, with the keys, their order, their encodings and their defaults.
//
// Numbers are written in the shortest general form with the decimal separator of the
// user's locale and read with either "." or "," (DecimalSeparator(), Str2Float()).
// Texts are written as UTF-8; a text that is not valid UTF-8 was made on Windows and is
// read as Windows-1252. Each text is judged on its own bytes. A CR or LF inside a one-line
// text reads and writes as a blank; inside a multi-line text as a line break. Line breaks of multi-line texts
// are stored as the byte 0xA4, which counts as a break only where it is not part of a UTF-8 character.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/Driver.h"
#include "platform/IniFile.h"
#include "simulation/FilterBase.h"
#include "simulation/ProjectRecords.h"

// Description, author and dates of a project.
struct TProjectInfo {
    std::string Description; // may hold line breaks
    std::string Creator;
    TDate CreateDate;
    TDate ModifyDate;
};

// A project's chain of filter stages, owned by the list.
using TFilterList = std::vector<std::unique_ptr<TFilterBase>>;

// What a reader found wrong. A reader that fails (`ok` false) leaves its record as it
// was. While reading goes on, `unusable` lists the values that cannot be used and were not
// taken, one "[Section] key = text" each, and `warnings` the parts that were skipped (filters).
struct TReadReport {
    bool ok = true;
    std::string error;
    std::vector<std::string> unusable;
    std::vector<std::string> warnings;

    explicit operator bool() const { return ok; }
    bool HasNotes() const { return !unusable.empty() || !warnings.empty(); }
};

// Limits on what a file can make the reader build.
inline constexpr std::int32_t MaximumFilterCount = 256;
inline constexpr std::int32_t MaximumVentCount = 8;

// The writers answer false when the INI layer refused a value; a save then fails.
// ParState is written as the letters N, E and C; any other letter reads and writes as E.

// Section "Driver".
bool WriteDriver(platform::IniFile& file, const TDriverObject& driver);
// Fills only the fields stored in the file; the project block, Xlim and the errors keep
// their values.
void ReadDriver(const platform::IniFile& file, TDriverObject& driver);

// Section "Box". A box type outside 0..4 is refused: the record is left as it was.
bool WriteBox(platform::IniFile& file, const TBoxData& box);
TReadReport ReadBox(const platform::IniFile& file, TBoxData& box);

// Section "Vent" + suffix ("Front" or "Rear").
bool WriteVent(platform::IniFile& file, const TVentData& vent, std::string_view suffix);
void ReadVent(const platform::IniFile& file, TVentData& vent, std::string_view suffix);

// Section "PlotSettings": the project's curve colour (0x00BBGGRR) and line width.
bool WritePlotSettings(platform::IniFile& file, std::int32_t color, std::int32_t width);
void ReadPlotSettings(const platform::IniFile& file, std::int32_t& color, std::int32_t& width);

// Section "SignalSource".
bool WriteSignalSource(platform::IniFile& file, const TSignalSource& signal);
void ReadSignalSource(const platform::IniFile& file, TSignalSource& signal);

// Section "PassiveRadiator".
bool WritePassiveRadiator(platform::IniFile& file, const TPassiveRadiatorData& radiator);
void ReadPassiveRadiator(const platform::IniFile& file, TPassiveRadiatorData& radiator);

// Section "ProjectInfo". A missing description or creator keeps the record's text.
bool WriteProjectInfo(platform::IniFile& file, const TProjectInfo& info);
void ReadProjectInfo(const platform::IniFile& file, TProjectInfo& info);

// Section "Filters". Reading empties the list first; a stage of an unknown kind or with a
// malformed parameter text is skipped and reported in the warnings.
bool WriteFilters(platform::IniFile& file, const TFilterList& filters);
TReadReport ReadFilters(const platform::IniFile& file, TFilterList& filters);

// Whole files. A save builds the file anew (no key of an older file lingers) and replaces
// the old file only when the new one is complete; on failure the old file is intact and
// the result says why. Texts are stored whole, however long; a file larger than the readers
// take (platform::IniFile::MaximumFileSize) is not written, so that every file saved can be
// opened again.
platform::IniResult SaveDriverFile(const std::filesystem::path& path, const TDriverObject& driver);
// A file without the section [Driver] is refused and the driver left as it was. Values that no
// part of the program writes (no finite number, a negative size the editor refuses and no
// derivation gives) are listed in `unusable` and read as 0; air without density or sound reads as
// a missing key does. Whatever the program itself can store, a negative derived Qes for one,
// reads back as it was written, without a word.
TReadReport LoadDriverFile(const std::filesystem::path& path, TDriverObject& driver);
// Whether a document holds a driver (the section [Driver]) or a project (at least one section of
// a project file). A file without them, such as an empty file or one of random bytes, holds none.
bool HoldsDriver(const platform::IniFile& document);

// The records of one project window.
struct TProjectParts {
    TProjectInfo& Info;
    TDriverObject& Driver;
    TBoxData& Box;
    std::int32_t& Color;
    std::int32_t& Width;
    TSignalSource& Signal;
    TFilterList& Filters;
};

// Writes the sections in the order project info, driver, box, front vent, rear vent, plot
// settings, signal source, filters and, for a passive-radiator box only, the radiator.
// WriteProject answers false when the INI layer refused a value.
bool WriteProject(platform::IniFile& document, const TProjectParts& project);
platform::IniResult SaveProjectFile(const std::filesystem::path& path, const TProjectParts& project);
// Reads the sections in the order driver, box, filters, front vent, rear vent, project
// info, plot settings, signal source and, for box type 4 only, the passive radiator. A
// refused box type fails the whole load. Values that cannot be used are listed in `unusable`, as
// LoadDriverFile lists them; so is a loss factor that the box type's model divides by and that is
// not above 0 (missing, it reads as 0), which the loss editor never stores.
TReadReport ReadProject(const platform::IniFile& document, const TProjectParts& project);
// A missing or unreadable file and a file that holds no project fail the whole load and leave
// the records as they were.
TReadReport LoadProjectFile(const std::filesystem::path& path, const TProjectParts& project);
bool HoldsProject(const platform::IniFile& document);

// The one message about what a load could not use and what it skipped, naming the file, one line
// each under a heading of its own; empty when the report has no notes.
std::string LoadNotesMessage(const std::filesystem::path& path, const TReadReport& report);

// The text codecs of the file sections, for their tests and for other readers of the
// same files.
// Whether the bytes are UTF-8, a lone 0xA4 being allowed as a stored line break.
bool IsStoredUtf8(std::string_view bytes);
// A multi-line text as one line: CR LF, a bare LF or a bare CR each becomes 0xA4.
std::string EncodeLineBreaks(std::string_view text);
// A stored multi-line text back as text with CR LF line breaks, in UTF-8.
std::string DecodeMultiLine(std::string_view stored, bool utf8File);
// A stored single-line text back as UTF-8.
std::string DecodeText(std::string_view stored, bool utf8File);
// A date as "yyyymmdd"; a date that is not a calendar date is written as today.
std::string DateToText(const TDate& date);
// Eight characters that make a calendar date give that date; anything else gives today.
TDate TextToDate(std::string_view text);
