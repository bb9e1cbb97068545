#include "platform/IniFile.h"

#include "platform/AsciiCase.h"
#include "platform/FileNames.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace platform {

namespace {

constexpr std::size_t npos = std::string::npos;

// A CR counts as a blank: a Windows file passed through one more text conversion ends its lines
// in CR CR LF, and "BType=4\r" must still read as the number 4.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

std::string_view Trim(std::string_view text) {
    return TrimBlanks(text);
}

bool SameName(std::string_view a, std::string_view b) {
    return SameWithoutCase(Trim(a), Trim(b));
}

std::string Folded(std::string_view text) {
    std::string folded(Trim(text));
    for (char& c : folded)
        c = LowerAscii(c);
    return folded;
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != npos;
}

std::string ErrorText(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " \"" + DisplayFileName(path.native()) + "\": " + std::strerror(error);
}

// The temporaries of a save of `name` are ".NAME.tmp-PID-N". A saver killed before its rename
// leaves one behind; the next save of the same file removes those whose process is gone.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& name) {
    const std::string prefix = "." + name + ".tmp-";
    std::error_code code;
    // Reading the folder can fail part way (where a range-for would throw out of the save): that
    // ends the tidying, not the save.
    for (std::filesystem::directory_iterator it(folder, code), last; !code && it != last;
         it.increment(code)) {
        const std::filesystem::directory_entry& entry = *it;
        const std::string entryName = entry.path().filename().string();
        if (!entryName.starts_with(prefix))
            continue;
        const std::string_view rest = std::string_view(entryName).substr(prefix.size());
        const std::size_t dash = rest.find('-');
        long pid = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (error != std::errc() || dash == npos || end != rest.data() + dash || pid <= 0)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        std::filesystem::remove(entry.path(), ignored);
    }
}

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
    if (FileIsMissing(path_))
        return;
    // A folder, a pipe, a link round in a loop or a file the user may not read is named for what
    // it is, never taken for a missing file.
    if (std::string problem = FileReadProblem(path_); !problem.empty()) {
        loadResult_ = {false, std::move(problem)};
        return;
    }
    std::error_code code;
    const auto size = std::filesystem::file_size(path_, code);
    const auto tooLarge = [this] {
        // Driver and project files are read through here too, so the text names no kind of file.
        return IniResult{false, "\"" + DisplayFileName(path_.native()) + "\" is larger than " +
                                    std::to_string(MaximumFileSize / (1024 * 1024)) + " MiB and is not read"};
    };
    if (!code && size > MaximumFileSize) {
        loadResult_ = tooLarge();
        return;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        loadResult_ = {false, ErrorText("Cannot open", path_, errno)};
        return;
    }
    std::string bytes;
    if (!code)
        bytes.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > MaximumFileSize) {
            loadResult_ = tooLarge();
            return;
        }
    }
    if (in.bad()) {
        loadResult_ = {false, ErrorText("Cannot read", path_, errno)};
        return;
    }
    SetText(bytes);
    fileFound_ = true;
}

std::string_view IniFile::Line::Value() const {
    return Trim(std::string_view(text).substr(valueStart));
}

IniFile::Line IniFile::ParseLine(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view content = Trim(line.text);
    if (content.empty() || content.front() == ';')
        return line;
    if (content.front() == '[') {
        const std::size_t close = content.find(']');
        if (close != npos) {
            line.kind = Line::Kind::Section;
            line.name = std::string(Trim(content.substr(1, close - 1)));
        }
        return line;
    }
    const std::size_t equals = line.text.find('=');
    if (equals == npos)
        return line;
    const std::string_view key = Trim(std::string_view(line.text).substr(0, equals));
    if (key.empty())
        return line;
    line.kind = Line::Kind::Key;
    line.name = std::string(key);
    line.valueStart = equals + 1;
    return line;
}

void IniFile::SetText(std::string_view text) {
    lines_.clear();
    // Editors on Windows often start UTF-8 files with a byte-order mark; it would otherwise
    // hide the first section header.
    // A file converted twice may carry the mark twice.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    while (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        // Every CR before the LF goes, so that the saved text reads as the loaded one did.
        while (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        lines_.push_back(ParseLine(std::string(raw)));
        if (end == npos)
            break;
        text.remove_prefix(end + 1);
    }
    modified_ = false;
}

std::string IniFile::Text() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += '\n';
    }
    return text;
}

template <typename Visit> void IniFile::ForEachSectionLine(std::string_view section, Visit visit) const {
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Kind::Section)
            inside = SameName(lines_[i].name, section);
        if (inside && !visit(i))
            return;
    }
}

std::size_t IniFile::FindKey(std::string_view section, std::string_view key) const {
    std::size_t found = npos;
    ForEachSectionLine(section, [&](std::size_t i) {
        if (lines_[i].kind == Line::Kind::Key && SameName(lines_[i].name, key)) {
            found = i;
            return false;
        }
        return true;
    });
    return found;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::size_t index = FindKey(section, key);
    return index == npos ? std::string(defaultValue) : std::string(lines_[index].Value());
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const std::size_t index = FindKey(section, key);
    if (index == npos)
        return defaultValue;
    std::string_view text = lines_[index].Value();
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return defaultValue;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return defaultValue;
    if (base == 16) {
        // Hexadecimal spells the 32 bits, as colours are written: "$FFFFFFFF" is -1.
        if (magnitude > 0xFFFFFFFFull)
            return defaultValue;
        auto bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    if (negative) {
        if (magnitude > 2147483648ull)
            return defaultValue;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    }
    if (magnitude > 2147483647ull)
        return defaultValue;
    return static_cast<std::int32_t>(magnitude);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (sectionName.empty() || sectionName.find(']') != npos || HoldsLineBreak(sectionName) ||
        keyName.empty() || keyName.find('=') != npos || keyName.front() == ';' || keyName.front() == '[' ||
        HoldsLineBreak(keyName) || HoldsLineBreak(value))
        return false;

    const std::size_t existing = FindKey(sectionName, keyName);
    if (existing != npos) {
        std::string text = lines_[existing].name + "=" + std::string(value);
        if (text != lines_[existing].text) {
            lines_[existing] = ParseLine(std::move(text));
            modified_ = true;
        }
        return true;
    }

    Line line = ParseLine(std::string(keyName) + "=" + std::string(value));
    // A new key goes after the last key of the section's first occurrence.
    std::size_t insertAfter = npos;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Kind::Section) {
            if (inside)
                break;
            inside = SameName(lines_[i].name, sectionName);
            if (inside)
                insertAfter = i;
        } else if (inside && lines_[i].kind == Line::Kind::Key) {
            insertAfter = i;
        }
    }
    if (insertAfter != npos) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAfter + 1), std::move(line));
    } else {
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back(ParseLine(std::string()));
        lines_.push_back(ParseLine("[" + std::string(sectionName) + "]"));
        lines_.push_back(std::move(line));
    }
    modified_ = true;
    return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return WriteString(section, key, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const {
    for (const Line& line : lines_)
        if (line.kind == Line::Kind::Section && SameName(line.name, section))
            return true;
    return false;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != npos;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Line& line : lines_)
        if (line.kind == Line::Kind::Section && seen.insert(Folded(line.name)).second)
            names.push_back(line.name);
    return names;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    for (auto& [key, value] : ReadSectionValues(section))
        keys.push_back(std::move(key));
    return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    std::unordered_set<std::string> seen; // keeps a listing of a huge section linear
    ForEachSectionLine(section, [&](std::size_t i) {
        const Line& line = lines_[i];
        if (line.kind != Line::Kind::Key || !seen.insert(Folded(line.name)).second)
            return true;
        values.emplace_back(line.name, std::string(line.Value()));
        return true;
    });
    return values;
}

template <typename Drop> void IniFile::EraseSectionLines(std::string_view section, Drop drop) {
    std::vector<bool> marked(lines_.size(), false);
    bool any = false;
    ForEachSectionLine(section, [&](std::size_t i) {
        if (drop(lines_[i])) {
            marked[i] = true;
            any = true;
        }
        return true;
    });
    if (!any)
        return;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (!marked[i])
            kept.push_back(std::move(lines_[i]));
    lines_ = std::move(kept);
    modified_ = true;
}

void IniFile::EraseSection(std::string_view section) {
    EraseSectionLines(section, [](const Line&) { return true; });
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    EraseSectionLines(
        section, [&](const Line& line) { return line.kind == Line::Kind::Key && SameName(line.name, key); });
}

IniResult IniFile::Save() {
    if (path_.empty())
        return {false, "The document has no file name"};
    return SaveAs(path_);
}

IniResult IniFile::SaveAs(const std::filesystem::path& path) {
    IniResult result = WriteFileAtomically(path, Text());
    if (result.ok) {
        path_ = path;
        modified_ = false;
        fileFound_ = true;
    }
    return result;
}

IniResult WriteFileAtomically(const std::filesystem::path& requested, std::string_view bytes) {
    if (requested.empty() || !requested.has_filename())
        return {false, "No file name given"};
    // Replace the file a link points to, not the link: the user's link must survive the save.
    std::filesystem::path path = requested;
    std::error_code linkCode;
    if (std::filesystem::is_symlink(requested, linkCode)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(requested, linkCode);
        if (linkCode)
            return {false, ErrorText("Cannot follow the link", requested, linkCode.value())};
        path = target;
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";

    // A file the user made read-only is not replaced, as a save over it fails on the desktop
    // systems users come from (the folder alone would allow the rename).
    // A file system mounted read-only says so, not that the file is read-only: the user would look
    // for the wrong cure.
    const auto refused = [&](const char* why) {
        return IniResult{false, "Cannot save \"" + DisplayFileName(path.native()) + "\": " + why};
    };
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing && S_ISREG(old.st_mode)) {
        const bool writable = ::access(path.c_str(), W_OK) == 0;
        if (!writable && errno == EROFS)
            return refused("the file system is read-only");
        if (!writable || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return refused("the file is read-only");
    }

    RemoveStaleTemporaries(folder, path.filename().string());

    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / ("." + path.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                              std::to_string(counter.fetch_add(1)));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0 && errno == EROFS)
        return refused("the file system is read-only");
    if (fd < 0)
        return {false, ErrorText("Cannot create a file in", folder, errno)};

    auto fail = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return IniResult{false, ErrorText(what, path, error)};
    };

    // Keep the permissions of the file being replaced.
    if (replacing && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail("Cannot write");
        }
        if (written == 0) {
            errno = EIO;
            return fail("Cannot write");
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return fail("Cannot write");
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return {false, ErrorText("Cannot write", path, error)};
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return {false, ErrorText("Cannot replace", path, error)};
    }
    // Make the rename itself durable; the file is already complete either way.
    if (const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

} // namespace platform
