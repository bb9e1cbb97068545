#pragma once
// An event-driven HTTP/1.0 client on the socket component. A request runs asynchronously from
// the event loop (lookup, connect, request, header, body); Get, Post and Head run one
// synchronously, waiting on the event loop until it ends, and raise EHttpException when it
// failed.

#include "net/HttpReader.h"
#include "net/MessageWindow.h"
#include "net/WSocket.h"

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QIODevice;
class QEventLoop;

class EHttpException : public std::runtime_error {
public:
    EHttpException(const std::string& message, int errorCode)
        : std::runtime_error(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

enum THttpRequest { httpNONE, httpGET, httpPOST, httpHEAD };

enum THttpState : std::uint8_t {
    httpReady,
    httpNotConnected,
    httpConnected,
    httpDnsLookup,
    httpDnsLookupDone,
    httpWaitingHeader,
    httpWaitingBody,
    httpAborting
};

// The parts of an address. Relative forms ("./x", "../x") are resolved against `basePath`.
struct TUrlParts {
    std::string proto, user, pass, host, port, path;
    bool operator==(const TUrlParts&) const = default;
};
TUrlParts SplitURL(const std::string& url, const std::string& basePath = {});
// The file name a request path stands for ("document.htm" for a folder).
std::string DocumentNameOf(const std::string& path);
// The text after the last "." replaced by `extension`, or "." + `extension` appended.
std::string ChangeExtension(const std::string& name, const std::string& extension);
std::string Base64EncodeText(const std::string& text);
// "Mon, 02 Jan 2006 15:04:05" (the value as given, no time-zone conversion).
std::string HttpDate(const QDateTime& value);
// The scheme an address begins with ("ftp" of "ftp://x", "javascript" of "javascript:x"), or empty
// for a relative one; "host:8080/x" is a host and port, not a scheme.
std::string SchemeOf(const std::string& url);
// At most `length` characters of `text`, with "..." in place of the rest (reasons quote peers).
std::string Abridged(const std::string& text, std::size_t length = 200);

// Messages of the client's window.
inline constexpr unsigned WM_HTTP_REQUEST_DONE = kUserMessage + 1;
inline constexpr unsigned WM_HTTP_SET_READY = kUserMessage + 2;
inline constexpr unsigned WM_HTTP_LOGIN = kUserMessage + 3;

class THttpCli;
using THttpNotify = std::function<void(THttpCli* sender)>;
using TOnCommand = std::function<void(THttpCli* sender, std::string& s)>;
using TDocDataEvent = std::function<void(THttpCli* sender, const char* buffer, int length)>;
using TCookieRcvdEvent = std::function<void(THttpCli* sender, const std::string& data, bool& accept)>;
using THttpRequestDone = std::function<void(THttpCli* sender, THttpRequest rqType, std::uint16_t error)>;

class THttpCli : private THttpResponseReader::TListener {
public:
    // Redirections followed by one request at most.
    static constexpr int kMaxRelocations = 10;

    THttpCli();
    ~THttpCli() override;
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    // Requests.
    void Get() { RunRequest(httpGET); }
    void Post() { RunRequest(httpPOST); }
    void Head() { RunRequest(httpHEAD); }
    void GetASync() { StartRequest(httpGET); }
    void PostASync() { StartRequest(httpPOST); }
    void HeadASync() { StartRequest(httpHEAD); }
    // Ends a running request at once as failed with `reason`.
    void Abort(const std::string& reason = "Request aborted");

    // Published properties.
    std::string URL;
    std::string Proxy;
    std::string ProxyPort = "80";
    std::string Sender;
    std::string Agent = "Mozilla/3.0 (compatible)";
    std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    std::string Reference;
    std::string Username, Password;
    std::string ProxyUsername, ProxyPassword;
    bool NoCache = false;
    QDateTime ModifiedSince; // not set while invalid
    std::string Cookie;
    std::string ContentTypePost = "application/x-www-form-urlencoded";
    std::string ContentRangeBegin, ContentRangeEnd;
    QIODevice* ReceiveStream = nullptr; // not owned
    QIODevice* PostStream = nullptr;    // not owned
    // How long a synchronous request may take in all, in milliseconds (0: no limit).
    int RequestTimeout = 60000;
    // The most document bytes a request takes (0: no limit); a longer document fails the request.
    std::int64_t MaxDocumentSize = 0;
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool value);

    // Read-only results.
    THttpState State() const { return state_; }
    int StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    std::int64_t ContentLength() const { return reader_.ContentLength; }
    const std::string& ContentType() const { return reader_.ContentType; }
    const std::string& AcceptRanges() const { return acceptRanges_; }
    const std::vector<std::string>& RcvdHeader() const { return receivedHeader_; }
    const std::vector<std::string>& AuthenticateList() const { return reader_.AuthenticateList; }
    const std::string& Location() const { return location_; }
    const std::string& DocName() const { return documentName_; }
    const std::string& Path() const { return path_; }
    const std::string& Hostname() const { return hostName_; }
    const std::string& EndPointHost() const { return endPointHost_; }
    const std::string& EndPointPort() const { return endPointPort_; }
    std::int64_t RcvdCount() const { return receivedCount_; }
    std::int64_t SentCount() const { return sentCount_; }
    std::uint16_t CompletionError() const { return completionError_; }
    int Relocations() const { return relocations_; }
    TWSocket& CtrlSocket() { return *socket_; }

    // Events.
    THttpNotify OnTrace; // never fired
    THttpNotify OnSessionConnected;
    THttpNotify OnHeaderData;
    TOnCommand OnCommand;
    THttpNotify OnHeaderBegin;
    THttpNotify OnHeaderEnd;
    THttpNotify OnRequestHeaderBegin;
    THttpNotify OnRequestHeaderEnd;
    THttpNotify OnDocBegin;
    TDocDataEvent OnDocData;
    THttpNotify OnDocEnd;
    THttpNotify OnSendBegin;
    TDocDataEvent OnSendData;
    THttpNotify OnSendEnd;
    THttpNotify OnStateChange;
    THttpRequestDone OnRequestDone;
    THttpNotify OnLocationChange;
    TCookieRcvdEvent OnCookie;

protected:
    void RunRequest(THttpRequest request);
    void StartRequest(THttpRequest request);
    virtual void AddRequestLine(std::string line);
    virtual void BeginLookup();
    virtual void Disconnect();
    virtual void ResetReceiveState();
    virtual void RelocationClosed();

private:
    void WndProc(const TMessage& message);
    void SetState(THttpState state);
    void PostReady();
    void SendRequestHeader(const std::string& method);
    void SocketLookupDone(std::uint16_t error);
    void SocketConnected(std::uint16_t error);
    void SocketDataReady(std::uint16_t error);
    void SocketSendDone();
    void SocketClosed(std::uint16_t error);
    void HandleLocation(const std::string& value);
    // Ends the request as failed (the first failure's reason stays).
    void FailRequest(const std::string& reason);
    // Closes the socket without its close event, so that an ended request leaves nothing open.
    void DetachSocket();
    void FinishRequest();
    std::string DocumentTooLarge() const;

    // Reader events.
    void HeaderBegin() override;
    bool StatusLine() override;
    bool Field(const std::string& name, const std::string& value) override;
    bool HeaderData() override;
    THttpResponseReader::TAfterHeader HeaderEnd(bool withoutHeader) override;
    bool Body(const char* data, int length) override;
    void Failed(const std::string& reason) override;

    std::unique_ptr<TMessageWindow> window_;
    std::unique_ptr<TWSocket> socket_;
    THttpResponseReader reader_{*this};
    QEventLoop* waitLoop_ = nullptr;
    // Cleared when the client is destroyed, which can happen while a synchronous request waits.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool multiThreaded_ = false;

    THttpState state_ = httpReady;
    THttpRequest requestType_ = httpNONE;
    std::string hostName_;     // sent in "Host"
    std::string endPointHost_; // connected to
    std::string endPointPort_;
    std::string targetPort_; // the document's port (differs from the end point's with a proxy)
    std::string path_;
    std::string documentName_;
    std::string location_;
    std::string acceptRanges_;
    std::vector<std::string> receivedHeader_;
    int statusCode_ = 0;
    std::string reasonPhrase_;
    std::uint16_t completionError_ = 0;
    bool connected_ = false;
    bool locationFlag_ = false;
    bool headerInProgress_ = false;
    bool allowedToSend_ = false;
    bool failed_ = false;
    bool readyPosted_ = false;
    int bodyChunks_ = 0;
    int relocations_ = 0;
    std::int64_t receivedCount_ = 0;
    std::int64_t sentCount_ = 0;
    std::string requestStream_;
};
