// Driver files: whatever the bytes, reading never crashes, and a driver read back from its own
// saved text saves to the same text again.
#include "model/SaveToFile_Utils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string Saved(const TDriverObject& driver) {
    platform::IniFile file;
    if (!WriteDriver(file, driver))
        std::abort();
    return file.Text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::IniFile input;
    input.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    TDriverObject first;
    ReadDriver(input, first);
    const std::string saved = Saved(first);
    platform::IniFile reread;
    reread.SetText(saved);
    TDriverObject second;
    ReadDriver(reread, second);
    if (Saved(second) != saved || second.Data.ParState != first.Data.ParState ||
        second.Data.Brand != first.Data.Brand || second.Data.Comment != first.Data.Comment)
        std::abort();
    return 0;
}
