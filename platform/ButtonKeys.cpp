#include "platform/ButtonKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace {

class TButtonEnter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void PressFocusedButtonOnEnter(QWidget& window) {
    auto* filter = new TButtonEnter(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>())
        button->installEventFilter(filter);
}
