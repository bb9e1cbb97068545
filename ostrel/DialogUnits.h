#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

// Layouts are given in dialog units of an 8-point dialog font: a quarter of the average
// character width (6 pixels) across and an eighth of its height (13 pixels) down.
inline int DialogUnitsX(int units) {
    return (units * 6 + 2) / 4;
}
inline int DialogUnitsY(int units) {
    return (units * 13 + 4) / 8;
}

inline QRect DialogRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsX(x), DialogUnitsY(y), DialogUnitsX(width), DialogUnitsY(height));
}

// The font the dialog units are measured in.
inline void UseDialogFont(QWidget& dialog) {
    QFont dialogFont = dialog.font();
    dialogFont.setPointSize(8);
    dialog.setFont(dialogFont);
}
