#include "help/hh.h"

#include "help/HHDebug.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace {

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

std::string Clean(const std::string& text) {
    std::string result = Replace(text, "%20", " ");
    const auto first = result.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return result.substr(first, result.find_last_not_of(' ') - first + 1);
}

std::string Std(const QString& text) {
    return text.toStdString();
}

// The viewer programs of host types 1 and 2 belong to another platform; they are never found.
int ViewerProgramMissing(int hostType) {
    return hostType == 1 ? HH_KEYHH_MISSING : HH_HH_MISSING;
}

// Shows the target through the installed viewer (host type 0).
int CallViewer(const std::string& target, unsigned command, std::uint32_t data, std::string& detail) {
    if (!HelpFacts().helpInstalled || !HtmlHelpA())
        return HH_NOT_INSTALLED;
    const THtmlHelpAnswer answer = HtmlHelpA()(target, command, data);
    detail = answer.detail;
    return answer.result;
}

// The detail of the last failed open, for HHShowError.
std::string lastDetail;

} // namespace

std::optional<int> NearestHelpContext(const QWidget* widget) {
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        bool ok = false;
        const int context = widget->property(kHelpContextProperty).toInt(&ok);
        if (ok && context > 0)
            return context;
    }
    return std::nullopt;
}

THelpEvent& ApplicationOnHelp() {
    static THelpEvent handler;
    return handler;
}

bool ApplicationHelpCommand(unsigned command, std::intptr_t data) {
    bool callHelp = true;
    if (ApplicationOnHelp())
        ApplicationOnHelp()(command, data, callHelp);
    return callHelp;
}

std::string HelpTarget(const std::string& helpFile, const std::optional<std::string>& topic,
                       const std::string& windowDefinition, int hostType) {
    const std::string file = Clean(helpFile);
    const std::string window = Clean(windowDefinition);
    std::string target = file;
    if (topic) {
        std::string page = Replace(Clean(*topic), "\\", "/");
        if (page.empty() || page.front() != '/')
            page.insert(0, "/");
        target = file.empty() ? page : file + "::" + page;
    }
    if (!window.empty())
        target += ">" + window;
    if (hostType == 2)
        target.insert(0, "mk:@MSITStore:");
    return target;
}

int ShowTopic(const std::string& target, int hostType) {
    DebugLog("ShowTopic(" + Quoted(target) + ", " + std::to_string(hostType) + ")");
    int result = HH_OK;
    lastDetail.clear();
    if (!HelpFacts().helpInstalled)
        result = HH_NOT_INSTALLED;
    else if (hostType == 0)
        result = CallViewer(target, HH_DISPLAY_TOPIC, 0, lastDetail);
    else if (hostType == 1 || hostType == 2)
        result = ViewerProgramMissing(hostType);
    DebugLog("  returned - " + std::to_string(result));
    return result;
}

int ShowContext(const std::string& target, std::uint32_t context, int hostType) {
    DebugLog("ShowContext(" + Quoted(target) + ", " + std::to_string(hostType) + ")");
    int result = HH_OK;
    lastDetail.clear();
    if (!HelpFacts().helpInstalled)
        result = HH_NOT_INSTALLED;
    else if (hostType == 0)
        result = CallViewer(target, HH_HELP_CONTEXT, context, lastDetail);
    else if (hostType == 1 || hostType == 2)
        result = ViewerProgramMissing(hostType);
    DebugLog("  returned - " + std::to_string(result));
    return result;
}

int HHHelpContext(const std::string& helpFile, std::uint32_t context, const std::string& windowDefinition,
                  int hostType) {
    DebugLog("HHHelpContext(" + Quoted(helpFile) + ", " + std::to_string(context) + ", " +
             Quoted(windowDefinition) + ", " + std::to_string(hostType) + ")");
    return ShowContext(HelpTarget(helpFile, std::nullopt, windowDefinition, hostType), context, hostType);
}

int HHHelpTopic(const std::string& helpFile, const std::string& topic, const std::string& windowDefinition,
                int hostType) {
    DebugLog("HHHelpContext(" + Quoted(helpFile) + ", " + topic + ", " + Quoted(windowDefinition) + ", " +
             std::to_string(hostType) + ")");
    return ShowTopic(HelpTarget(helpFile, topic, windowDefinition, hostType), hostType);
}

void CloseAllHelpWindows() {
    if (HtmlHelpA())
        HtmlHelpA()({}, HH_CLOSE_ALL, 0);
}

std::string HHErrorText(int code, const std::string& detail) {
    switch (code) {
    case HH_OK:
        return {};
    case HH_NOT_INSTALLED:
        return "MS Html Help is not installed on this PC.";
    case HH_KEYHH_MISSING:
        return "System file KeyHH.EXE was not found in the Windows folder.";
    case HH_HH_MISSING:
        return "System file HH.EXE was not found in the Windows folder.";
    case HH_FILE_FAILED:
        return detail.empty() ? "The help file cannot be opened." : detail;
    case HH_TOPIC_MISSING:
        return "The help file has no page for " + (detail.empty() ? std::string("this topic") : detail) + ".";
    default:
        return "Unknown error returned by HHHelpContext";
    }
}

void HHShowError(int code, const std::string& detail) {
    if (code == HH_OK)
        return;
    const std::string text = HHErrorText(code, detail);
    platform::AppDialogs().MessageDlg(text, platform::MessageKind::Warning, platform::ButtonOk);
    DebugLog("HHShowError(" + std::to_string(code) + "), " + Quoted(text));
}

void ShowAndLogError(const std::string& text) {
    platform::AppDialogs().MessageDlg(text, platform::MessageKind::Warning, platform::ButtonOk);
    DebugLog(text);
}

QString LocateHelpFile(const QString& given) {
    const QFileInfo info(given);
    if (info.isAbsolute() && info.isFile())
        return info.absoluteFilePath();
    const QString name = info.fileName().isEmpty() ? QStringLiteral("borvik.chm") : info.fileName();
    if (const auto found = platform::FindShippedFile(name.toStdString()))
        return QString::fromStdString(found->string());
    // Nothing found: keep a full path in the program folder, so that the message names it.
    return QString::fromStdString((platform::ProgramFolder() / name.toStdString()).string());
}

// ---- THookHelpSystem -------------------------------------------------------------------------

THookHelpSystem::THookHelpSystem(const QString& helpFile, const QString& windowDefinition,
                                 std::uint8_t hostType)
    : helpFile_(helpFile), windowDefinition_(windowDefinition), hostType_(hostType) {
    savedHelp_ = ApplicationOnHelp();
    ApplicationOnHelp() = [this](unsigned command, std::intptr_t data, bool& callHelp) {
        return HelpHook(command, data, callHelp);
    };
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
    DebugLog("THookHelpSystem.Create(" + Quoted(Std(helpFile)) + "," + Quoted(Std(windowDefinition)) + ", " +
             std::to_string(hostType) + ")");
}

THookHelpSystem::~THookHelpSystem() {
    if (hostType_ == 0)
        ::CloseAllHelpWindows();
    ApplicationOnHelp() = savedHelp_;
    DebugLog("THookHelpSystem.Destroy");
}

bool THookHelpSystem::HelpHook(unsigned command, std::intptr_t data, bool& callHelp) {
    DebugLog("THookHelpSystem.HelpHook(" + HelpCommandText(command) + ", " + std::to_string(data) + ")");
    callHelp = false;
    switch (command) {
    case 1: // HELP_CONTEXT
    case 8: // HELP_CONTEXTPOPUP
        HelpContext(static_cast<int>(data));
        break;
    case 13: { // HELP_SETPOPUP_POS: x in the low 16 bits, y in the high 16 bits, both signed
        const auto packed = static_cast<std::uint32_t>(data);
        popupX_ = static_cast<std::int16_t>(packed & 0xFFFFu);
        popupY_ = static_cast<std::int16_t>(packed >> 16);
        break;
    }
    default:
        callHelp = true;
        break;
    }
    return true;
}

int THookHelpSystem::HelpContext(int context) {
    const int result =
        HHHelpContext(Std(helpFile_), static_cast<std::uint32_t>(context), Std(windowDefinition_), hostType_);
    HHShowError(result, lastDetail);
    return result;
}

int THookHelpSystem::HelpTopic(const QString& topic) {
    const int result = HHHelpTopic(Std(helpFile_), Std(topic), Std(windowDefinition_), hostType_);
    HHShowError(result, lastDetail);
    return result;
}

void THookHelpSystem::CloseAllHelpWindows() {
    ::CloseAllHelpWindows();
}

bool THookHelpSystem::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            const auto context = NearestHelpContext(static_cast<QWidget*>(watched));
            if (type == QEvent::ShortcutOverride) {
                // A declared context wins over F1 shortcuts (the main window's "Contents"); without
                // one the shortcuts keep the key.
                if (!context)
                    return false;
                event->accept();
                return true;
            }
            if (context)
                ApplicationHelpCommand(1, *context);
            else
                HelpTopic(QStringLiteral("index.html"));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
