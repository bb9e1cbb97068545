#include "platform/Dialogs.h"

namespace platform {

namespace {

Dialogs* installedDialogs = nullptr;

SilentDialogs& Silent() {
    static SilentDialogs silent;
    return silent;
}

template <typename Queue> std::optional<typename Queue::value_type> Next(Queue& queue) {
    if (queue.empty())
        return std::nullopt;
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

MessageButton EscapeButton(MessageButtons buttons) {
    for (const MessageButton button :
         {ButtonCancel, ButtonNo, ButtonAbort, ButtonOk, ButtonIgnore, ButtonRetry, ButtonYes})
        if ((buttons & button) != 0)
            return button;
    // A box offered no button shows Ok alone; closing it answers that.
    return ButtonOk;
}

MessageButton Dialogs::MessageDlg(const std::string& text, MessageKind kind, MessageButtons buttons) {
    MessageRequest request;
    request.kind = kind;
    request.text = text;
    request.buttons = buttons;
    return Message(request);
}

std::optional<std::string> Dialogs::OpenFile(const FileRequest& request) {
    FileRequest single = request;
    single.allowMultiple = false;
    std::vector<std::string> files = OpenFiles(single);
    if (files.empty())
        return std::nullopt;
    return std::move(files.front());
}

MessageButton SilentDialogs::Message(const MessageRequest& request) {
    return EscapeButton(request.buttons);
}

std::vector<std::string> SilentDialogs::OpenFiles(const FileRequest&) {
    return {};
}

std::optional<std::string> SilentDialogs::SaveFile(const FileRequest&) {
    return std::nullopt;
}

std::optional<std::int32_t> SilentDialogs::ChooseColour(const ColourRequest&) {
    return std::nullopt;
}

MessageButton ScriptedDialogs::Message(const MessageRequest& request) {
    messages.push_back(request);
    if (auto answer = Next(messageAnswers))
        return *answer;
    ++unscripted;
    return EscapeButton(request.buttons);
}

std::vector<std::string> ScriptedDialogs::OpenFiles(const FileRequest& request) {
    opens.push_back(request);
    if (auto answer = Next(openAnswers))
        return std::move(*answer);
    ++unscripted;
    return {};
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileRequest& request) {
    saves.push_back(request);
    if (auto answer = Next(saveAnswers))
        return std::move(*answer);
    ++unscripted;
    return std::nullopt;
}

std::optional<std::int32_t> ScriptedDialogs::ChooseColour(const ColourRequest& request) {
    colours.push_back(request);
    if (auto answer = Next(colourAnswers))
        return *answer;
    ++unscripted;
    return std::nullopt;
}

std::optional<std::string> Dialogs::InputText(const InputRequest&) {
    return std::nullopt;
}

std::optional<std::string> ScriptedDialogs::InputText(const InputRequest& request) {
    inputs.push_back(request);
    if (auto answer = Next(inputAnswers))
        return *answer;
    ++unscripted;
    return std::nullopt;
}

Dialogs& AppDialogs() {
    return installedDialogs != nullptr ? *installedDialogs : Silent();
}

Dialogs* InstallDialogs(Dialogs* dialogs) {
    Dialogs* previous = installedDialogs;
    installedDialogs = dialogs;
    return previous;
}

} // namespace platform
