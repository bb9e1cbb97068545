#include "model/DB_Text2.h"
#include "model/Driver.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DriverFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        folder = fs::path(root.path().toStdString()) / "Drivers";
        fs::create_directory(folder);
        database.Directory = folder.string() + "/";
    }

    void Write(const fs::path& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The defaults of a driver file without keys.
    static void ExpectDefaults(const TDriverObject& driver) {
        EXPECT_EQ(driver.Data.Brand, "");
        EXPECT_EQ(driver.Data.Model, "");
        EXPECT_EQ(driver.Data.Fs, 0.0);
        EXPECT_EQ(driver.Data.Re, 0.0);
        EXPECT_EQ(driver.Data.numVC, 1);
        EXPECT_EQ(driver.Data.VCCon, 1);
        EXPECT_TRUE(std::all_of(driver.Data.ParState.begin(), driver.Data.ParState.end(),
                                [](char letter) { return letter == ParEntered; }));
    }

    // A driver that holds values everywhere, so that defaults show.
    static TDriverObject UsedDriver() {
        TDriverObject driver;
        driver.Data.Brand = "Previous";
        driver.Data.Fs = 99.0;
        driver.Data.Re = 7.0;
        driver.Data.numVC = 2;
        driver.Data.ParState.fill(ParCalculated);
        driver.Rs = 0.25;
        driver.NumDrivers = 3;
        return driver;
    }

    QTemporaryDir root;
    fs::path folder;
    TDB_Text2 database;
};

TEST_F(DriverFolder, ListsDriverFilesOfAnyCaseSorted) {
    Write(folder / "Woofer 8.bvd", "[Driver]\n");
    Write(folder / "Sub.BVD", "[Driver]\n");
    Write(folder / "mid.Bvd", "[Driver]\n");
    Write(folder / "Other.txt", "[Driver]\n");
    Write(folder / "notes.bvd.txt", "");
    Write(folder / "bvd", "");
    fs::create_directory(folder / "Archive.bvd");

    std::vector<std::string> list{"stale entry"};
    database.GetDriverList(list);
    EXPECT_EQ(list, (std::vector<std::string>{"mid", "Sub", "Woofer 8"}));
}

TEST_F(DriverFolder, ListingWithoutFolder) {
    std::vector<std::string> list{"kept"};
    database.Directory.clear();
    database.GetDriverList(list);
    EXPECT_EQ(list, std::vector<std::string>{"kept"});

    database.Directory = (folder / "missing").string() + "/";
    database.GetDriverList(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(DriverFolder, LoadsTheNamedDriverAndLeavesTheProjectBlock) {
    Write(folder / "Woofer 8.BVD", "[Driver]\n"
                                   "Brand=Acme\n"
                                   "Model=W8\n"
                                   "Fs=31,5\n"
                                   "Re=5.6\n"
                                   "numVC=2\n"
                                   "ParState=EEEEE\n");
    TDriverObject driver = UsedDriver();
    database.LoadDriver("Woofer 8", driver);
    EXPECT_EQ(driver.Data.Brand, "Acme");
    EXPECT_EQ(driver.Data.Model, "W8");
    EXPECT_DOUBLE_EQ(driver.Data.Fs, 31.5);
    EXPECT_DOUBLE_EQ(driver.Data.Re, 5.6);
    EXPECT_EQ(driver.Data.numVC, 2);
    EXPECT_EQ(driver.Rs, 0.25);
    EXPECT_EQ(driver.NumDrivers, 3);

    // The folder may also be given without its trailing separator.
    database.Directory = folder.string();
    TDriverObject again;
    database.LoadDriver("Woofer 8", again);
    EXPECT_EQ(again.Data.Brand, "Acme");
}

TEST_F(DriverFolder, AMissingDriverLoadsAsDefaultsAndSaysSo) {
    Write(folder.parent_path() / "Outside.bvd", "[Driver]\nBrand=Outside\n");
    for (const char* name : {"Missing", "../Outside", "", "."}) {
        TDriverObject driver = UsedDriver();
        const TReadReport report = database.LoadDriver(name, driver);
        EXPECT_FALSE(report.ok) << name;
        EXPECT_EQ(report.error, "The driver file \"" + std::string(name) + ".bvd\" does not exist");
        ExpectDefaults(driver);
        EXPECT_EQ(driver.Rs, 0.25) << name;
    }
}

// A driver that is there but cannot be read is never replaced by defaults: the report names it
// and says why, and the driver stays as it was.
TEST_F(DriverFolder, ADriverThatCannotBeReadIsReportedAndNotReplaced) {
    fs::create_directory(folder / "Folder.bvd");
    Write(folder / "Binary.bvd", std::string("\0\xff\xfe[Driver\n=\n\0\0", 14));
    Write(folder / "Empty.bvd", "");
    const struct {
        const char* name;
        std::string error;
    } rows[] = {
        {"Folder", "\"" + (folder / "Folder.bvd").string() + "\" is a folder, not a file"},
        {"Binary", "The file \"" + (folder / "Binary.bvd").string() + "\" holds no driver: it has no section [Driver]"},
        {"Empty", "The file \"" + (folder / "Empty.bvd").string() + "\" holds no driver: it has no section [Driver]"},
    };
    for (const auto& row : rows) {
        TDriverObject driver = UsedDriver();
        driver.Data.Brand = "Kept";
        const TReadReport report = database.LoadDriver(row.name, driver);
        EXPECT_FALSE(report.ok) << row.name;
        EXPECT_EQ(report.error, row.error);
        EXPECT_EQ(driver.Data.Brand, "Kept") << row.name;
    }
}

// A driver with long texts is one the user may have typed or pasted: it loads whole.
TEST_F(DriverFolder, ADriverWithLongTextsLoadsWhole) {
    const std::string comment(1024 * 1024, 'x');
    Write(folder / "Long.bvd", "[Driver]\nBrand=" + std::string(100000, 'b') + "\nComment=" + comment + "\n");
    TDriverObject driver;
    const TReadReport report = database.LoadDriver("Long", driver);
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_TRUE(driver.Data.Comment == comment);
    EXPECT_EQ(driver.Data.Brand, std::string(100000, 'b'));
}

// The database lists names as the file system holds them, bytes that are not UTF-8 included, and
// loads a driver by that name.
TEST_F(DriverFolder, ANameThatIsNotUtf8IsListedAndLoaded) {
    Write(folder / "W\xe9 8.bvd", "[Driver]\nBrand=Acme\n");
    std::vector<std::string> names;
    database.GetDriverList(names);
    ASSERT_EQ(names, std::vector<std::string>({"W\xe9 8"}));
    TDriverObject driver;
    EXPECT_TRUE(database.LoadDriver(names.front(), driver).ok);
    EXPECT_EQ(driver.Data.Brand, "Acme");
}

} // namespace
