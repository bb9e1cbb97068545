// INI text: whatever the bytes, reading never crashes, and a document read back from its own
// text gives the same sections, keys and values.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::IniFile first;
    first.SetText(text);
    platform::IniFile second;
    second.SetText(first.Text());
    if (first.ReadSections() != second.ReadSections())
        std::abort();
    for (const auto& section : first.ReadSections())
        if (first.ReadSectionValues(section) != second.ReadSectionValues(section))
            std::abort();
    return 0;
}
