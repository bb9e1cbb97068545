#pragma once

// Private temporary folders for the tests of the platform layer and of what is built on it, so
// that no test reads or writes the user's real files.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace platformtest {

// A new empty folder "<stem>-XXXXXX" in the system's temporary folder. Throws when none can be
// made: a test must never fall back on some other folder.
inline std::filesystem::path MakeTempFolder(const char* stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder");
    return pattern;
}

// A temporary folder that goes with everything in it when the test ends, also after the test
// took away its write permission.
class TempFolder {
public:
    explicit TempFolder(const char* stem = "borvik-test") : path_(MakeTempFolder(stem)) {}
    ~TempFolder() {
        std::error_code code;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, code);
        std::filesystem::remove_all(path_, code);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points XDG_CONFIG_HOME at a private folder for as long as the object lives. QSettings settles
// its folders on first use, so a test program that reaches QSettings holds one of these as a
// global, made before main().
struct PrivateConfigHome {
    explicit PrivateConfigHome(const char* stem) : path(MakeTempFolder(stem)) {
        ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~PrivateConfigHome() {
        std::error_code code;
        std::filesystem::remove_all(path, code);
    }
    PrivateConfigHome(const PrivateConfigHome&) = delete;
    PrivateConfigHome& operator=(const PrivateConfigHome&) = delete;

    std::filesystem::path path;
};

} // namespace platformtest
