#pragma once
// A non-blocking TCP/UDP socket component for a single-threaded, event-loop driven program:
// the socket library reports socket events as messages to the socket's hidden message window,
// and the socket turns them into its events (connected, data available, data sent, closed,
// lookup done). Outgoing data waits in a queue of TBuffer chunks.

#include "net/MessageWindow.h"
#include "net/WSockBuf.h"
#include "net/WinsockApi.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Host, port and protocol texts to numbers; failures raise ESocketException.
std::uint32_t WSocketResolveHost(const std::string& text);                           // network order
std::uint16_t WSocketResolvePort(const std::string& port, const std::string& proto); // host order
int WSocketResolveProto(const std::string& text);
bool IsDottedAddress(std::string_view text);
int LeadingNumber(std::string_view text);
std::string SocketErrorText(int code);

enum TSocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed
};
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TWSocketOption : unsigned { wsoNoReceiveLoop = 1u << 0, wsoTcpNoDelay = 1u << 1 };
using TWSocketOptions = unsigned;

// Messages of the socket's window.
inline constexpr unsigned WM_ASYNCSELECT = kUserMessage + 1;
inline constexpr unsigned WM_ASYNCGETHOSTBYNAME = kUserMessage + 2;
inline constexpr unsigned WM_ASYNCGETHOSTBYADDR = kUserMessage + 3;
inline constexpr unsigned WM_CLOSE_DELAYED = kUserMessage + 4;
inline constexpr unsigned WM_WSOCKET_RELEASE = kUserMessage + 5;
inline constexpr unsigned WM_TRIGGER_EXCEPTION = kUserMessage + 6;
inline constexpr unsigned WM_TRIGGER_DATA_AVAILABLE = kUserMessage + 20;

class TCustomWSocket;
using TDataAvailable = std::function<void(TCustomWSocket* sender, std::uint16_t error)>;
using TDataSent = TDataAvailable;
using TSessionClosed = TDataAvailable;
using TSessionAvailable = TDataAvailable;
using TSessionConnected = TDataAvailable;
using TDnsLookupDone = TDataAvailable;
using TSendData = std::function<void(TCustomWSocket* sender, int bytesSent)>;
using TChangeState =
    std::function<void(TCustomWSocket* sender, TSocketState oldState, TSocketState newState)>;
using TNotifyEvent = std::function<void(TCustomWSocket* sender)>;
using TBgExceptionEvent =
    std::function<void(TCustomWSocket* sender, const std::exception& e, bool& canClose)>;

// How many sockets exist; the socket library is unloaded when the last one goes.
int SocketCount();

class TCustomWSocket {
public:
    static constexpr std::int32_t kChunkSize = 1460;
    // The most bytes one read notice takes before the event loop runs again.
    static constexpr std::int64_t kReceivePerNotice = 65536;

    TCustomWSocket();
    virtual ~TCustomWSocket();
    TCustomWSocket(const TCustomWSocket&) = delete;
    TCustomWSocket& operator=(const TCustomWSocket&) = delete;

    // Properties.
    const std::string& Addr() const { return addr_; }
    void SetAddr(const std::string& value);
    const std::string& Port() const { return port_; }
    virtual void SetPort(const std::string& value);
    const std::string& Proto() const { return proto_; }
    virtual void SetProto(const std::string& value);
    const std::string& LocalAddr() const { return localAddr_; }
    void SetLocalAddr(const std::string& value);
    const std::string& LocalPort() const { return localPort_; }
    void SetLocalPort(const std::string& value);
    TSocketState State() const { return state_; }
    std::int64_t ReadCount() const { return readCount_; }
    virtual int RcvdCount();
    int LastError() const { return lastError_; }
    TSocket Handle() const { return handle_; }
    const std::string& DnsResult() const { return dnsResult_; }
    const std::vector<std::string>& DnsResultList() const { return dnsResultList_; }
    std::string PeerAddr();
    std::string PeerPort();
    std::string GetXAddr(); // local address of the bound socket as text
    std::string GetXPort(); // local port of the bound socket as text
    TSocketSendFlags SendFlags() const { return sendFlags_; }
    void SetSendFlags(int value);

    bool MultiThreaded = false;
    bool MultiCast = false;
    std::string MultiCastAddrStr;
    int MultiCastIpTTL = 1;
    bool ReuseAddr = false;
    TWSocketOptions ComponentOptions = 0;
    int FlushTimeout = 60; // seconds Flush and WaitUntilClosed wait at most
    TSocketLingerOnOff LingerOnOff = wsLingerOn;
    int LingerTimeout = 0;

    // Events.
    TDataAvailable OnDataAvailable;
    TDataSent OnDataSent;
    TSendData OnSendData;
    TSessionClosed OnSessionClosed;
    TSessionAvailable OnSessionAvailable;
    TSessionConnected OnSessionConnected;
    TChangeState OnChangeState;
    TNotifyEvent OnLineTooLong; // never fired
    TDnsLookupDone OnDnsLookupDone;
    std::function<void(TCustomWSocket* sender)> OnError;
    TBgExceptionEvent OnBgException;

    // Operations.
    virtual void Connect();
    virtual void Close();
    void PostClose();
    void PostFree();
    virtual void Abort();
    void Flush();
    void WaitUntilClosed();
    virtual void Listen();
    TSocket Accept();
    int Receive(void* buffer, int length);
    std::string ReceiveText();
    int ReceiveFrom(void* buffer, int length, TSockAddrIn& from);
    int Send(const void* data, int length);
    int SendTo(const TSockAddrIn& to, const void* data, int length);
    int SendText(const std::string& text);
    void DnsLookup(const std::string& hostName);
    void ReverseDnsLookup(const std::string& hostAddr);
    void CancelLookup();
    void Dup(TSocket newHandle);
    void ShutDown(int how);
    void Pause();
    void Resume();
    void PumpMessages();
    bool Terminated() const { return terminated_; }
    bool AllSent() const { return allSent_; }
    // Chunks waiting to be sent (tests look at the queue).
    std::size_t QueuedChunks() const { return bufList_.size(); }
    // Posts a message to the socket's own window (message 1030 raises the test exception).
    void PostMessage(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    TMessageWindow* Window() { return window_.get(); }

protected:
    virtual void WndProc(const TMessage& message);
    virtual void ResetToDefaults();
    virtual void DoClose(bool shutFirst, int error);
    virtual void Bind();
    virtual int RealSend(const void* data, int length);
    void ReportError(const std::string& text);
    // Stores Addr, Port or Proto of a closed socket, to be resolved again. Changing it on an
    // open socket is reported.
    void AssignEndpoint(const char* property, const std::string& value, std::string& field, bool& assigned,
                        bool& resolved);
    void SocketError(const std::string& operation);
    // Resolves what is not resolved yet of Proto, Port, LocalPort (when asked) and Addr, in
    // that order; throws ESocketException.
    void ResolveEndpoint(bool withLocalPort);
    // A new handle for the resolved protocol, buffered data dropped; false (reported under
    // `operation`) when the library refuses one.
    bool OpenHandle(const char* operation);
    virtual void HandleBgException(const std::exception& e);
    virtual bool TriggerDataAvailable(std::uint16_t error);
    virtual void TriggerSessionAvailable(std::uint16_t error);
    virtual void TriggerSessionConnected(std::uint16_t error);
    virtual void TriggerSessionClosed(std::uint16_t error);
    virtual void TriggerDataSent(std::uint16_t error);
    virtual void TriggerChangeState(TSocketState oldState, TSocketState newState);
    virtual void TriggerDnsLookupDone(std::uint16_t error);
    virtual void TriggerError();
    virtual int DoRecv(void* buffer, int length, int flags);
    void ChangeState(TSocketState newState);
    void ApplyLinger();
    void DeleteBufferedData();
    bool TryToSend();
    // The receive loop of one notice; `drain` (at the close) reads everything that waits.
    void ASyncReceive(std::uint16_t error, TWSocketOptions options, bool drain);
    void PutDataInSendBuffer(const void* data, int length);
    bool Destroying() const { return destroying_; }

    std::string addr_;
    std::string port_;
    std::string proto_ = "tcp";
    bool addrAssigned_ = false, addrResolved_ = false;
    bool portAssigned_ = false, portResolved_ = false;
    bool protoAssigned_ = true, protoResolved_ = false;
    std::string localAddr_ = "0.0.0.0";
    std::string localPort_ = "0";
    bool localPortResolved_ = false;
    int localPortNum_ = 0;
    int protoNumber_ = 6;
    int socketType_ = 1;
    TSockAddrIn sin_;
    TSocket handle_ = kInvalidSocket;
    std::uint64_t incarnation_ = 0;
    TSocketState state_ = wsClosed;
    int lastError_ = 0;
    std::int64_t readCount_ = 0;
    bool allSent_ = true;
    bool paused_ = false;
    bool closeInvoked_ = false;
    bool terminated_ = false;
    bool destroying_ = false;
    long selectEvent_ = 0;
    TSocketSendFlags sendFlags_ = wsSendNormal;
    std::string dnsResult_;
    std::vector<std::string> dnsResultList_;
    TAsyncHandle dnsLookupHandle_ = 0;
    std::vector<char> dnsLookupBuffer_ = std::vector<char>(kMaxGetHostStruct + 1);
    std::list<std::unique_ptr<TBuffer>> bufList_;
    std::unique_ptr<TMessageWindow> window_;

private:
    void Do_FD_CONNECT(const TMessage& message);
    void Do_FD_READ(const TMessage& message);
    void Do_FD_WRITE(const TMessage& message);
    void Do_FD_ACCEPT(const TMessage& message);
    void Do_FD_CLOSE(const TMessage& message);
    void Dispatch(const TMessage& message);
};

enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };
enum TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure, socksAuthNotRequired };
using TSocksErrorEvent = std::function<void(TCustomWSocket* sender, int error, const std::string& msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomWSocket* sender, TSocksAuthState authState)>;

// Connects through a SOCKS 4, 4A or 5 proxy when a SOCKS server is set.
class TCustomSocksWSocket : public TCustomWSocket {
public:
    TCustomSocksWSocket();

    const std::string& SocksLevel() const { return socksLevel_; }
    void SetSocksLevel(const std::string& value);
    const std::string& SocksServer() const { return socksServer_; }
    virtual void SetSocksServer(const std::string& value);
    const std::string& SocksPort() const { return socksPort_; }
    virtual void SetSocksPort(const std::string& value);
    std::string SocksUsercode;
    std::string SocksPassword;
    TSocksAuthentication SocksAuthentication = socksNoAuthentication;

    TSessionConnected OnSocksConnected;
    TSocksErrorEvent OnSocksError;
    TSocksAuthStateEvent OnSocksAuthState;

    void Connect() override;
    void Listen() override;
    int RcvdCount() override;
    // Whether a SOCKS negotiation runs now.
    bool SocksNegotiating() const { return socksState_ != 0; }

protected:
    void ResetToDefaults() override;
    bool TriggerDataAvailable(std::uint16_t error) override;
    void TriggerSessionConnected(std::uint16_t error) override;
    void TriggerSessionClosed(std::uint16_t error) override;
    int DoRecv(void* buffer, int length, int flags) override;
    virtual void TriggerSocksConnected(std::uint16_t error);
    virtual void TriggerSocksError(int error, const std::string& msg);
    void TriggerSocksAuthState(TSocksAuthState state);

private:
    void SocksDoConnect();
    void SocksDoAuthenticate();
    void SocksDoError(int error, const std::string& msg);
    // Handles the reply bytes gathered so far, as far as they form whole messages.
    void SocksHandleReply();
    bool SocksSend(const std::string& bytes);

    std::string socksLevel_ = "5";
    std::string socksServer_;
    std::string socksPort_;
    bool socksServerAssigned_ = false;
    int socksState_ = 0; // 0 idle, 1 method or SOCKS 4 reply, 2 authenticating, 3 connect reply
    int methodOffered_ = 0;
    std::string reply_;   // reply bytes not handled yet
    std::string pending_; // bytes that came after the connect reply
    std::uint16_t targetPort_ = 0;
};

using TLineLimitEvent = std::function<void(TCustomWSocket* sender, int rcvdLength, bool& clearData)>;

// Delivers received data line by line when LineMode is on.
class TCustomLineWSocket : public TCustomSocksWSocket {
public:
    bool LineMode() const { return lineMode_; }
    virtual void SetLineMode(bool value);
    int LineLimit = 65536;
    std::string LineEnd = "\r\n";
    bool LineEcho = false;
    bool LineEdit = false;
    TLineLimitEvent OnLineLimitExceeded;

    int RcvdCount() override;
    // Bytes received and not yet handed out.
    const std::string& Buffered() const { return rcvBuf_; }

protected:
    void WndProc(const TMessage& message) override;
    bool TriggerDataAvailable(std::uint16_t error) override;
    void TriggerSessionClosed(std::uint16_t error) override;
    int DoRecv(void* buffer, int length, int flags) override;
    virtual void TriggerLineLimitExceeded(int count, bool& clearData);
    // Applies backspace and tab to `data`, echoing when LineEcho is on.
    virtual void EditLine(std::string& data);

private:
    // Offers every complete line from `from` on, then checks the limit.
    void ScanLines(std::size_t from);
    void OfferLine(std::size_t length);

    bool lineMode_ = false;
    std::string rcvBuf_;
    std::size_t lineLength_ = 0;
    bool lineReady_ = false;
};

// Waits for a flag while the event loop runs.
class TCustomSyncWSocket : public TCustomLineWSocket {
public:
    static constexpr int kTimedOut = 12001;
    // Milliseconds; 0 waits without limit (but never past the application's end).
    int Timeout = 0;
    // 0 once `flag` is set; kTimedOut when the time is up or the application ends.
    virtual int WaitUntilReady(const int& flag);
    virtual int Synchronize(int& flag, const std::function<void()>& procedure);
};

// The socket with every mode's properties and events; adds no behaviour.
class TWSocket : public TCustomSyncWSocket {};
