#pragma once
// The hidden message target of a socket or an HTTP client: messages posted to it are handled
// from the Qt event loop of its thread, in the order they were posted, never inside the call
// that posted them.

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

// Message numbers are the first user message (1024) plus n.
inline constexpr unsigned kUserMessage = 1024;

struct TMessage {
    unsigned msg = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    // Which socket of a reused descriptor a socket notification is about (0 when not one).
    std::uint64_t incarnation = 0;
};

inline constexpr std::uint16_t LoWord(std::intptr_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}
inline constexpr std::uint16_t HiWord(std::intptr_t value) {
    return static_cast<std::uint16_t>((value >> 16) & 0xFFFF);
}
inline constexpr std::intptr_t MakeLong(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::intptr_t>(static_cast<std::uint32_t>(low) |
                                      (static_cast<std::uint32_t>(high) << 16));
}

class TMessageWindow : public QObject {
public:
    using Handler = std::function<void(const TMessage&)>;

    explicit TMessageWindow(Handler handler = {});
    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // Queues a message; it is handled later from the event loop. Messages of a window that is
    // destroyed first are dropped.
    void Post(const TMessage& message);
    void Post(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0,
              std::uint64_t incarnation = 0) {
        Post(TMessage{msg, wParam, lParam, incarnation});
    }
    // Handles a message at once, as sending it would.
    void Send(const TMessage& message);
    // Whether a message is being handled now (its owner must then not delete the window at once).
    bool Dispatching() const { return dispatching_ > 0; }

protected:
    bool event(QEvent* event) override;

private:
    Handler handler_;
    int dispatching_ = 0;
};
