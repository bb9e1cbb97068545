#pragma once
// The socket library the socket component rests on, bound at run time entry point by entry
// point, by name, like the platform library it stands in for. The default library implements
// the entry points over POSIX sockets; socket events reach their message windows through one
// epoll set watched from the Qt event loop. Tests open other libraries (missing, refusing to
// start, lacking an entry point) through SetSocketLibraryOpener.

#include "net/MessageWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct servent;
struct protoent;
struct hostent;
struct sockaddr;

class ESocketException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TSocket = int;
inline constexpr TSocket kInvalidSocket = -1;
inline constexpr int kSocketError = -1;
using TAsyncHandle = std::intptr_t;

// The library's name as its messages give it.
inline constexpr const char* kSocketLibraryName = "wsock32.dll";

// Event bits of WSAAsyncSelect.
inline constexpr long FD_READ = 0x01;
inline constexpr long FD_WRITE = 0x02;
inline constexpr long FD_OOB = 0x04;
inline constexpr long FD_ACCEPT = 0x08;
inline constexpr long FD_CONNECT = 0x10;
inline constexpr long FD_CLOSE = 0x20;

// Library error numbers.
inline constexpr int WSAEINTR = 10004;
inline constexpr int WSAEBADF = 10009;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAECONNABORTED = 10053;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSANOTINITIALISED = 10093;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSANO_DATA = 11004;

// ioctlsocket commands.
inline constexpr long kFionRead = 0x4004667F;
inline constexpr long kFionBio = 0x8004667E;

// Size of the host-entry buffer of the asynchronous lookups.
inline constexpr int kMaxGetHostStruct = 1024;

// The 32-bit Internet address and port as the library keeps them (network order).
struct TSockAddrIn {
    std::uint16_t family = 2;
    std::uint16_t port = 0;
    std::uint32_t addr = 0;
};

struct TWSAData {
    std::uint16_t version = 0;
    std::uint16_t highVersion = 0;
};

using TEntryPoint = void (*)();

// A loaded socket library: its entry points by name (null when missing).
class TSocketLibrary {
public:
    virtual ~TSocketLibrary() = default;
    virtual TEntryPoint Find(std::string_view name) = 0;
};

// Loads the library `name`; null with `error` set when it cannot.
using TSocketLibraryOpener =
    std::function<std::unique_ptr<TSocketLibrary>(const std::string& name, int& error)>;

// The POSIX library.
std::unique_ptr<TSocketLibrary> OpenPosixSocketLibrary();
// Replaces how the library is loaded (an empty opener restores the POSIX one). Only while no
// library is loaded.
void SetSocketLibraryOpener(TSocketLibraryOpener opener);

// Binds one entry point, loading and starting the library first when needed; an empty name only
// loads. Raises ESocketException when the library cannot be loaded or started or lacks the name.
TEntryPoint BindEntryPoint(std::string_view name);
// Cleans the library up, frees it and forgets every bound entry point.
void UnloadSocketLibrary();
bool SocketLibraryLoaded();
// How many times a library was loaded in this process (tests watch loading and unloading).
int SocketLibraryLoadCount();

// The names bound by BindEntryPoint, in the library's table order.
const char* const* SocketEntryPointNames(int& count);

// The entry points, each bound by name on its first call.
namespace winsock {
int WSAStartup(std::uint16_t version, TWSAData* data);
int WSACleanup();
void WSASetLastError(int error);
int WSAGetLastError();
int WSACancelAsyncRequest(TAsyncHandle handle);
// The host entry written to `buffer` is read with HostEntryAddresses / HostEntryName.
TAsyncHandle WSAAsyncGetHostByName(TMessageWindow* window, unsigned msg, const char* name, char* buffer,
                                   int length);
TAsyncHandle WSAAsyncGetHostByAddr(TMessageWindow* window, unsigned msg, const char* address,
                                   int addressLength, int type, char* buffer, int length);
int WSAAsyncSelect(TSocket s, TMessageWindow* window, unsigned msg, long events);
servent* getservbyname(const char* name, const char* proto);
protoent* getprotobyname(const char* name);
hostent* gethostbyname(const char* name);
TSocket socket(int family, int type, int protocol);
int shutdown(TSocket s, int how);
int setsockopt(TSocket s, int level, int option, const void* value, int length);
int sendto(TSocket s, const void* data, int length, int flags, const TSockAddrIn* to);
int send(TSocket s, const void* data, int length, int flags);
// "ntohs" and "htons" (the C library's names are macros).
std::uint16_t Ntohs(std::uint16_t value);
int listen(TSocket s, int backlog);
int ioctlsocket(TSocket s, long command, unsigned long* argument);
// The returned text stays valid until the next call.
const char* inet_ntoa(std::uint32_t address);
std::uint32_t inet_addr(const char* text);
std::uint16_t Htons(std::uint16_t value);
int getsockname(TSocket s, TSockAddrIn* name);
int getpeername(TSocket s, TSockAddrIn* name);
int connect(TSocket s, const TSockAddrIn* name);
int closesocket(TSocket s);
int bind(TSocket s, const TSockAddrIn* name);
TSocket accept(TSocket s, TSockAddrIn* address);
int recv(TSocket s, void* buffer, int length, int flags);
int recvfrom(TSocket s, void* buffer, int length, int flags, TSockAddrIn* from);
} // namespace winsock

inline constexpr std::uint32_t kInAddrNone = 0xFFFFFFFFu;

// Socket options and levels as the library numbers them (those of the platform).
int SolSocket();
int IpProtoTcp();
int IpProtoIp();
int SoReuseAddr();
int SoKeepAlive();
int SoLinger();
int SoBroadcast();
int TcpNoDelay();
int IpMulticastTtl();
int IpAddMembership();

// Reading the host entry an asynchronous lookup wrote.
std::vector<std::uint32_t> HostEntryAddresses(const char* buffer);
std::string HostEntryName(const char* buffer);

// Which socket a descriptor stands for now; changes every time a descriptor is reused.
std::uint64_t SocketIncarnation(TSocket s);
