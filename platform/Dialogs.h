#pragma once
// Message boxes, file dialogs and the colour dialog behind one interface, so that the windows can
// ask the user while tests answer from a script and never block.
//
// Texts are UTF-8; colours are the system's 0x00BBGGRR integers. The windows reach the installed
// implementation through AppDialogs(); the program installs the Qt one at start-up.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace platform {

enum class MessageKind { Warning, Error, Information, Confirmation, Plain };

enum MessageButton : unsigned {
    ButtonNone = 0,
    ButtonOk = 1u << 0,
    ButtonCancel = 1u << 1,
    ButtonYes = 1u << 2,
    ButtonNo = 1u << 3,
    ButtonAbort = 1u << 4,
    ButtonRetry = 1u << 5,
    ButtonIgnore = 1u << 6,
};
using MessageButtons = unsigned; // a set of MessageButton flags

struct MessageRequest {
    MessageKind kind = MessageKind::Information;
    std::string caption; // empty: the kind's own caption ("Warning", "Error", "Information", "Confirm")
    std::string text;
    MessageButtons buttons = ButtonOk;
    MessageButton defaultButton = ButtonNone; // none: the first offered of Yes, No, Ok, Cancel, ...
    QWidget* parent = nullptr;
};

// One entry of a file dialog's type list: "Borvik project" with {"*.bvp"}. Patterns match
// without regard to case.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

struct FileRequest {
    std::string title;
    std::string folder;   // where the dialog starts
    std::string fileName; // proposed name (save) or preselected file (open)
    std::vector<FileFilter> filters;
    std::size_t filterIndex = 0;  // preselected entry of `filters`
    std::string defaultExtension; // added to a typed name without one, e.g. "bvp"
    bool allowMultiple = false;   // open: several files may be chosen
    bool confirmOverwrite = true; // save: ask before replacing an existing file
    QWidget* parent = nullptr;
};

struct ColourRequest {
    std::int32_t colour = 0; // 0x00BBGGRR shown first
    std::string title;
    QWidget* parent = nullptr;
};

// A one-line text question ("Give new value").
struct InputRequest {
    std::string caption;
    std::string prompt;
    std::string text; // proposed answer
    QWidget* parent = nullptr;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The button the user chose; closing the box counts as Cancel, else No, else the only button.
    virtual MessageButton Message(const MessageRequest& request) = 0;
    // Chosen files, absolute; empty when cancelled.
    virtual std::vector<std::string> OpenFiles(const FileRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileRequest& request) = 0;
    virtual std::optional<std::int32_t> ChooseColour(const ColourRequest& request) = 0;
    // The typed answer; empty when cancelled. Implementations that ask nothing cancel.
    virtual std::optional<std::string> InputText(const InputRequest& request);

    MessageButton MessageDlg(const std::string& text, MessageKind kind, MessageButtons buttons);
    std::optional<std::string> OpenFile(const FileRequest& request);
};

// The button a closed box answers with, out of the offered ones (Ok when none is offered: such a
// box shows Ok alone).
MessageButton EscapeButton(MessageButtons buttons);

// Dialogs that answer without showing anything: every box its escape button, every file and
// colour dialog "cancelled". Installed until the program installs its own, so library code run
// headless never blocks.
class SilentDialogs final : public Dialogs {
public:
    MessageButton Message(const MessageRequest& request) override;
    std::vector<std::string> OpenFiles(const FileRequest& request) override;
    std::optional<std::string> SaveFile(const FileRequest& request) override;
    std::optional<std::int32_t> ChooseColour(const ColourRequest& request) override;
};

// Answers from queues a test fills in advance and records every request. A dialog asked for
// with an empty queue answers as SilentDialogs does and counts in `unscripted`.
class ScriptedDialogs final : public Dialogs {
public:
    MessageButton Message(const MessageRequest& request) override;
    std::vector<std::string> OpenFiles(const FileRequest& request) override;
    std::optional<std::string> SaveFile(const FileRequest& request) override;
    std::optional<std::int32_t> ChooseColour(const ColourRequest& request) override;
    std::optional<std::string> InputText(const InputRequest& request) override;

    std::deque<MessageButton> messageAnswers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::int32_t>> colourAnswers;
    std::deque<std::optional<std::string>> inputAnswers;

    std::vector<MessageRequest> messages;
    std::vector<FileRequest> opens;
    std::vector<FileRequest> saves;
    std::vector<ColourRequest> colours;
    std::vector<InputRequest> inputs;
    int unscripted = 0;
};

// The implementation the windows use (never null): the one installed last, else a SilentDialogs.
Dialogs& AppDialogs();
// Installs `dialogs` (not owned; null goes back to the silent one) and returns the previous one.
Dialogs* InstallDialogs(Dialogs* dialogs);

// Installs dialogs for one scope, e.g. a test's ScriptedDialogs, and puts the previous back.
class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs& dialogs) : previous_(InstallDialogs(&dialogs)) {}
    ~ScopedDialogs() { InstallDialogs(previous_); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    Dialogs* previous_;
};

} // namespace platform
