#include "net/HttpReader.h"
#include "net/NetText.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

using nettext::IsDigit;
using nettext::Lower;
using nettext::TrimBlanks;

} // namespace

void THttpResponseReader::Reset() {
    fill_ = 0;
    headerLines_ = 0;
    headerBytes_ = 0;
    inBody_ = false;
    stopped_ = false;
    failure_.clear();
    StatusCode = 0;
    ReasonPhrase.clear();
    ContentLength = -1;
    ContentType.clear();
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    AcceptRanges.clear();
    AuthenticateList.clear();
    ReceivedHeader.clear();
}

char* THttpResponseReader::FreeSpace(int& room) {
    room = stopped_ ? 0 : kBufferSize - fill_;
    return buffer_ + fill_;
}

void THttpResponseReader::Commit(int count) {
    if (stopped_ || count <= 0)
        return;
    fill_ += std::min(count, kBufferSize - fill_);
    buffer_[fill_] = '\0';
    Process();
}

void THttpResponseReader::Feed(const char* data, int length) {
    while (length > 0 && !stopped_) {
        int room = 0;
        char* space = FreeSpace(room);
        const int count = std::min(room, length);
        std::memcpy(space, data, static_cast<std::size_t>(count));
        Commit(count);
        data += count;
        length -= count;
    }
}

void THttpResponseReader::Fail(const std::string& reason) {
    failure_ = reason;
    stopped_ = true;
    listener_.Failed(reason);
}

void THttpResponseReader::Process() {
    if (inBody_) {
        const int count = fill_;
        fill_ = 0;
        if (!listener_.Body(buffer_, count))
            stopped_ = true;
        return;
    }
    int start = 0;
    while (!stopped_ && !inBody_ && start < fill_) {
        // Searched by length, not as text: a NUL byte must not hide a line end.
        const void* found = std::memchr(buffer_ + start, '\n', static_cast<std::size_t>(fill_ - start));
        if (found == nullptr)
            break;
        const int lf = static_cast<int>(static_cast<const char*>(found) - buffer_);
        int end = lf;
        if (end > start && buffer_[end - 1] == '\r')
            --end;
        const std::string line(buffer_ + start, static_cast<std::size_t>(end - start));
        const int rawStart = start;
        start = lf + 1;
        if (!HeaderLine(line, buffer_ + rawStart, start - rawStart))
            break;
        if (inBody_) {
            // The rest of the buffer is body.
            const int restLength = fill_ - start;
            fill_ = 0;
            if (restLength > 0 && !stopped_ && !listener_.Body(buffer_ + start, restLength))
                stopped_ = true;
            return;
        }
    }
    if (stopped_) {
        fill_ = 0;
        return;
    }
    if (start > 0) {
        std::memmove(buffer_, buffer_ + start, static_cast<std::size_t>(fill_ - start));
        fill_ -= start;
        buffer_[fill_] = '\0';
    }
    if (fill_ >= kBufferSize)
        Fail("HTTP line too long");
}

bool THttpResponseReader::HeaderLine(const std::string& line, const char* raw, int rawLength) {
    if (headerLines_ == 0)
        listener_.HeaderBegin();
    ++headerLines_;
    headerBytes_ += rawLength;

    if (line.size() >= 6 && Lower(line.substr(0, 6)) == "<html>") {
        // No header at all: the answer is the document. The line keeps its own line end.
        if (ContentType.empty())
            ContentType = "text/html";
        if (listener_.HeaderEnd(true) == TAfterHeader::Stop) {
            stopped_ = true;
            return false;
        }
        inBody_ = true;
        if (!listener_.Body(raw, rawLength)) {
            stopped_ = true;
            return false;
        }
        return true;
    }

    if (line.empty()) {
        if (listener_.HeaderEnd(false) == TAfterHeader::Stop) {
            stopped_ = true;
            return false;
        }
        inBody_ = true;
        return true;
    }

    // The line that ends the header is not counted against its bounds.
    if (headerLines_ > kMaxHeaderLines) {
        Fail("The header has more than " + std::to_string(kMaxHeaderLines) + " lines");
        return false;
    }
    if (headerBytes_ > kMaxHeaderBytes) {
        Fail("The header is larger than " + std::to_string(kMaxHeaderBytes) + " bytes");
        return false;
    }
    ReceivedHeader.push_back(line);
    if (line.rfind("HTTP/1.0", 0) == 0 || line.rfind("HTTP/1.1", 0) == 0) {
        if (line.size() < 12 || line[8] != ' ' || !IsDigit(line[9]) || !IsDigit(line[10]) ||
            !IsDigit(line[11]) || (line.size() > 12 && line[12] != ' ')) {
            Fail("Malformed status line");
            return false;
        }
        StatusCode = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
        ReasonPhrase = line.size() > 13 ? line.substr(13) : std::string();
        if (!listener_.StatusLine()) {
            stopped_ = true;
            return false;
        }
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
        const std::string name = Lower(line.substr(0, colon));
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size()
                                                                         : value.find_first_not_of(' '));
        if (name == "content-length") {
            const std::string number = TrimBlanks(value);
            std::int64_t length = -1;
            const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), length);
            if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
                length < 0) {
                Fail("Malformed Content-Length");
                return false;
            }
            ContentLength = length;
        } else if (name == "content-range") {
            // "bytes 100-199/1000"
            const auto dash = value.find('-');
            const auto slash = value.find('/');
            if (value.size() > 6 && dash != std::string::npos && dash >= 6) {
                ContentRangeBegin = value.substr(6, dash - 6);
                ContentRangeEnd =
                    value.substr(dash + 1, slash == std::string::npos || slash < dash ? std::string::npos
                                                                                      : slash - dash - 1);
            }
        } else if (name == "accept-ranges") {
            AcceptRanges = value;
        } else if (name == "content-type") {
            ContentType = Lower(value);
        } else if (name == "www-authenticate") {
            AuthenticateList.push_back(value);
        }
        if (!listener_.Field(name, value)) {
            stopped_ = true;
            return false;
        }
    }
    if (!listener_.HeaderData()) {
        stopped_ = true;
        return false;
    }
    return true;
}
