#include "platform/IniFile.h"

#include "tests/platform/TempFolders.h"
#include "tests/platform/Unprivileged.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::IniFile;

namespace {

using platformtest::TempFolder;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

IniFile FromText(std::string_view text) {
    IniFile ini;
    ini.SetText(text);
    return ini;
}

} // namespace

struct LookupCase {
    const char* section;
    const char* key;
    const char* expected;
};

class IniLookup : public ::testing::TestWithParam<LookupCase> {};

// Windows-made file: CRLF, blanks around names, duplicates, bytes of several encodings.
const std::string kDocument = "; comment line\r\n"
                              "orphan=before any section\r\n"
                              "[Driver]\r\n"
                              "Brand=First\r\n"
                              "brand=Second\r\n"
                              "  Qts  =  0.38 \r\n"
                              "Re=31,5\r\n"
                              "Name=M\xC3\xBCller\r\n"
                              "Comment=line one\xA4line two\r\n"
                              "Formula=a=b+c\r\n"
                              "Empty=\r\n"
                              "no equals sign here\r\n"
                              "; Hidden=comment\r\n"
                              "[ box ]\n"
                              "BType=1\n"
                              "[DRIVER]\n"
                              "Brand=Third\n"
                              "Late=from the second block\n";

TEST_P(IniLookup, FindsValuesAsTheProfileServicesDo) {
    const IniFile ini = FromText(kDocument);
    const LookupCase& c = GetParam();
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected) << c.section << "/" << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    ::testing::Values(LookupCase{"Driver", "Brand", "First"}, LookupCase{"driver", "BRAND", "First"},
                      LookupCase{"Driver", "Qts", "0.38"}, LookupCase{"Driver", "Re", "31,5"},
                      LookupCase{"Driver", "Name", "M\xC3\xBCller"},
                      LookupCase{"Driver", "Comment", "line one\xA4line two"},
                      LookupCase{"Driver", "Formula", "a=b+c"}, LookupCase{"Driver", "Empty", ""},
                      LookupCase{"Driver", "Missing", "<default>"},
                      LookupCase{"Driver", "Hidden", "<default>"},
                      LookupCase{"Driver", "; Hidden", "<default>"},
                      LookupCase{"Driver", "no equals sign here", "<default>"},
                      LookupCase{"Box", "BType", "1"}, LookupCase{"Driver", "Late", "from the second block"},
                      LookupCase{"Nowhere", "Brand", "<default>"}, LookupCase{"", "orphan", "<default>"}),
    [](const ::testing::TestParamInfo<LookupCase>& info) {
        return CaseName(info.index, std::string(info.param.section) + "_" + info.param.key);
    });

TEST(IniFile, ValuesSurviveByteForByte) {
    // Every byte but the line breaks, including NUL, 0xA4 and invalid UTF-8.
    std::string value;
    for (int b = 1; b < 256; ++b)
        if (b != '\n' && b != '\r' && b != ' ' && b != '\t')
            value += static_cast<char>(b);
    value.insert(value.begin() + 10, '\0');
    TempFolder folder;
    const fs::path path = folder.path() / "bytes.ini";
    {
        IniFile ini(path);
        ASSERT_TRUE(ini.WriteString("Driver", "Comment", value));
        ASSERT_TRUE(ini.Save());
    }
    IniFile again(path);
    EXPECT_TRUE(again.FileFound());
    EXPECT_EQ(again.ReadString("Driver", "Comment", ""), value);
}

TEST(IniFile, WritingAKeyKeepsEveryOtherLine) {
    IniFile ini = FromText("; keep me\n[A]\nx=1\n\n; between\n[B]\ny=2\nz=3\n");
    ASSERT_TRUE(ini.WriteString("b", "Y", "changed"));
    ASSERT_TRUE(ini.WriteString("A", "new", "4"));
    ASSERT_TRUE(ini.WriteString("C", "w", "5"));
    EXPECT_EQ(ini.Text(), "; keep me\n[A]\nx=1\nnew=4\n\n; between\n[B]\ny=changed\nz=3\n\n[C]\nw=5\n");
    EXPECT_TRUE(ini.Modified());
}

TEST(IniFile, CrLfInputIsWrittenWithLf) {
    IniFile ini = FromText("[A]\r\nx=1\r\ny=2");
    ASSERT_TRUE(ini.WriteInteger("A", "x", -7));
    EXPECT_EQ(ini.Text(), "[A]\nx=-7\ny=2\n");
}

TEST(IniFile, AByteOrderMarkDoesNotHideTheFirstSection) {
    const IniFile ini = FromText("\xEF\xBB\xBF[Driver]\r\nBrand=Acme\r\n");
    EXPECT_EQ(ini.ReadString("Driver", "Brand", "-"), "Acme");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"Driver"});
}

TEST(IniFile, WritesThatWouldBreakTheStructureAreRefused) {
    IniFile ini = FromText("[A]\nx=1\n");
    const std::string before = ini.Text();
    EXPECT_FALSE(ini.WriteString("A", "x", "two\nlines"));
    EXPECT_FALSE(ini.WriteString("A", "x", "cr\rhere"));
    EXPECT_FALSE(ini.WriteString("A", "k=v", "1"));
    EXPECT_FALSE(ini.WriteString("A", "", "1"));
    EXPECT_FALSE(ini.WriteString("A", ";x", "1"));
    EXPECT_FALSE(ini.WriteString("A]", "x", "1"));
    EXPECT_FALSE(ini.WriteString("", "x", "1"));
    EXPECT_FALSE(ini.WriteString("A\n[B", "x", "1"));
    EXPECT_EQ(ini.Text(), before);
    EXPECT_FALSE(ini.Modified());
}

TEST(IniFile, SectionListingsKeepFileOrderAndFirstOccurrence) {
    const IniFile ini = FromText(kDocument);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Driver", "box"}));
    const auto values = ini.ReadSectionValues("driver");
    const std::vector<std::pair<std::string, std::string>> expected{{"Brand", "First"},
                                                                    {"Qts", "0.38"},
                                                                    {"Re", "31,5"},
                                                                    {"Name", "M\xC3\xBCller"},
                                                                    {"Comment", "line one\xA4line two"},
                                                                    {"Formula", "a=b+c"},
                                                                    {"Empty", ""},
                                                                    {"Late", "from the second block"}};
    EXPECT_EQ(values, expected);
    EXPECT_EQ(ini.ReadSection("Box"), (std::vector<std::string>{"BType"}));
    EXPECT_TRUE(ini.SectionExists("BOX"));
    EXPECT_FALSE(ini.SectionExists("Filters"));
    EXPECT_TRUE(ini.ValueExists("Driver", "late"));
}

TEST(IniFile, EraseSectionRemovesEveryOccurrence) {
    IniFile ini = FromText("[Filters]\n0=1;2\n[Box]\nBType=0\n[filters]\n1=3\n");
    ini.EraseSection("FILTERS");
    EXPECT_EQ(ini.Text(), "[Box]\nBType=0\n");
    EXPECT_FALSE(ini.SectionExists("Filters"));
}

TEST(IniFile, DeleteKeyLeavesNoDuplicateBehind) {
    IniFile ini = FromText("[F]\nCount=2\n0=a\ncount=9\n1=b\n");
    ini.DeleteKey("f", "COUNT");
    EXPECT_EQ(ini.ReadInteger("F", "Count", -1), -1);
    EXPECT_EQ(ini.Text(), "[F]\n0=a\n1=b\n");
}

// Erasing marks the document changed exactly when a line goes: a save prompt for nothing, or
// none after a real removal, would both mislead the user.
TEST(IniFile, ErasingChangesTheDocumentOnlyWhenALineGoes) {
    const std::string text = "[F]\nCount=2\n0=a\n[Box]\nBType=0\n";
    struct Case {
        const char* what;
        void (*erase)(IniFile&);
        bool removes;
    };
    const Case cases[] = {
        {"missing section", [](IniFile& ini) { ini.EraseSection("Driver"); }, false},
        {"present section", [](IniFile& ini) { ini.EraseSection("box"); }, true},
        {"missing key", [](IniFile& ini) { ini.DeleteKey("F", "1"); }, false},
        {"key of another section", [](IniFile& ini) { ini.DeleteKey("Box", "Count"); }, false},
        {"present key", [](IniFile& ini) { ini.DeleteKey("f", "count"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniFile ini = FromText(text);
        ASSERT_FALSE(ini.Modified());
        c.erase(ini);
        EXPECT_EQ(ini.Modified(), c.removes);
        EXPECT_EQ(ini.Text() != text, c.removes);
    }
}

TEST(IniFile, NumberedKeysRoundTripInOrder) {
    IniFile ini;
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(ini.WriteString("Filters", std::to_string(i), "kind;" + std::to_string(i)));
    const auto keys = ini.ReadSection("Filters");
    ASSERT_EQ(keys.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(keys[static_cast<std::size_t>(i)], std::to_string(i));
}

struct IntegerCase {
    const char* text;
    std::int32_t expected;
};

class IniInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesWholeNumbersOnly) {
    const IniFile ini = FromText(std::string("[S]\nv=") + GetParam().text + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "v", 4242), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"17", 17}, IntegerCase{" -17 ", -17},
                      IntegerCase{"+5", 5}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", INT32_MIN}, IntegerCase{"2147483648", 4242},
                      IntegerCase{"-2147483649", 4242}, IntegerCase{"99999999999999999999999", 4242},
                      IntegerCase{"$FF", 255}, IntegerCase{"0x800080", 0x800080},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"$1FFFFFFFF", 4242},
                      IntegerCase{"12abc", 4242}, IntegerCase{"1.5", 4242}, IntegerCase{"", 4242},
                      IntegerCase{"-", 4242}, IntegerCase{"--1", 4242}, IntegerCase{"$", 4242}),
    [](const ::testing::TestParamInfo<IntegerCase>& info) { return CaseName(info.index, info.param.text); });

TEST(IniFile, BooleansAreIntegers) {
    IniFile ini = FromText("[S]\na=1\nb=0\nc=7\nd=yes\n");
    EXPECT_TRUE(ini.ReadBool("S", "a", false));
    EXPECT_FALSE(ini.ReadBool("S", "b", true));
    EXPECT_TRUE(ini.ReadBool("S", "c", false));
    EXPECT_TRUE(ini.ReadBool("S", "d", true));
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
    ASSERT_TRUE(ini.WriteBool("S", "b", true));
    EXPECT_EQ(ini.ReadString("S", "b", ""), "1");
}

TEST(IniFile, MissingFileIsAnEmptyDocument) {
    TempFolder folder;
    IniFile ini(folder.path() / "absent.ini");
    EXPECT_FALSE(ini.FileFound());
    EXPECT_TRUE(ini.LoadResult());
    EXPECT_EQ(ini.ReadString("Version", "Number", "-error-"), "-error-");
}

TEST(IniFile, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
    TempFolder folder;
    const fs::path path = folder.path() / "project.bvp";
    WriteBytes(path, "[ProjectInfo]\r\nDescription=old\r\n; note\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    IniFile ini(path);
    ASSERT_TRUE(ini.FileFound());
    ASSERT_TRUE(ini.WriteString("ProjectInfo", "Description", "new"));
    const platform::IniResult result = ini.Save();
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ReadBytes(path), "[ProjectInfo]\nDescription=new\n; note\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(IniFile, FailedSaveIntoMissingFolderIsReported) {
    TempFolder folder;
    WriteBytes(folder.path() / "plain-file", "x");
    IniFile ini(folder.path() / "plain-file" / "sub.ini");
    ASSERT_TRUE(ini.WriteString("A", "b", "c"));
    const platform::IniResult result = ini.Save();
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(ini.Modified());
}

TEST(IniFile, FailedSaveIntoReadOnlyFolderKeepsTheOldFile) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    TempFolder folder;
    const fs::path path = folder.path() / "old.ini";
    WriteBytes(path, "[A]\nb=old\n");
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "b", "new"));
    const platform::IniResult result = ini.Save();
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(ReadBytes(path), "[A]\nb=old\n");
}

TEST(IniFile, WriteFailurePartWayKeepsTheOldFileWhole) {
    // A file-size limit makes the write of the temporary fail after the first bytes, even for
    // the superuser; the old file must stay exactly as it was.
    TempFolder folder;
    const fs::path path = folder.path() / "old.ini";
    const std::string old = "[A]\nb=old\n";
    WriteBytes(path, old);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "b", std::string(4096, 'x')));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const platform::IniResult result = ini.Save();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(path.string()), std::string::npos) << result.error;
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(IniFile, MalformedInputNeverCrashes) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string junk(static_cast<std::size_t>(random() % 2000), '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(random));
        if (round % 3 == 0)
            junk.insert(junk.size() / 2, std::string("\n[Box]\nBType=\0\n", 15));
        IniFile ini = FromText(junk);
        for (const auto& section : ini.ReadSections()) {
            for (const auto& [key, value] : ini.ReadSectionValues(section)) {
                (void)ini.ReadInteger(section, key, 0);
                EXPECT_EQ(ini.ReadString(section, key, "?"), value);
            }
        }
        ini.EraseSection("Box");
        (void)ini.WriteString("Box", "BType", "2");
        EXPECT_EQ(ini.ReadString("Box", "BType", ""), "2");
    }
}

TEST(IniFile, HugeLinesAndNulBytesAreOrdinaryText) {
    TempFolder folder;
    const fs::path path = folder.path() / "huge.ini";
    std::string big(8 * 1024 * 1024, 'y');
    WriteBytes(path, "no section at all\n" + std::string("\0\0\0", 3) + "\n[S]\nk=" + big +
                         std::string("\nn=a\0b\n", 7));
    IniFile ini(path);
    ASSERT_TRUE(ini.LoadResult());
    EXPECT_EQ(ini.ReadString("S", "k", "").size(), big.size());
    EXPECT_EQ(ini.ReadString("S", "n", ""), std::string("a\0b", 3));
}

TEST(IniFile, FolderOrOversizedFileIsReportedNotRead) {
    TempFolder folder;
    IniFile asFolder(folder.path());
    EXPECT_FALSE(asFolder.LoadResult().ok);
    EXPECT_FALSE(asFolder.FileFound());

    const fs::path sparse = folder.path() / "sparse.ini";
    WriteBytes(sparse, "");
    fs::resize_file(sparse, IniFile::MaximumFileSize + 1);
    IniFile oversized(sparse);
    EXPECT_FALSE(oversized.LoadResult().ok);
    EXPECT_EQ(oversized.LoadResult().error,
              "\"" + sparse.string() + "\" is larger than 64 MiB and is not read");
    EXPECT_EQ(oversized.ReadString("A", "b", "d"), "d");
}

TEST(IniFile, ListingAHugeSectionStaysLinear) {
    // A quadratic listing would take minutes here and hit the test timeout.
    std::string text = "[Filters]\n";
    constexpr int kKeys = 200000;
    for (int i = 0; i < kKeys; ++i)
        text += std::to_string(i) + "=0;1;2\n";
    text += "[Other]\n";
    for (int i = 0; i < 50000; ++i)
        text += "[S" + std::to_string(i) + "]\n";
    const IniFile ini = FromText(text);
    EXPECT_EQ(ini.ReadSectionValues("filters").size(), static_cast<std::size_t>(kKeys));
    EXPECT_EQ(ini.ReadSections().size(), 50002u);
}

TEST(IniFile, SavingThroughALinkKeepsTheLink) {
    TempFolder folder;
    const fs::path target = folder.path() / "real.bvp";
    const fs::path link = folder.path() / "link.bvp";
    WriteBytes(target, "[A]\nb=old\n");
    fs::create_symlink(target, link);
    IniFile ini(link);
    ASSERT_TRUE(ini.WriteString("A", "b", "new"));
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "[A]\nb=new\n");
}

TEST(IniFile, CarriageReturnsAreTrimmedLikeBlanksAndTheTextStaysTheSame) {
    const IniFile first = FromText("\xEF\xBB\xBF\xEF\xBB\xBF[Box]\r\r\nBType=4\r\r\nName = a b \r\r\n");
    EXPECT_EQ(first.ReadInteger("Box", "BType", 0), 4);
    EXPECT_EQ(first.ReadString("Box", "Name", ""), "a b");
    EXPECT_EQ(first.ReadSections(), std::vector<std::string>{"Box"});
    const IniFile second = FromText(first.Text());
    EXPECT_EQ(second.Text(), first.Text());
    EXPECT_EQ(second.ReadSectionValues("Box"), first.ReadSectionValues("Box"));
}

TEST(IniFile, ASaveRemovesTheTemporariesOfKilledSaversOnly) {
    TempFolder folder;
    const fs::path path = folder.path() / "project.bvp";
    // A process that has ended: its temporaries are litter.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    const fs::path stale = folder.path() / (".project.bvp.tmp-" + std::to_string(child) + "-0");
    const fs::path live = folder.path() / ".project.bvp.tmp-1-7";
    const fs::path other = folder.path() / (".other.bvp.tmp-" + std::to_string(child) + "-0");
    for (const fs::path& p : {stale, live, other})
        WriteBytes(p, "half");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "b", "c"));
    ASSERT_TRUE(ini.Save().ok);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live)) << "a saver that still runs keeps its file";
    EXPECT_TRUE(fs::exists(other)) << "another document's temporaries are its own business";
}

TEST(IniFile, ASaveOverAReadOnlyFileIsRefused) {
    TempFolder folder;
    const fs::path path = folder.path() / "settings.ini";
    WriteBytes(path, "[A]\nb=old\n");
    fs::permissions(path, fs::perms::owner_read);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "b", "new"));
    const platform::IniResult result = ini.Save();
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(path.string()), std::string::npos) << result.error;
    EXPECT_EQ(ReadBytes(path), "[A]\nb=old\n");
    EXPECT_TRUE(ini.Modified());
}

// A save onto a file system mounted read-only names the file system, not the file, for the file
// being replaced and for a new file alike; the old file is left as it was.
TEST(IniFile, ASaveOntoAReadOnlyFileSystemSaysTheFileSystemIsReadOnly) {
    if (platformtest::RerunWithPrivateMounts())
        return;
    TempFolder folder;
    const fs::path old = folder.path() / "old.ini";
    platformtest::ReadOnlyMount readOnly(folder.path(), [&] { WriteBytes(old, "[A]\nb=old\n"); });
    ASSERT_EQ(readOnly.error, "");
    for (const fs::path& path : {old, folder.path() / "new.ini"}) {
        IniFile ini(path);
        ASSERT_TRUE(ini.WriteString("A", "b", "new"));
        const platform::IniResult result = ini.Save();
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, "Cannot save \"" + path.string() + "\": the file system is read-only");
    }
    EXPECT_EQ(ReadBytes(old), "[A]\nb=old\n");
}

// What cannot be read as a file is named for what it is, never taken for a missing file (which
// reads as an empty document).
TEST(IniFile, WhatCannotBeReadIsNamedForWhatItIs) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    TempFolder folder;
    const fs::path base = folder.path();
    WriteBytes(base / "locked.ini", "[A]\nb=1\n");
    fs::permissions(base / "locked.ini", fs::perms::none);
    ASSERT_EQ(::mkfifo((base / "pipe.ini").c_str(), 0600), 0);
    fs::create_symlink(base / "loop.ini", base / "loop.ini");
    fs::create_symlink(base / "gone.ini", base / "dangling.ini");
    fs::create_directory(base / "folder.ini");
    const struct {
        const char* name;
        std::string error;
    } rows[] = {
        {"folder.ini", "is a folder, not a file"},
        {"pipe.ini", "is not a regular file"},
        {"loop.ini", "is a link that leads round in a loop"},
        {"dangling.ini", "is a link to a file that does not exist"},
        {"locked.ini", "cannot be read: Permission denied"},
    };
    for (const auto& row : rows) {
        const IniFile ini(base / row.name);
        EXPECT_FALSE(ini.LoadResult().ok) << row.name;
        EXPECT_EQ(ini.LoadResult().error, "\"" + (base / row.name).string() + "\" " + row.error);
    }
    const IniFile missing(base / "missing.ini");
    EXPECT_TRUE(missing.LoadResult().ok);
    EXPECT_FALSE(missing.FileFound());
}
