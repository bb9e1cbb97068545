#include "platform/SettingsStore.h"

#include "platform/FileNames.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

#include <unistd.h>

namespace platform {

namespace {

QString Key(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsTextVariant(const QVariant& value) {
    const int type = value.typeId();
    return type == QMetaType::QString || type == QMetaType::QByteArray;
}

bool IsIntegerVariant(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// A whole text as one number of type T (blanks around it and a leading "+" allowed).
template <typename T> std::optional<T> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Whether the file is text of the settings format: UTF-8 without NUL bytes, every line blank, a
// comment, a "[group]" header or a "key=value" line. Settings files are small; a huge one is
// not the program's.
bool HoldsSettingsText(const std::filesystem::path& file) {
    constexpr std::uintmax_t MaximumSize = 4 * 1024 * 1024;
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(file, code);
    if (code)
        return true; // nothing to judge
    if (size > MaximumSize)
        return false;
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.find('\0') != std::string::npos || !IsValidUtf8(text))
        return false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        line = TrimBlanks(line);
        const bool fits = line.empty() || line.front() == ';' ||
                          (line.front() == '[' && line.back() == ']') || line.find('=') != std::string_view::npos;
        if (!fits)
            return false;
        start = end + 1;
    }
    return true;
}

std::string VariantText(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    return value.toString().toStdString();
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : make_([] {
          auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                      "Halvern", "Borvik Pro");
          // Only the user's own file is the settings key. With fallbacks QSettings would also
          // answer from "Halvern.conf" and the system-wide folders: values found there would count
          // as stored, so a first start would go unnoticed and the defaults would never reach the
          // user's file.
          settings->setFallbacksEnabled(false);
          return settings;
      }),
      settings_(make_()) {
    NoteReadProblem();
}

QtSettingsStore::QtSettingsStore(const std::filesystem::path& file)
    : make_([name = platform::PathToText(file)] { return std::make_unique<QSettings>(name, QSettings::IniFormat); }),
      settings_(make_()) {
    NoteReadProblem();
}

void QtSettingsStore::NoteReadProblem() {
    const std::filesystem::path file = platform::TextToPath(settings_->fileName());
    if (FileIsMissing(file))
        return;
    // QSettings reports a file it could not open as an access error, the same as one it could not
    // write, and without the reason; the file itself tells.
    if (std::string problem = FileReadProblem(file); !problem.empty()) {
        readProblem_ = std::move(problem);
        return;
    }
    // The file is read at the first question asked, and only then is its status known. QSettings
    // passes over most damage without a word (lines of random bytes read as nothing, and the next
    // save drops them), so the text is judged here as well.
    settings_->contains(QStringLiteral("ProgramPath"));
    if (settings_->status() == QSettings::FormatError || !HoldsSettingsText(file)) {
        // Whatever the reader made of it is junk: every value reads as missing (Value()).
        malformed_ = true;
        readProblem_ = "the settings file \"" + DisplayFileName(file.native()) + "\" is malformed";
    }
}

namespace {

// The first name beside `file` that nothing has yet: "NAME.broken", else "NAME.broken-2" and so
// on. When a name cannot be looked at, `code` says why and that name is returned.
std::filesystem::path UnusedCopyName(const std::filesystem::path& file, std::error_code& code) {
    std::filesystem::path copy = file;
    copy += ".broken";
    for (int n = 2;; ++n) {
        // A link, also one that leads nowhere or round in a loop, takes its name as a file does.
        const std::filesystem::file_type type = std::filesystem::symlink_status(copy, code).type();
        if (type == std::filesystem::file_type::not_found) {
            code.clear();
            return copy;
        }
        if (code)
            return copy;
        copy = file;
        copy += ".broken-" + std::to_string(n);
    }
}

} // namespace

bool QtSettingsStore::ReplaceIfMalformed() {
    if (!malformed_)
        return true;
    if (!copyProblem_.empty())
        return false;
    const std::filesystem::path file = platform::TextToPath(settings_->fileName());
    // An older copy is never overwritten.
    std::error_code code;
    const std::filesystem::path copy = UnusedCopyName(file, code);
    if (!code)
        std::filesystem::rename(file, copy, code);
    if (code) {
        // Writing over the malformed file would lose it: it stays as it is, and so does the store.
        copyProblem_ = ": the malformed file cannot be kept as \"" + DisplayFileName(copy.native()) +
                       "\": " + code.message();
        return false;
    }
    keptCopy_ = copy.native();
    malformed_ = false;
    settings_.reset();
    settings_ = make_();
    return true;
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::FileName() const {
    return platform::TextToFileName(settings_->fileName());
}

QVariant QtSettingsStore::Value(std::string_view name) const {
    return malformed_ ? QVariant() : settings_->value(Key(name));
}

bool QtSettingsStore::KeyExists(std::string_view group) const {
    if (malformed_)
        return false;
    if (group.empty())
        return !settings_->allKeys().isEmpty();
    settings_->beginGroup(Key(group));
    const bool any = !settings_->allKeys().isEmpty();
    settings_->endGroup();
    return any;
}

bool QtSettingsStore::ValueExists(std::string_view name) const {
    return !malformed_ && settings_->contains(Key(name));
}

std::optional<std::int32_t> QtSettingsStore::ReadInteger(std::string_view name) const {
    const QVariant value = Value(name);
    if (IsIntegerVariant(value)) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
            number > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
        return static_cast<std::int32_t>(number);
    }
    if (IsTextVariant(value))
        return ParseNumber<std::int32_t>(VariantText(value));
    return std::nullopt;
}

std::optional<bool> QtSettingsStore::ReadBool(std::string_view name) const {
    const QVariant value = Value(name);
    if (IsTextVariant(value)) {
        const std::string text(TrimBlanks(VariantText(value)));
        if (text == "true")
            return true;
        if (text == "false")
            return false;
    }
    if (const auto number = ReadInteger(name))
        return *number != 0;
    return std::nullopt;
}

std::optional<double> QtSettingsStore::ReadFloat(std::string_view name) const {
    const QVariant value = Value(name);
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    if (IsTextVariant(value))
        return ParseNumber<double>(VariantText(value));
    return std::nullopt;
}

std::optional<std::string> QtSettingsStore::ReadString(std::string_view name) const {
    const QVariant value = Value(name);
    if (IsTextVariant(value))
        return VariantText(value);
    return std::nullopt;
}

void QtSettingsStore::WriteInteger(std::string_view name, std::int32_t value) {
    if (!ReplaceIfMalformed())
        return;
    settings_->setValue(Key(name), value);
}

void QtSettingsStore::WriteBool(std::string_view name, bool value) {
    if (!ReplaceIfMalformed())
        return;
    settings_->setValue(Key(name), value ? 1 : 0);
}

void QtSettingsStore::WriteFloat(std::string_view name, double value) {
    if (!ReplaceIfMalformed())
        return;
    // The shortest text that reads back as the same double: every bit survives, -0 and
    // denormals included, and the file stays readable.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    settings_->setValue(Key(name), QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer)));
}

void QtSettingsStore::WriteString(std::string_view name, std::string_view value) {
    if (!ReplaceIfMalformed())
        return;
    settings_->setValue(Key(name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

namespace {

// Why the settings file cannot be written, as ": reason", from the file and the folders above it
// (QSettings reports only that it could not); empty when nothing tells.
std::string WriteProblem(const std::filesystem::path& file) {
    std::error_code code;
    if (std::filesystem::is_directory(file, code))
        return ": it is a folder, not a file";
    if (std::filesystem::exists(file, code))
        return ::access(file.c_str(), W_OK) != 0 ? std::string(": ") + std::strerror(errno) : std::string();
    for (std::filesystem::path folder = file.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if (std::filesystem::is_directory(folder, code))
            return ::access(folder.c_str(), W_OK | X_OK) != 0
                       ? ": " + std::string(std::strerror(errno)) + " in \"" + DisplayFileName(folder.native()) + "\""
                       : std::string();
        if (std::filesystem::exists(folder, code))
            return ": \"" + DisplayFileName(folder.native()) + "\" is a file, not a folder";
        if (folder == folder.parent_path())
            break;
    }
    return {};
}

} // namespace

StoreResult QtSettingsStore::Flush() {
    const std::string name = DisplayFileName(FileName());
    if (!copyProblem_.empty())
        return {false, "Cannot write the settings file \"" + name + "\"" + copyProblem_};
    settings_->sync();
    switch (settings_->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        break;
    case QSettings::FormatError:
        return {false, "The settings file \"" + name + "\" is malformed"};
    }
    return {false, "Cannot write the settings file \"" + name + "\"" + WriteProblem(TextToPath(settings_->fileName()))};
}

// ---------------------------------------------------------------------------------------------

const MemorySettingsStore::Value* MemorySettingsStore::Find(std::string_view name) const {
    const auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

bool MemorySettingsStore::KeyExists(std::string_view group) const {
    if (group.empty())
        return !values_.empty();
    const std::string prefix = std::string(group) + "/";
    const auto it = values_.lower_bound(prefix);
    return it != values_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

bool MemorySettingsStore::ValueExists(std::string_view name) const {
    return Find(name) != nullptr;
}

std::optional<std::int32_t> MemorySettingsStore::ReadInteger(std::string_view name) const {
    const Value* value = Find(name);
    if (value == nullptr || !std::holds_alternative<std::int32_t>(*value))
        return std::nullopt;
    return std::get<std::int32_t>(*value);
}

std::optional<bool> MemorySettingsStore::ReadBool(std::string_view name) const {
    const auto number = ReadInteger(name);
    if (!number)
        return std::nullopt;
    return *number != 0;
}

std::optional<double> MemorySettingsStore::ReadFloat(std::string_view name) const {
    const Value* value = Find(name);
    if (value == nullptr || !std::holds_alternative<double>(*value))
        return std::nullopt;
    return std::get<double>(*value);
}

std::optional<std::string> MemorySettingsStore::ReadString(std::string_view name) const {
    const Value* value = Find(name);
    if (value == nullptr || !std::holds_alternative<std::string>(*value))
        return std::nullopt;
    return std::get<std::string>(*value);
}

void MemorySettingsStore::Write(std::string_view name, Value value) {
    values_.insert_or_assign(std::string(name), std::move(value));
    writes.emplace_back(name);
}

void MemorySettingsStore::WriteInteger(std::string_view name, std::int32_t value) {
    Write(name, value);
}

void MemorySettingsStore::WriteBool(std::string_view name, bool value) {
    Write(name, std::int32_t{value ? 1 : 0});
}

void MemorySettingsStore::WriteFloat(std::string_view name, double value) {
    Write(name, value);
}

void MemorySettingsStore::WriteString(std::string_view name, std::string_view value) {
    Write(name, std::string(value));
}

StoreResult MemorySettingsStore::Flush() {
    ++flushes;
    if (failFlushWith)
        return {false, *failFlushWith};
    return {};
}

void MemorySettingsStore::Seed(std::string_view name, Value value) {
    values_.insert_or_assign(std::string(name), std::move(value));
}

} // namespace platform
