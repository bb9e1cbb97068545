#pragma once
// The per-user settings store (what the original platform kept in its registry).
//
// Value names may carry a group, separated by "/": "Desktop/MainLeft". Integers and Booleans are
// 32-bit numbers (Booleans 1 or 0), Doubles keep every bit, strings are UTF-8. A read gives no
// value both when the value is missing and when it is stored in a form that cannot be read as
// the asked type; ValueExists() tells the two apart.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class QSettings;
class QVariant;

namespace platform {

// Outcome of writing the store out; `error` says why when `ok` is false.
struct StoreResult {
    bool ok = true;
    std::string error;

    explicit operator bool() const { return ok; }
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Whether the group (the whole store for an empty name) holds at least one value: the
    // settings "key existed before" once anything was written to it.
    virtual bool KeyExists(std::string_view group = {}) const = 0;
    virtual bool ValueExists(std::string_view name) const = 0;

    virtual std::optional<std::int32_t> ReadInteger(std::string_view name) const = 0;
    virtual std::optional<bool> ReadBool(std::string_view name) const = 0;
    virtual std::optional<double> ReadFloat(std::string_view name) const = 0;
    virtual std::optional<std::string> ReadString(std::string_view name) const = 0;

    virtual void WriteInteger(std::string_view name, std::int32_t value) = 0;
    virtual void WriteBool(std::string_view name, bool value) = 0;
    virtual void WriteFloat(std::string_view name, double value) = 0;
    virtual void WriteString(std::string_view name, std::string_view value) = 0;

    // Writes everything out now; reports a store that could not be written.
    virtual StoreResult Flush() = 0;

    // Why the stored settings could not be read when the store was opened (a file that is
    // malformed, that may not be read, or a folder in its place), so that every value reads as
    // missing; empty when they were read, or when there were none yet.
    virtual std::string ReadProblem() const { return {}; }
    // Where the unreadable settings were kept when the store started anew; empty when nothing
    // was moved aside.
    virtual std::string KeptCopy() const { return {}; }
};

// The store on QSettings: organisation "Halvern", application "Borvik Pro", native format, which
// on Linux is "$XDG_CONFIG_HOME/Halvern/Borvik Pro.conf" (default ~/.config).
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    // A store in an explicit file (INI format), for tools and tests.
    explicit QtSettingsStore(const std::filesystem::path& file);
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string FileName() const;

    bool KeyExists(std::string_view group = {}) const override;
    bool ValueExists(std::string_view name) const override;
    std::optional<std::int32_t> ReadInteger(std::string_view name) const override;
    std::optional<bool> ReadBool(std::string_view name) const override;
    std::optional<double> ReadFloat(std::string_view name) const override;
    std::optional<std::string> ReadString(std::string_view name) const override;
    void WriteInteger(std::string_view name, std::int32_t value) override;
    void WriteBool(std::string_view name, bool value) override;
    void WriteFloat(std::string_view name, double value) override;
    void WriteString(std::string_view name, std::string_view value) override;
    StoreResult Flush() override;

    std::string ReadProblem() const override { return readProblem_; }
    std::string KeptCopy() const override { return keptCopy_; }

private:
    // Looks at the file before anything is read from it and notes why it cannot be read.
    void NoteReadProblem();
    // The stored value, or none while the store still stands on a malformed file.
    QVariant Value(std::string_view name) const;
    // A file the reader found malformed cannot be written again: the first write keeps a copy
    // of it beside it ("NAME.broken", or "NAME.broken-2" and so on when that name is taken) and
    // starts an empty store, so that nothing of the malformed file is written back. Where no
    // copy can be made the file stays, nothing is written to it, and Flush() says why. Returns
    // whether the store may be written.
    bool ReplaceIfMalformed();

    std::function<std::unique_ptr<QSettings>()> make_;
    std::unique_ptr<QSettings> settings_;
    bool malformed_ = false;
    std::string readProblem_;
    std::string keptCopy_;
    std::string copyProblem_; // why no copy of the malformed file could be made, as ": reason"
};

// An in-memory store for tests: values keep the type they were written with, reads of another
// type fail as they would in a real store, every write is logged, and Flush() can be made to fail.
class MemorySettingsStore final : public SettingsStore {
public:
    using Value = std::variant<std::int32_t, double, std::string>;

    bool KeyExists(std::string_view group = {}) const override;
    bool ValueExists(std::string_view name) const override;
    std::optional<std::int32_t> ReadInteger(std::string_view name) const override;
    std::optional<bool> ReadBool(std::string_view name) const override;
    std::optional<double> ReadFloat(std::string_view name) const override;
    std::optional<std::string> ReadString(std::string_view name) const override;
    void WriteInteger(std::string_view name, std::int32_t value) override;
    void WriteBool(std::string_view name, bool value) override;
    void WriteFloat(std::string_view name, double value) override;
    void WriteString(std::string_view name, std::string_view value) override;
    StoreResult Flush() override;

    // Plants a value without logging it as a write (a store left by an earlier run).
    void Seed(std::string_view name, Value value);
    void ClearWrites() { writes.clear(); }
    const std::map<std::string, Value, std::less<>>& Values() const { return values_; }

    std::string ReadProblem() const override { return readProblem; }
    std::string KeptCopy() const override { return keptCopy; }

    std::vector<std::string> writes; // names in the order they were written
    int flushes = 0;
    std::optional<std::string> failFlushWith; // when set, Flush() fails with this text
    std::string readProblem;                  // what ReadProblem() answers
    std::string keptCopy;                     // what KeptCopy() answers

private:
    const Value* Find(std::string_view name) const;
    // Stores a value and logs the write.
    void Write(std::string_view name, Value value);
    std::map<std::string, Value, std::less<>> values_;
};

} // namespace platform
