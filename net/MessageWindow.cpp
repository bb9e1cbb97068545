#include "net/MessageWindow.h"

#include <QCoreApplication>

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TMessageEvent final : public QEvent {
public:
    explicit TMessageEvent(const TMessage& message) : QEvent(kMessageEvent), message(message) {}
    TMessage message;
};

} // namespace

TMessageWindow::TMessageWindow(Handler handler) : handler_(std::move(handler)) {}

void TMessageWindow::Post(const TMessage& message) {
    QCoreApplication::postEvent(this, new TMessageEvent(message));
}

void TMessageWindow::Send(const TMessage& message) {
    if (!handler_)
        return;
    ++dispatching_;
    // A copy: the handler may replace itself or let its owner go while it runs.
    const Handler handler = handler_;
    try {
        handler(message);
    } catch (...) {
        --dispatching_;
        throw;
    }
    --dispatching_;
}

bool TMessageWindow::event(QEvent* event) {
    if (event->type() != kMessageEvent)
        return QObject::event(event);
    Send(static_cast<TMessageEvent*>(event)->message);
    return true;
}
