// The CHM reader on a small compiled help file, link paths, and the contents sitemap.
#include "help/ChmFile.h"

#include "../platform/TempFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace {

std::unique_ptr<TChmFile> OpenTestFile() {
    std::string error;
    auto file = TChmFile::Open(BORVIK_TEST_CHM, error);
    EXPECT_NE(file, nullptr) << error;
    return file;
}

TEST(ChmFile, ReadsPagesAndSystemData) {
    const auto file = OpenTestFile();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Title(), "Test Help");
    EXPECT_EQ(file->DefaultTopic(), "/start.html");
    EXPECT_EQ(file->ContentsFile(), "/toc.hhc");
    const auto page = file->Read("/pages/one.html");
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("Grüße from page one"), std::string::npos);
    // Links as pages write them: relative, escaped, with backslashes or anchors.
    EXPECT_TRUE(file->Read("pages\\two%20html.html"));
    EXPECT_TRUE(file->Exists("/pages/../start.html#top"));
    EXPECT_FALSE(file->Exists("/pages/missing.html"));
    EXPECT_FALSE(file->Read("/../start.html"));
}

TEST(ChmFile, MapsContextNumbersToPages) {
    const auto file = OpenTestFile();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->ContextTopic(2), "/pages/one.html");
    EXPECT_EQ(file->ContextTopic(70), "/pages/two html.html");
    EXPECT_EQ(file->ContextTopic(3), std::nullopt);
    EXPECT_EQ(file->ContextTopic(0), std::nullopt);
}

TEST(ChmFile, ReadsTheTableOfContents) {
    const auto file = OpenTestFile();
    ASSERT_TRUE(file);
    const auto contents = file->Contents();
    ASSERT_EQ(contents.size(), 2u);
    EXPECT_EQ(contents[0].name, "Start");
    EXPECT_EQ(contents[0].local, "/start.html");
    ASSERT_EQ(contents[0].children.size(), 2u);
    EXPECT_EQ(contents[0].children[0].name, "One & only");
    EXPECT_EQ(contents[0].children[0].local, "/pages/one.html#middle");
    EXPECT_EQ(contents[0].children[1].local, "/pages/two html.html");
    EXPECT_EQ(contents[1].name, "Heading only");
    EXPECT_EQ(contents[1].local, "");
}

TEST(ChmFile, RefusesMissingAndForeignFiles) {
    std::string error;
    EXPECT_EQ(TChmFile::Open("/nonexistent/borvik.chm", error), nullptr);
    EXPECT_NE(error.find("/nonexistent/borvik.chm"), std::string::npos);
    platformtest::TempFolder folder("borvik-chm");
    const auto fake = folder.path() / "fake.chm";
    std::ofstream(fake) << "This is no help file at all.";
    error.clear();
    EXPECT_EQ(TChmFile::Open(fake, error), nullptr);
    EXPECT_NE(error.find("not a compiled help file"), std::string::npos);
}

TEST(ChmFile, ProgramHelpHasEveryDocumentedPageAndContext) {
    std::string error;
    const auto file = TChmFile::Open(BORVIK_HELP_CHM, error);
    ASSERT_NE(file, nullptr) << error;
    for (const char* page :
         {"/index.html", "/usingborvik/gettingstarted.html", "/usingborvik/newdriver.html",
          "/usingborvik/drivereditor.html", "/usingborvik/projects.html", "/usingborvik/plots.html",
          "/usingborvik/calculators.html", "/usingborvik/signalgenerator.html", "/usingborvik/options.html"})
        EXPECT_TRUE(file->Exists(page)) << page;
    for (std::uint32_t context = 1; context <= 9; ++context)
        EXPECT_TRUE(file->ContextTopic(context)) << context;
    EXPECT_EQ(file->DefaultTopic(), "/index.html");
    EXPECT_FALSE(file->Contents().empty());
}

// The editor refuses to save a driver whose parameters disagree; the help must not promise otherwise.
TEST(ChmFile, ProgramHelpSaysAnInconsistentDriverIsNotSaved) {
    std::string error;
    const auto file = TChmFile::Open(BORVIK_HELP_CHM, error);
    ASSERT_NE(file, nullptr) << error;
    for (const char* page : {"/usingborvik/newdriver.html", "/usingborvik/drivereditor.html"}) {
        SCOPED_TRACE(page);
        const std::optional<std::string> text = file->Read(page);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->find("saved anyway"), std::string::npos);
        EXPECT_NE(text->find("not save"), std::string::npos);
    }
}

// The attenuation slider moves in 1 dB steps (3 dB a page); the help must not speak of 3 dB steps.
TEST(ChmFile, ProgramHelpGivesTheAttenuationSteps) {
    std::string error;
    const auto file = TChmFile::Open(BORVIK_HELP_CHM, error);
    ASSERT_NE(file, nullptr) << error;
    const std::optional<std::string> text = file->Read("/usingborvik/signalgenerator.html");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("steps of 3 dB"), std::string::npos);
    EXPECT_NE(text->find("1 dB"), std::string::npos);
}

TEST(ChmPaths, AreNormalised) {
    const std::pair<const char*, const char*> rows[] = {
        {"index.html", "/index.html"},
        {"/a/b.html", "/a/b.html"},
        {"a\\b.html", "/a/b.html"},
        {"/a/./b/../c.html", "/a/c.html"},
        {"a/b%20c.html#x", "/a/b c.html"},
        {"a.html?x=1", "/a.html"},
        {"/../x.html", ""},
        {"", "/"},
        {"a/", "/a/"},
    };
    for (const auto& [path, normal] : rows)
        EXPECT_EQ(NormalisePath(path), normal) << path;
}

TEST(ChmSitemap, SurvivesBrokenMarkup) {
    // Unterminated tags, stray closing lists and deep nesting give what can be read, no crash.
    EXPECT_TRUE(
        ParseSitemap("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"").empty());
    const auto stray = ParseSitemap("</UL></UL><OBJECT type=text/sitemap><param name=Name value=B></OBJECT>");
    ASSERT_EQ(stray.size(), 1u);
    EXPECT_EQ(stray[0].name, "B");
    std::string deep;
    for (int i = 0; i < 500; ++i)
        deep += "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"x\"></OBJECT>";
    const auto nested = ParseSitemap(deep);
    ASSERT_EQ(nested.size(), 1u);
    // Relative links are taken from the contents file's folder.
    const auto based = ParseSitemap(
        "<OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"p.html\"></OBJECT>", "/sub/");
    ASSERT_EQ(based.size(), 1u);
    EXPECT_EQ(based[0].local, "/sub/p.html");
}

} // namespace
