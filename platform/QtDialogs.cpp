#include "platform/QtDialogs.h"

#include "platform/FileNames.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

namespace platform {

namespace {

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString CaseFreePattern(const std::string& pattern) {
    QString result;
    for (const QChar c : Text(pattern)) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            result += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            result += c;
    }
    return result;
}

struct ButtonMapping {
    MessageButton button;
    QMessageBox::StandardButton standard;
};

constexpr ButtonMapping kButtons[] = {
    {ButtonYes, QMessageBox::Yes},       {ButtonNo, QMessageBox::No},       {ButtonOk, QMessageBox::Ok},
    {ButtonCancel, QMessageBox::Cancel}, {ButtonAbort, QMessageBox::Abort}, {ButtonRetry, QMessageBox::Retry},
    {ButtonIgnore, QMessageBox::Ignore},
};

QString KindCaption(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QStringLiteral("Warning");
    case MessageKind::Error:
        return QStringLiteral("Error");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Confirmation:
        return QStringLiteral("Confirm");
    case MessageKind::Plain:
        break;
    }
    return QString();
}

QMessageBox::Icon KindIcon(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

void Prepare(QFileDialog& dialog, const FileRequest& request) {
    dialog.setWindowTitle(Text(request.title));
    if (!request.folder.empty())
        dialog.setDirectory(FileNameToText(request.folder));
    if (!request.filters.empty()) {
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(QtFilterString(request.filters));
        const QStringList names = dialog.nameFilters();
        if (request.filterIndex < static_cast<std::size_t>(names.size()))
            dialog.selectNameFilter(names.at(static_cast<qsizetype>(request.filterIndex)));
    }
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(Text(request.defaultExtension));
    if (!request.fileName.empty())
        dialog.selectFile(FileNameToText(request.fileName));
}

// A modal dialog under one of the program's stay-on-top windows (wizard, About box, update check,
// database filter) would block the program unseen; while such a window is shown, the dialog stays
// on top as well.
void KeepAboveStayOnTopWindows(QWidget& dialog) {
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &dialog && window->isVisible() &&
            window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
            return;
        }
    }
}

// The window the user worked in when a modal dialog opened takes the keyboard back when the
// dialog closes: left to the window manager, a dialog closing over a dialog may leave no window
// with the keyboard.
class ReturnKeyboard {
public:
    ReturnKeyboard() : m_Window(QApplication::activeWindow()) {}
    ~ReturnKeyboard() {
        if (m_Window && m_Window->isVisible())
            m_Window->activateWindow();
    }
    ReturnKeyboard(const ReturnKeyboard&) = delete;
    ReturnKeyboard& operator=(const ReturnKeyboard&) = delete;

private:
    QPointer<QWidget> m_Window;
};

} // namespace

QColor ColourToQColor(std::int32_t colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

std::int32_t QColorToColour(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

QString QtFilterString(const std::vector<FileFilter>& filters) {
    QStringList entries;
    for (const FileFilter& filter : filters) {
        QStringList patterns;
        for (const std::string& pattern : filter.patterns)
            patterns << CaseFreePattern(pattern);
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        entries << Text(filter.description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

MessageButton QtDialogs::Message(const MessageRequest& request) {
    const ReturnKeyboard keyboard;
    QMessageBox box(request.parent);
    box.setIcon(KindIcon(request.kind));
    box.setWindowTitle(request.caption.empty() ? KindCaption(request.kind) : Text(request.caption));
    box.setText(Text(request.text));
    const MessageButtons offered = request.buttons == ButtonNone ? MessageButtons{ButtonOk} : request.buttons;
    QMessageBox::StandardButtons standard;
    for (const ButtonMapping& mapping : kButtons)
        if ((offered & mapping.button) != 0)
            standard |= mapping.standard;
    box.setStandardButtons(standard);
    // Without a choice of the caller the first offered button (in the order of kButtons) is the
    // default, as the message dialogs have always had it.
    MessageButton defaultButton = request.defaultButton;
    if ((offered & defaultButton) == 0) {
        for (const ButtonMapping& mapping : kButtons) {
            if ((offered & mapping.button) != 0) {
                defaultButton = mapping.button;
                break;
            }
        }
    }
    const MessageButton escapeButton = EscapeButton(offered);
    for (const ButtonMapping& mapping : kButtons) {
        if (mapping.button == escapeButton)
            box.setEscapeButton(mapping.standard);
        if (mapping.button == defaultButton)
            box.setDefaultButton(mapping.standard);
    }
    KeepAboveStayOnTopWindows(box);
    const int result = box.exec();
    for (const ButtonMapping& mapping : kButtons)
        if (result == mapping.standard)
            return mapping.button;
    return EscapeButton(offered);
}

std::vector<std::string> QtDialogs::OpenFiles(const FileRequest& request) {
    const ReturnKeyboard keyboard;
    QFileDialog dialog(request.parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.allowMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    Prepare(dialog, request);
    KeepAboveStayOnTopWindows(dialog);
    std::vector<std::string> files;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& file : dialog.selectedFiles())
            files.push_back(TextToFileName(file));
    return files;
}

std::optional<std::string> QtDialogs::SaveFile(const FileRequest& request) {
    const ReturnKeyboard keyboard;
    QFileDialog dialog(request.parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    Prepare(dialog, request);
    KeepAboveStayOnTopWindows(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return TextToFileName(dialog.selectedFiles().constFirst());
}

std::optional<std::int32_t> QtDialogs::ChooseColour(const ColourRequest& request) {
    const ReturnKeyboard keyboard;
    QColorDialog dialog(ColourToQColor(request.colour), request.parent);
    dialog.setWindowTitle(Text(request.title));
    KeepAboveStayOnTopWindows(dialog);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return QColorToColour(dialog.selectedColor());
}

std::optional<std::string> QtDialogs::InputText(const InputRequest& request) {
    const ReturnKeyboard keyboard;
    QInputDialog dialog(request.parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(Text(request.caption));
    dialog.setLabelText(Text(request.prompt));
    dialog.setTextEchoMode(QLineEdit::Normal);
    dialog.setTextValue(Text(request.text));
    KeepAboveStayOnTopWindows(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

} // namespace platform
