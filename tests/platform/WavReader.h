#pragma once
// Reads back the WAV files the file sink writes, so tests compare samples exactly.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace platformtest {

struct WavContents {
    int channels = 0;
    int samplesPerSecond = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;
};

// Only the canonical 44-byte PCM header; no value when the file is not one or its sizes disagree.
inline std::optional<WavContents> ReadWav(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 44)
        return std::nullopt;
    auto number = [&](std::size_t at, int size) {
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
        return value;
    };
    auto tag = [&](std::size_t at, const char* text) {
        return std::equal(text, text + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    };
    if (!tag(0, "RIFF") || !tag(8, "WAVE") || !tag(12, "fmt ") || !tag(36, "data") || number(20, 2) != 1)
        return std::nullopt;
    const std::uint32_t dataBytes = number(40, 4);
    if (number(4, 4) != 36 + dataBytes || bytes.size() != 44 + dataBytes)
        return std::nullopt;
    WavContents contents;
    contents.channels = static_cast<int>(number(22, 2));
    contents.samplesPerSecond = static_cast<int>(number(24, 4));
    contents.bitsPerSample = static_cast<int>(number(34, 2));
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2)
        contents.samples.push_back(static_cast<std::int16_t>(number(at, 2)));
    return contents;
}

} // namespace platformtest
