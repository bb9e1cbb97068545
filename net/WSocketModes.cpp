// The SOCKS, line and synchronous modes of the socket.

#include "net/NetText.h"
#include "net/WSocket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

using nettext::Lower;
using nettext::TrimBlanks;
using nettext::Upper;

// The longest reply the negotiation reads in one round; replies are at most 262 bytes.
constexpr int kReplyRound = 512;

} // namespace

// ---------------------------------------------------------------------------------------------
// SOCKS

TCustomSocksWSocket::TCustomSocksWSocket() {
    TCustomSocksWSocket::ResetToDefaults();
}

void TCustomSocksWSocket::ResetToDefaults() {
    TCustomWSocket::ResetToDefaults();
    socksState_ = 0;
    socksServer_.clear();
    socksPort_.clear();
    socksServerAssigned_ = false;
    socksLevel_ = "5";
    reply_.clear();
    pending_.clear();
}

void TCustomSocksWSocket::SetSocksLevel(const std::string& value) {
    if (state_ != wsClosed) {
        ReportError("Can't change socks level if not closed");
        return;
    }
    const std::string level = Upper(TrimBlanks(value));
    if (level != "4" && level != "4A" && level != "5") {
        ReportError("Invalid socks level. Must be 4, 4A or 5.");
        return;
    }
    socksLevel_ = level;
}

void TCustomSocksWSocket::SetSocksServer(const std::string& value) {
    if (state_ != wsClosed) {
        ReportError("Can't change socks server if not closed");
        return;
    }
    socksServer_ = TrimBlanks(value);
    socksServerAssigned_ = !socksServer_.empty();
}

void TCustomSocksWSocket::SetSocksPort(const std::string& value) {
    if (state_ != wsClosed) {
        ReportError("Can't change socks port if not closed");
        return;
    }
    socksPort_ = TrimBlanks(value);
}

void TCustomSocksWSocket::Connect() {
    if (!socksServerAssigned_) {
        TCustomWSocket::Connect();
        return;
    }
    if (Lower(proto_) != "tcp") {
        ReportError("tcp is the only protocol supported thru socks server");
        return;
    }
    try {
        sin_.port = winsock::Htons(WSocketResolvePort(socksPort_, proto_));
        portResolved_ = true;
        sin_.addr = WSocketResolveHost(socksServer_);
        addrResolved_ = true;
        targetPort_ = WSocketResolvePort(port_, proto_);
    } catch (const ESocketException& e) {
        ReportError(std::string("connect: ") + e.what());
        return;
    }
    socksState_ = 1;
    reply_.clear();
    pending_.clear();
    TCustomWSocket::Connect();
}

void TCustomSocksWSocket::Listen() {
    if (socksServerAssigned_) {
        ReportError("Listening is not supported thru socks server");
        return;
    }
    TCustomWSocket::Listen();
}

bool TCustomSocksWSocket::SocksSend(const std::string& bytes) {
    return Send(bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
}

void TCustomSocksWSocket::TriggerSessionConnected(std::uint16_t error) {
    if (socksState_ != 1) {
        TCustomWSocket::TriggerSessionConnected(error);
        return;
    }
    TriggerSocksConnected(error);
    if (error != 0) {
        socksState_ = 0;
        TCustomWSocket::TriggerSessionConnected(error);
        return;
    }
    if (socksLevel_[0] == '4') {
        SocksDoConnect();
        return;
    }
    methodOffered_ = SocksAuthentication == socksAuthenticateUsercode ? 2 : 0;
    SocksSend(std::string{5, 1, static_cast<char>(methodOffered_)});
}

void TCustomSocksWSocket::SocksDoConnect() {
    socksState_ = 3;
    std::string request;
    const char portHigh = static_cast<char>(targetPort_ >> 8);
    const char portLow = static_cast<char>(targetPort_ & 0xFF);
    if (socksLevel_[0] == '4') {
        std::uint32_t address = 0x01000000u; // 0.0.0.1 in network order: the name follows
        if (socksLevel_ == "4") {
            try {
                address = WSocketResolveHost(addr_);
            } catch (const ESocketException& e) {
                const int code = 20017;
                TriggerSocksError(code, std::string("ESocketException ") + e.what());
                socksState_ = 0;
                DoClose(true, code);
                return;
            }
        }
        request = {4, 1, portHigh, portLow};
        request.append(reinterpret_cast<const char*>(&address), 4);
        request += SocksUsercode;
        request += '\0';
        if (socksLevel_ == "4A") {
            request += addr_;
            request += '\0';
        }
    } else {
        if (addr_.size() > 255) {
            SocksDoError(20001, "TWSocket logic error");
            return;
        }
        request = {5, 1, 0, 3, static_cast<char>(addr_.size())};
        request += addr_;
        request += portHigh;
        request += portLow;
    }
    SocksSend(request);
}

void TCustomSocksWSocket::SocksDoAuthenticate() {
    socksState_ = 2;
    TriggerSocksAuthState(socksAuthStart);
    // The message is built in 128 bytes: user code and password together at most 125.
    if (SocksUsercode.size() + SocksPassword.size() > 125) {
        SocksDoError(20015, "socks authentication failed");
        return;
    }
    std::string request{1, static_cast<char>(SocksUsercode.size())};
    request += SocksUsercode;
    request += static_cast<char>(SocksPassword.size());
    request += SocksPassword;
    SocksSend(request);
}

void TCustomSocksWSocket::SocksDoError(int error, const std::string& msg) {
    TriggerSocksError(error, msg);
    socksState_ = 0;
    TCustomWSocket::TriggerSessionConnected(static_cast<std::uint16_t>(error));
    DoClose(true, error);
}

bool TCustomSocksWSocket::TriggerDataAvailable(std::uint16_t error) {
    if (socksState_ == 0)
        return TCustomWSocket::TriggerDataAvailable(error);
    if (error != 0) {
        SocksDoError(error, "data receive error");
        return true;
    }
    char block[kReplyRound];
    const int count = TCustomWSocket::DoRecv(block, sizeof block, 0);
    if (count <= 0)
        return true;
    readCount_ += count;
    reply_.append(block, static_cast<std::size_t>(count));
    SocksHandleReply();
    return true;
}

void TCustomSocksWSocket::SocksHandleReply() {
    // The replies are read as a stream: nothing is decided before a message is complete, and a
    // message's length is checked before any byte of it is used.
    static const char* const kSocks5Errors[] = {
        "general SOCKS server failure", "connection not allowed by ruleset",
        "network unreachable",          "host unreachable",
        "connection refused",           "time to live expired",
        "command not supported",        "address type not supported"};
    const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(reply_[i]); };
    switch (socksState_) {
    case 1:
        if (socksLevel_[0] == '4') {
            SocksDoError(20001, "TWSocket logic error");
            return;
        }
        if (reply_.size() < 2)
            return;
        if (reply_.size() > 2) {
            SocksDoError(20001, "too much data availaible");
            return;
        }
        if (byte(0) != 5) {
            SocksDoError(20002, "socks version error");
            return;
        }
        reply_.clear();
        if (byte(1) == 0) {
            if (methodOffered_ == 2)
                TriggerSocksAuthState(socksAuthNotRequired);
            SocksDoConnect();
        } else if (byte(1) == 2) {
            SocksDoAuthenticate();
        } else {
            SocksDoError(20003, "authentification method not acceptable");
        }
        return;
    case 2:
        if (reply_.size() < 2)
            return;
        if (reply_.size() > 2) {
            SocksDoError(20001, "too much data availaible");
            return;
        }
        if (byte(0) != 1) {
            SocksDoError(20002, "socks version error");
            return;
        }
        if (byte(1) != 0) {
            SocksDoError(20015, "socks authentication failed");
            return;
        }
        reply_.clear();
        TriggerSocksAuthState(socksAuthSuccess);
        SocksDoConnect();
        return;
    case 3: {
        std::size_t length = 0;
        if (socksLevel_[0] == '4') {
            if (reply_.size() < 8)
                return;
            if (byte(0) != 0) {
                SocksDoError(20002, "socks version error");
                return;
            }
            switch (byte(1)) {
            case 90:
                break;
            case 91:
                SocksDoError(20016, "request rejected or failed");
                return;
            case 92:
                SocksDoError(20008, "connection refused");
                return;
            case 93:
                SocksDoError(20015, "authentification failed");
                return;
            default:
                SocksDoError(20012, "unassigned error #" + std::to_string(byte(1)));
                return;
            }
            length = 8;
        } else {
            if (reply_.size() < 2)
                return;
            if (byte(0) != 5) {
                SocksDoError(20002, "socks version error");
                return;
            }
            if (byte(1) != 0) {
                if (byte(1) >= 1 && byte(1) <= 8)
                    SocksDoError(20003 + byte(1), kSocks5Errors[byte(1) - 1]);
                else
                    SocksDoError(20012, "unassigned error #" + std::to_string(byte(1)));
                return;
            }
            if (reply_.size() < 5)
                return;
            if (byte(3) == 1)
                length = 10;
            else if (byte(3) == 3)
                length = 7 + byte(4);
            else {
                SocksDoError(20011, "address type not supported");
                return;
            }
            if (reply_.size() < length)
                return;
        }
        pending_ = reply_.substr(length);
        reply_.clear();
        socksState_ = 0;
        TCustomWSocket::TriggerSessionConnected(0);
        if (!pending_.empty())
            TriggerDataAvailable(0);
        return;
    }
    default:
        SocksDoError(20013, "internal error");
        return;
    }
}

void TCustomSocksWSocket::TriggerSessionClosed(std::uint16_t error) {
    if (socksState_ == 2)
        TriggerSocksAuthState(socksAuthFailure);
    TCustomWSocket::TriggerSessionClosed(error);
}

int TCustomSocksWSocket::DoRecv(void* buffer, int length, int flags) {
    if (!pending_.empty() && length > 0) {
        const std::size_t count = std::min(pending_.size(), static_cast<std::size_t>(length));
        std::memcpy(buffer, pending_.data(), count);
        pending_.erase(0, count);
        return static_cast<int>(count);
    }
    return TCustomWSocket::DoRecv(buffer, length, flags);
}

int TCustomSocksWSocket::RcvdCount() {
    if (!pending_.empty())
        return static_cast<int>(std::min<std::size_t>(pending_.size(), INT_MAX));
    return TCustomWSocket::RcvdCount();
}

void TCustomSocksWSocket::TriggerSocksConnected(std::uint16_t error) {
    if (OnSocksConnected)
        OnSocksConnected(this, error);
}

void TCustomSocksWSocket::TriggerSocksError(int error, const std::string& msg) {
    if (OnSocksError)
        OnSocksError(this, error, msg);
}

void TCustomSocksWSocket::TriggerSocksAuthState(TSocksAuthState state) {
    if (OnSocksAuthState)
        OnSocksAuthState(this, state);
}

// ---------------------------------------------------------------------------------------------
// Line mode

void TCustomLineWSocket::SetLineMode(bool value) {
    if (value == lineMode_)
        return;
    lineMode_ = value;
    if (!rcvBuf_.empty())
        PostMessage(WM_TRIGGER_DATA_AVAILABLE);
}

void TCustomLineWSocket::WndProc(const TMessage& message) {
    if (message.msg != WM_TRIGGER_DATA_AVAILABLE) {
        TCustomSocksWSocket::WndProc(message);
        return;
    }
    try {
        if (lineMode_ && !LineEnd.empty()) {
            ScanLines(0);
            return;
        }
        // Bounded: each offer must take something.
        while (!rcvBuf_.empty()) {
            const std::size_t before = rcvBuf_.size();
            TCustomSocksWSocket::TriggerDataAvailable(0);
            if (rcvBuf_.size() >= before)
                break;
        }
    } catch (const std::exception& e) {
        HandleBgException(e);
    }
}

bool TCustomLineWSocket::TriggerDataAvailable(std::uint16_t error) {
    if (!lineMode_ || LineEnd.empty() || SocksNegotiating())
        return TCustomSocksWSocket::TriggerDataAvailable(error);
    int count = TCustomSocksWSocket::RcvdCount();
    if (count < 0)
        return true;
    if (count == 0)
        count = 255;
    const std::size_t old = rcvBuf_.size();
    rcvBuf_.resize(old + static_cast<std::size_t>(count));
    const int got = TCustomSocksWSocket::DoRecv(rcvBuf_.data() + old, count, 0);
    if (got <= 0) {
        rcvBuf_.resize(old);
        return true;
    }
    rcvBuf_.resize(old + static_cast<std::size_t>(got));
    readCount_ += got;
    if (LineEdit) {
        std::string fresh = rcvBuf_.substr(old);
        EditLine(fresh);
        rcvBuf_.replace(old, std::string::npos, fresh);
    } else if (LineEcho) {
        Send(rcvBuf_.data() + old, got);
    }
    ScanLines(old >= LineEnd.size() ? old - LineEnd.size() : 0);
    return true;
}

void TCustomLineWSocket::OfferLine(std::size_t length) {
    lineLength_ = length;
    lineReady_ = true;
    // The handler reads from the line; one that reads nothing ends the offer.
    while (lineMode_ && lineLength_ > 0) {
        const std::size_t before = lineLength_;
        TCustomSocksWSocket::TriggerDataAvailable(0);
        if (lineLength_ == before)
            break;
    }
    rcvBuf_.erase(0, std::min(lineLength_, rcvBuf_.size()));
    lineLength_ = 0;
    lineReady_ = false;
}

void TCustomLineWSocket::ScanLines(std::size_t from) {
    for (;;) {
        if (!lineMode_ || LineEnd.empty())
            return;
        const std::size_t found = rcvBuf_.find(LineEnd, from);
        if (found == std::string::npos)
            break;
        OfferLine(found + LineEnd.size());
        from = 0;
    }
    if (LineLimit > 0 && rcvBuf_.size() > static_cast<std::size_t>(LineLimit)) {
        bool clear = true;
        TriggerLineLimitExceeded(static_cast<int>(std::min<std::size_t>(rcvBuf_.size(), INT_MAX)), clear);
        if (clear)
            rcvBuf_.clear();
    }
}

void TCustomLineWSocket::TriggerSessionClosed(std::uint16_t error) {
    if (lineMode_ && !rcvBuf_.empty())
        OfferLine(rcvBuf_.size());
    rcvBuf_.clear();
    rcvBuf_.shrink_to_fit();
    TCustomSocksWSocket::TriggerSessionClosed(error);
}

int TCustomLineWSocket::DoRecv(void* buffer, int length, int flags) {
    if (length <= 0)
        return 0;
    if (lineMode_ && lineReady_) {
        const std::size_t count = std::min(lineLength_, static_cast<std::size_t>(length));
        std::memcpy(buffer, rcvBuf_.data(), count);
        rcvBuf_.erase(0, count);
        lineLength_ -= count;
        return static_cast<int>(count);
    }
    if (!rcvBuf_.empty()) {
        const std::size_t count = std::min(rcvBuf_.size(), static_cast<std::size_t>(length));
        std::memcpy(buffer, rcvBuf_.data(), count);
        rcvBuf_.erase(0, count);
        return static_cast<int>(count);
    }
    return TCustomSocksWSocket::DoRecv(buffer, length, flags);
}

int TCustomLineWSocket::RcvdCount() {
    if (lineMode_)
        return lineReady_ ? static_cast<int>(std::min<std::size_t>(lineLength_, INT_MAX)) : 0;
    if (!rcvBuf_.empty())
        return static_cast<int>(std::min<std::size_t>(rcvBuf_.size(), INT_MAX));
    return TCustomSocksWSocket::RcvdCount();
}

void TCustomLineWSocket::TriggerLineLimitExceeded(int count, bool& clearData) {
    if (OnLineLimitExceeded)
        OnLineLimitExceeded(this, count, clearData);
}

void TCustomLineWSocket::EditLine(std::string& data) {
    std::string edited;
    std::string echo;
    std::size_t column = 0; // within the edited text, for the tab stops
    for (const char c : data) {
        if (c == 8) {
            if (!edited.empty()) {
                edited.pop_back();
                if (column > 0)
                    --column;
                echo += "\b \b";
            }
        } else if (c == 9) {
            do {
                edited += ' ';
                echo += ' ';
                ++column;
            } while (column % 8 != 0);
        } else {
            edited += c;
            echo += c;
            column = (c == '\n' || c == '\r') ? 0 : column + 1;
        }
    }
    if (LineEcho && !echo.empty())
        Send(echo.data(), static_cast<int>(echo.size()));
    data = edited;
}

// ---------------------------------------------------------------------------------------------
// Synchronous waits

int TCustomSyncWSocket::WaitUntilReady(const int& flag) {
    QDeadlineTimer deadline = Timeout > 0 ? QDeadlineTimer(Timeout) : QDeadlineTimer(QDeadlineTimer::Forever);
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, [] {});
    while (flag == 0) {
        if (deadline.hasExpired() || terminated_ || QCoreApplication::instance() == nullptr ||
            QCoreApplication::closingDown())
            return kTimedOut;
        // Waits for the next event instead of spinning; wakes at least every 100 ms.
        wake.start(
            static_cast<int>(std::min<qint64>(deadline.isForever() ? 100 : deadline.remainingTime(), 100)));
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return 0;
}

int TCustomSyncWSocket::Synchronize(int& flag, const std::function<void()>& procedure) {
    flag = 0;
    if (procedure)
        procedure();
    return WaitUntilReady(flag);
}
