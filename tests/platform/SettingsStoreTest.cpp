#include "platform/SettingsStore.h"
#include "platform/JoystickProbe.h"

#include "tests/platform/TempFolders.h"
#include "tests/platform/Unprivileged.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::MemorySettingsStore;
using platform::QtSettingsStore;

namespace {

namespace store_test {
// The copies kept of malformed settings files in a folder.
inline int KeptCopies(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().filename().string().find(".broken") != std::string::npos ? 1 : 0;
    return count;
}
} // namespace store_test

using platformtest::PrivateConfigHome;
using platformtest::TempFolder;

// QSettings settles its default folders on first use, so the configuration home must point at
// a private folder before any test of this program constructs one.
const PrivateConfigHome configHome("settings-store-test");

const double kAwkwardDoubles[] = {0.1,
                                  1e-300,
                                  std::numeric_limits<double>::denorm_min(),
                                  2.2250738585072009e-308, // largest denormal
                                  -0.0,
                                  0.0,
                                  1.0 / 3.0,
                                  293.15,
                                  -180,
                                  std::numeric_limits<double>::max(),
                                  -std::numeric_limits<double>::lowest(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};

} // namespace

TEST(QtSettingsStore, DefaultStoreLivesUnderTheConfigurationHome) {
    QtSettingsStore store;
    EXPECT_EQ(fs::path(store.FileName()), configHome.path / "Halvern" / "Borvik Pro.conf");
    store.WriteInteger("GridX", 20);
    ASSERT_TRUE(store.Flush());
    EXPECT_TRUE(fs::exists(configHome.path / "Halvern" / "Borvik Pro.conf"));
}

TEST(QtSettingsStore, AnswersOnlyFromTheUsersOwnFile) {
    // An organisation-wide file beside the program's own must not count as stored settings.
    const fs::path organisationFile = configHome.path / "Halvern.conf";
    std::ofstream(organisationFile) << "[General]\nOrganisationOnly=5\n";
    {
        QtSettingsStore store;
        EXPECT_FALSE(store.ValueExists("OrganisationOnly"));
        EXPECT_FALSE(store.ReadInteger("OrganisationOnly"));
    }
    fs::remove(organisationFile);
}

TEST(QtSettingsStore, DoublesSurviveBitForBit) {
    TempFolder folder;
    const fs::path file = folder.path() / "doubles.conf";
    {
        QtSettingsStore store(file);
        for (std::size_t i = 0; i < std::size(kAwkwardDoubles); ++i)
            store.WriteFloat("Value" + std::to_string(i), kAwkwardDoubles[i]);
        store.WriteFloat("NotANumber", std::numeric_limits<double>::quiet_NaN());
        ASSERT_TRUE(store.Flush());
    }
    QtSettingsStore reread(file);
    for (std::size_t i = 0; i < std::size(kAwkwardDoubles); ++i) {
        const auto value = reread.ReadFloat("Value" + std::to_string(i));
        ASSERT_TRUE(value) << kAwkwardDoubles[i];
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*value), std::bit_cast<std::uint64_t>(kAwkwardDoubles[i]))
            << kAwkwardDoubles[i];
    }
    const auto nan = reread.ReadFloat("NotANumber");
    ASSERT_TRUE(nan);
    EXPECT_TRUE(std::isnan(*nan));
}

TEST(QtSettingsStore, IntegersBooleansAndTextsRoundTrip) {
    TempFolder folder;
    const fs::path file = folder.path() / "values.conf";
    const std::string name = "M\xC3\xBCller, J\xC3\xB6rg = \"quoted\"";
    {
        QtSettingsStore store(file);
        store.WriteInteger("Low", std::numeric_limits<std::int32_t>::min());
        store.WriteInteger("High", std::numeric_limits<std::int32_t>::max());
        store.WriteBool("On", true);
        store.WriteBool("Off", false);
        store.WriteString("UserName", name);
        store.WriteString("Empty", "");
        store.WriteInteger("Desktop/MainLeft", -12);
        ASSERT_TRUE(store.Flush());
    }
    QtSettingsStore store(file);
    EXPECT_EQ(store.ReadInteger("Low"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(store.ReadInteger("High"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(store.ReadBool("On"), true);
    EXPECT_EQ(store.ReadBool("Off"), false);
    EXPECT_EQ(store.ReadInteger("On"), 1);
    EXPECT_EQ(store.ReadString("UserName"), name);
    EXPECT_EQ(store.ReadString("Empty"), "");
    EXPECT_EQ(store.ReadInteger("Desktop/MainLeft"), -12);
    EXPECT_FALSE(store.ReadInteger("Missing"));
}

TEST(QtSettingsStore, UnreadableValuesExistButGiveNoValue) {
    TempFolder folder;
    const fs::path file = folder.path() / "bad.conf";
    std::ofstream(file) << "[General]\nGridX=12abc\nBig=99999999999\nTemperature=warm\nList=a, b\nFine=7\n";
    QtSettingsStore store(file);
    EXPECT_TRUE(store.ValueExists("GridX"));
    EXPECT_FALSE(store.ReadInteger("GridX"));
    EXPECT_FALSE(store.ReadInteger("Big"));
    EXPECT_FALSE(store.ReadFloat("Temperature"));
    EXPECT_FALSE(store.ReadBool("Temperature"));
    EXPECT_FALSE(store.ReadString("List"));
    EXPECT_EQ(store.ReadFloat("Fine"), 7.0);
    EXPECT_EQ(store.ReadInteger("Fine"), 7);
}

TEST(QtSettingsStore, KeyExistsOnceAnythingIsStored) {
    TempFolder folder;
    QtSettingsStore store(folder.path() / "groups.conf");
    EXPECT_FALSE(store.KeyExists());
    EXPECT_FALSE(store.KeyExists("Desktop"));
    store.WriteInteger("Desktop/MainTop", 5);
    EXPECT_TRUE(store.KeyExists());
    EXPECT_TRUE(store.KeyExists("Desktop"));
    EXPECT_FALSE(store.KeyExists("Elsewhere"));
}

TEST(QtSettingsStore, FailedWriteIsReported) {
    TempFolder folder;
    std::ofstream(folder.path() / "Halvern") << "a file where the folder should be";
    QtSettingsStore store(folder.path() / "Halvern" / "Borvik Pro.conf");
    store.WriteInteger("GridX", 20);
    const platform::StoreResult result = store.Flush();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Cannot write the settings file \"" + (folder.path() / "Halvern" / "Borvik Pro.conf").string() +
                                "\": \"" + (folder.path() / "Halvern").string() + "\" is a file, not a folder");
}

// A settings folder or file the user may not write says why.
TEST(QtSettingsStore, AFailedWriteSaysWhy) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    TempFolder folder;
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path readOnly = folder.path() / "readonly.conf";
    std::ofstream(readOnly) << "[General]\nGridX=7\n";
    fs::permissions(readOnly, fs::perms::owner_read);
    const struct {
        fs::path file;
        std::string why;
    } rows[] = {
        {locked / "Borvik Pro.conf", ": Permission denied in \"" + locked.string() + "\""},
        {readOnly, ": Permission denied"},
    };
    for (const auto& row : rows) {
        QtSettingsStore store(row.file);
        store.WriteInteger("GridX", 20);
        EXPECT_EQ(store.Flush().error, "Cannot write the settings file \"" + row.file.string() + "\"" + row.why);
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST(MemorySettingsStore, KeepsTypesLogsWritesAndFailsOnRequest) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.KeyExists());
    store.Seed("Environment_Temperature", std::string("hot"));
    EXPECT_TRUE(store.KeyExists());
    EXPECT_TRUE(store.ValueExists("Environment_Temperature"));
    EXPECT_FALSE(store.ReadFloat("Environment_Temperature"));
    EXPECT_TRUE(store.writes.empty());
    store.WriteFloat("Environment_Temperature", 300.0);
    store.WriteBool("Desktop/Valid", true);
    EXPECT_EQ(store.ReadFloat("Environment_Temperature"), 300.0);
    EXPECT_FALSE(store.ReadInteger("Environment_Temperature"));
    EXPECT_EQ(store.ReadBool("Desktop/Valid"), true);
    EXPECT_TRUE(store.KeyExists("Desktop"));
    EXPECT_FALSE(store.KeyExists("Desk"));
    EXPECT_EQ(store.writes, (std::vector<std::string>{"Environment_Temperature", "Desktop/Valid"}));
    EXPECT_TRUE(store.Flush());
    store.failFlushWith = "disk full";
    const auto result = store.Flush();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "disk full");
}

TEST(LinuxJoystickProbe, AbsentOrForeignDeviceIsNoJoystick) {
    TempFolder folder;
    EXPECT_FALSE(platform::LinuxJoystickProbe(folder.path() / "js0").Probe());
    EXPECT_FALSE(platform::LinuxJoystickProbe("/dev/null").Probe());
    std::ofstream(folder.path() / "plain") << "not a device";
    EXPECT_FALSE(platform::LinuxJoystickProbe(folder.path() / "plain").Probe());
}

TEST(QtSettingsStore, AMalformedFileIsKeptAsideAndNothingOfItIsWrittenBack) {
    TempFolder folder;
    const fs::path file = folder.path() / "Borvik Pro.conf";
    std::ofstream(file) << "[General\nGridX=1\nGridY\n";
    fs::path copy = file;
    copy += ".broken";
    {
        QtSettingsStore store(file);
        EXPECT_EQ(store.ReadProblem(), "the settings file \"" + file.string() + "\" is malformed");
        EXPECT_FALSE(store.ValueExists("GridX")) << "what the reader made of a malformed file is not taken";
        EXPECT_FALSE(store.KeyExists());
        EXPECT_EQ(store.KeptCopy(), "");
        store.WriteInteger("GridY", 20);
        EXPECT_EQ(store.KeptCopy(), copy.string());
        const platform::StoreResult result = store.Flush();
        EXPECT_TRUE(result.ok) << result.error;
    }
    QtSettingsStore reread(file);
    EXPECT_EQ(reread.ReadProblem(), "");
    EXPECT_EQ(reread.ReadInteger("GridY"), 20);
    EXPECT_FALSE(reread.ValueExists("GridX"));
    std::ifstream kept(copy);
    const std::string text((std::istreambuf_iterator<char>(kept)), {});
    EXPECT_EQ(text, "[General\nGridX=1\nGridY\n");

    // A second malformed file never overwrites the first copy.
    std::ofstream(file, std::ios::trunc) << "[General\nGridX=2\n";
    QtSettingsStore again(file);
    again.WriteInteger("GridY", 20);
    fs::path second = file;
    second += ".broken-2";
    EXPECT_EQ(again.KeptCopy(), second.string());
    EXPECT_TRUE(fs::exists(copy));
}

// The copy of a malformed file takes a name that nothing has, past links and folders of those
// names; where no copy can be made, the malformed file stays as it is, nothing is written over
// it, and writing out says why.
TEST(QtSettingsStore, AMalformedFileThatCannotBeKeptAsideStaysAndWritingOutSaysWhy) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    const std::string malformed = "[General\nGridX=1\nGridY\n";
    const auto named = [](const fs::path& file, const char* suffix) {
        fs::path name = file;
        name += suffix;
        return name;
    };
    const struct {
        const char* name;
        std::string fileName;
        // Done after the store has read the file.
        void (*change)(const fs::path& file);
        const char* keptAs; // suffix of the kept copy, or none
        const char* why;    // the reason writing out gives when there is no copy
    } rows[] = {
        {"a link loop and a folder in the way", "Borvik Pro.conf",
         [](const fs::path& file) {
             fs::path loop = file;
             loop += ".broken";
             fs::create_symlink(loop.filename(), loop);
             fs::path folder = file;
             folder += ".broken-2";
             fs::create_directory(folder);
         },
         ".broken-3", ""},
        {"a name too long for a copy", std::string(250, 's'), [](const fs::path&) {}, nullptr,
         "File name too long"},
        {"a folder that became read-only", "Borvik Pro.conf",
         [](const fs::path& file) {
             fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
         },
         nullptr, "Permission denied"},
        {"a folder that can no longer be searched", "Borvik Pro.conf",
         [](const fs::path& file) {
             fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_write);
         },
         nullptr, "Permission denied"},
    };
    for (const auto& row : rows) {
        TempFolder folder;
        const fs::path file = folder.path() / row.fileName;
        std::ofstream(file) << malformed;
        {
            QtSettingsStore store(file);
            ASSERT_NE(store.ReadProblem(), "") << row.name;
            row.change(file);
            store.WriteInteger("GridY", 20);
            store.WriteString("UserName", "J");
            const platform::StoreResult result = store.Flush();
            if (row.keptAs != nullptr) {
                EXPECT_TRUE(result.ok) << row.name << ": " << result.error;
                EXPECT_EQ(store.KeptCopy(), named(file, row.keptAs).string()) << row.name;
            } else {
                EXPECT_FALSE(result.ok) << row.name;
                EXPECT_EQ(result.error, "Cannot write the settings file \"" + file.string() +
                                            "\": the malformed file cannot be kept as \"" +
                                            named(file, ".broken").string() + "\": " + row.why)
                    << row.name;
                EXPECT_EQ(store.KeptCopy(), "") << row.name;
                EXPECT_FALSE(store.ValueExists("GridX"))
                    << row.name << ": nothing of the malformed file is taken";
                EXPECT_FALSE(store.Flush().ok) << row.name;
            }
        }
        fs::permissions(folder.path(), fs::perms::owner_all);
        std::ifstream kept(row.keptAs != nullptr ? named(file, row.keptAs) : file);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), malformed) << row.name;
        if (row.keptAs != nullptr) {
            EXPECT_TRUE(fs::is_symlink(named(file, ".broken"))) << row.name;
            EXPECT_TRUE(fs::is_directory(named(file, ".broken-2"))) << row.name;
            EXPECT_EQ(QtSettingsStore(file).ReadInteger("GridY"), 20) << row.name;
        } else {
            EXPECT_EQ(store_test::KeptCopies(folder.path()), 0) << row.name;
        }
    }
}

// What is no settings text is malformed, also where QSettings would pass over it without a word
// and drop it at the next save; settings text of every kind is read.
TEST(QtSettingsStore, WhatIsNoSettingsTextIsMalformed) {
    TempFolder folder;
    const fs::path file = folder.path() / "Borvik Pro.conf";
    std::string random(4096, '\0');
    unsigned seed = 3;
    for (char& byte : random) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    const struct {
        const char* name;
        std::string text;
        bool malformed;
    } rows[] = {
        {"random bytes", random, true},
        {"a NUL byte", std::string("[General]\nGridX=1\n\0\n", 20), true},
        {"a line without a value", "[General]\nGridX=1\njust words\n", true},
        {"bytes that are not UTF-8", "[General]\nUserName=J\xf6rg\n", true},
        {"an open header", "[General\nGridX=1\n", true},
        {"empty", "", false},
        {"groups, comments and blanks", "; note\n\n[General]\r\nGridX = 1\r\n[Desktop]\nMainLeft=3\n", false},
        {"UTF-8 and quoted values", "[General]\nUserName=J\xc3\xb6rg\nProgramPath=\"/a b/\"\n", false},
    };
    for (const auto& row : rows) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << row.text;
        }
        const QtSettingsStore store(file);
        EXPECT_EQ(store.ReadProblem().empty(), !row.malformed) << row.name << ": " << store.ReadProblem();
    }
}

// A settings file that cannot be read says why; nothing is written over it.
TEST(QtSettingsStore, AFileThatCannotBeReadSaysWhyAndIsNotReplaced) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    TempFolder folder;
    const fs::path locked = folder.path() / "locked.conf";
    std::ofstream(locked) << "[General]\nGridX=7\n";
    fs::permissions(locked, fs::perms::none);
    const fs::path asFolder = folder.path() / "folder.conf";
    fs::create_directory(asFolder);
    const struct {
        fs::path file;
        std::string problem;
    } rows[] = {
        {locked, "\"" + locked.string() + "\" cannot be read: Permission denied"},
        {asFolder, "\"" + asFolder.string() + "\" is a folder, not a file"},
    };
    for (const auto& row : rows) {
        {
            QtSettingsStore store(row.file);
            EXPECT_EQ(store.ReadProblem(), row.problem);
            EXPECT_FALSE(store.ReadInteger("GridX"));
            store.WriteInteger("GridX", 20);
            EXPECT_FALSE(store.Flush().ok);
        }
        EXPECT_EQ(store_test::KeptCopies(folder.path()), 0) << row.file;
    }
    fs::permissions(locked, fs::perms::owner_read);
    std::ifstream kept(locked);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "[General]\nGridX=7\n");
    EXPECT_TRUE(fs::is_directory(asFolder));
}
