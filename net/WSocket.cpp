#include "net/WSocket.h"
#include "net/NetText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <climits>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>

namespace {

using nettext::IsDigit;
using nettext::Trim;

int g_socketCount = 0;

std::string Dotted(std::uint32_t address) {
    return winsock::inet_ntoa(address);
}

} // namespace

int SocketCount() {
    return g_socketCount;
}

// ---------------------------------------------------------------------------------------------
// Resolution and error texts

int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        // Saturates instead of overflowing; callers range-check the result.
        if (value > (INT_MAX - 9) / 10)
            return INT_MAX;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsDottedAddress(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i >= text.size() || !IsDigit(text[i]))
        return false;
    int dots = 0;
    int part = 0;
    for (; i < text.size() && text[i] != ' '; ++i) {
        const char c = text[i];
        if (c == '.') {
            if (++dots > 3 || i + 1 >= text.size() || !IsDigit(text[i + 1]))
                return false;
            part = 0;
        } else if (IsDigit(c)) {
            part = part * 10 + (c - '0');
            if (part > 255)
                return false;
        } else {
            return false;
        }
    }
    for (; i < text.size(); ++i)
        if (text[i] != ' ')
            return false;
    return dots == 3;
}

std::uint32_t WSocketResolveHost(const std::string& text) {
    if (text.empty() || text.size() > 256)
        throw ESocketException("WSocketResolveHost: '" + text + "' Invalid Hostname.");
    const std::string host = Trim(text);
    if (IsDottedAddress(host)) {
        const std::uint32_t address = winsock::inet_addr(host.c_str());
        if (address == kInAddrNone && host != "255.255.255.255")
            throw ESocketException("WSocketResolveHost: '" + text + "' Invalid IP address.");
        return address;
    }
    const hostent* entry = winsock::gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr ||
        entry->h_length != 4)
        throw ESocketException("WSocketResolveHost: Cannot convert host address '" + host + "', Error #" +
                               std::to_string(winsock::WSAGetLastError()));
    std::uint32_t address;
    std::memcpy(&address, entry->h_addr_list[0], 4);
    return address;
}

std::uint16_t WSocketResolvePort(const std::string& port, const std::string& proto) {
    const std::string service = Trim(port);
    if (service.empty() || port.size() >= 32)
        throw ESocketException("WSocketResolvePort: Invalid Port.");
    if (proto.size() >= 32)
        throw ESocketException("WSocketResolvePort: Invalid Proto.");
    if (IsDigit(service[0])) {
        const int number = LeadingNumber(service);
        if (number > 65535)
            throw ESocketException("WSocketResolvePort: Invalid Port.");
        return static_cast<std::uint16_t>(number);
    }
    const std::string protocol = Trim(proto);
    const servent* entry =
        winsock::getservbyname(service.c_str(), protocol.empty() ? nullptr : protocol.c_str());
    if (entry == nullptr)
        throw ESocketException("WSocketResolvePort: Cannot convert port '" + service + "', Error #" +
                               std::to_string(winsock::WSAGetLastError()));
    return winsock::Ntohs(static_cast<std::uint16_t>(entry->s_port));
}

int WSocketResolveProto(const std::string& text) {
    const std::string proto = Trim(text);
    if (proto.empty() || text.size() >= 32)
        throw ESocketException("WSocketResolveProto: Invalid Protocol.");
    if (IsDigit(proto[0]))
        return LeadingNumber(proto);
    const protoent* entry = winsock::getprotobyname(proto.c_str());
    if (entry == nullptr)
        throw ESocketException("WSocketResolveProto: Cannot convert protocol '" + proto + "', Error #" +
                               std::to_string(winsock::WSAGetLastError()));
    return entry->p_proto;
}

std::string SocketErrorText(int code) {
    switch (code) {
    case 0:
        return "No Error";
    case 10004:
        return "Interrupted system call";
    case 10009:
        return "Bad file number";
    case 10013:
        return "Permission denied";
    case 10014:
        return "Bad address";
    case 10022:
        return "Invalid argument";
    case 10024:
        return "Too many open files";
    case 10035:
        return "Operation would block";
    case 10036:
        return "Operation now in progress";
    case 10037:
        return "Operation already in progress";
    case 10038:
        return "Socket operation on non-socket";
    case 10039:
        return "Destination address required";
    case 10040:
        return "Message too long";
    case 10041:
        return "Protocol wrong type for socket";
    case 10042:
        return "Protocol not available";
    case 10043:
        return "Protocol not supported";
    case 10044:
        return "Socket type not supported";
    case 10045:
        return "Operation not supported on socket";
    case 10046:
        return "Protocol family not supported";
    case 10047:
        return "Address family not supported by protocol family";
    case 10048:
        return "Address already in use";
    case 10049:
        return "Address not available";
    case 10050:
        return "Network is down";
    case 10051:
        return "Network is unreachable";
    case 10052:
        return "Network dropped connection on reset";
    case 10053:
        return "Connection aborted";
    case 10054:
        return "Connection reset by peer";
    case 10055:
        return "No buffer space available";
    case 10056:
        return "Socket is already connected";
    case 10057:
        return "Socket is not connected";
    case 10058:
        return "Can't send after socket shutdown";
    case 10059:
        return "Too many references: can't splice";
    case 10060:
        return "Connection timed out";
    case 10061:
        return "Connection refused";
    case 10062:
        return "Too many levels of symbolic links";
    case 10063:
        return "File name too long";
    case 10064:
        return "Host is down";
    case 10065:
        return "No route to host";
    case 10066:
        return "Directory not empty";
    case 10067:
        return "Too many processes";
    case 10068:
        return "Too many users";
    case 10069:
        return "Disc quota exceeded";
    case 10070:
        return "Stale NFS file handle";
    case 10071:
        return "Too many levels of remote in path";
    case 10091:
        return "Network sub-system is unusable";
    case 10092:
        return "WinSock DLL cannot support this application";
    case 10093:
        return "WinSock not initialized";
    case 11001:
        return "Host not found";
    case 11002:
        return "Non-authoritative host not found";
    case 11003:
        return "Non-recoverable error";
    case 11004:
        return "No Data";
    default:
        return "Not a WinSock error";
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomWSocket

TCustomWSocket::TCustomWSocket() {
    window_ = std::make_unique<TMessageWindow>([this](const TMessage& message) { Dispatch(message); });
    ResetToDefaults();
    ++g_socketCount;
}

TCustomWSocket::~TCustomWSocket() {
    destroying_ = true;
    try {
        CancelLookup();
    } catch (...) {
    }
    try {
        if (state_ != wsClosed || handle_ != kInvalidSocket)
            Close();
    } catch (...) {
    }
    if (--g_socketCount < 1) {
        g_socketCount = 0;
        UnloadSocketLibrary();
    }
    bufList_.clear();
    window_->SetHandler({});
    // A socket freed from inside its own message (PostFree) leaves the window to the loop.
    if (window_->Dispatching())
        window_.release()->deleteLater();
}

void TCustomWSocket::Dispatch(const TMessage& message) {
    try {
        WndProc(message);
    } catch (const std::exception& e) {
        HandleBgException(e);
    }
}

void TCustomWSocket::PostMessage(unsigned msg, std::intptr_t wParam, std::intptr_t lParam) {
    window_->Post(msg, wParam, lParam, msg == WM_ASYNCSELECT ? incarnation_ : 0);
}

void TCustomWSocket::WndProc(const TMessage& message) {
    switch (message.msg) {
    case WM_ASYNCSELECT: {
        // Descriptors are reused at once: a notice for an earlier socket on the same number
        // carries another incarnation and is dropped.
        if (message.wParam != handle_ || message.incarnation != incarnation_ || paused_)
            return;
        const std::uint16_t events = LoWord(message.lParam);
        if (events & FD_CONNECT)
            Do_FD_CONNECT(message);
        if (events & FD_READ)
            Do_FD_READ(message);
        if (events & FD_WRITE)
            Do_FD_WRITE(message);
        if (events & FD_ACCEPT)
            Do_FD_ACCEPT(message);
        if (events & FD_CLOSE)
            Do_FD_CLOSE(message);
        return;
    }
    case WM_ASYNCGETHOSTBYNAME: {
        if (message.wParam != dnsLookupHandle_ || dnsLookupHandle_ == 0)
            return;
        dnsLookupHandle_ = 0;
        const std::uint16_t error = HiWord(message.lParam);
        if (error == 0) {
            for (const std::uint32_t address : HostEntryAddresses(dnsLookupBuffer_.data()))
                dnsResultList_.push_back(Dotted(address));
            if (!dnsResultList_.empty())
                dnsResult_ = dnsResultList_.front();
        }
        TriggerDnsLookupDone(error);
        return;
    }
    case WM_ASYNCGETHOSTBYADDR: {
        if (message.wParam != dnsLookupHandle_ || dnsLookupHandle_ == 0)
            return;
        dnsLookupHandle_ = 0;
        const std::uint16_t error = HiWord(message.lParam);
        if (error == 0) {
            dnsResult_ = HostEntryName(dnsLookupBuffer_.data());
            dnsResultList_ = {dnsResult_};
        }
        TriggerDnsLookupDone(error);
        return;
    }
    case WM_CLOSE_DELAYED:
        Close();
        return;
    case WM_WSOCKET_RELEASE:
        delete this;
        return;
    case WM_TRIGGER_EXCEPTION:
        throw ESocketException("Test exception in WSocket");
    default:
        return;
    }
}

void TCustomWSocket::Do_FD_CONNECT(const TMessage& message) {
    const std::uint16_t error = HiWord(message.lParam);
    if (state_ != wsConnected) {
        ChangeState(wsConnected);
        TriggerSessionConnected(error);
        if (error != 0 && state_ != wsClosed)
            Close();
    }
}

void TCustomWSocket::Do_FD_READ(const TMessage& message) {
    const std::uint16_t error = HiWord(message.lParam);
    if (state_ != wsConnected) {
        ChangeState(wsConnected);
        TriggerSessionConnected(error);
    }
    ASyncReceive(error, ComponentOptions, false);
}

void TCustomWSocket::Do_FD_WRITE(const TMessage& message) {
    if (TryToSend())
        TriggerDataSent(HiWord(message.lParam));
}

void TCustomWSocket::Do_FD_ACCEPT(const TMessage& message) {
    TriggerSessionAvailable(HiWord(message.lParam));
}

void TCustomWSocket::Do_FD_CLOSE(const TMessage& message) {
    // While connecting, the connect notice carries the failure.
    if (state_ == wsConnecting)
        return;
    const std::uint16_t error = HiWord(message.lParam);
    ASyncReceive(error, ComponentOptions & ~static_cast<unsigned>(wsoNoReceiveLoop), true);
    // A handler may have closed the socket meanwhile; its end was reported then.
    if (!closeInvoked_) {
        closeInvoked_ = true;
        TriggerSessionClosed(error);
    }
    if (state_ != wsClosed)
        Close();
}

void TCustomWSocket::ASyncReceive(std::uint16_t error, TWSocketOptions options, bool drain) {
    // Bounded: every round must consume something, and one notice reads at most
    // kReceivePerNotice bytes before the event loop runs again (the rest brings its own notice).
    // Only the drain at the close reads all: a peer that has closed can send no more.
    const std::int64_t readBefore = readCount_;
    for (;;) {
        try {
            lastError_ = 0;
            unsigned long before = 0;
            if (handle_ != kInvalidSocket)
                winsock::ioctlsocket(handle_, kFionRead, &before);
            if (!TriggerDataAvailable(error)) {
                char junk[1024];
                if (DoRecv(junk, sizeof junk, 0) < 0) {
                    const int code = winsock::WSAGetLastError();
                    lastError_ = code == WSAEWOULDBLOCK ? 0 : code;
                    break;
                }
            }
            if (options & wsoNoReceiveLoop)
                break;
            if (lastError_ != 0 || handle_ == kInvalidSocket)
                break;
            unsigned long waiting = 0;
            if (winsock::ioctlsocket(handle_, kFionRead, &waiting) != 0) {
                lastError_ = winsock::WSAGetLastError();
                break;
            }
            if (waiting == 0 || waiting == before)
                break;
            if (!drain && readCount_ - readBefore >= kReceivePerNotice)
                break;
        } catch (...) {
            break;
        }
    }
}

void TCustomWSocket::ResetToDefaults() {
    sin_ = TSockAddrIn{};
    sin_.family = 2;
    proto_ = "tcp";
    protoAssigned_ = true;
    protoResolved_ = false;
    protoNumber_ = 6;
    socketType_ = 1;
    portAssigned_ = portResolved_ = false;
    addrAssigned_ = addrResolved_ = false;
    localPort_ = "0";
    localPortResolved_ = false;
    localPortNum_ = 0;
    localAddr_ = "0.0.0.0";
    LingerOnOff = wsLingerOn;
    LingerTimeout = 0;
    handle_ = kInvalidSocket;
    incarnation_ = 0;
    state_ = wsClosed;
    allSent_ = true;
    paused_ = false;
    readCount_ = 0;
    FlushTimeout = 60;
}

void TCustomWSocket::AssignEndpoint(const char* property, const std::string& value, std::string& field,
                                    bool& assigned, bool& resolved) {
    const std::string text = Trim(value);
    // The same value after a close counts as set again: a close unassigns it.
    if (assigned && text == field)
        return;
    if (state_ != wsClosed) {
        ReportError(std::string("Cannot change ") + property + " if not closed");
        return;
    }
    field = text;
    assigned = !text.empty();
    resolved = false;
}

void TCustomWSocket::SetAddr(const std::string& value) {
    AssignEndpoint("Addr", value, addr_, addrAssigned_, addrResolved_);
}

void TCustomWSocket::SetPort(const std::string& value) {
    AssignEndpoint("Port", value, port_, portAssigned_, portResolved_);
}

void TCustomWSocket::SetProto(const std::string& value) {
    AssignEndpoint("Proto", value, proto_, protoAssigned_, protoResolved_);
}

void TCustomWSocket::SetLocalAddr(const std::string& value) {
    if (state_ != wsClosed) {
        ReportError("Cannot change LocalAddr if not closed");
        return;
    }
    const std::string text = Trim(value).empty() ? std::string("0.0.0.0") : Trim(value);
    if (!IsDottedAddress(text)) {
        ReportError("SetLocalAddr(): Invalid IP address");
        return;
    }
    localAddr_ = Dotted(winsock::inet_addr(text.c_str()));
}

void TCustomWSocket::SetLocalPort(const std::string& value) {
    if (state_ != wsClosed) {
        ReportError("Cannot change LocalPort if not closed");
        return;
    }
    localPort_ = value;
    localPortResolved_ = false;
}

void TCustomWSocket::SetSendFlags(int value) {
    if (value != wsSendNormal && value != wsSendUrgent) {
        ReportError("Invalid SendFlags");
        return;
    }
    sendFlags_ = static_cast<TSocketSendFlags>(value);
}

void TCustomWSocket::ChangeState(TSocketState newState) {
    const TSocketState oldState = state_;
    state_ = newState;
    TriggerChangeState(oldState, newState);
}

void TCustomWSocket::ResolveEndpoint(bool withLocalPort) {
    if (!protoResolved_) {
        protoNumber_ = WSocketResolveProto(proto_);
        socketType_ = protoNumber_ == 17 ? 2 : 1;
        protoResolved_ = true;
    }
    if (!portResolved_) {
        sin_.port = winsock::Htons(WSocketResolvePort(port_, proto_));
        portResolved_ = true;
    }
    if (withLocalPort && !localPortResolved_) {
        localPortNum_ = WSocketResolvePort(localPort_, proto_);
        localPortResolved_ = true;
    }
    if (!addrResolved_) {
        sin_.addr = WSocketResolveHost(addr_);
        addrResolved_ = true;
    }
}

bool TCustomWSocket::OpenHandle(const char* operation) {
    DeleteBufferedData();
    handle_ = winsock::socket(2, socketType_, protoNumber_);
    if (handle_ == kInvalidSocket) {
        SocketError(operation);
        return false;
    }
    incarnation_ = SocketIncarnation(handle_);
    // A new session: its end is still to be reported (once, however it comes).
    closeInvoked_ = false;
    return true;
}

void TCustomWSocket::Connect() {
    if (handle_ != kInvalidSocket && state_ != wsClosed) {
        ReportError("Connect: Socket already in use");
        return;
    }
    if (!portAssigned_) {
        ReportError("Connect: No Port Specified");
        return;
    }
    if (!addrAssigned_) {
        ReportError("Connect: No IP Address Specified");
        return;
    }
    if (!protoAssigned_) {
        ReportError("Connect: No Protocol Specified");
        return;
    }
    try {
        ResolveEndpoint(true);
    } catch (const ESocketException& e) {
        ReportError(std::string("connect: ") + e.what());
        return;
    }

    if (!OpenHandle("Connect (socket)"))
        return;
    ChangeState(wsOpened);

    const int on = 1;
    if (socketType_ == 2) {
        Bind();
        if (MultiCast && MultiCastIpTTL != 1) {
            const unsigned char ttl = static_cast<unsigned char>(MultiCastIpTTL);
            if (winsock::setsockopt(handle_, IpProtoIp(), IpMulticastTtl(), &ttl, sizeof ttl) != 0) {
                SocketError("setsockopt(IP_MULTICAST_TTL)");
                return;
            }
        }
        if (sin_.addr == kInAddrNone &&
            winsock::setsockopt(handle_, SolSocket(), SoBroadcast(), &on, sizeof on) != 0) {
            SocketError("setsockopt(SO_BROADCAST)");
            return;
        }
    } else {
        if (winsock::setsockopt(handle_, SolSocket(), SoReuseAddr(), &on, sizeof on) != 0) {
            SocketError("setsockopt(SO_REUSEADDR)");
            return;
        }
        if ((ComponentOptions & wsoTcpNoDelay) &&
            winsock::setsockopt(handle_, IpProtoTcp(), TcpNoDelay(), &on, sizeof on) != 0) {
            SocketError("setsockopt(IPPROTO_TCP, TCP_NODELAY)");
            return;
        }
        ApplyLinger();
        if (winsock::setsockopt(handle_, SolSocket(), SoKeepAlive(), &on, sizeof on) != 0) {
            SocketError("setsockopt(SO_KEEPALIVE)");
            return;
        }
        if (localPortNum_ != 0 || localAddr_ != "0.0.0.0")
            Bind();
    }

    selectEvent_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
    if (winsock::WSAAsyncSelect(handle_, window_.get(), WM_ASYNCSELECT, selectEvent_) != 0) {
        SocketError("WSAAsyncSelect");
        return;
    }
    if (socketType_ == 2) {
        ChangeState(wsConnected);
        TriggerSessionConnected(0);
        return;
    }
    if (winsock::connect(handle_, &sin_) == 0 || winsock::WSAGetLastError() == WSAEWOULDBLOCK) {
        ChangeState(wsConnecting);
    } else {
        lastError_ = winsock::WSAGetLastError();
        SocketError("Connect");
    }
}

void TCustomWSocket::Bind() {
    TSockAddrIn local;
    local.port = winsock::Htons(static_cast<std::uint16_t>(localPortNum_));
    local.addr = WSocketResolveHost(localAddr_);
    if (winsock::bind(handle_, &local) != 0) {
        ReportError("winsock.bind failed, error #" + std::to_string(winsock::WSAGetLastError()));
        return;
    }
    TSockAddrIn name;
    if (winsock::getsockname(handle_, &name) != 0) {
        ReportError("winsock.getsockname failed, error #" + std::to_string(winsock::WSAGetLastError()));
        return;
    }
    localPortNum_ = winsock::Ntohs(name.port);
    localPort_ = std::to_string(localPortNum_);
}

void TCustomWSocket::ApplyLinger() {
    if (LingerOnOff == wsLingerNoSet)
        return;
    if (handle_ == kInvalidSocket) {
        ReportError("Cannot set linger option at this time");
        return;
    }
    linger option{};
    option.l_onoff = LingerOnOff == wsLingerOn ? 1 : 0;
    option.l_linger = LingerTimeout;
    if (winsock::setsockopt(handle_, SolSocket(), SoLinger(), &option, sizeof option) != 0)
        SocketError("setsockopt(SO_LINGER)");
}

void TCustomWSocket::DeleteBufferedData() {
    bufList_.clear();
}

void TCustomWSocket::PutDataInSendBuffer(const void* data, int length) {
    if (length <= 0)
        return;
    const char* bytes = static_cast<const char*>(data);
    if (bufList_.empty())
        bufList_.push_back(std::make_unique<TBuffer>(kChunkSize));
    int written = bufList_.back()->Write(bytes, length);
    while (written < length) {
        bufList_.push_back(std::make_unique<TBuffer>(kChunkSize));
        written += bufList_.back()->Write(bytes + written, length - written);
    }
}

int TCustomWSocket::RealSend(const void* data, int length) {
    const int count = socketType_ == 2 ? winsock::sendto(handle_, data, length, sendFlags_, &sin_)
                                       : winsock::send(handle_, data, length, sendFlags_);
    if (count > 0 && OnSendData)
        OnSendData(this, count);
    return count;
}

bool TCustomWSocket::TryToSend() {
    if (handle_ == kInvalidSocket)
        return false;
    while (!bufList_.empty()) {
        TBuffer& first = *bufList_.front();
        std::int32_t length = 0;
        const char* data = first.Peek(length);
        if (length <= 0) {
            if (bufList_.size() > 1) {
                bufList_.pop_front();
                continue;
            }
            break;
        }
        const int count = RealSend(data, length);
        if (count < 0) {
            const int code = winsock::WSAGetLastError();
            if (code == 10022 || code == 10038 || code == 10053 || code == 10054 || code == 10057) {
                const bool report = !closeInvoked_;
                closeInvoked_ = true;
                Close();
                if (report)
                    TriggerSessionClosed(static_cast<std::uint16_t>(code));
            } else if (code != WSAEWOULDBLOCK) {
                SocketError("TryToSend failed");
            }
            return false;
        }
        first.Remove(count);
        if (count < length)
            return false;
    }
    // An empty queue, or one empty last chunk: everything went.
    allSent_ = true;
    return true;
}

int TCustomWSocket::Send(const void* data, int length) {
    if (state_ != wsConnected) {
        winsock::WSASetLastError(WSAENOTCONN);
        SocketError("Send");
        return -1;
    }
    allSent_ = false;
    PutDataInSendBuffer(data, length);
    TryToSend();
    // Data-sent always comes from the loop, never from inside Send.
    if (allSent_ && handle_ != kInvalidSocket)
        PostMessage(WM_ASYNCSELECT, handle_, MakeLong(static_cast<std::uint16_t>(FD_WRITE), 0));
    return length;
}

int TCustomWSocket::SendText(const std::string& text) {
    if (text.empty())
        return 0;
    return Send(text.data(), static_cast<int>(text.size()));
}

int TCustomWSocket::SendTo(const TSockAddrIn& to, const void* data, int length) {
    const int count = winsock::sendto(handle_, data, length, sendFlags_, &to);
    if (count > 0 && OnSendData)
        OnSendData(this, count);
    return count;
}

int TCustomWSocket::DoRecv(void* buffer, int length, int flags) {
    return winsock::recv(handle_, buffer, length, flags);
}

int TCustomWSocket::Receive(void* buffer, int length) {
    const int count = DoRecv(buffer, length, 0);
    if (count < 0)
        lastError_ = winsock::WSAGetLastError();
    else
        readCount_ += count;
    return count;
}

std::string TCustomWSocket::ReceiveText() {
    int count = RcvdCount();
    if (count < 0)
        return {};
    if (count == 0)
        count = 255;
    std::string text(static_cast<std::size_t>(count), '\0');
    const int got = Receive(text.data(), count);
    if (got <= 0)
        return {};
    text.resize(static_cast<std::size_t>(got));
    return text;
}

int TCustomWSocket::ReceiveFrom(void* buffer, int length, TSockAddrIn& from) {
    const int count = winsock::recvfrom(handle_, buffer, length, 0, &from);
    if (count < 0)
        lastError_ = winsock::WSAGetLastError();
    else
        readCount_ += count;
    return count;
}

int TCustomWSocket::RcvdCount() {
    unsigned long count = 0;
    if (winsock::ioctlsocket(handle_, kFionRead, &count) != 0) {
        SocketError("ioctlSocket");
        return -1;
    }
    return static_cast<int>(std::min<unsigned long>(count, INT_MAX));
}

void TCustomWSocket::DoClose(bool shutFirst, int error) {
    if (handle_ == kInvalidSocket) {
        if (state_ != wsClosed)
            ChangeState(wsClosed);
        try {
            ResetToDefaults();
        } catch (...) {
        }
        return;
    }
    if (shutFirst && state_ != wsClosed)
        winsock::shutdown(handle_, 1);
    // Bounded retries: closing only "would block" while lingering.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (winsock::closesocket(handle_) == 0)
            break;
        const int code = winsock::WSAGetLastError();
        if (code == WSAEWOULDBLOCK) {
            PumpMessages();
            continue;
        }
        if (code == WSANOTINITIALISED)
            break;
        handle_ = kInvalidSocket;
        SocketError("Disconnect (closesocket)");
        break;
    }
    handle_ = kInvalidSocket;
    if (state_ != wsClosed) {
        ChangeState(wsClosed);
        if (!destroying_ && !closeInvoked_) {
            closeInvoked_ = true;
            TriggerSessionClosed(static_cast<std::uint16_t>(error));
        }
    }
    try {
        ResetToDefaults();
    } catch (...) {
    }
}

void TCustomWSocket::Close() {
    DoClose(true, 0);
}

void TCustomWSocket::PostClose() {
    window_->Post(WM_CLOSE_DELAYED);
}

void TCustomWSocket::PostFree() {
    window_->Post(WM_WSOCKET_RELEASE);
}

void TCustomWSocket::Abort() {
    CancelLookup();
    DeleteBufferedData();
    if (state_ == wsConnected && protoNumber_ == 6) {
        LingerOnOff = wsLingerOff;
        LingerTimeout = 0;
        ApplyLinger();
    }
    DoClose(false, 0);
}

void TCustomWSocket::ShutDown(int how) {
    if (handle_ != kInvalidSocket)
        winsock::shutdown(handle_, how);
}

namespace {

// Runs the event loop until `done` holds or `seconds` pass; waits for events, never spins.
template <typename Done> void WaitWithDeadline(int seconds, Done done) {
    QDeadlineTimer deadline(std::chrono::seconds(std::max(seconds, 0)));
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, [] {});
    while (!done() && !deadline.hasExpired() && QCoreApplication::instance() != nullptr &&
           !QCoreApplication::closingDown()) {
        wake.start(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 100)));
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

void TCustomWSocket::Flush() {
    // Bounded by FlushTimeout: a peer that stops reading cannot hold the caller for ever.
    WaitWithDeadline(FlushTimeout, [this] {
        if (handle_ == kInvalidSocket || allSent_)
            return true;
        TryToSend();
        return handle_ == kInvalidSocket || allSent_;
    });
}

void TCustomWSocket::WaitUntilClosed() {
    bool ended = false;
    WaitWithDeadline(FlushTimeout, [this, &ended] {
        if (ended || handle_ == kInvalidSocket || state_ == wsClosed)
            return true;
        unsigned long waiting = 0;
        if (winsock::ioctlsocket(handle_, kFionRead, &waiting) == 0 && waiting > 0)
            TriggerDataAvailable(0);
        return handle_ == kInvalidSocket || state_ == wsClosed;
    });
}

void TCustomWSocket::PumpMessages() {
    if (QCoreApplication::instance() == nullptr)
        return;
    QCoreApplication::processEvents();
    if (MultiThreaded && QCoreApplication::closingDown())
        terminated_ = true;
}

void TCustomWSocket::DnsLookup(const std::string& hostName) {
    if (hostName.empty()) {
        ReportError("DNS lookup: invalid host name.");
        TriggerDnsLookupDone(WSAEINVAL);
        return;
    }
    if (dnsLookupHandle_ != 0)
        CancelLookup();
    dnsResult_.clear();
    dnsResultList_.clear();
    if (IsDottedAddress(hostName)) {
        dnsResult_ = Dotted(winsock::inet_addr(Trim(hostName).c_str()));
        dnsResultList_ = {dnsResult_};
        TriggerDnsLookupDone(0);
        return;
    }
    dnsLookupHandle_ = winsock::WSAAsyncGetHostByName(window_.get(), WM_ASYNCGETHOSTBYNAME, hostName.c_str(),
                                                      dnsLookupBuffer_.data(), kMaxGetHostStruct);
    if (dnsLookupHandle_ == 0)
        ReportError(hostName + ": can't start DNS lookup, error #" +
                    std::to_string(winsock::WSAGetLastError()));
}

void TCustomWSocket::ReverseDnsLookup(const std::string& hostAddr) {
    if (hostAddr.empty() || hostAddr.size() > 256) {
        ReportError("ReverseDnsLookup: Invalid host name.");
        TriggerDnsLookupDone(WSAEINVAL);
        return;
    }
    if (dnsLookupHandle_ != 0)
        CancelLookup();
    dnsResult_.clear();
    dnsResultList_.clear();
    const std::uint32_t address = winsock::inet_addr(Trim(hostAddr).c_str());
    dnsLookupHandle_ = winsock::WSAAsyncGetHostByAddr(window_.get(), WM_ASYNCGETHOSTBYADDR,
                                                      reinterpret_cast<const char*>(&address), 4, 2,
                                                      dnsLookupBuffer_.data(), kMaxGetHostStruct);
    if (dnsLookupHandle_ == 0)
        ReportError(hostAddr + ": can't start DNS lookup, error #" +
                    std::to_string(winsock::WSAGetLastError()));
}

void TCustomWSocket::CancelLookup() {
    if (dnsLookupHandle_ == 0)
        return;
    const TAsyncHandle handle = dnsLookupHandle_;
    dnsLookupHandle_ = 0;
    if (winsock::WSACancelAsyncRequest(handle) != 0) {
        SocketError("WSACancelAsyncRequest");
        return;
    }
    if (!destroying_)
        TriggerDnsLookupDone(WSAEINTR);
}

std::string TCustomWSocket::PeerAddr() {
    if (state_ != wsConnected)
        return "error";
    TSockAddrIn name;
    if (winsock::getpeername(handle_, &name) != 0)
        return "error";
    return Dotted(name.addr);
}

std::string TCustomWSocket::PeerPort() {
    if (state_ != wsConnected)
        return "error";
    TSockAddrIn name;
    if (winsock::getpeername(handle_, &name) != 0)
        return "error";
    return std::to_string(winsock::Ntohs(name.port));
}

std::string TCustomWSocket::GetXAddr() {
    if (state_ != wsBound && state_ != wsConnected && state_ != wsListening)
        return "error";
    TSockAddrIn name;
    if (winsock::getsockname(handle_, &name) != 0)
        return "error";
    return Dotted(name.addr);
}

std::string TCustomWSocket::GetXPort() {
    if (state_ != wsBound && state_ != wsConnected && state_ != wsListening)
        return "error";
    TSockAddrIn name;
    if (winsock::getsockname(handle_, &name) != 0)
        return "error";
    return std::to_string(winsock::Ntohs(name.port));
}

void TCustomWSocket::Listen() {
    if (!portAssigned_) {
        winsock::WSASetLastError(WSAEINVAL);
        SocketError("listen: port not assigned");
        return;
    }
    if (!protoAssigned_) {
        winsock::WSASetLastError(WSAEINVAL);
        SocketError("listen: protocol not assigned");
        return;
    }
    if (!addrAssigned_) {
        winsock::WSASetLastError(WSAEINVAL);
        SocketError("listen: address not assigned");
        return;
    }
    try {
        ResolveEndpoint(false);
    } catch (const ESocketException& e) {
        ReportError(std::string("listen: ") + e.what());
        return;
    }
    if (!OpenHandle("socket"))
        return;
    const int on = 1;
    if (socketType_ == 2 && ReuseAddr &&
        winsock::setsockopt(handle_, SolSocket(), SoReuseAddr(), &on, sizeof on) != 0) {
        SocketError("setsockopt(SO_REUSEADDR)");
        return;
    }
    if (winsock::bind(handle_, &sin_) != 0) {
        SocketError("Bind");
        Close();
        return;
    }
    ChangeState(wsBound);
    if (socketType_ == 2) {
        if (MultiCast) {
            ip_mreq request{};
            request.imr_multiaddr.s_addr = winsock::inet_addr(MultiCastAddrStr.c_str());
            request.imr_interface.s_addr = 0;
            if (winsock::setsockopt(handle_, IpProtoIp(), IpAddMembership(), &request, sizeof request) != 0) {
                SocketError("setsockopt(IP MULTICAST)");
                return;
            }
        }
        ChangeState(wsListening);
        ChangeState(wsConnected);
        TriggerSessionConnected(0);
    } else {
        if (winsock::listen(handle_, 5) != 0) {
            SocketError("Listen");
            return;
        }
        ChangeState(wsListening);
    }
    selectEvent_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
    if (winsock::WSAAsyncSelect(handle_, window_.get(), WM_ASYNCSELECT, selectEvent_) != 0)
        SocketError("WSAASyncSelect");
}

TSocket TCustomWSocket::Accept() {
    if (state_ != wsListening) {
        winsock::WSASetLastError(WSAEINVAL);
        SocketError("not a listening socket");
        return kInvalidSocket;
    }
    TSockAddrIn peer;
    const TSocket accepted = winsock::accept(handle_, &peer);
    if (accepted == kInvalidSocket) {
        SocketError("Accept");
        return kInvalidSocket;
    }
    return accepted;
}

void TCustomWSocket::Dup(TSocket newHandle) {
    if (newHandle == 0 || newHandle == kInvalidSocket) {
        winsock::WSASetLastError(WSAEINVAL);
        SocketError("Dup");
        return;
    }
    if (state_ != wsClosed && handle_ != kInvalidSocket) {
        if (winsock::closesocket(handle_) != 0) {
            SocketError("Dup (closesocket)");
            return;
        }
        handle_ = kInvalidSocket;
        ChangeState(wsClosed);
    }
    handle_ = newHandle;
    incarnation_ = SocketIncarnation(handle_);
    closeInvoked_ = false;
    ApplyLinger();
    selectEvent_ = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
    if (winsock::WSAAsyncSelect(handle_, window_.get(), WM_ASYNCSELECT, selectEvent_) != 0) {
        SocketError("WSAAsyncSelect");
        return;
    }
    ChangeState(wsConnected);
}

void TCustomWSocket::Pause() {
    paused_ = true;
    if (handle_ != kInvalidSocket)
        winsock::WSAAsyncSelect(handle_, window_.get(), 0, 0);
}

void TCustomWSocket::Resume() {
    paused_ = false;
    if (handle_ != kInvalidSocket)
        winsock::WSAAsyncSelect(handle_, window_.get(), WM_ASYNCSELECT, selectEvent_);
}

void TCustomWSocket::ReportError(const std::string& text) {
    if (OnError) {
        TriggerError();
        return;
    }
    throw ESocketException(text);
}

void TCustomWSocket::SocketError(const std::string& operation) {
    const int code = winsock::WSAGetLastError();
    const std::string text =
        "Error " + std::to_string(code) + " in function " + operation + "\r\n" + SocketErrorText(code);
    if (code == WSAECONNRESET || code == WSAENOTCONN) {
        if (handle_ != kInvalidSocket)
            winsock::closesocket(handle_);
        handle_ = kInvalidSocket;
        if (state_ != wsClosed) {
            if (!closeInvoked_) {
                closeInvoked_ = true;
                TriggerSessionClosed(static_cast<std::uint16_t>(code));
            }
            ChangeState(wsClosed);
        }
    }
    lastError_ = code;
    ReportError(text);
}

void TCustomWSocket::HandleBgException(const std::exception& e) {
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, e, canClose);
        } catch (...) {
        }
    }
    if (canClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

bool TCustomWSocket::TriggerDataAvailable(std::uint16_t error) {
    if (!OnDataAvailable)
        return false;
    OnDataAvailable(this, error);
    return true;
}

void TCustomWSocket::TriggerSessionAvailable(std::uint16_t error) {
    if (OnSessionAvailable)
        OnSessionAvailable(this, error);
}

void TCustomWSocket::TriggerSessionConnected(std::uint16_t error) {
    if (OnSessionConnected)
        OnSessionConnected(this, error);
}

void TCustomWSocket::TriggerSessionClosed(std::uint16_t error) {
    if (OnSessionClosed)
        OnSessionClosed(this, error);
}

void TCustomWSocket::TriggerDataSent(std::uint16_t error) {
    if (OnDataSent)
        OnDataSent(this, error);
}

void TCustomWSocket::TriggerChangeState(TSocketState oldState, TSocketState newState) {
    // A socket being freed tells nobody: its owner may already be gone.
    if (OnChangeState && !destroying_)
        OnChangeState(this, oldState, newState);
}

void TCustomWSocket::TriggerDnsLookupDone(std::uint16_t error) {
    if (OnDnsLookupDone)
        OnDnsLookupDone(this, error);
}

void TCustomWSocket::TriggerError() {
    if (OnError)
        OnError(this);
}
