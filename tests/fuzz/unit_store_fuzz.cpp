// The unit store "UNITINDEX.DAT": whatever the file holds, looking names up never crashes, and a
// choice stored over it reads back, also after the file is read again.
#include "model/Units.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "unit-store-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    static unsigned counter = 0;
    // A new file each time, so the store reads it whatever its time stamp.
    const std::filesystem::path file = folder / ("UNITINDEX-" + std::to_string(counter++) + ".DAT");
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TUnitStore& store = TUnitStore::Instance();
    store.SetPath(file);
    // Names taken from the bytes themselves, and the fields' usual ones.
    const std::string fromBytes(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    for (const std::string& name : {fromBytes, std::string("edVas"), std::string()}) {
        const int32_t index = store.Lookup(name);
        (void)index;
    }
    store.Store("edVas", 3);
    store.Store(fromBytes, 2);
    if (store.Lookup("edVas") != 3)
        std::abort();
    // Read again from the file it wrote.
    store.SetPath(folder / "elsewhere.DAT");
    store.SetPath(file);
    if (store.Lookup("edVas") != 3)
        std::abort();
    if (std::filesystem::file_size(file) % TUnitStore::RecordSize != 0)
        std::abort();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(folder / "elsewhere.DAT", ignored);
    return 0;
}
