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
};

// The sections in the order a project is loaded; false when the box type is refused.
bool Read(const platform::IniFile& file, Project& project) {
    if (!ReadBox(file, project.box))
        return false;
    ReadDriver(file, project.driver);
    ReadFilters(file, project.filters);
    ReadVent(file, project.box.FrontVent, "Front");
    ReadVent(file, project.box.RearVent, "Rear");
    ReadProjectInfo(file, project.info);
    ReadPlotSettings(file, project.color, project.width);
    ReadSignalSource(file, project.signal);
    if (project.box.BType == 4)
        ReadPassiveRadiator(file, project.box.PassiveRadiator);
    return true;
}

// The sections in the order a project is saved.
std::string Write(const Project& project) {
    platform::IniFile file;
    bool ok = WriteProjectInfo(file, project.info);
    ok &= WriteDriver(file, project.driver);
    ok &= WriteBox(file, project.box);
    ok &= WriteVent(file, project.box.FrontVent, "Front");
    ok &= WriteVent(file, project.box.RearVent, "Rear");
    ok &= WritePlotSettings(file, project.color, project.width);
    ok &= WriteSignalSource(file, project.signal);
    ok &= WriteFilters(file, project.filters);
    if (project.box.BType == 4)
        ok &= WritePassiveRadiator(file, project.box.PassiveRadiator);
    // Every value the program holds can be written.
    if (!ok)
        std::abort();
    return file.Text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::IniFile input;
    input.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    Project first;
    if (!Read(input, first))
        return 0;
    const std::string saved = Write(first);
    platform::IniFile reread;
    reread.SetText(saved);
    Project second;
    if (!Read(reread, second))
        std::abort();
    if (Write(second) != saved)
        std::abort();
    return 0;
}
