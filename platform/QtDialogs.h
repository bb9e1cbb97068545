#pragma once
// The dialogs of Dialogs.h on Qt Widgets.

#include "platform/Dialogs.h"

#include <QColor>
#include <QString>

namespace platform {

class QtDialogs final : public Dialogs {
public:
    MessageButton Message(const MessageRequest& request) override;
    std::vector<std::string> OpenFiles(const FileRequest& request) override;
    std::optional<std::string> SaveFile(const FileRequest& request) override;
    std::optional<std::int32_t> ChooseColour(const ColourRequest& request) override;
    std::optional<std::string> InputText(const InputRequest& request) override;
};

// 0x00BBGGRR to and from Qt's colour.
QColor ColourToQColor(std::int32_t colour);
std::int32_t QColorToColour(const QColor& colour);

// The type list of a file dialog in Qt's form ("Borvik project (*.[bB][vV][pP]);;..."): every
// letter of a pattern becomes a set of both cases, since Qt's dialogs match case-sensitively on
// Linux while the program's patterns do not.
QString QtFilterString(const std::vector<FileFilter>& filters);

} // namespace platform
