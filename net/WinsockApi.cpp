#include "net/WinsockApi.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------------------------
// Binding

enum EntryIndex {
    eWSAStartup,
    eWSACleanup,
    eWSASetLastError,
    eWSAGetLastError,
    eWSACancelAsyncRequest,
    eWSAAsyncGetHostByName,
    eWSAAsyncGetHostByAddr,
    eWSAAsyncSelect,
    eGetServByName,
    eGetProtoByName,
    eGetHostByName,
    eSocket,
    eShutdown,
    eSetSockOpt,
    eSendTo,
    eSend,
    eNtohs,
    eListen,
    eIoctlSocket,
    eInetNtoa,
    eInetAddr,
    eHtons,
    eGetSockName,
    eGetPeerName,
    eConnect,
    eCloseSocket,
    eBind,
    eAccept,
    eRecv,
    eRecvFrom,
    kEntryCount
};

const char* const kEntryNames[kEntryCount] = {"WSAStartup",
                                              "WSACleanup",
                                              "WSASetLastError",
                                              "WSAGetLastError",
                                              "WSACancelAsyncRequest",
                                              "WSAAsyncGetHostByName",
                                              "WSAAsyncGetHostByAddr",
                                              "WSAAsyncSelect",
                                              "getservbyname",
                                              "getprotobyname",
                                              "gethostbyname",
                                              "socket",
                                              "shutdown",
                                              "setsockopt",
                                              "sendto",
                                              "send",
                                              "ntohs",
                                              "listen",
                                              "ioctlsocket",
                                              "inet_ntoa",
                                              "inet_addr",
                                              "htons",
                                              "getsockname",
                                              "getpeername",
                                              "connect",
                                              "closesocket",
                                              "bind",
                                              "accept",
                                              "recv",
                                              "recvfrom"};

std::unique_ptr<TSocketLibrary> g_library;
TSocketLibraryOpener g_opener;
TEntryPoint g_bound[kEntryCount] = {};
int g_loadCount = 0;

template <typename Fn> Fn Entry(EntryIndex index) {
    if (g_bound[index] == nullptr)
        g_bound[index] = BindEntryPoint(kEntryNames[index]);
    return reinterpret_cast<Fn>(g_bound[index]);
}

// ---------------------------------------------------------------------------------------------
// The POSIX library

int g_lastError = 0;

int MapErrno(int code) {
    switch (code) {
    case 0:
        return 0;
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EWOULDBLOCK:
        return 10035;
    case EINPROGRESS:
        return 10035; // a connect under way reads as "would block" in the library
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ESHUTDOWN:
    case EPIPE:
        return 10058;
    case ETOOMANYREFS:
        return 10059;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    case ENOTEMPTY:
        return 10066;
    case EUSERS:
        return 10068;
    case EDQUOT:
        return 10069;
    case ESTALE:
        return 10070;
    case EREMOTE:
        return 10071;
    default:
        return WSAEINVAL;
    }
}

int Fail() {
    g_lastError = MapErrno(errno);
    return kSocketError;
}

sockaddr_in ToSockAddr(const TSockAddrIn& in) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = in.port;
    out.sin_addr.s_addr = in.addr;
    return out;
}

TSockAddrIn FromSockAddr(const sockaddr_in& in) {
    TSockAddrIn out;
    out.family = static_cast<std::uint16_t>(in.sin_family);
    out.port = in.sin_port;
    out.addr = in.sin_addr.s_addr;
    return out;
}

// --- Event notification: one epoll set, its readiness turned into posted messages -------------

enum class Phase { Fresh, Connecting, Connected, Listening, Datagram };

struct Watch {
    QPointer<TMessageWindow> window;
    unsigned msg = 0;
    long events = 0;
    Phase phase = Phase::Fresh;
    bool readArmed = true;
    bool writeArmed = true;
    bool acceptArmed = true;
    bool closeReported = false;
    std::uint32_t interest = 0; // what the epoll set holds for it; 0 = not in the set
};

int g_epoll = -1;
bool g_started = false;
// Owned by the application object, so that it never outlives the event loop it serves.
QPointer<QSocketNotifier> g_notifier;
std::map<int, Watch> g_watches;
std::map<int, std::uint64_t> g_incarnations;
std::uint64_t g_nextIncarnation = 0;

void Notify(int fd, const Watch& watch, long event, int error) {
    if (watch.window)
        watch.window->Post(watch.msg, fd,
                           MakeLong(static_cast<std::uint16_t>(event), static_cast<std::uint16_t>(error)),
                           SocketIncarnation(fd));
}

// The epoll interest follows the re-enabling rules: a read notice waits for the next recv, a
// write notice for a send that would block, an accept notice for the next accept; a socket
// with nothing to wait for leaves the set so that hang-ups cannot wake the loop for nothing.
void UpdateInterest(int fd, Watch& watch) {
    std::uint32_t interest = 0;
    switch (watch.phase) {
    case Phase::Fresh:
        break;
    case Phase::Connecting:
        interest = EPOLLOUT;
        break;
    case Phase::Listening:
        if (watch.acceptArmed && (watch.events & FD_ACCEPT))
            interest = EPOLLIN;
        break;
    case Phase::Connected:
    case Phase::Datagram:
        if (watch.readArmed && !watch.closeReported && (watch.events & (FD_READ | FD_CLOSE)))
            interest |= EPOLLIN;
        if (watch.writeArmed && (watch.events & FD_WRITE))
            interest |= EPOLLOUT;
        break;
    }
    if (interest == watch.interest)
        return;
    epoll_event event{};
    event.events = interest;
    event.data.fd = fd;
    if (interest == 0)
        ::epoll_ctl(g_epoll, EPOLL_CTL_DEL, fd, nullptr);
    else
        ::epoll_ctl(g_epoll, watch.interest == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &event);
    watch.interest = interest;
}

int PendingError(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    return MapErrno(error);
}

int BytesWaiting(int fd) {
    int count = 0;
    if (::ioctl(fd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void HandleReadiness(int fd, std::uint32_t ready) {
    const auto found = g_watches.find(fd);
    if (found == g_watches.end())
        return;
    Watch& watch = found->second;
    const bool in = ready & (EPOLLIN | EPOLLHUP | EPOLLERR);
    const bool out = ready & (EPOLLOUT | EPOLLHUP | EPOLLERR);
    switch (watch.phase) {
    case Phase::Fresh:
        break;
    case Phase::Connecting:
        if (out) {
            const int error = PendingError(fd);
            watch.phase = error == 0 ? Phase::Connected : Phase::Fresh;
            if (watch.events & FD_CONNECT)
                Notify(fd, watch, FD_CONNECT, error);
            if (error == 0 && watch.writeArmed && (watch.events & FD_WRITE)) {
                Notify(fd, watch, FD_WRITE, 0);
                watch.writeArmed = false;
            }
        }
        break;
    case Phase::Listening:
        if (in) {
            Notify(fd, watch, FD_ACCEPT, 0);
            watch.acceptArmed = false;
        }
        break;
    case Phase::Connected:
    case Phase::Datagram:
        if (in && watch.interest & EPOLLIN) {
            if (BytesWaiting(fd) > 0 || watch.phase == Phase::Datagram) {
                if (watch.events & FD_READ)
                    Notify(fd, watch, FD_READ, 0);
                watch.readArmed = false;
            } else {
                // Readable with nothing to read: the peer closed or the connection failed.
                if (watch.events & FD_CLOSE)
                    Notify(fd, watch, FD_CLOSE, PendingError(fd));
                watch.closeReported = true;
            }
        }
        if (out && watch.writeArmed && (watch.events & FD_WRITE)) {
            Notify(fd, watch, FD_WRITE, 0);
            watch.writeArmed = false;
        }
        break;
    }
    UpdateInterest(fd, watch);
}

void DeliverLookups();
int HubDescriptor();

void PollEvents() {
    epoll_event events[64];
    // Bounded: one batch per wake-up; what is left wakes the notifier again.
    const int count = ::epoll_wait(g_epoll, events, 64, 0);
    for (int i = 0; i < count; ++i) {
        if (events[i].data.fd == HubDescriptor())
            DeliverLookups();
        else
            HandleReadiness(events[i].data.fd, events[i].events);
    }
}

bool EnsureNotifier() {
    if (g_epoll < 0 || QCoreApplication::instance() == nullptr)
        return false;
    if (g_notifier == nullptr) {
        g_notifier = new QSocketNotifier(g_epoll, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(g_notifier, &QSocketNotifier::activated, [] { PollEvents(); });
    }
    return true;
}

Watch* FindWatch(int fd) {
    const auto found = g_watches.find(fd);
    return found == g_watches.end() ? nullptr : &found->second;
}

void Rearm(int fd, bool Watch::*flag) {
    if (Watch* watch = FindWatch(fd)) {
        watch->*flag = true;
        UpdateInterest(fd, *watch);
    }
}

void DropWatch(int fd) {
    const auto found = g_watches.find(fd);
    if (found == g_watches.end())
        return;
    if (found->second.interest != 0 && g_epoll >= 0)
        ::epoll_ctl(g_epoll, EPOLL_CTL_DEL, fd, nullptr);
    g_watches.erase(found);
}

// --- The entry points --------------------------------------------------------------------------

int PosixStartup(std::uint16_t version, TWSAData* data) {
    if ((version & 0xFF) < 1)
        return 10092;
    if (g_epoll < 0) {
        g_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        if (g_epoll < 0)
            return 10091;
    }
    g_started = true;
    if (data != nullptr) {
        data->version = 0x0101;
        data->highVersion = 0x0101;
    }
    return 0;
}

void ForgetLookups();

int PosixCleanup() {
    if (!g_started) {
        g_lastError = WSANOTINITIALISED;
        return kSocketError;
    }
    delete g_notifier.data();
    g_watches.clear();
    ForgetLookups();
    if (g_epoll >= 0)
        ::close(g_epoll);
    g_epoll = -1;
    g_started = false;
    return 0;
}

void PosixSetLastError(int error) {
    g_lastError = error;
}
int PosixGetLastError() {
    return g_lastError;
}

// --- Asynchronous lookups ----------------------------------------------------------------------
//
// A lookup runs on a worker thread of its own, which touches nothing but its request and the hub:
// it stores its result, queues the request and wakes the epoll set through the hub's eventfd.
// The loop's thread then writes the host entry and posts the completion message, unless the
// lookup was cancelled meanwhile (its socket went or started another one).

struct LookupRequest {
    // Set before the worker starts, read by the worker.
    std::string name;
    std::uint32_t address = 0;
    bool reverse = false;
    // Written by the worker before it queues the request.
    std::vector<std::uint32_t> addresses;
    std::string hostName;
    int error = 0;
    // The loop thread's only.
    TAsyncHandle handle = 0;
    QPointer<TMessageWindow> window;
    unsigned msg = 0;
    char* buffer = nullptr;
    int length = 0;
};

struct LookupHub {
    int eventFd = -1;
    std::mutex mutex;
    std::vector<std::shared_ptr<LookupRequest>> done;
    ~LookupHub() {
        if (eventFd >= 0)
            ::close(eventFd);
    }
};

std::shared_ptr<LookupHub> g_hub;
std::map<TAsyncHandle, std::shared_ptr<LookupRequest>> g_lookups;
TAsyncHandle g_nextLookup = 0;

int HubDescriptor() {
    return g_hub ? g_hub->eventFd : -1;
}

void ForgetLookups() {
    if (g_hub && g_epoll >= 0)
        ::epoll_ctl(g_epoll, EPOLL_CTL_DEL, g_hub->eventFd, nullptr);
    // Workers still running keep the hub (and its descriptor) until they end.
    g_hub.reset();
    g_lookups.clear();
}

bool EnsureHub() {
    if (g_hub)
        return true;
    auto hub = std::make_shared<LookupHub>();
    hub->eventFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (hub->eventFd < 0)
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = hub->eventFd;
    if (::epoll_ctl(g_epoll, EPOLL_CTL_ADD, hub->eventFd, &event) != 0)
        return false;
    g_hub = std::move(hub);
    return true;
}

void WriteHostEntry(char* buffer, int length, const std::vector<std::uint32_t>& addresses,
                    const std::string& name) {
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    const int room = (length - 4 - 1) / 4;
    std::uint32_t count = 0;
    for (const std::uint32_t address : addresses) {
        if (static_cast<int>(count) >= room || static_cast<int>(count) >= 32)
            break;
        std::memcpy(buffer + 4 + 4 * count, &address, 4);
        ++count;
    }
    std::memcpy(buffer, &count, 4);
    const int nameAt = 4 + 4 * static_cast<int>(count);
    const int nameRoom = length - nameAt - 1;
    if (nameRoom > 0)
        std::memcpy(buffer + nameAt, name.data(),
                    std::min<std::size_t>(name.size(), static_cast<std::size_t>(nameRoom)));
}

int LookupError(int code) {
    switch (code) {
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return 11002;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
    default:
        return 11003;
    }
}

void ResolveOnWorker(LookupRequest& request) {
    if (request.reverse) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        in.sin_addr.s_addr = request.address;
        char host[NI_MAXHOST] = {};
        const int rc = ::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host,
                                     nullptr, 0, NI_NAMEREQD);
        request.addresses = {request.address};
        request.hostName = rc == 0 ? host : "";
        request.error = rc == 0 ? 0 : LookupError(rc);
        return;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = ::getaddrinfo(request.name.c_str(), nullptr, &hints, &result);
    for (addrinfo* entry = result; entry != nullptr; entry = entry->ai_next)
        request.addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
    if (result != nullptr)
        ::freeaddrinfo(result);
    request.hostName = request.name;
    request.error = rc != 0 ? LookupError(rc) : (request.addresses.empty() ? WSANO_DATA : 0);
}

TAsyncHandle StartLookup(std::shared_ptr<LookupRequest> request) {
    if (!EnsureNotifier() || !EnsureHub()) {
        g_lastError = WSANOTINITIALISED;
        return 0;
    }
    request->handle = ++g_nextLookup;
    g_lookups[request->handle] = request;
    try {
        std::thread([hub = g_hub, request] {
            ResolveOnWorker(*request);
            {
                const std::lock_guard lock(hub->mutex);
                hub->done.push_back(request);
            }
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = ::write(hub->eventFd, &one, sizeof one);
        }).detach();
    } catch (const std::system_error&) {
        g_lookups.erase(request->handle);
        g_lastError = 10055;
        return 0;
    }
    return request->handle;
}

void DeliverLookups() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(g_hub->eventFd, &count, sizeof count);
    std::vector<std::shared_ptr<LookupRequest>> done;
    {
        const std::lock_guard lock(g_hub->mutex);
        done.swap(g_hub->done);
    }
    for (const auto& request : done) {
        const auto running = g_lookups.find(request->handle);
        if (running == g_lookups.end())
            continue; // cancelled
        g_lookups.erase(running);
        if (!request->window)
            continue;
        WriteHostEntry(request->buffer, request->length, request->addresses, request->hostName);
        request->window->Post(request->msg, request->handle,
                              MakeLong(0, static_cast<std::uint16_t>(request->error)));
    }
}

int PosixCancelAsyncRequest(TAsyncHandle handle) {
    if (handle == 0) {
        g_lastError = WSAEINVAL;
        return kSocketError;
    }
    // A lookup that already completed has only its message pending, which its socket ignores.
    g_lookups.erase(handle);
    return 0;
}

TAsyncHandle PosixAsyncGetHostByName(TMessageWindow* window, unsigned msg, const char* name, char* buffer,
                                     int length) {
    if (window == nullptr || name == nullptr || buffer == nullptr || length < 16) {
        g_lastError = WSAEINVAL;
        return 0;
    }
    auto request = std::make_shared<LookupRequest>();
    request->name = name;
    request->window = window;
    request->msg = msg;
    request->buffer = buffer;
    request->length = length;
    return StartLookup(std::move(request));
}

TAsyncHandle PosixAsyncGetHostByAddr(TMessageWindow* window, unsigned msg, const char* address,
                                     int addressLength, int type, char* buffer, int length) {
    if (window == nullptr || address == nullptr || addressLength != 4 || type != 2 || buffer == nullptr ||
        length < 16) {
        g_lastError = WSAEINVAL;
        return 0;
    }
    auto request = std::make_shared<LookupRequest>();
    request->reverse = true;
    std::memcpy(&request->address, address, 4);
    request->window = window;
    request->msg = msg;
    request->buffer = buffer;
    request->length = length;
    return StartLookup(std::move(request));
}

int PosixAsyncSelect(TSocket s, TMessageWindow* window, unsigned msg, long events) {
    if (!g_started || QCoreApplication::instance() == nullptr) {
        g_lastError = WSANOTINITIALISED;
        return kSocketError;
    }
    if (!g_incarnations.contains(s)) {
        g_lastError = WSAENOTSOCK;
        return kSocketError;
    }
    DropWatch(s);
    if (events == 0 || window == nullptr)
        return 0;
    const int flags = ::fcntl(s, F_GETFL);
    if (flags < 0 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0)
        return Fail();
    if (!EnsureNotifier()) {
        g_lastError = WSANOTINITIALISED;
        return kSocketError;
    }
    Watch watch;
    watch.window = window;
    watch.msg = msg;
    watch.events = events;
    int type = 0;
    socklen_t length = sizeof type;
    ::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &length);
    int listening = 0;
    length = sizeof listening;
    ::getsockopt(s, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length);
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    if (type == SOCK_DGRAM)
        watch.phase = Phase::Datagram;
    else if (listening)
        watch.phase = Phase::Listening;
    else if (::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0)
        watch.phase = Phase::Connected;
    Watch& stored = g_watches[s] = watch;
    UpdateInterest(s, stored);
    return 0;
}

servent* PosixGetServByName(const char* name, const char* proto) {
    servent* entry = ::getservbyname(name, proto);
    if (entry == nullptr)
        g_lastError = WSANO_DATA;
    return entry;
}

protoent* PosixGetProtoByName(const char* name) {
    protoent* entry = ::getprotobyname(name);
    if (entry != nullptr)
        return entry;
    // A system without a protocol database still knows the protocols every host has.
    static char tcp[] = "tcp", udp[] = "udp", ip[] = "ip";
    static char* none[] = {nullptr};
    static protoent builtins[] = {{tcp, none, IPPROTO_TCP}, {udp, none, IPPROTO_UDP}, {ip, none, IPPROTO_IP}};
    for (protoent& builtin : builtins)
        if (std::strcmp(builtin.p_name, name) == 0)
            return &builtin;
    g_lastError = WSANO_DATA;
    return nullptr;
}

hostent* PosixGetHostByName(const char* name) {
    hostent* entry = ::gethostbyname(name);
    if (entry == nullptr) {
        switch (h_errno) {
        case HOST_NOT_FOUND:
            g_lastError = WSAHOST_NOT_FOUND;
            break;
        case TRY_AGAIN:
            g_lastError = 11002;
            break;
        case NO_DATA:
            g_lastError = WSANO_DATA;
            break;
        default:
            g_lastError = 11003;
            break;
        }
    }
    return entry;
}

TSocket PosixSocket(int family, int type, int protocol) {
    const int s = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (s < 0)
        return Fail();
    g_incarnations[s] = ++g_nextIncarnation;
    return s;
}

int PosixShutdown(TSocket s, int how) {
    return ::shutdown(s, how) == 0 ? 0 : Fail();
}

int PosixSetSockOpt(TSocket s, int level, int option, const void* value, int length) {
    return ::setsockopt(s, level, option, value, static_cast<socklen_t>(length)) == 0 ? 0 : Fail();
}

int PosixSendTo(TSocket s, const void* data, int length, int flags, const TSockAddrIn* to) {
    const sockaddr_in address = ToSockAddr(*to);
    const ssize_t sent = ::sendto(s, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0) {
        if (errno == EWOULDBLOCK)
            Rearm(s, &Watch::writeArmed);
        return Fail();
    }
    // Unlike the platform the component was made for, a stream socket here takes part of a
    // block when its buffer fills; the rest waits for the next write notice like a refused send.
    if (sent < length)
        Rearm(s, &Watch::writeArmed);
    return static_cast<int>(sent);
}

int PosixSend(TSocket s, const void* data, int length, int flags) {
    // MSG_NOSIGNAL: a peer that went away is an error code, not a signal that ends the program.
    const ssize_t sent = ::send(s, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL);
    if (sent < 0) {
        if (errno == EWOULDBLOCK)
            Rearm(s, &Watch::writeArmed);
        return Fail();
    }
    // Unlike the platform the component was made for, a stream socket here takes part of a
    // block when its buffer fills; the rest waits for the next write notice like a refused send.
    if (sent < length)
        Rearm(s, &Watch::writeArmed);
    return static_cast<int>(sent);
}

std::uint16_t PosixNtohs(std::uint16_t value) {
    return ntohs(value);
}
std::uint16_t PosixHtons(std::uint16_t value) {
    return htons(value);
}

int PosixListen(TSocket s, int backlog) {
    if (::listen(s, backlog) != 0)
        return Fail();
    if (Watch* watch = FindWatch(s)) {
        watch->phase = Phase::Listening;
        UpdateInterest(s, *watch);
    }
    return 0;
}

int PosixIoctlSocket(TSocket s, long command, unsigned long* argument) {
    if (argument == nullptr) {
        g_lastError = 10014;
        return kSocketError;
    }
    if (command == kFionRead) {
        int count = 0;
        if (::ioctl(s, FIONREAD, &count) != 0)
            return Fail();
        *argument = static_cast<unsigned long>(count);
        return 0;
    }
    if (command == kFionBio) {
        const int flags = ::fcntl(s, F_GETFL);
        if (flags < 0)
            return Fail();
        return ::fcntl(s, F_SETFL, *argument ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0 ? 0 : Fail();
    }
    g_lastError = WSAEINVAL;
    return kSocketError;
}

const char* PosixInetNtoa(std::uint32_t address) {
    static char text[16];
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

// Four decimal parts, blanks around them allowed. Parts are always decimal: "010" is ten, not
// the octal eight of the classic reader.
std::uint32_t PosixInetAddr(const char* text) {
    if (text == nullptr)
        return kInAddrNone;
    const char* p = text;
    while (*p == ' ')
        ++p;
    unsigned char bytes[4];
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (*p != '.')
                return kInAddrNone;
            ++p;
        }
        if (*p < '0' || *p > '9')
            return kInAddrNone;
        unsigned value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (++digits > 3 || value > 255)
                return kInAddrNone;
            ++p;
        }
        bytes[part] = static_cast<unsigned char>(value);
    }
    while (*p == ' ')
        ++p;
    if (*p != '\0')
        return kInAddrNone;
    std::uint32_t address;
    std::memcpy(&address, bytes, 4);
    return address;
}

int PosixGetSockName(TSocket s, TSockAddrIn* name) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return Fail();
    *name = FromSockAddr(address);
    return 0;
}

int PosixGetPeerName(TSocket s, TSockAddrIn* name) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return Fail();
    *name = FromSockAddr(address);
    return 0;
}

int PosixConnect(TSocket s, const TSockAddrIn* name) {
    const sockaddr_in address = ToSockAddr(*name);
    const int rc = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = rc == 0 ? 0 : errno;
    if (Watch* watch = FindWatch(s);
        watch != nullptr && watch->phase != Phase::Datagram && (rc == 0 || error == EINPROGRESS)) {
        // Also an immediate success is reported from the loop, as the library does.
        watch->phase = Phase::Connecting;
        UpdateInterest(s, *watch);
    }
    if (rc != 0) {
        errno = error;
        return Fail();
    }
    return 0;
}

int PosixCloseSocket(TSocket s) {
    if (!g_incarnations.contains(s)) {
        g_lastError = WSAENOTSOCK;
        return kSocketError;
    }
    DropWatch(s);
    g_incarnations.erase(s);
    return ::close(s) == 0 ? 0 : Fail();
}

int PosixBind(TSocket s, const TSockAddrIn* name) {
    const sockaddr_in address = ToSockAddr(*name);
    return ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : Fail();
}

TSocket PosixAccept(TSocket s, TSockAddrIn* address) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int accepted = ::accept4(s, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    const int error = errno;
    Rearm(s, &Watch::acceptArmed);
    if (accepted < 0) {
        errno = error;
        return Fail();
    }
    g_incarnations[accepted] = ++g_nextIncarnation;
    if (address != nullptr)
        *address = FromSockAddr(peer);
    return accepted;
}

int PosixRecv(TSocket s, void* buffer, int length, int flags) {
    const ssize_t count = ::recv(s, buffer, static_cast<std::size_t>(std::max(length, 0)), flags);
    const int error = errno;
    Rearm(s, &Watch::readArmed);
    if (count < 0) {
        errno = error;
        return Fail();
    }
    return static_cast<int>(count);
}

int PosixRecvFrom(TSocket s, void* buffer, int length, int flags, TSockAddrIn* from) {
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    const ssize_t count = ::recvfrom(s, buffer, static_cast<std::size_t>(std::max(length, 0)), flags,
                                     reinterpret_cast<sockaddr*>(&peer), &peerLength);
    const int error = errno;
    Rearm(s, &Watch::readArmed);
    if (count < 0) {
        errno = error;
        return Fail();
    }
    if (from != nullptr)
        *from = FromSockAddr(peer);
    return static_cast<int>(count);
}

template <typename Fn> TEntryPoint AsEntry(Fn fn) {
    return reinterpret_cast<TEntryPoint>(fn);
}

class TPosixSocketLibrary final : public TSocketLibrary {
public:
    TEntryPoint Find(std::string_view name) override {
        static const std::pair<std::string_view, TEntryPoint> table[] = {
            {"WSAStartup", AsEntry(&PosixStartup)},
            {"WSACleanup", AsEntry(&PosixCleanup)},
            {"WSASetLastError", AsEntry(&PosixSetLastError)},
            {"WSAGetLastError", AsEntry(&PosixGetLastError)},
            {"WSACancelAsyncRequest", AsEntry(&PosixCancelAsyncRequest)},
            {"WSAAsyncGetHostByName", AsEntry(&PosixAsyncGetHostByName)},
            {"WSAAsyncGetHostByAddr", AsEntry(&PosixAsyncGetHostByAddr)},
            {"WSAAsyncSelect", AsEntry(&PosixAsyncSelect)},
            {"getservbyname", AsEntry(&PosixGetServByName)},
            {"getprotobyname", AsEntry(&PosixGetProtoByName)},
            {"gethostbyname", AsEntry(&PosixGetHostByName)},
            {"socket", AsEntry(&PosixSocket)},
            {"shutdown", AsEntry(&PosixShutdown)},
            {"setsockopt", AsEntry(&PosixSetSockOpt)},
            {"sendto", AsEntry(&PosixSendTo)},
            {"send", AsEntry(&PosixSend)},
            {"ntohs", AsEntry(&PosixNtohs)},
            {"listen", AsEntry(&PosixListen)},
            {"ioctlsocket", AsEntry(&PosixIoctlSocket)},
            {"inet_ntoa", AsEntry(&PosixInetNtoa)},
            {"inet_addr", AsEntry(&PosixInetAddr)},
            {"htons", AsEntry(&PosixHtons)},
            {"getsockname", AsEntry(&PosixGetSockName)},
            {"getpeername", AsEntry(&PosixGetPeerName)},
            {"connect", AsEntry(&PosixConnect)},
            {"closesocket", AsEntry(&PosixCloseSocket)},
            {"bind", AsEntry(&PosixBind)},
            {"accept", AsEntry(&PosixAccept)},
            {"recv", AsEntry(&PosixRecv)},
            {"recvfrom", AsEntry(&PosixRecvFrom)},
        };
        for (const auto& [entryName, entry] : table)
            if (entryName == name)
                return entry;
        return nullptr;
    }
};

// A library still loaded when the program ends is cleaned up and freed.
struct TUnloadAtExit {
    ~TUnloadAtExit() { UnloadSocketLibrary(); }
} g_unloadAtExit;

// Reported when a library lacks an entry point (there is no platform error to give).
constexpr int kEntryNotFound = 127;

} // namespace

std::unique_ptr<TSocketLibrary> OpenPosixSocketLibrary() {
    return std::make_unique<TPosixSocketLibrary>();
}

void SetSocketLibraryOpener(TSocketLibraryOpener opener) {
    if (g_library == nullptr)
        g_opener = std::move(opener);
}

TEntryPoint BindEntryPoint(std::string_view name) {
    if (g_library == nullptr) {
        int error = 0;
        std::unique_ptr<TSocketLibrary> library =
            g_opener ? g_opener(kSocketLibraryName, error) : OpenPosixSocketLibrary();
        if (library == nullptr)
            throw ESocketException(std::string("Unable to load ") + kSocketLibraryName + " Error #" +
                                   std::to_string(error));
        auto startup = reinterpret_cast<int (*)(std::uint16_t, TWSAData*)>(library->Find("WSAStartup"));
        if (startup == nullptr)
            throw ESocketException(std::string("Procedure WSAStartup not found in ") + kSocketLibraryName +
                                   " Error #" + std::to_string(kEntryNotFound));
        TWSAData data;
        if (const int rc = startup(0x0101, &data); rc != 0)
            throw ESocketException(std::string(kSocketLibraryName) + ": WSAStartup error #" +
                                   std::to_string(rc));
        g_library = std::move(library);
        ++g_loadCount;
    }
    if (name.empty())
        return nullptr;
    TEntryPoint entry = g_library->Find(name);
    if (entry == nullptr)
        throw ESocketException("Procedure " + std::string(name) + " not found in " + kSocketLibraryName +
                               " Error #" + std::to_string(kEntryNotFound));
    return entry;
}

void UnloadSocketLibrary() {
    if (g_library == nullptr)
        return;
    if (auto cleanup = reinterpret_cast<int (*)()>(g_library->Find("WSACleanup")))
        cleanup();
    g_library.reset();
    std::fill(std::begin(g_bound), std::end(g_bound), nullptr);
}

bool SocketLibraryLoaded() {
    return g_library != nullptr;
}
int SocketLibraryLoadCount() {
    return g_loadCount;
}

const char* const* SocketEntryPointNames(int& count) {
    count = kEntryCount;
    return kEntryNames;
}

std::uint64_t SocketIncarnation(TSocket s) {
    const auto found = g_incarnations.find(s);
    return found == g_incarnations.end() ? 0 : found->second;
}

std::vector<std::uint32_t> HostEntryAddresses(const char* buffer) {
    std::uint32_t count = 0;
    std::memcpy(&count, buffer, 4);
    std::vector<std::uint32_t> addresses(std::min<std::uint32_t>(count, 32));
    for (std::size_t i = 0; i < addresses.size(); ++i)
        std::memcpy(&addresses[i], buffer + 4 + 4 * i, 4);
    return addresses;
}

std::string HostEntryName(const char* buffer) {
    std::uint32_t count = 0;
    std::memcpy(&count, buffer, 4);
    return std::string(buffer + 4 + 4 * std::min<std::uint32_t>(count, 32));
}

int SolSocket() {
    return SOL_SOCKET;
}
int IpProtoTcp() {
    return IPPROTO_TCP;
}
int IpProtoIp() {
    return IPPROTO_IP;
}
int SoReuseAddr() {
    return SO_REUSEADDR;
}
int SoKeepAlive() {
    return SO_KEEPALIVE;
}
int SoLinger() {
    return SO_LINGER;
}
int SoBroadcast() {
    return SO_BROADCAST;
}
int TcpNoDelay() {
    return TCP_NODELAY;
}
int IpMulticastTtl() {
    return IP_MULTICAST_TTL;
}
int IpAddMembership() {
    return IP_ADD_MEMBERSHIP;
}

namespace winsock {
int WSAStartup(std::uint16_t version, TWSAData* data) {
    return Entry<int (*)(std::uint16_t, TWSAData*)>(eWSAStartup)(version, data);
}
int WSACleanup() {
    return Entry<int (*)()>(eWSACleanup)();
}
void WSASetLastError(int error) {
    Entry<void (*)(int)>(eWSASetLastError)(error);
}
int WSAGetLastError() {
    return Entry<int (*)()>(eWSAGetLastError)();
}
int WSACancelAsyncRequest(TAsyncHandle handle) {
    return Entry<int (*)(TAsyncHandle)>(eWSACancelAsyncRequest)(handle);
}
TAsyncHandle WSAAsyncGetHostByName(TMessageWindow* window, unsigned msg, const char* name, char* buffer,
                                   int length) {
    return Entry<TAsyncHandle (*)(TMessageWindow*, unsigned, const char*, char*, int)>(
        eWSAAsyncGetHostByName)(window, msg, name, buffer, length);
}
TAsyncHandle WSAAsyncGetHostByAddr(TMessageWindow* window, unsigned msg, const char* address,
                                   int addressLength, int type, char* buffer, int length) {
    return Entry<TAsyncHandle (*)(TMessageWindow*, unsigned, const char*, int, int, char*, int)>(
        eWSAAsyncGetHostByAddr)(window, msg, address, addressLength, type, buffer, length);
}
int WSAAsyncSelect(TSocket s, TMessageWindow* window, unsigned msg, long events) {
    return Entry<int (*)(TSocket, TMessageWindow*, unsigned, long)>(eWSAAsyncSelect)(s, window, msg, events);
}
servent* getservbyname(const char* name, const char* proto) {
    return Entry<servent* (*)(const char*, const char*)>(eGetServByName)(name, proto);
}
protoent* getprotobyname(const char* name) {
    return Entry<protoent* (*)(const char*)>(eGetProtoByName)(name);
}
hostent* gethostbyname(const char* name) {
    return Entry<hostent* (*)(const char*)>(eGetHostByName)(name);
}
TSocket socket(int family, int type, int protocol) {
    return Entry<TSocket (*)(int, int, int)>(eSocket)(family, type, protocol);
}
int shutdown(TSocket s, int how) {
    return Entry<int (*)(TSocket, int)>(eShutdown)(s, how);
}
int setsockopt(TSocket s, int level, int option, const void* value, int length) {
    return Entry<int (*)(TSocket, int, int, const void*, int)>(eSetSockOpt)(s, level, option, value, length);
}
int sendto(TSocket s, const void* data, int length, int flags, const TSockAddrIn* to) {
    return Entry<int (*)(TSocket, const void*, int, int, const TSockAddrIn*)>(eSendTo)(s, data, length, flags,
                                                                                       to);
}
int send(TSocket s, const void* data, int length, int flags) {
    return Entry<int (*)(TSocket, const void*, int, int)>(eSend)(s, data, length, flags);
}
std::uint16_t Ntohs(std::uint16_t value) {
    return Entry<std::uint16_t (*)(std::uint16_t)>(eNtohs)(value);
}
int listen(TSocket s, int backlog) {
    return Entry<int (*)(TSocket, int)>(eListen)(s, backlog);
}
int ioctlsocket(TSocket s, long command, unsigned long* argument) {
    return Entry<int (*)(TSocket, long, unsigned long*)>(eIoctlSocket)(s, command, argument);
}
const char* inet_ntoa(std::uint32_t address) {
    return Entry<const char* (*)(std::uint32_t)>(eInetNtoa)(address);
}
std::uint32_t inet_addr(const char* text) {
    return Entry<std::uint32_t (*)(const char*)>(eInetAddr)(text);
}
std::uint16_t Htons(std::uint16_t value) {
    return Entry<std::uint16_t (*)(std::uint16_t)>(eHtons)(value);
}
int getsockname(TSocket s, TSockAddrIn* name) {
    return Entry<int (*)(TSocket, TSockAddrIn*)>(eGetSockName)(s, name);
}
int getpeername(TSocket s, TSockAddrIn* name) {
    return Entry<int (*)(TSocket, TSockAddrIn*)>(eGetPeerName)(s, name);
}
int connect(TSocket s, const TSockAddrIn* name) {
    return Entry<int (*)(TSocket, const TSockAddrIn*)>(eConnect)(s, name);
}
int closesocket(TSocket s) {
    return Entry<int (*)(TSocket)>(eCloseSocket)(s);
}
int bind(TSocket s, const TSockAddrIn* name) {
    return Entry<int (*)(TSocket, const TSockAddrIn*)>(eBind)(s, name);
}
TSocket accept(TSocket s, TSockAddrIn* address) {
    return Entry<TSocket (*)(TSocket, TSockAddrIn*)>(eAccept)(s, address);
}
int recv(TSocket s, void* buffer, int length, int flags) {
    return Entry<int (*)(TSocket, void*, int, int)>(eRecv)(s, buffer, length, flags);
}
int recvfrom(TSocket s, void* buffer, int length, int flags, TSockAddrIn* from) {
    return Entry<int (*)(TSocket, void*, int, int, TSockAddrIn*)>(eRecvFrom)(s, buffer, length, flags, from);
}
} // namespace winsock
