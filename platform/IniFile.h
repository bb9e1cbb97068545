#pragma once
// Private-profile INI documents: "[Section]" headers and "key=value" lines.
//
// Section and key names compare without regard to (ASCII) case; the first occurrence of a key in
// a section wins; values are kept as raw bytes (no encoding conversion, no escaping) apart from the
// blanks around them, which the profile format has never kept. Edits change only the lines they
// touch, so comments, blank lines and foreign keys of a file survive a rewrite. Lines end with LF
// or CRLF when read (any number of CRs before the LF); the document is written with LF. Every
// reader trims CR like a blank.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Outcome of a load or save; `error` says why when `ok` is false.
struct IniResult {
    bool ok = true;
    std::string error;

    explicit operator bool() const { return ok; }
};

class IniFile {
public:
    // Files larger than this are refused rather than read into memory.
    static constexpr std::uintmax_t MaximumFileSize = 64u * 1024u * 1024u;

    IniFile() = default;
    // Reads the file when it exists; a missing file is an empty document (every read gives the
    // caller's default), just as the profile services treat it.
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }
    // Whether the file existed and was read when the document was opened.
    bool FileFound() const { return fileFound_; }
    // The result of reading the file; a missing file counts as success.
    const IniResult& LoadResult() const { return loadResult_; }

    // Replaces the document with the given text (lines split at LF, the CRs before it dropped,
    // byte-order marks at the start skipped).
    void SetText(std::string_view text);
    // The document as it would be saved.
    std::string Text() const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal integer with optional sign (also "$hex" and "0xhex"); anything else, an out-of-range
    // number included, gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    // Booleans are stored as integers: nonzero is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Writing replaces the first occurrence of the key, or adds it at the end of the section,
    // or adds the section at the end of the document. A section name that is empty or holds
    // "]", a key that is empty, holds "=" or starts with ";" or "[" (it would read back as a
    // comment or a header), or any text holding CR or LF would change the structure of the
    // file: such a write is refused and returns false.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Section names in file order, each name once.
    std::vector<std::string> ReadSections() const;
    // Key names of a section in file order, each name once (the first spelling).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // key/value pairs of a section in file order; a repeated key keeps its first value.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;

    // Removes the section with every line that belongs to it (all its occurrences).
    void EraseSection(std::string_view section);
    // Removes every line of the key in the section, so that no later duplicate takes its place.
    void DeleteKey(std::string_view section, std::string_view key);

    bool Modified() const { return modified_; }

    // Writes the document to Path() through a temporary file in the same folder that is then
    // renamed over the old file: a failed save leaves the old file whole.
    IniResult Save();
    // Same, to another path; on success that path becomes the document's path.
    IniResult SaveAs(const std::filesystem::path& path);

private:
    struct Line {
        std::string text;
        enum class Kind { Other, Section, Key } kind = Kind::Other;
        std::string name; // trimmed section or key name
        std::size_t valueStart = 0;

        // A key line's value without the blanks around it.
        std::string_view Value() const;
    };

    static Line ParseLine(std::string text);
    // Index of the key's first line in the section, or npos.
    std::size_t FindKey(std::string_view section, std::string_view key) const;
    // Every line index that belongs to the named section (headers included).
    template <typename Visit> void ForEachSectionLine(std::string_view section, Visit visit) const;
    // Removes the lines of the named section for which drop(line) holds; the document counts as
    // changed only when a line went.
    template <typename Drop> void EraseSectionLines(std::string_view section, Drop drop);

    std::filesystem::path path_;
    std::vector<Line> lines_;
    bool fileFound_ = false;
    bool modified_ = false;
    IniResult loadResult_;
};

// A value without the blanks (space, tab, CR) around it, as every read gives it back. Windows that
// take a one-line text trim it with this rule at entry, so what they hold is what a reload gives.
std::string_view TrimBlanks(std::string_view text);

// Writes `bytes` to `path` through a temporary file in the same folder renamed over the target;
// shared by everything that must not leave a half-written file behind.
IniResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace platform
