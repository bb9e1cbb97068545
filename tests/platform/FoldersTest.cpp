#include "platform/Folders.h"

#include "tests/platform/TempFolders.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using platformtest::TempFolder;

void Touch(const fs::path& path) {
    std::ofstream(path) << "x";
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(Folders, ProgramFolderHoldsTheRunningExecutable) {
    const fs::path folder = platform::ProgramFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(fs::exists(folder / "platform_tests"));
    EXPECT_EQ(platform::ShippedFolders().front(), folder);
}

TEST(Folders, DocumentsFolderFollowsBorvikHome) {
    TempFolder home;
    ScopedEnvironment borvik("BORVIK_HOME", home.path().c_str());
    EXPECT_EQ(platform::DocumentsFolder(), home.path());
}

TEST(Folders, DocumentsFolderRules) {
    const fs::path program = "/opt/borvik/bin";
    const fs::path home = "/home/someone";
    using platform::ChooseDocumentsFolder;
    EXPECT_EQ(ChooseDocumentsFolder("/tmp/b", program, true, "/data", home), "/tmp/b");
    EXPECT_EQ(ChooseDocumentsFolder(std::nullopt, program, true, "/data", home), program);
    EXPECT_EQ(ChooseDocumentsFolder(std::string(), program, true, "/data", home), program);
    EXPECT_EQ(ChooseDocumentsFolder(std::nullopt, program, false, "/data", home), fs::path("/data/Borvik"));
    EXPECT_EQ(ChooseDocumentsFolder(std::nullopt, program, false, "relative/data", home),
              fs::path("/home/someone/.local/share/Borvik"));
    EXPECT_EQ(ChooseDocumentsFolder(std::nullopt, program, false, std::nullopt, home),
              fs::path("/home/someone/.local/share/Borvik"));
}

TEST(Folders, DocumentsFolderWithoutBorvikHomeIsTheWritableProgramFolder) {
    TempFolder data;
    ScopedEnvironment borvik("BORVIK_HOME", nullptr);
    ScopedEnvironment xdg("XDG_DATA_HOME", data.path().c_str());
    const fs::path program = platform::ProgramFolder();
    const fs::path expected = ::access(program.c_str(), W_OK | X_OK) == 0 ? program : data.path() / "Borvik";
    EXPECT_EQ(platform::DocumentsFolder(), expected);
}

struct PatternCase {
    const char* name;
    const char* pattern;
    bool matches;
};

class Pattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(Pattern, MatchesWithoutCase) {
    EXPECT_EQ(platform::MatchesPattern(GetParam().name, GetParam().pattern), GetParam().matches)
        << GetParam().name << " ~ " << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Pattern,
    ::testing::Values(PatternCase{"Woofer.bvd", "*.bvd", true}, PatternCase{"WOOFER.BVD", "*.bvd", true},
                      PatternCase{"woofer.bvd.bak", "*.bvd", false},
                      PatternCase{"woofer.bvdx", "*.bvd", false}, PatternCase{".bvd", "*.bvd", true},
                      PatternCase{"a.bvp", "?.BVP", true}, PatternCase{"ab.bvp", "?.bvp", false},
                      PatternCase{"", "*", true}, PatternCase{"", "?", false}, PatternCase{"x", "", false},
                      PatternCase{"aXbXc", "a*b*c", true}, PatternCase{"abc", "a**c", true},
                      PatternCase{"M\xC3\xBCller.bvd", "m\xC3\xBC*.bvd", true},
                      PatternCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*c", false}),
    [](const ::testing::TestParamInfo<PatternCase>& info) {
        return CaseName(info.index, std::string(info.param.name) + "_" + info.param.pattern);
    });

TEST(Folders, ListFilesMatchesWithoutCaseAndSortsTheSameEverywhere) {
    TempFolder folder;
    for (const char* name : {"b.bvd", "A.BVD", "c.Bvd", "a.bvd", "notes.txt", "Z.bvd"})
        Touch(folder.path() / name);
    fs::create_directory(folder.path() / "folder.bvd");
    EXPECT_EQ(platform::ListFiles(folder.path(), "*.bvd"),
              (std::vector<std::string>{"A.BVD", "a.bvd", "b.bvd", "c.Bvd", "Z.bvd"}));
    EXPECT_TRUE(platform::ListFiles(folder.path() / "missing", "*").empty());
}

TEST(Folders, ResolveWithoutCaseFindsOtherSpellings) {
    TempFolder folder;
    fs::create_directory(folder.path() / "filters");
    Touch(folder.path() / "filters" / "Bass.FLT");
    const auto found = platform::ResolveWithoutCase(folder.path(), "Filters\\bass.flt");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, folder.path() / "filters" / "Bass.FLT");
    EXPECT_FALSE(platform::ResolveWithoutCase(folder.path(), "filters/missing.flt"));
    EXPECT_FALSE(platform::ResolveWithoutCase(folder.path() / "filters", "../filters/Bass.FLT"));
    EXPECT_FALSE(platform::ResolveWithoutCase(folder.path(), "/etc/passwd"));
}

TEST(Folders, ShippedFilesComeFromTheProgramFolderFirst) {
    // The test executable's folder is the program folder; a file placed there is found by any
    // capitalisation of its name.
    const fs::path program = platform::ProgramFolder();
    const fs::path file = program / "Shipped-Lookup-Probe.TXT";
    if (::access(program.c_str(), W_OK) != 0)
        GTEST_SKIP() << "program folder is not writable";
    Touch(file);
    const auto found = platform::FindShippedFile("shipped-lookup-probe.txt");
    fs::remove(file);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, file);
    EXPECT_FALSE(platform::FindShippedFile("no-such-shipped-file.txt"));
}
