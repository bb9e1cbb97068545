#include "platform/IniFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About the size of a project file: eight sections, some 150 keys.
std::string ProjectLikeText() {
    std::string text;
    for (int section = 0; section < 8; ++section) {
        text += "[Section" + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 19; ++key)
            text += "Key" + std::to_string(key) + "=" + std::to_string(key * 31.5) + "\r\n";
    }
    return text;
}

void BM_IniParseAndReadEveryKey(benchmark::State& state) {
    const std::string text = ProjectLikeText();
    for (auto _ : state) {
        platform::IniFile ini;
        ini.SetText(text);
        for (int section = 0; section < 8; ++section)
            for (int key = 0; key < 19; ++key)
                benchmark::DoNotOptimize(
                    ini.ReadString("section" + std::to_string(section), "KEY" + std::to_string(key), ""));
    }
}
BENCHMARK(BM_IniParseAndReadEveryKey);

void BM_IniWriteEveryKey(benchmark::State& state) {
    for (auto _ : state) {
        platform::IniFile ini;
        for (int section = 0; section < 8; ++section)
            for (int key = 0; key < 19; ++key)
                ini.WriteString("Section" + std::to_string(section), "Key" + std::to_string(key), "31,5");
        benchmark::DoNotOptimize(ini.Text());
    }
}
BENCHMARK(BM_IniWriteEveryKey);

} // namespace
