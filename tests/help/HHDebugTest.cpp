// The help debug log: switch, location, header, line format, and the library versions it records.
#include "help/HHDebug.h"

#include "../platform/TempFolders.h"
#include "tests/platform/Unprivileged.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

using platformtest::TempFolder;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class HelpLog : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(program_ / "bin");
        std::filesystem::create_directories(documents_);
        std::filesystem::create_directories(temp_);
        std::ofstream(program_ / "bin" / "borvik") << "";
        environment_.programFile = program_ / "bin" / "borvik";
        environment_.runFolder = program_ / "bin";
        environment_.documentsFolder = documents_;
        environment_.tempFolder = temp_;
    }
    void TearDown() override {
        std::filesystem::permissions(documents_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        StartHelpDebugLog(THelpEnvironment{}); // leave logging off for other tests
    }

    TempFolder folder_{"borvik-helplog"};
    std::filesystem::path program_ = folder_.path() / "program";
    std::filesystem::path documents_ = folder_.path() / "documents";
    std::filesystem::path temp_ = folder_.path() / "temp";
    THelpEnvironment environment_;
};

TEST_F(HelpLog, SwitchedOnByTheArgumentInAnyCase) {
    environment_.arguments = {"project.bvp", "-DEBUG"};
    StartHelpDebugLog(environment_);
    EXPECT_TRUE(HHDebugOn());
    EXPECT_EQ(HelpFacts().logFile, documents_ / "HHDebug.txt");
    environment_.arguments = {"/Debug"};
    StartHelpDebugLog(environment_);
    EXPECT_TRUE(HHDebugOn());
    environment_.arguments = {"debug", "--debug"};
    StartHelpDebugLog(environment_);
    EXPECT_FALSE(HHDebugOn());
}

TEST_F(HelpLog, SwitchedOnByTheMarkerBesideTheProgram) {
    std::ofstream(program_ / "bin" / "debug.debug") << "";
    StartHelpDebugLog(environment_);
    EXPECT_TRUE(HHDebugOn());
}

TEST_F(HelpLog, WritesTheHeaderAndLines) {
    environment_.arguments = {"-debug"};
    environment_.helpLibrary = "/nonexistent/libchm.so.1.0.0";
    StartHelpDebugLog(environment_);
    DebugLog("ShowTopic(\"x\", 0)");
    DebugLog("-");
    DebugLog("!plain");
    const std::string log = ReadAll(documents_ / "HHDebug.txt");
    std::istringstream lines(log);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
        all.push_back(line);
    ASSERT_EQ(all.size(), 23u) << log;
    EXPECT_EQ(all[0], "Filename:             \t" + (documents_ / "HHDebug.txt").string());
    EXPECT_EQ(all[1].rfind("Date:                 \t", 0), 0u);
    EXPECT_EQ(all[6], std::string(79, '-'));
    EXPECT_EQ(all[7], "EXE Path =          \t" + (program_ / "bin" / "borvik").string());
    EXPECT_EQ(all[9], "_ModuleName =       \tborvik");
    EXPECT_EQ(all[10], "_ModuleDir =        \t" + (program_ / "bin").string());
    EXPECT_EQ(all[12], "_hhInstalled =      \tNO");
    EXPECT_EQ(all[13], "_hhVerStr =         \t");
    EXPECT_EQ(all[19], std::string(79, '='));
    EXPECT_NE(all[20].find("   ShowTopic(\"x\", 0)"), std::string::npos);
    EXPECT_NE(all[20].rfind("   ShowTopic"), 0u); // the time comes first
    EXPECT_EQ(all[21], std::string(79, '-'));
    EXPECT_EQ(all[22], "plain");
    // Readable by its user only.
    struct stat info {};
    ASSERT_EQ(::stat((documents_ / "HHDebug.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(HelpLog, StartWithoutTheSwitchDeletesTheOldLog) {
    std::ofstream(documents_ / "HHDebug.txt") << "old";
    StartHelpDebugLog(environment_);
    EXPECT_FALSE(HHDebugOn());
    EXPECT_FALSE(std::filesystem::exists(documents_ / "HHDebug.txt"));
    DebugLog("nothing");
    EXPECT_FALSE(std::filesystem::exists(documents_ / "HHDebug.txt"));
}

TEST_F(HelpLog, GoesToTheTemporaryFolderWhenDocumentsCannotBeWritten) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    environment_.arguments = {"-debug"};
    // A documents folder that does not exist cannot take the log.
    environment_.documentsFolder = folder_.path() / "missing";
    StartHelpDebugLog(environment_);
    EXPECT_EQ(HelpFacts().logFile, temp_ / "HHDebug.txt");
    EXPECT_TRUE(std::filesystem::exists(temp_ / "HHDebug.txt"));
    std::filesystem::remove(temp_ / "HHDebug.txt");
    environment_.documentsFolder = documents_;
    std::filesystem::permissions(documents_,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    StartHelpDebugLog(environment_);
    EXPECT_EQ(HelpFacts().logFile, temp_ / "HHDebug.txt");
    EXPECT_TRUE(std::filesystem::exists(temp_ / "HHDebug.txt"));
}

TEST_F(HelpLog, NeverWritesThroughALink) {
    const auto victim = folder_.path() / "victim.txt";
    std::ofstream(victim) << "keep";
    std::filesystem::create_symlink(victim, documents_ / "HHDebug.txt");
    environment_.arguments = {"-debug"};
    StartHelpDebugLog(environment_);
    DebugLog("line");
    EXPECT_EQ(ReadAll(victim), "keep");
    // The link was removed as the old log, and a new file written in its place.
    EXPECT_FALSE(std::filesystem::is_symlink(documents_ / "HHDebug.txt"));
    // A link planted after the start is not followed either.
    std::filesystem::remove(documents_ / "HHDebug.txt");
    std::filesystem::create_symlink(victim, documents_ / "HHDebug.txt");
    DebugLog("line");
    EXPECT_EQ(ReadAll(victim), "keep");
}

TEST(HelpLogLines, AreFormatted) {
    const std::pair<const char*, std::string> rows[] = {
        {"-", std::string(79, '-')},
        {"=", std::string(79, '=')},
        {"!Filename:\tx", "Filename:\tx"},
        {"-x", "x"},
        {"=x", "x"},
        {"text", "12:00:00   text"},
        {"", "12:00:00   "},
        {"two\nlines", "12:00:00   two lines"},
    };
    for (const auto& [line, written] : rows)
        EXPECT_EQ(FormatLogLine(line, "12:00:00"), written) << line;
}

TEST(HelpLogLines, NameTheHelpCommands) {
    EXPECT_EQ(HelpCommandText(1), "1 (HELP_CONTEXT)");
    EXPECT_EQ(HelpCommandText(3), "3 (HELP_INDEX or HELP_CONTENTS)");
    EXPECT_EQ(HelpCommandText(13), "13 (HELP_SETPOPUP_POS)");
    EXPECT_EQ(HelpCommandText(515), "515 (HELP_SETWINPOS)");
    EXPECT_EQ(HelpCommandText(6), "6 (?"
                                  "?)");
}

TEST(LibraryVersions, ComeFromTheFileName) {
    TempFolder folder("borvik-versions");
    std::ofstream(folder.path() / "libreader.so.1.2.3") << "";
    std::filesystem::create_symlink("libreader.so.1.2.3", folder.path() / "libreader.so.1");
    std::ofstream(folder.path() / "libplain.so") << "";
    std::ofstream(folder.path() / "libodd.so.1.x") << "";
    const TFileVersion linked = ReadFileVersion(folder.path() / "libreader.so.1");
    EXPECT_EQ(linked.text, "1.2.3.0");
    EXPECT_EQ(linked.minor, 2);
    EXPECT_EQ(ReadFileVersion(folder.path() / "libplain.so").text, "");
    EXPECT_EQ(ReadFileVersion(folder.path() / "libodd.so.1.x").text, "");
    EXPECT_EQ(ReadFileVersion(folder.path() / "missing.so.1").text, "");
}

} // namespace
