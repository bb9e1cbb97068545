#include "platform/FileNames.h"

#include "tests/platform/TempFolders.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using platform::FileNameToText;
using platform::TextToFileName;

// Names as the file system may hold them: every one comes back byte for byte from its text.
TEST(FileNames, EveryNameComesBackFromItsText) {
    const std::string names[] = {
        "woofer.bvp",
        "Fläche ½ €.bvp",           // valid UTF-8 of two and three bytes
        "proj_\xff\xfe.bvp",         // bytes that are never UTF-8
        "Caf\xe9.bvd",               // a Windows-1252 name
        "\xc3",                      // a sequence cut short at the end
        "\xed\xa0\x80",              // an encoded surrogate, not valid UTF-8
        "\xf0\x9f\x8e\xb5 note.bvd", // four bytes
        "\xc0\xaf",                  // an overlong "/"
    };
    for (const std::string& name : names) {
        EXPECT_EQ(TextToFileName(FileNameToText(name)), name) << platform::DisplayFileName(name);
        EXPECT_EQ(platform::TextToPath(platform::PathToText(std::filesystem::path(name))).native(), name);
    }
    // Valid names read as Qt reads them.
    EXPECT_EQ(FileNameToText(std::string("Fläche ½ €.bvp")), QStringLiteral("Fläche ½ €.bvp"));
    EXPECT_EQ(TextToFileName(QStringLiteral("Fläche.bvp")), "Fläche.bvp");
}

TEST(FileNames, MessagesShowStrayBytesVisibly) {
    EXPECT_EQ(platform::DisplayFileName("proj_\xff\xfe.bvp"), "proj_\\xFF\\xFE.bvp");
    EXPECT_EQ(platform::DisplayFileName("Fläche.bvp"), "Fläche.bvp");
}

TEST(FileNames, AFileWithAStrayByteInItsNameIsFoundThroughItsText) {
    platformtest::TempFolder folder;
    const std::filesystem::path path = folder.path() / "proj_\xff\xfe.bvp";
    std::ofstream(path) << "[Box]\n";
    const QString text = platform::PathToText(path);
    EXPECT_TRUE(std::filesystem::is_regular_file(platform::TextToPath(text)));
    EXPECT_EQ(platform::FileReadProblem(platform::TextToPath(text)), "");
}

} // namespace
