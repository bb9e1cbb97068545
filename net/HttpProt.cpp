#include "net/HttpProt.h"
#include "net/NetText.h"

#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

#include <algorithm>

namespace {

using nettext::Lower;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The folder part of a path, with its final "/" ("/" when there is none).
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1);
}

// "/a/b/" -> "/a/"; "/" stays.
std::string UpOneLevel(const std::string& directory) {
    if (directory.size() <= 1)
        return "/";
    const auto slash = directory.rfind('/', directory.size() - 2);
    return slash == std::string::npos ? std::string("/") : directory.substr(0, slash + 1);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

TUrlParts SplitURL(const std::string& url, const std::string& basePath) {
    TUrlParts parts;
    if (url.empty())
        return parts;
    if (StartsWith(url, "./")) {
        parts.path = DirectoryOf(basePath) + url.substr(2);
        return parts;
    }
    if (StartsWith(url, "../")) {
        std::string directory = DirectoryOf(basePath);
        std::string rest = url;
        while (StartsWith(rest, "../")) {
            rest.erase(0, 3);
            directory = UpOneLevel(directory);
        }
        parts.path = directory + rest;
        return parts;
    }
    std::size_t authorityStart = 0;
    if (const auto scheme = url.find("://"); scheme != std::string::npos) {
        parts.proto = url.substr(0, scheme);
        authorityStart = scheme + 3;
    } else if (url[0] == '/') {
        parts.proto = "http";
        if (url.size() > 1 && url[1] != '/') {
            parts.path = url;
            return parts;
        }
        authorityStart = 1;
    } else if (Lower(url.substr(0, 5)) == "http:") {
        parts.proto = "http";
        if (url.size() < 7 || url[6] != '/') {
            parts.path = url.substr(5);
            return parts;
        }
        authorityStart = 5;
    } else if (Lower(url.substr(0, 7)) == "mailto:") {
        parts.proto = "mailto";
        authorityStart = 7;
    }
    std::string authority = url.substr(std::min(authorityStart, url.size()));
    if (const auto end = authority.find_first_of("/?"); end != std::string::npos) {
        parts.path = authority.substr(end);
        authority.erase(end);
    }
    const auto colon = authority.rfind(':');
    const auto at = authority.rfind('@');
    if (colon == std::string::npos && at == std::string::npos) {
        parts.host = authority;
    } else if (colon != std::string::npos && (at == std::string::npos || at < colon)) {
        parts.port = authority.substr(colon + 1);
        const std::size_t hostStart = at == std::string::npos ? 0 : at + 1;
        parts.host = authority.substr(hostStart, colon - hostStart);
    } else {
        parts.host = authority.substr(at + 1);
    }
    if (at != std::string::npos) {
        const std::string user = authority.substr(0, at);
        const auto split = user.find(':');
        parts.user = user.substr(0, split);
        if (split != std::string::npos)
            parts.pass = user.substr(split + 1);
    }
    return parts;
}

std::string DocumentNameOf(const std::string& path) {
    std::string name = path.substr(0, path.find('?'));
    if (name.empty() || name == "/")
        return "document.htm";
    if (name.back() == '/')
        name.pop_back();
    if (const auto slash = name.rfind('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.size() > 255)
        name.resize(255);
    return name.substr(0, name.find('?'));
}

std::string ChangeExtension(const std::string& name, const std::string& extension) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return name + "." + extension;
    return name.substr(0, dot + 1) + extension;
}

std::string Base64EncodeText(const std::string& text) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(text[i]) << 16) |
                           (static_cast<unsigned char>(text[i + 1]) << 8) |
                           static_cast<unsigned char>(text[i + 2]);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    if (i + 1 == text.size()) {
        const unsigned v = static_cast<unsigned char>(text[i]) << 16;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == text.size()) {
        const unsigned v =
            (static_cast<unsigned char>(text[i]) << 16) | (static_cast<unsigned char>(text[i + 1]) << 8);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string HttpDate(const QDateTime& value) {
    static const char days[] = "MonTueWedThuFriSatSun";
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (!value.isValid())
        return {};
    const QDate date = value.date();
    const QTime time = value.time();
    char text[64];
    std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d",
                  days + 3 * (date.dayOfWeek() - 1), date.day(), months + 3 * (date.month() - 1), date.year(),
                  time.hour(), time.minute(), time.second());
    return text;
}

std::string SchemeOf(const std::string& url) {
    const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (url.empty() || !isAlpha(url[0]))
        return {};
    std::size_t colon = 1;
    while (colon < url.size() && (isAlpha(url[colon]) || nettext::IsDigit(url[colon]) || url[colon] == '+' ||
                                  url[colon] == '-' || url[colon] == '.'))
        ++colon;
    if (colon >= url.size() || url[colon] != ':')
        return {};
    // "name:port", alone or before a path or query, names a server.
    std::size_t digits = colon + 1;
    while (digits < url.size() && nettext::IsDigit(url[digits]))
        ++digits;
    if (digits > colon + 1 && (digits == url.size() || url[digits] == '/' || url[digits] == '?'))
        return {};
    return url.substr(0, colon);
}

std::string Abridged(const std::string& text, std::size_t length) {
    if (text.size() <= length)
        return text;
    return text.substr(0, length) + "...";
}

// ---------------------------------------------------------------------------------------------
// THttpCli

THttpCli::THttpCli() {
    window_ = std::make_unique<TMessageWindow>([this](const TMessage& message) {
        try {
            WndProc(message);
        } catch (const std::exception& e) {
            FailRequest(e.what());
        }
    });
    socket_ = std::make_unique<TWSocket>();
    socket_->OnSessionClosed = [this](TCustomWSocket*, std::uint16_t error) { SocketClosed(error); };
    socket_->OnDataAvailable = [this](TCustomWSocket*, std::uint16_t error) { SocketDataReady(error); };
    socket_->OnSessionConnected = [this](TCustomWSocket*, std::uint16_t error) { SocketConnected(error); };
    socket_->OnDataSent = [this](TCustomWSocket*, std::uint16_t) { SocketSendDone(); };
    socket_->OnDnsLookupDone = [this](TCustomWSocket*, std::uint16_t error) { SocketLookupDone(error); };
}

THttpCli::~THttpCli() {
    *alive_ = false;
    if (waitLoop_ != nullptr)
        waitLoop_->exit(1);
    socket_->OnSessionClosed = nullptr;
    socket_->OnDnsLookupDone = nullptr;
    window_->SetHandler({});
    if (window_->Dispatching())
        window_.release()->deleteLater();
}

void THttpCli::SetMultiThreaded(bool value) {
    multiThreaded_ = value;
    socket_->MultiThreaded = value;
}

void THttpCli::WndProc(const TMessage& message) {
    switch (message.msg) {
    case WM_HTTP_REQUEST_DONE:
        if (OnRequestDone)
            OnRequestDone(this, requestType_, completionError_);
        return;
    case WM_HTTP_SET_READY:
        SetState(httpReady);
        return;
    case WM_HTTP_LOGIN:
        // The reader starts afresh for the new answer (not earlier: it is still unwinding when
        // the relocation is decided).
        reader_.Reset();
        BeginLookup();
        return;
    default:
        return;
    }
}

void THttpCli::SetState(THttpState state) {
    if (state == state_)
        return;
    state_ = state;
    if (OnStateChange)
        OnStateChange(this);
    if (state == httpReady) {
        window_->Post(WM_HTTP_REQUEST_DONE);
        if (waitLoop_ != nullptr)
            waitLoop_->quit();
    }
}

void THttpCli::PostReady() {
    if (readyPosted_)
        return;
    readyPosted_ = true;
    window_->Post(WM_HTTP_SET_READY);
}

void THttpCli::DetachSocket() {
    if (socket_->State() == wsClosed && socket_->Handle() == kInvalidSocket)
        return;
    auto closed = std::move(socket_->OnSessionClosed);
    socket_->OnSessionClosed = nullptr;
    try {
        socket_->Abort();
    } catch (...) {
    }
    socket_->OnSessionClosed = std::move(closed);
    connected_ = false;
}

void THttpCli::FinishRequest() {
    DetachSocket();
    reader_.Stop();
    if (headerInProgress_) {
        headerInProgress_ = false;
        if (OnHeaderEnd)
            OnHeaderEnd(this);
    }
    PostReady();
}

void THttpCli::FailRequest(const std::string& reason) {
    if (state_ == httpReady || readyPosted_)
        return;
    if (!failed_) {
        failed_ = true;
        statusCode_ = 404;
        reasonPhrase_ = reason;
    }
    FinishRequest();
}

void THttpCli::Abort(const std::string& reason) {
    if (state_ == httpReady)
        return;
    if (!failed_) {
        failed_ = true;
        statusCode_ = 404;
        reasonPhrase_ = reason;
    }
    DetachSocket();
    reader_.Stop();
    readyPosted_ = true;
    SetState(httpReady);
}

void THttpCli::RunRequest(THttpRequest request) {
    StartRequest(request);
    if (state_ != httpReady) {
        QEventLoop loop;
        waitLoop_ = &loop;
        QTimer timer;
        bool timedOut = false;
        if (RequestTimeout > 0) {
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
                timedOut = true;
                loop.quit();
            });
            timer.start(RequestTimeout);
        }
        // Returns when the request is ready, the time is up, the application quits, or the
        // client is destroyed meanwhile (then nothing of it may be touched any more).
        const std::shared_ptr<bool> alive = alive_;
        loop.exec();
        if (!*alive)
            throw EHttpException("The request was abandoned", 404);
        waitLoop_ = nullptr;
        if (state_ != httpReady)
            Abort(timedOut ? "Request timed out" : "The program is closing");
    }
    if (statusCode_ >= 400 || failed_)
        throw EHttpException(reasonPhrase_, statusCode_);
}

void THttpCli::StartRequest(THttpRequest request) {
    if (state_ != httpReady)
        throw EHttpException("HTTP component is busy", 1);
    if (request == httpPOST && PostStream == nullptr)
        throw EHttpException("HTTP component has nothing to post", 2);

    socket_->OnSessionClosed = [this](TCustomWSocket*, std::uint16_t error) { SocketClosed(error); };
    SetState(httpNotConnected);
    requestType_ = request;
    ResetReceiveState();

    TUrlParts parts = SplitURL(URL);
    hostName_ = parts.host;
    if (!parts.user.empty() || !parts.pass.empty()) {
        Username = parts.user;
        Password = parts.pass;
    }
    if (parts.proto.empty())
        parts.proto = "http";
    targetPort_ = parts.port.empty() ? "80" : parts.port;
    if (Proxy.empty()) {
        path_ = parts.path;
        documentName_ = path_;
        endPointHost_ = parts.host;
        endPointPort_ = targetPort_;
    } else {
        documentName_ = parts.path;
        path_ = parts.proto + "://" + parts.host + (parts.port.empty() ? "" : ":" + parts.port) + parts.path;
        const TUrlParts proxy = SplitURL(Proxy);
        endPointHost_ = proxy.host;
        endPointPort_ = proxy.port.empty() ? ProxyPort : proxy.port;
    }
    if (path_.empty())
        path_ = "/";
    documentName_ = DocumentNameOf(documentName_);
    BeginLookup();
}

void THttpCli::ResetReceiveState() {
    reader_.Reset();
    receivedHeader_.clear();
    completionError_ = 0;
    documentName_.clear();
    statusCode_ = 0;
    reasonPhrase_.clear();
    receivedCount_ = 0;
    sentCount_ = 0;
    bodyChunks_ = 0;
    allowedToSend_ = false;
    location_ = URL;
    locationFlag_ = false;
    headerInProgress_ = false;
    failed_ = false;
    readyPosted_ = false;
    relocations_ = 0;
}

void THttpCli::BeginLookup() {
    SetState(httpDnsLookup);
    try {
        socket_->DnsLookup(endPointHost_);
    } catch (const std::exception& e) {
        statusCode_ = 404;
        reasonPhrase_ = e.what();
        failed_ = true;
        connected_ = false;
        DetachSocket();
        readyPosted_ = true;
        SetState(httpReady);
    }
}

void THttpCli::SocketLookupDone(std::uint16_t error) {
    if (state_ != httpDnsLookup)
        return;
    if (error != 0) {
        completionError_ = error;
        FailRequest("can't resolve hostname to IP address");
        return;
    }
    SetState(httpDnsLookupDone);
    try {
        WSocketResolvePort(endPointPort_, "tcp");
    } catch (const ESocketException&) {
        // Said in the user's terms: the resolver's own text does not name the port.
        FailRequest("can't connect: invalid port \"" + Abridged(endPointPort_, 40) + "\"");
        return;
    }
    try {
        socket_->SetAddr(socket_->DnsResult());
        socket_->SetPort(endPointPort_);
        socket_->SetProto("tcp");
        socket_->Connect();
    } catch (const std::exception& e) {
        const int code = socket_->LastError();
        completionError_ = static_cast<std::uint16_t>(code);
        // A failure before the library was asked has no error code, only its text.
        FailRequest(code == 0 ? "can't connect: " + std::string(e.what())
                              : "can't connect: " + SocketErrorText(code) + " (Error #" +
                                    std::to_string(code) + ")");
    }
}

void THttpCli::SocketConnected(std::uint16_t error) {
    if (error != 0) {
        completionError_ = error;
        FailRequest(SocketErrorText(error) + " (Error #" + std::to_string(error) + ")");
        return;
    }
    connected_ = true;
    SetState(httpConnected);
    if (OnSessionConnected)
        OnSessionConnected(this);
    SetState(httpWaitingHeader);
    try {
        switch (requestType_) {
        case httpPOST:
            SendRequestHeader("POST");
            if (OnSendBegin)
                OnSendBegin(this);
            allowedToSend_ = true;
            SocketSendDone();
            break;
        case httpHEAD:
            SendRequestHeader("HEAD");
            break;
        default:
            SendRequestHeader("GET");
            break;
        }
    } catch (const std::exception& e) {
        FailRequest(std::string("Send failed: ") + e.what());
    }
}

void THttpCli::AddRequestLine(std::string line) {
    if (OnCommand)
        OnCommand(this, line);
    requestStream_ += line;
    requestStream_ += "\r\n";
}

void THttpCli::SendRequestHeader(const std::string& method) {
    requestStream_.clear();
    if (OnRequestHeaderBegin)
        OnRequestHeaderBegin(this);
    AddRequestLine(method + " " + path_ + " HTTP/1.0");
    if (!Sender.empty())
        AddRequestLine("From: " + Sender);
    if (!Accept.empty())
        AddRequestLine("Accept: " + Accept);
    if (!Reference.empty())
        AddRequestLine("Referer: " + Reference);
    if (method == "POST" && !ContentTypePost.empty())
        AddRequestLine("Content-Type: " + ContentTypePost);
    if (!Agent.empty())
        AddRequestLine("User-Agent: " + Agent);
    AddRequestLine("Host: " + hostName_);
    if (NoCache)
        AddRequestLine("Pragma: no-cache");
    if (method == "POST")
        AddRequestLine("Content-Length: " + std::to_string(PostStream != nullptr ? PostStream->size() : 0));
    if (ModifiedSince.isValid())
        AddRequestLine("If-Modified-Since: " + HttpDate(ModifiedSince) + " GMT");
    if (!Username.empty())
        AddRequestLine("Authorization: Basic " + Base64EncodeText(Username + ":" + Password));
    if (!Proxy.empty() && !ProxyUsername.empty())
        AddRequestLine("Proxy-Authorization: Basic " + Base64EncodeText(ProxyUsername + ":" + ProxyPassword));
    if (!Cookie.empty())
        AddRequestLine("Cookie: " + Cookie);
    if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
        AddRequestLine("Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd);
        ContentRangeBegin.clear();
        ContentRangeEnd.clear();
    }
    acceptRanges_.clear();
    if (OnRequestHeaderEnd)
        OnRequestHeaderEnd(this);
    AddRequestLine("");
    const std::string header = std::move(requestStream_);
    requestStream_.clear();
    if (socket_->Send(header.data(), static_cast<int>(header.size())) < 0)
        throw ESocketException("the request could not be sent");
}

void THttpCli::SocketSendDone() {
    if (!allowedToSend_ || PostStream == nullptr)
        return;
    char block[8193];
    const qint64 count = PostStream->read(block, sizeof block);
    if (count > 0) {
        sentCount_ += count;
        if (OnSendData)
            OnSendData(this, block, static_cast<int>(count));
        if (socket_->Send(block, static_cast<int>(count)) < 0)
            FailRequest("Send failed");
        return;
    }
    allowedToSend_ = false;
    if (OnSendEnd)
        OnSendEnd(this);
}

void THttpCli::SocketDataReady(std::uint16_t) {
    int room = 0;
    char* space = reader_.FreeSpace(room);
    if (room <= 0) {
        // The request already ended; what still comes is not wanted.
        char junk[1024];
        socket_->Receive(junk, sizeof junk);
        return;
    }
    const int count = socket_->Receive(space, room);
    if (requestType_ == httpNONE || count <= 0)
        return;
    reader_.Commit(count);
}

void THttpCli::HeaderBegin() {
    headerInProgress_ = true;
    if (OnHeaderBegin)
        OnHeaderBegin(this);
}

bool THttpCli::StatusLine() {
    statusCode_ = reader_.StatusCode;
    reasonPhrase_ = reader_.ReasonPhrase;
    return true;
}

bool THttpCli::Field(const std::string& name, const std::string& value) {
    if (name == "location") {
        HandleLocation(value);
        return !failed_;
    }
    if (name == "content-range") {
        ContentRangeBegin = reader_.ContentRangeBegin;
        ContentRangeEnd = reader_.ContentRangeEnd;
    } else if (name == "accept-ranges") {
        acceptRanges_ = value;
    } else if (name == "set-cookie" && OnCookie) {
        bool accept = true;
        OnCookie(this, value, accept);
    }
    return true;
}

bool THttpCli::HeaderData() {
    // Only the new line: copying the whole list would make each line cost the header so far.
    if (!reader_.ReceivedHeader.empty())
        receivedHeader_.push_back(reader_.ReceivedHeader.back());
    if (OnHeaderData)
        OnHeaderData(this);
    if (statusCode_ >= 400) {
        // The body of an error answer is not waited for.
        headerInProgress_ = false;
        if (OnHeaderEnd)
            OnHeaderEnd(this);
        FinishRequest();
        return false;
    }
    return true;
}

THttpResponseReader::TAfterHeader THttpCli::HeaderEnd(bool withoutHeader) {
    headerInProgress_ = false;
    if (OnHeaderEnd)
        OnHeaderEnd(this);
    if (withoutHeader) {
        SetState(httpWaitingBody);
        return THttpResponseReader::TAfterHeader::Body;
    }
    if (statusCode_ == 0) {
        FailRequest("No status line in the answer");
        return THttpResponseReader::TAfterHeader::Stop;
    }
    if (locationFlag_) {
        // Followed whatever the length: the socket closes, then the new address is asked.
        auto closed = std::move(socket_->OnSessionClosed);
        socket_->OnSessionClosed = nullptr;
        try {
            socket_->Close();
        } catch (...) {
        }
        socket_->OnSessionClosed = std::move(closed);
        RelocationClosed();
        return THttpResponseReader::TAfterHeader::Stop;
    }
    if (reader_.ContentLength == 0 || requestType_ == httpHEAD) {
        FinishRequest();
        return THttpResponseReader::TAfterHeader::Stop;
    }
    if (MaxDocumentSize > 0 && reader_.ContentLength > MaxDocumentSize) {
        FailRequest(DocumentTooLarge());
        return THttpResponseReader::TAfterHeader::Stop;
    }
    if (Lower(documentName_).ends_with(".exe") && reader_.ContentType == "text/html")
        documentName_ = ChangeExtension(documentName_, "htm");
    SetState(httpWaitingBody);
    return THttpResponseReader::TAfterHeader::Body;
}

bool THttpCli::Body(const char* data, int length) {
    if (length <= 0)
        return true;
    if (MaxDocumentSize > 0 && receivedCount_ + length > MaxDocumentSize) {
        FailRequest(DocumentTooLarge());
        return false;
    }
    if (bodyChunks_++ == 0 && OnDocBegin)
        OnDocBegin(this);
    receivedCount_ += length;
    if (ReceiveStream != nullptr && ReceiveStream->write(data, length) != length) {
        FailRequest("Failed to write the received data");
        return false;
    }
    if (OnDocData)
        OnDocData(this, data, length);
    return true;
}

std::string THttpCli::DocumentTooLarge() const {
    return "The document is larger than " + std::to_string(MaxDocumentSize) + " bytes";
}

void THttpCli::Failed(const std::string& reason) {
    FailRequest(reason);
}

void THttpCli::HandleLocation(const std::string& value) {
    locationFlag_ = true;
    // Only http is followed: any other scheme (file:, ftp:, javascript:, https:) would be taken
    // as a path on the same server.
    if (const std::string scheme = SchemeOf(value); !scheme.empty() && Lower(scheme) != "http") {
        FailRequest("Redirection to a non-http address refused: " + Abridged(value));
        return;
    }
    const TUrlParts parts = SplitURL(value, path_);
    std::string host = hostName_;
    std::string port = targetPort_;
    std::string path;
    if (!parts.proto.empty() && !parts.host.empty()) {
        host = parts.host;
        port = parts.port.empty() ? "80" : parts.port;
        path = parts.path.empty() ? "/" : parts.path;
    } else if (StartsWith(value, "/") && !StartsWith(value, "//")) {
        path = value;
    } else if (!parts.proto.empty() && parts.host.empty() && !StartsWith(value, "/")) {
        // "http:page.html" and the like: a path on the same server.
        path = parts.path.empty()
                   ? "/"
                   : (StartsWith(parts.path, "/") ? parts.path : DirectoryOf(path_) + parts.path);
    } else if (StartsWith(value, "./") || StartsWith(value, "../")) {
        path = parts.path;
    } else if (parts.proto.empty()) {
        // A relative reference: beside the current document, on the same server and port.
        path = DirectoryOf(Proxy.empty() ? path_ : SplitURL(path_).path) + value;
    } else {
        FailRequest("Unusable redirection: " + Abridged(value));
        return;
    }
    hostName_ = host;
    targetPort_ = port;
    const std::string portPart = port == "80" ? "" : ":" + port;
    location_ = "http://" + host + portPart + path;
    if (Proxy.empty()) {
        endPointHost_ = host;
        endPointPort_ = port;
        path_ = path;
    } else {
        path_ = location_;
    }
    documentName_ = DocumentNameOf(path);
}

void THttpCli::RelocationClosed() {
    connected_ = false;
    locationFlag_ = false;
    if (++relocations_ > kMaxRelocations) {
        FailRequest("Too many redirections");
        return;
    }
    if (requestType_ == httpPOST)
        requestType_ = httpGET;
    socket_->OnSessionClosed = [this](TCustomWSocket*, std::uint16_t error) { SocketClosed(error); };
    if (OnLocationChange)
        OnLocationChange(this);
    receivedHeader_.clear();
    bodyChunks_ = 0;
    receivedCount_ = 0;
    statusCode_ = 0;
    reasonPhrase_.clear();
    window_->Post(WM_HTTP_LOGIN);
}

void THttpCli::Disconnect() {
    try {
        socket_->Close();
    } catch (...) {
    }
    connected_ = false;
}

void THttpCli::SocketClosed(std::uint16_t error) {
    connected_ = false;
    if (state_ == httpReady || readyPosted_)
        return;
    if (state_ == httpDnsLookupDone) {
        // Closed before the request went out (a proxy's negotiation, say).
        completionError_ = error;
        FailRequest(error != 0 ? SocketErrorText(error) + " (Error #" + std::to_string(error) + ")"
                               : "The connection closed while connecting");
        return;
    }
    if (headerInProgress_ || !reader_.InBody()) {
        headerInProgress_ = false;
        if (OnHeaderEnd)
            OnHeaderEnd(this);
        if (statusCode_ >= 400)
            PostReady();
        else if (error != 0)
            FailRequest(SocketErrorText(error) + " (Error #" + std::to_string(error) + ")");
        else
            FailRequest("The connection closed before the end of the header");
        return;
    }
    if (bodyChunks_ > 0 && OnDocEnd)
        OnDocEnd(this);
    if (error != 0) {
        completionError_ = error;
        FailRequest(SocketErrorText(error) + " (Error #" + std::to_string(error) + ")");
        return;
    }
    if (reader_.ContentLength >= 0 && receivedCount_ < reader_.ContentLength) {
        FailRequest("Incomplete document: " + std::to_string(receivedCount_) + " of " +
                    std::to_string(reader_.ContentLength) + " bytes");
        return;
    }
    PostReady();
}
