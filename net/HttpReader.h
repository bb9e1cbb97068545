#pragma once
// Reading an HTTP/1.0 answer from a byte stream that arrives in blocks of any size: line
// assembly in one fixed buffer, the status line and header fields, then the body. The result
// never depends on how the stream was split into blocks.

#include <cstdint>
#include <string>
#include <vector>

class THttpResponseReader {
public:
    // Usable bytes of the line buffer; a header line must fit.
    static constexpr int kBufferSize = 8192;
    // A header is a few dozen lines; a peer that keeps sending lines is cut off here.
    static constexpr int kMaxHeaderLines = 256;
    static constexpr int kMaxHeaderBytes = 65536;

    enum class TAfterHeader { Body, Stop };

    // What the reader tells its owner. A false return stops reading (the owner ended the request).
    class TListener {
    public:
        virtual ~TListener() = default;
        virtual void HeaderBegin() {}
        virtual bool StatusLine() { return true; }
        // `name` lower-cased, `value` without leading blanks.
        virtual bool Field(const std::string& name, const std::string& value) {
            (void)name;
            (void)value;
            return true;
        }
        // After every non-empty header line.
        virtual bool HeaderData() { return true; }
        // The header ended (`withoutHeader`: the answer began with "<html>" and has none).
        virtual TAfterHeader HeaderEnd(bool withoutHeader) {
            (void)withoutHeader;
            return TAfterHeader::Body;
        }
        virtual bool Body(const char* data, int length) {
            (void)data;
            (void)length;
            return true;
        }
        virtual void Failed(const std::string& reason) { (void)reason; }
    };

    explicit THttpResponseReader(TListener& listener) : listener_(listener) {}

    void Reset();
    // Where the next received bytes go and how many fit (0 only while stopped).
    char* FreeSpace(int& room);
    // Handles `count` bytes just written at FreeSpace().
    void Commit(int count);
    // Copies and handles `length` bytes, in as many rounds as the buffer needs.
    void Feed(const char* data, int length);

    bool HeaderStarted() const { return headerLines_ > 0; }
    bool InBody() const { return inBody_; }
    bool Stopped() const { return stopped_; }
    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    int HeaderLines() const { return headerLines_; }
    // Stops reading: the rest of the stream is ignored.
    void Stop() { stopped_ = true; }

    // What the header said.
    int StatusCode = 0;
    std::string ReasonPhrase;
    std::int64_t ContentLength = -1;
    std::string ContentType;
    std::string ContentRangeBegin;
    std::string ContentRangeEnd;
    std::string AcceptRanges;
    std::vector<std::string> AuthenticateList;
    std::vector<std::string> ReceivedHeader;

private:
    void Process();
    // One header line (without its end); false when reading stops.
    bool HeaderLine(const std::string& line, const char* raw, int rawLength);
    void Fail(const std::string& reason);

    TListener& listener_;
    char buffer_[kBufferSize + 1] = {};
    int fill_ = 0;
    int headerLines_ = 0;
    int headerBytes_ = 0;
    bool inBody_ = false;
    bool stopped_ = false;
    std::string failure_;
};
