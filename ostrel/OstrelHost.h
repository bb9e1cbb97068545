#pragma once

#include <QString>

class QDialog;
class QWidget;

// What Ostrel's dialogs ask of the desktop: message boxes, the web browser and running a
// dialog modally. Behind one interface so that the whole dialog logic runs headless in tests.
enum class MessageStyle {
    OkStop,              // an error that stops the action
    OkWarning,           // a warning, the action goes on
    OkCancelInformation, // a question answered with OK or Cancel
};

enum class MessageAnswer { Ok, Cancel };

class COstrelHost {
public:
    virtual ~COstrelHost() = default;
    virtual MessageAnswer MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                     MessageStyle style) = 0;
    // Hands a web address to the desktop's browser.
    virtual void OpenWebPage(const QString& url) = 0;
    virtual int RunModal(QDialog& dialog) = 0;
};

// The real desktop: Qt message boxes, xdg-open started without a shell, QDialog::exec.
class CDesktopHost final : public COstrelHost {
public:
    MessageAnswer MessageBox(QWidget* parent, const QString& text, const QString& caption,
                             MessageStyle style) override;
    void OpenWebPage(const QString& url) override;
    int RunModal(QDialog& dialog) override;
};
