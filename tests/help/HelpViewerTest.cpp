// The help viewer on a small help file, offscreen: topics and contexts, contents, links, back and
// forward, search in the page, missing pages and files.
#include "help/HelpViewer.h"
#include "help/HelpLinks.h"
#include "help/hh.h"

#include "HelpTestSupport.h"

#include <QTreeWidget>

#include "shell/AppLinks.h"

#include <gtest/gtest.h>

namespace {

class HelpViewer : public helptest::HelpFixture {
protected:
    void SetUp() override {
        HelpFixture::SetUp();
        LoadHelpControl(LinkedHelpControlPath(), &THelpViewer::HtmlHelp);
    }
    void TearDown() override {
        THelpViewer::HtmlHelp({}, HH_CLOSE_ALL, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        HelpFixture::TearDown();
    }
    static std::string Topic(const char* page) { return std::string(BORVIK_TEST_CHM) + "::" + page; }
};

TEST_F(HelpViewer, ShowsTopicsAndContexts) {
    EXPECT_EQ(THelpViewer::HtmlHelp(Topic("/pages/one.html"), HH_DISPLAY_TOPIC, 0).result, HH_OK);
    THelpViewer* viewer = THelpViewer::ViewerFor(BORVIK_TEST_CHM);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "Test Help");
    EXPECT_EQ(viewer->CurrentPage(), "/pages/one.html");
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains(QString::fromUtf8("Grüße from page one")));

    // The same file reuses its window.
    EXPECT_EQ(THelpViewer::HtmlHelp(BORVIK_TEST_CHM, HH_HELP_CONTEXT, 70).result, HH_OK);
    EXPECT_EQ(THelpViewer::ViewerFor(BORVIK_TEST_CHM), viewer);
    EXPECT_EQ(viewer->CurrentPage(), "/pages/two html.html");
    // The file alone opens its default page.
    EXPECT_EQ(THelpViewer::HtmlHelp(BORVIK_TEST_CHM, HH_DISPLAY_TOPIC, 0).result, HH_OK);
    EXPECT_EQ(viewer->CurrentPage(), "/start.html");
}

TEST_F(HelpViewer, ReportsMissingTopicsContextsAndFiles) {
    const auto topic = THelpViewer::HtmlHelp(Topic("/nothere.html"), HH_DISPLAY_TOPIC, 0);
    EXPECT_EQ(topic.result, HH_TOPIC_MISSING);
    EXPECT_EQ(topic.detail, "/nothere.html");
    const auto context = THelpViewer::HtmlHelp(BORVIK_TEST_CHM, HH_HELP_CONTEXT, 3);
    EXPECT_EQ(context.result, HH_TOPIC_MISSING);
    EXPECT_EQ(context.detail, "help context 3");
    const auto file = THelpViewer::HtmlHelp("/nonexistent/help.chm::/a.html", HH_DISPLAY_TOPIC, 0);
    EXPECT_EQ(file.result, HH_FILE_FAILED);
    EXPECT_NE(file.detail.find("/nonexistent/help.chm"), std::string::npos);

    // Through the help system the user is told.
    THookHelpSystem help(BORVIK_TEST_CHM, "", 0);
    EXPECT_EQ(help.HelpTopic("pages\\nothere.html"), HH_TOPIC_MISSING);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, "The help file has no page for /pages/nothere.html.");
    EXPECT_EQ(help.HelpContext(2), HH_OK);
    EXPECT_EQ(THelpViewer::ViewerFor(BORVIK_TEST_CHM)->CurrentPage(), "/pages/one.html");
}

TEST_F(HelpViewer, FollowsLinksBackAndForward) {
    THelpViewer::HtmlHelp(Topic("/start.html"), HH_DISPLAY_TOPIC, 0);
    THelpViewer* viewer = THelpViewer::ViewerFor(BORVIK_TEST_CHM);
    ASSERT_NE(viewer, nullptr);
    emit viewer->Browser()->anchorClicked(QUrl("pages/two%20html.html"));
    EXPECT_EQ(viewer->CurrentPage(), "/pages/two html.html");
    emit viewer->Browser()->anchorClicked(QUrl("chm:/pages/one.html"));
    EXPECT_EQ(viewer->CurrentPage(), "/pages/one.html");
    emit viewer->Browser()->anchorClicked(QUrl("../start.html"));
    EXPECT_EQ(viewer->CurrentPage(), "/start.html");
    viewer->Browser()->backward();
    EXPECT_EQ(viewer->CurrentPage(), "/pages/one.html");
    viewer->Browser()->forward();
    EXPECT_EQ(viewer->CurrentPage(), "/start.html");
    // A link to a page the file lacks says so instead of showing nothing.
    emit viewer->Browser()->anchorClicked(QUrl("chm:/pages/missing.html"));
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Page not found"));
}

TEST_F(HelpViewer, ShowsTheContentsAndFollowsThePage) {
    THelpViewer::HtmlHelp(Topic("/pages/two html.html"), HH_DISPLAY_TOPIC, 0);
    THelpViewer* viewer = THelpViewer::ViewerFor(BORVIK_TEST_CHM);
    ASSERT_NE(viewer, nullptr);
    QTreeWidget* tree = viewer->ContentsTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Start");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "One & only");
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "Two");
    emit tree->itemActivated(tree->topLevelItem(0)->child(0), 0);
    EXPECT_EQ(viewer->CurrentPage(), "/pages/one.html");
    EXPECT_EQ(viewer->Browser()->source().fragment(), "middle");
}

TEST_F(HelpViewer, FindsTextInThePage) {
    THelpViewer::HtmlHelp(Topic("/pages/one.html"), HH_DISPLAY_TOPIC, 0);
    THelpViewer* viewer = THelpViewer::ViewerFor(BORVIK_TEST_CHM);
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(viewer->FindInPage("needle"));
    const int first = viewer->Browser()->textCursor().position();
    ASSERT_TRUE(viewer->FindInPage("needle"));
    const int second = viewer->Browser()->textCursor().position();
    EXPECT_GT(second, first);
    // Past the last one it wraps to the first.
    ASSERT_TRUE(viewer->FindInPage("needle"));
    EXPECT_EQ(viewer->Browser()->textCursor().position(), first);
    EXPECT_FALSE(viewer->FindInPage("haystack"));
}

TEST_F(HelpViewer, CloseAllClosesEveryViewer) {
    THelpViewer::HtmlHelp(Topic("/start.html"), HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(THelpViewer::ViewerFor(BORVIK_TEST_CHM), nullptr);
    CloseAllHelpWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(THelpViewer::ViewerFor(BORVIK_TEST_CHM), nullptr);
}

TEST_F(HelpViewer, TheLinkedHelpSystemOpensTheProgramsHelp) {
    TAppLinks links;
    LinkHelp(links);
    ASSERT_TRUE(links.createHelpSystem);
    auto help = links.createHelpSystem(BORVIK_HELP_CHM);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->HelpTopic("usingborvik/gettingstarted.html"), HH_OK);
    THelpViewer* viewer = THelpViewer::ViewerFor(BORVIK_HELP_CHM);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->CurrentPage(), "/usingborvik/gettingstarted.html");
    EXPECT_EQ(help->HelpContext(5), HH_OK);
    EXPECT_EQ(viewer->CurrentPage(), "/usingborvik/calculators.html");
    EXPECT_EQ(help->HelpTopic("index.html"), HH_OK);
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Getting started"));
    help->CloseAllHelpWindows();
    EXPECT_TRUE(dialogs_.messages.empty());
}

} // namespace
