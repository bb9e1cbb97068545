#include "platform/MdiFrame.h"

#include <QMdiSubWindow>

#include <algorithm>

void MakeFixedFrame(QWidget& window) {
    auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget());
    if (frame == nullptr)
        return;
    const Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                                  Qt::MSWindowsFixedSizeDialogHint;
    if (frame->windowFlags() != flags)
        frame->setWindowFlags(flags);
}

void CentreFrame(QWidget& window) {
    auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget());
    if (frame == nullptr)
        return;
    frame->adjustSize();
    if (const QWidget* area = frame->parentWidget())
        frame->move(std::max(0, (area->width() - frame->width()) / 2),
                    std::max(0, (area->height() - frame->height()) / 2));
}
