#include "model/DB_Text2.h"

#include "model/Driver.h"
#include "model/SaveToFile_Utils.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view DriverExtension = ".bvd";

// A driver's name must stay inside the database folder.
bool IsPlainFileName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos && name != "." &&
           name != "..";
}

} // namespace

TDB_Text2 DriverDatabase;

void TDB_Text2::GetDriverList(std::vector<std::string>& list) {
    if (Directory.empty())
        return;
    list.clear();
    for (std::string name : platform::ListFiles(Directory, "*.bvd")) {
        name.resize(name.size() - DriverExtension.size());
        list.push_back(std::move(name));
    }
}

TReadReport TDB_Text2::LoadDriver(const std::string& name, TDriverObject& driver) {
    std::optional<std::filesystem::path> path;
    if (!Directory.empty() && IsPlainFileName(name))
        // The listing ignores the case of the extension, so the file is found the same way.
        path = platform::ResolveWithoutCase(Directory, name + std::string(DriverExtension));
    if (!path || platform::FileIsMissing(*path)) {
        // Without a file the reader sees a document without keys and gives the defaults.
        ReadDriver(platform::IniFile(), driver);
        TReadReport report;
        report.ok = false;
        report.error = "The driver file \"" + platform::DisplayFileName(name) + std::string(DriverExtension) +
                       "\" does not exist";
        return report;
    }
    return LoadDriverFile(*path, driver);
}
