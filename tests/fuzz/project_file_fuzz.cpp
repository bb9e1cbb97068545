// Project files: whatever the bytes, reading never crashes, and the records read back from their
// own saved text save to the same text again (load, save, load gives the same records).
#include "model/SaveToFile_Utils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Project {
    TProjectInfo info;
    TDriverObject driver;
    TBoxData box;
    std::int32_t color = 0, width = 0;
    TSignalSource signal;
    TFilterList filters;

    TProjectParts Parts() { return {info, driver, box, color, width, signal, filters}; }
};

// The project's text as the program saves it.
std::string Write(Project& project) {
    platform::IniFile file;
    // Every value the program holds can be written.
    if (!WriteProject(file, project.Parts()))
        std::abort();
    return file.Text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::IniFile input;
    input.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    Project first;
    if (!ReadProject(input, first.Parts()))
        return 0;
    const std::string saved = Write(first);
    platform::IniFile reread;
    reread.SetText(saved);
    Project second;
    if (!ReadProject(reread, second.Parts()))
        std::abort();
    if (Write(second) != saved)
        std::abort();
    return 0;
}
