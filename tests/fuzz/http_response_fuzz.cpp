// HTTP answers: whatever the bytes, reading never crashes, and the status, the header fields, the
// body and any failure are the same however the stream is split into received blocks.
#include "net/HttpReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Recorder : THttpResponseReader::TListener {
    std::string log;
    std::string body;
    const THttpResponseReader* reader = nullptr;

    void HeaderBegin() override { log += "<begin>"; }
    bool StatusLine() override {
        log += "<status " + std::to_string(reader->StatusCode) + " " + reader->ReasonPhrase + ">";
        return true;
    }
    bool Field(const std::string& name, const std::string& value) override {
        log += "<" + name + "=" + value + ">";
        return true;
    }
    THttpResponseReader::TAfterHeader HeaderEnd(bool withoutHeader) override {
        log += withoutHeader ? "<end without header>" : "<end>";
        // Answers without a body stop the reading, as the client does.
        return reader->ContentLength == 0 ? THttpResponseReader::TAfterHeader::Stop
                                          : THttpResponseReader::TAfterHeader::Body;
    }
    bool Body(const char* data, int length) override {
        body.append(data, static_cast<std::size_t>(length));
        return true;
    }
    void Failed(const std::string& reason) override { log += "<failed " + reason + ">"; }
};

// Reads `stream` in blocks of the given sizes (cycled); returns everything that was seen.
std::string Read(const std::string& stream, const std::vector<std::size_t>& blocks) {
    Recorder recorder;
    THttpResponseReader reader(recorder);
    recorder.reader = &reader;
    std::size_t at = 0;
    for (std::size_t i = 0; at < stream.size(); ++i) {
        const std::size_t size =
            blocks.empty() ? stream.size() : std::max<std::size_t>(1, blocks[i % blocks.size()]);
        const std::size_t count = std::min(size, stream.size() - at);
        reader.Feed(stream.data() + at, static_cast<int>(count));
        at += count;
    }
    return recorder.log + "|" + recorder.body + "|" + std::to_string(reader.StatusCode) + "|" +
           std::to_string(reader.ContentLength) + "|" + reader.ContentType + "|" + reader.Failure();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first bytes (up to the first 0xFF) choose the block sizes; the rest is the stream.
    std::vector<std::size_t> blocks;
    std::size_t i = 0;
    for (; i < size && i < 16 && data[i] != 0xFF; ++i)
        blocks.push_back(data[i] == 0 ? 8192 : data[i]);
    if (i < size && data[i] == 0xFF)
        ++i;
    const std::string stream(reinterpret_cast<const char*>(data) + i, size - i);
    const std::string whole = Read(stream, {});
    if (Read(stream, blocks) != whole)
        std::abort();
    if (Read(stream, {1}) != whole)
        std::abort();
    return 0;
}
