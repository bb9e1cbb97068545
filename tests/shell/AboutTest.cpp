#include "shell/About.h"

#include "ShellTestSupport.h"

#include "model/BV_Utils.h"
#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <set>

using platformtest::kWaitLimit;

namespace {

using shelltest::TempFolder;

TEST(AboutRules, TheRevealCoversEveryRowOnceEvenRowsDownThenOddRowsUp) {
    EXPECT_TRUE(RevealRowOrder(0).empty());
    EXPECT_EQ(RevealRowOrder(1), std::vector<int>{0});
    EXPECT_EQ(RevealRowOrder(5), (std::vector<int>{0, 2, 4, 3, 1}));
    EXPECT_EQ(RevealRowOrder(6), (std::vector<int>{0, 2, 4, 5, 3, 1}));
    for (int height : {2, 3, 110, 165, 221}) {
        const std::vector<int> order = RevealRowOrder(height);
        ASSERT_EQ(static_cast<int>(order.size()), height);
        EXPECT_EQ(static_cast<int>(std::set<int>(order.begin(), order.end()).size()), height);
        EXPECT_EQ(*std::min_element(order.begin(), order.end()), 0);
        EXPECT_EQ(*std::max_element(order.begin(), order.end()), height - 1);
    }
}

TEST(AboutRules, TheScrollerEntersFromTheBottomFadesToBlackAndStartsAgain) {
    const QStringList lines = ScrollerLines({"first", "second"}, 232);
    ASSERT_EQ(lines.size(), 232 / 16 + 2);
    EXPECT_TRUE(lines.front().isEmpty());
    EXPECT_EQ(lines.back(), "second");

    // At offset 0 the first text line sits in the last row; the middle row is the brightest.
    const std::vector<TScrollRow> start = ScrollFrame(0, 232, static_cast<int>(lines.size()));
    ASSERT_EQ(start.size(), 15u); // rows 0..14 start above 232
    EXPECT_EQ(start.back().line, 14);
    EXPECT_EQ(lines[14], "first");
    EXPECT_EQ(start.back().y, 224);
    int brightest = 0;
    for (const TScrollRow& row : start) {
        EXPECT_GE(row.grey, 0);
        EXPECT_LE(row.grey, 255);
        brightest = std::max(brightest, row.grey);
    }
    EXPECT_EQ(start[7].grey, brightest); // 116 - 112 = 4 from the middle
    EXPECT_EQ(start[7].grey, 247);
    EXPECT_EQ(start.front().grey, 23); // 116 from the middle
    // Far from the middle of a tall image the grey stays at black instead of going negative.
    for (const TScrollRow& row : ScrollFrame(5, 600, 100)) {
        EXPECT_GE(row.grey, 0);
    }

    // One pixel per step; after the last line has left, back to the start.
    EXPECT_EQ(ScrollFrame(1, 232, 16)[0].y, -1);
    EXPECT_EQ(NextScrollOffset(0, 16), 1);
    EXPECT_EQ(NextScrollOffset(255, 16), 256);
    EXPECT_EQ(NextScrollOffset(256, 16), 0);
    EXPECT_TRUE(ScrollFrame(16 * 16, 232, 16).empty());
}

class AboutBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_about"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }
    void SetUp() override {
        VersionInfo = TVersionInfo{"2.5", "us", "", "", "https://example.org/borvik", "team@example.org"};
        SetShellLauncher(&launcher);
    }
    void TearDown() override {
        SetShellLauncher(nullptr);
        VersionInfo = TVersionInfo{};
    }

    QPointer<TfrmAbout> Open() {
        auto* about = new TfrmAbout({folder.path()});
        about->show();
        QCoreApplication::processEvents();
        return about;
    }

    struct Launcher : TShellLauncher {
        void Open(const std::string& address) override { opened.push_back(address); }
        std::vector<std::string> opened;
    } launcher;
    TempFolder folder;
};

TEST_F(AboutBoxTest, MissingTextsAreNamedAndTheHallOfFameNeedsItsFile) {
    QPointer<TfrmAbout> about = Open();
    EXPECT_EQ(about->windowTitle(), "About...");
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("MProgram")->toPlainText(), "File not found : readme.txt");
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("MVersions")->toPlainText(), "File not found : versions.txt");
    auto* pages = about->findChild<QTabWidget*>("pgAbout");
    EXPECT_FALSE(pages->isTabVisible(2));
    EXPECT_EQ(pages->currentIndex(), 0);
    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull()); // it frees itself

    shelltest::WriteText(folder.path() / "readme.txt", "Read me\nsecond line\n");
    shelltest::WriteText(folder.path() / "Versions.TXT", "1.0 caf\xe9\n"); // Windows-1252, other case
    shelltest::WriteText(folder.path() / "hof.txt", "Thanks\r\nto all\r\n");
    about = Open();
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("MProgram")->toPlainText(), "Read me\nsecond line\n");
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("MVersions")->toPlainText(),
              QString::fromUtf8("1.0 caf\u00e9\n"));
    EXPECT_TRUE(about->findChild<QTabWidget*>("pgAbout")->isTabVisible(2));
    EXPECT_EQ(about->HallOfFameLines().back(), "");
    EXPECT_TRUE(about->HallOfFameLines().contains("to all"));
    delete about;
}

TEST_F(AboutBoxTest, TheScrollRunsOnlyOnItsPageAndEverythingStopsOnClose) {
    shelltest::WriteText(folder.path() / "hof.txt", "Thanks\n");
    QPointer<TfrmAbout> about = Open();
    auto* pages = about->findChild<QTabWidget*>("pgAbout");
    EXPECT_TRUE(about->Revealing());
    EXPECT_FALSE(about->Scrolling());

    pages->setCurrentIndex(2);
    EXPECT_TRUE(about->Scrolling());
    ASSERT_TRUE(QTest::qWaitFor([&] { return about->ScrollOffset() >= 2; }, kWaitLimit));
    pages->setCurrentIndex(1);
    // Stopped, not merely slow: no timer is left to move it, whatever the clock says.
    EXPECT_FALSE(about->Scrolling());
    const int frozen = about->ScrollOffset();
    QCoreApplication::processEvents();
    EXPECT_EQ(about->ScrollOffset(), frozen);
    pages->setCurrentIndex(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return about->ScrollOffset() > frozen; }, kWaitLimit));
    EXPECT_LT(about->ScrollOffset(), frozen + 10); // continued, not restarted

    // The reveal ends by itself with the whole picture shown.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !about->Revealing(); }, kWaitLimit));
    const QImage& face = about->FacePicture();
    EXPECT_NE(face.pixel(0, 0), about->palette().color(QPalette::Window).rgb());
    EXPECT_NE(face.pixel(face.width() - 1, face.height() - 1),
              about->palette().color(QPalette::Window).rgb());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(about.data(), &escape);
    EXPECT_FALSE(about->isVisible());
    EXPECT_FALSE(about->Scrolling());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
}

TEST_F(AboutBoxTest, LinksOpenTheWebAndMailAddressesOrAreDisabledWithoutThem) {
    QPointer<TfrmAbout> about = Open();
    auto* program = about->findChild<QPushButton*>("lblProgram");
    auto* email = about->findChild<QPushButton*>("lblEmail");
    EXPECT_EQ(program->text(), "Borvik 2.5");
    EXPECT_EQ(email->text(), "team@example.org");
    program->click();
    email->click();
    EXPECT_EQ(launcher.opened,
              (std::vector<std::string>{"https://example.org/borvik", "mailto:team@example.org"}));
    delete about;

    for (const std::string missing : {"", "-error-"}) {
        launcher.opened.clear();
        VersionInfo.WebURL = missing;
        VersionInfo.AuthorEmail = missing;
        about = Open();
        program = about->findChild<QPushButton*>("lblProgram");
        email = about->findChild<QPushButton*>("lblEmail");
        EXPECT_FALSE(program->isEnabled());
        EXPECT_FALSE(email->isEnabled());
        program->click();
        email->click();
        EXPECT_TRUE(launcher.opened.empty());
        delete about;
    }
}

} // namespace
