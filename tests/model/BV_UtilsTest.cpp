#include "model/BV_Utils.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

class VersionFile : public ::testing::Test {
protected:
    fs::path Folder() const { return fs::path(folder.path().toStdString()); }
    QTemporaryDir folder;
};

TEST_F(VersionFile, MissingFileReadsAsErrorTexts) {
    TVersionInfo info{"old", "old", "old", "old", "old", "old"};
    EXPECT_TRUE(ReadVersionInfo(Folder() / "version.ini", info));
    EXPECT_EQ(info.Number, "-error-");
    EXPECT_EQ(info.ReleasedBy, "-error-");
    EXPECT_EQ(info.ReleaseDate, "");
    EXPECT_EQ(info.DownloadFrom, "-error-");
    EXPECT_EQ(info.WebURL, "-error-");
    EXPECT_EQ(info.AuthorEmail, "-error-");
}

TEST_F(VersionFile, OnlyTheNumberGiven) {
    const fs::path path = WriteFile(Folder() / "version.ini", "[Version]\nNumber=1.2\n");
    TVersionInfo info;
    EXPECT_TRUE(ReadVersionInfo(path, info));
    EXPECT_EQ(info.Number, "1.2");
    EXPECT_EQ(info.ReleaseDate, "");
    for (const std::string* field : {&info.ReleasedBy, &info.DownloadFrom, &info.WebURL, &info.AuthorEmail})
        EXPECT_EQ(*field, "-error-");
}

TEST_F(VersionFile, EveryKeyToItsField) {
    // Keys in another order than the record's, and a foreign section that must not count.
    const fs::path path = WriteFile(Folder() / "version.ini", "[Other]\nNumber=9.9\n"
                                                              "[Version]\r\n"
                                                              "WebURL=http://example.org/\r\n"
                                                              "AuthorEmail=author@example.org\r\n"
                                                              "Number=2.5.1\r\n"
                                                              "ReleaseDate=2024-03-01\r\n"
                                                              "ReleasedBy=The maker\r\n"
                                                              "DownloadFrom=http://example.org/get\r\n");
    TVersionInfo info;
    EXPECT_TRUE(ReadVersionInfo(path, info));
    EXPECT_EQ(info.Number, "2.5.1");
    EXPECT_EQ(info.ReleasedBy, "The maker");
    EXPECT_EQ(info.ReleaseDate, "2024-03-01");
    EXPECT_EQ(info.DownloadFrom, "http://example.org/get");
    EXPECT_EQ(info.WebURL, "http://example.org/");
    EXPECT_EQ(info.AuthorEmail, "author@example.org");
}

TEST_F(VersionFile, UnreadableFileFailsAndKeepsTheRecord) {
    fs::create_directory(Folder() / "version.ini");
    TVersionInfo info{"1", "2", "3", "4", "5", "6"};
    EXPECT_FALSE(ReadVersionInfo(Folder() / "version.ini", info));
    EXPECT_EQ(info.Number, "1");
    EXPECT_EQ(info.ReleaseDate, "3");
    EXPECT_EQ(info.AuthorEmail, "6");
}

TEST(SanitizeFileName, ReplacesTheNineCharacters) {
    EXPECT_EQ(SanitizeFileName("A/B Mk:2?"), "A_B Mk_2_");
    EXPECT_EQ(SanitizeFileName("\"'*,/:?\\|"), "_________");
    // Everything else stays, control characters and UTF-8 included.
    const std::string kept = "Seas\tW18 <8> ä.bvd\x01";
    EXPECT_EQ(SanitizeFileName(kept), kept);
    EXPECT_EQ(SanitizeFileName(""), "");
}

class TRecordingLauncher final : public TShellLauncher {
public:
    void Open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override { SetShellLauncher(&launcher); }
    void TearDown() override { SetShellLauncher(nullptr); }

    fs::path Folder() const { return fs::canonical(fs::path(folder.path().toStdString())); }

    // What the opener was handed for the command, if anything.
    std::optional<std::string> Opened(const std::string& command) {
        launcher.opened.clear();
        ShellOpen(command);
        EXPECT_LE(launcher.opened.size(), 1u);
        if (launcher.opened.empty())
            return std::nullopt;
        return launcher.opened.front();
    }

    TRecordingLauncher launcher;
    QTemporaryDir folder;
};

TEST_F(ShellOpenTest, WebAndMailAddresses) {
    struct {
        const char* command;
        std::optional<std::string> opened;
    } const cases[] = {
        {"https://example.org/default.aspx?pageid=forums", "https://example.org/default.aspx?pageid=forums"},
        {"http://example.org/", "http://example.org/"},
        {"HTTPS://Example.org/Path", "HTTPS://Example.org/Path"},
        {"mailto:author@example.org", "mailto:author@example.org"},
        // Up to the first blank is the address, the rest its parameters.
        {"https://example.org/a b c", "https://example.org/a"},
        {"ftp://example.org/file", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"file:///bin/sh", std::nullopt},
        {"-e https://example.org", std::nullopt},
        {"https://example.org\nxterm", std::nullopt},
        {"", std::nullopt},
        {" https://example.org", std::nullopt},
    };
    for (const auto& item : cases)
        EXPECT_EQ(Opened(item.command), item.opened) << item.command;
}

TEST_F(ShellOpenTest, ExistingDocumentsButNoFolders) {
    const fs::path readme = WriteFile(Folder() / "readme.txt", "text");
    const fs::path spaced = WriteFile(Folder() / "My notes.txt", "text");
    EXPECT_EQ(Opened(readme.string()), readme.string());
    EXPECT_EQ(Opened(readme.string() + " --with parameters"), readme.string());
    EXPECT_EQ(Opened(spaced.string()), spaced.string());
    EXPECT_EQ(Opened(Folder().string()), std::nullopt);
    EXPECT_EQ(Opened((Folder() / "missing.txt").string()), std::nullopt);
}

TEST_F(ShellOpenTest, NeverAProgramOrALauncherFile) {
    const fs::path script = WriteFile(Folder() / "run.sh", "#!/bin/sh\n");
    fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
    const fs::path launcherFile = WriteFile(Folder() / "Terminal.Desktop", "[Desktop Entry]\nExec=xterm\n");
    const fs::path link = Folder() / "innocent.txt";
    fs::create_symlink(launcherFile, link);
    EXPECT_EQ(Opened(script.string()), std::nullopt);
    EXPECT_EQ(Opened(launcherFile.string()), std::nullopt);
    EXPECT_EQ(Opened(link.string()), std::nullopt);
    EXPECT_EQ(Opened("/bin/sh"), std::nullopt);
}

} // namespace
