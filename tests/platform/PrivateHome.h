#pragma once
// The documents, configuration and data folders of a whole test program in one private temporary
// folder, so that no test of it reads or writes the user's files: BORVIK_HOME is the folder,
// XDG_CONFIG_HOME and XDG_DATA_HOME lie inside it. Folders with more to prepare derive from it.

#include "tests/platform/TempFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platformtest {

class PrivateHome : public ::testing::Environment {
public:
    explicit PrivateHome(const char* stem) : stem_(stem) {}

    void SetUp() override {
        folder = MakeTempFolder(stem_);
        ::setenv("BORVIK_HOME", folder.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static inline std::filesystem::path folder;

private:
    const char* stem_;
};

} // namespace platformtest
