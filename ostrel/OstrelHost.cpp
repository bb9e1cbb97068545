#include "ostrel/OstrelHost.h"

#include <QDialog>
#include <QMessageBox>
#include <QProcess>

MessageAnswer CDesktopHost::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                       MessageStyle style) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (style) {
    case MessageStyle::OkStop:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageStyle::OkWarning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageStyle::OkCancelInformation:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

void CDesktopHost::OpenWebPage(const QString& url) {
    // The address is one argument of xdg-open; no shell ever sees it. The result is not checked:
    // a desktop without a browser simply opens nothing.
    QProcess::startDetached(QStringLiteral("xdg-open"), {url});
}

int CDesktopHost::RunModal(QDialog& dialog) {
    return dialog.exec();
}
