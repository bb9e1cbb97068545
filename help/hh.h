#pragma once
// The help system: THookHelpSystem takes over the application's help event, so that F1 in any
// window opens the program's help file at that window's help context, and opens named topics for
// the menu commands.
//
// How windows declare their help context: a widget carries the dynamic property "helpContext"
// (an int above 0, see kHelpContextProperty and help/HelpContexts.h). F1 looks at the widget
// with the keyboard focus, then at its parents up to the top-level window, and uses the first
// context it finds; a declared context takes F1 before any F1 shortcut (such as the main window's
// "Contents"). Without a context F1 is left to the shortcuts, and with none the help opens at its
// contents page. So a window sets the property on itself, and a field that has a page of its own
// sets it on the field:
//     setProperty("helpContext", HelpContext::DriverEditor);

#include "help/hh_funcs.h"
#include "shell/AppLinks.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

inline constexpr const char* kHelpContextProperty = "helpContext";

// The nearest help context of `widget`: its own property, else its parents' up to the window.
std::optional<int> NearestHelpContext(const QWidget* widget);

// The application's help event: the command (1 context, 8 context popup, 13 popup position ...),
// its value, and call-help, which a handler sets when the application's own handling should run.
using THelpEvent = std::function<bool(unsigned command, std::intptr_t data, bool& callHelp)>;
THelpEvent& ApplicationOnHelp();
// Raises the help event; returns call-help (true when no handler took the command).
bool ApplicationHelpCommand(unsigned command, std::intptr_t data);

// The target handed to the viewer for a help file, an optional topic and a window definition.
std::string HelpTarget(const std::string& helpFile, const std::optional<std::string>& topic,
                       const std::string& windowDefinition, int hostType);

// Open operations; they return a THHResult and log when logging is on.
int ShowTopic(const std::string& target, int hostType);
int ShowContext(const std::string& target, std::uint32_t context, int hostType);
int HHHelpContext(const std::string& helpFile, std::uint32_t context, const std::string& windowDefinition,
                  int hostType);
int HHHelpTopic(const std::string& helpFile, const std::string& topic, const std::string& windowDefinition,
                int hostType);
void CloseAllHelpWindows();

// The message of a result code (empty for 0); `detail` completes codes 4 and 5.
std::string HHErrorText(int code, const std::string& detail = {});
// Shows the message of a non-zero code in a warning box and logs it.
void HHShowError(int code, const std::string& detail = {});
// Shows `text` in a warning box with an OK button and logs it when logging is on.
void ShowAndLogError(const std::string& text);

// The help file to open for `given`: the file itself when it exists, else a file of that name
// in the program's folders (never the current directory).
QString LocateHelpFile(const QString& given);

class THookHelpSystem final : public QObject, public IHelpSystem {
    Q_OBJECT

public:
    // Keeps the three values, installs HelpHook as the application's help event (remembering the
    // one before) and watches F1 in every window.
    THookHelpSystem(const QString& helpFile, const QString& windowDefinition, std::uint8_t hostType);
    // Closes the help windows (host type 0) and puts the previous help event back.
    ~THookHelpSystem() override;

    bool HelpHook(unsigned command, std::intptr_t data, bool& callHelp);
    int HelpContext(int context) override;
    int HelpTopic(const QString& topic) override;
    void CloseAllHelpWindows() override;

    const QString& HelpFile() const { return helpFile_; }
    int PopupX() const { return popupX_; }
    int PopupY() const { return popupY_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString helpFile_;
    QString windowDefinition_;
    std::uint8_t hostType_;
    THelpEvent savedHelp_;
    std::int32_t popupX_ = 0;
    std::int32_t popupY_ = 0;
};
