// The update-check window offscreen against python's http.server and the scripted server on
// 127.0.0.1: same version, new version, refused, missing files, and what reaches the desktop.

#include "net/CheckUpdates.h"

#include "HttpTestSupport.h"
#include "platform/SettingsStore.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace nettest;
namespace fs = std::filesystem;

class WidgetsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_net_updatecheck";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);

class TRecordingLauncher final : public TShellLauncher {
public:
    void Open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

std::string VersionFile(const std::string& number, const std::string& download = "http://127.0.0.1/setup.exe",
                        const std::string& web = "https://127.0.0.1/") {
    return "[Version]\nNumber=" + number + "\nReleasedBy=Halvern\nDownloadFrom=" + download +
           "\nWebURL=" + web + "\n";
}

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        SetShellLauncher(&launcher);
        VersionInfo = TVersionInfo{};
        VersionInfo.Number = "2.5";
    }
    void TearDown() override {
        SetShellLauncher(nullptr);
        VersionInfo = TVersionInfo{};
    }

    // The window with `server` set and a private download folder.
    std::unique_ptr<TfrmCheckWebUpdate> MakeWindow(const std::string& server) {
        return std::make_unique<TfrmCheckWebUpdate>(server, downloads.path());
    }
    static QString Text(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }
    static bool Enabled(QWidget& window, const char* name) {
        return window.findChild<QWidget*>(name)->isEnabled();
    }
    bool StartServer(PythonHttpServer& server, const std::string& version, bool withHistory = true) {
        if (!server.Start())
            return false;
        WriteFile(server.Root() / "download/borvikpro/version.ini", version);
        if (withHistory)
            WriteFile(server.Root() / "download/borvikpro/versions.txt", "2.4 the history\n");
        return true;
    }

    platformtest::TempFolder downloads{"borvik-downloads"};
    TRecordingLauncher launcher;
};

TEST_F(UpdateCheck, SameVersionOffersNothing) {
    PythonHttpServer server;
    ASSERT_TRUE(StartServer(server, VersionFile("2.5"))) << server.Failure();
    auto window = MakeWindow(server.Base());
    window->FormShow();
    EXPECT_EQ(Text(*window, "pnlThis"), "2.5");
    EXPECT_EQ(Text(*window, "pnlWeb"), "2.5");
    EXPECT_EQ(Text(*window, "pnlDownload"), "Your already have latest version.");
    EXPECT_EQ(Text(*window, "sbCheckWebText"),
              "Received " + QString::number(VersionFile("2.5").size()) + " bytes");
    EXPECT_FALSE(Enabled(*window, "pnlDownload"));
    EXPECT_FALSE(Enabled(*window, "pnlGotoWeb"));
    EXPECT_FALSE(Enabled(*window, "btnWebVersions"));
    EXPECT_FALSE(fs::exists(window->HistoryFile())); // no history fetched
    EXPECT_EQ(ReadFile(window->VersionFile()), VersionFile("2.5"));
}

TEST_F(UpdateCheck, AnyOtherVersionFetchesTheHistoryAndOffersTheLinks) {
    PythonHttpServer server;
    ASSERT_TRUE(StartServer(server, VersionFile("2.4"))) << server.Failure();
    auto window = MakeWindow(server.Base());
    window->FormShow();
    EXPECT_EQ(Text(*window, "pnlWeb"), "2.4");
    EXPECT_EQ(Text(*window, "pnlDownload"), "http://127.0.0.1/setup.exe");
    EXPECT_EQ(Text(*window, "pnlGotoWeb"), "https://127.0.0.1/");
    EXPECT_EQ(Text(*window, "sbCheckWebText"), "Received 16 bytes");
    EXPECT_TRUE(Enabled(*window, "pnlDownload"));
    EXPECT_TRUE(Enabled(*window, "pnlGotoWeb"));
    EXPECT_TRUE(Enabled(*window, "btnWebVersions"));
    EXPECT_EQ(ReadFile(window->HistoryFile()), "2.4 the history\n");

    window->pnlDownloadClick();
    window->pnlGotoWebClick();
    window->findChild<QPushButton*>("btnWebVersions")->click();
    // The links work from the keyboard too.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->findChild<QWidget*>("pnlGotoWeb"), &enter);
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{"http://127.0.0.1/setup.exe", "https://127.0.0.1/",
                                                         fs::canonical(window->HistoryFile()).string(),
                                                         "https://127.0.0.1/"}));

    // A later check that finds the same version keeps the links.
    WriteFile(server.Root() / "download/borvikpro/version.ini", VersionFile("2.5"));
    window->FormShow();
    EXPECT_EQ(Text(*window, "pnlDownload"), "Your already have latest version.");
    EXPECT_EQ(Text(*window, "pnlGotoWeb"), "https://127.0.0.1/");
    EXPECT_TRUE(Enabled(*window, "pnlGotoWeb"));
    launcher.opened.clear();
    window->pnlDownloadClick(); // not an address: nothing opens
    EXPECT_TRUE(launcher.opened.empty());
}

TEST_F(UpdateCheck, OnlyWebAddressesFromTheFileReachTheDesktop) {
    PythonHttpServer server;
    ASSERT_TRUE(StartServer(server, VersionFile("3.0", "file:///bin/sh", "-error- --help")))
        << server.Failure();
    auto window = MakeWindow(server.Base());
    window->FormShow();
    EXPECT_EQ(Text(*window, "pnlDownload"), "file:///bin/sh");
    EXPECT_FALSE(Enabled(*window, "pnlDownload"));
    EXPECT_FALSE(Enabled(*window, "pnlGotoWeb"));
    window->pnlDownloadClick();
    window->pnlGotoWebClick();
    EXPECT_TRUE(launcher.opened.empty());
}

TEST_F(UpdateCheck, FailuresAreShownAndOfferNothing) {
    PythonHttpServer empty;
    ASSERT_TRUE(empty.Start()) << empty.Failure();
    const struct {
        std::string server;
        QString status;
    } cases[] = {
        {"127.0.0.1:" + std::to_string(FreePort()), "Failed : 404 Connection refused (Error #10061)"},
        {empty.Base(), "Failed : 404 File not found"},
        {"127.0.0.1:99999", "Failed : 404 can't connect: invalid port \"99999\""},
        {"", "No update server is set."},
        {"https://127.0.0.1", "The update server's scheme \"https\" is not supported: only http is."},
        {"ftp://127.0.0.1", "The update server's scheme \"ftp\" is not supported: only http is."},
    };
    for (const auto& c : cases) {
        // An earlier copy survives a failed download.
        WriteFile(downloads.path() / "web_version.ini", "old");
        auto window = MakeWindow(c.server);
        window->FormShow();
        EXPECT_EQ(Text(*window, "sbCheckWebText"), c.status) << c.server;
        EXPECT_EQ(Text(*window, "pnlThis"), "2.5");
        EXPECT_EQ(Text(*window, "pnlWeb"), "");
        EXPECT_FALSE(Enabled(*window, "pnlDownload"));
        EXPECT_FALSE(Enabled(*window, "pnlGotoWeb"));
        EXPECT_FALSE(Enabled(*window, "btnWebVersions"));
        EXPECT_EQ(ReadFile(downloads.path() / "web_version.ini"), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(downloads.path()), fs::directory_iterator()), 1)
            << "no temporary file is left";
    }
}

TEST_F(UpdateCheck, EveryShowingRunsOneCheckAndASecondCheckMeanwhileIsRefused) {
    ScriptedServer server;
    const std::string version = VersionFile("2.5");
    ASSERT_TRUE(server.Start(
        {{TfrmCheckWebUpdate::kVersionPath, {{"HTTP/1.0 200 OK\r\n\r\n"}, {"", 0.3}, {version}}}}))
        << server.Failure();
    auto window = MakeWindow(server.Base());
    QString statusMeanwhile;
    bool triedMeanwhile = false;
    window->HttpClient().OnStateChange = [&](THttpCli* client) {
        if (client->State() != httpWaitingHeader || triedMeanwhile)
            return;
        triedMeanwhile = true;
        // Hidden and shown again while the first check waits: refused, nothing touched.
        window->hide();
        window->show();
        window->FormShow();
        PumpFor(50);
        statusMeanwhile = Text(*window, "sbCheckWebText");
    };
    window->show();
    ASSERT_TRUE(PumpUntil([&] { return !window->Checking() && Text(*window, "pnlWeb") == "2.5"; }));
    EXPECT_TRUE(triedMeanwhile);
    EXPECT_EQ(statusMeanwhile, "Retrieving... ");
    PumpFor(100);
    EXPECT_EQ(server.Requests().size(), 1u);
    window->hide();
    window->show();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 2u && !window->Checking(); }));
    EXPECT_EQ(ReadFile(window->VersionFile()), version);
}

TEST_F(UpdateCheck, TheWindowMayGoWhileItsCheckWaits) {
    ScriptedServer server;
    ASSERT_TRUE(
        server.Start({{TfrmCheckWebUpdate::kVersionPath, {{"HTTP/1.0 200 OK\r\n\r\n"}, {"", 0.3}, {"x"}}}}))
        << server.Failure();
    auto window = MakeWindow(server.Base());
    TfrmCheckWebUpdate* raw = window.get();
    window->HttpClient().OnStateChange = [&](THttpCli* client) {
        if (client->State() == httpWaitingHeader)
            QTimer::singleShot(0, [&] { window.reset(); });
    };
    raw->FormShow(); // returns without touching the freed window
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(std::distance(fs::directory_iterator(downloads.path()), fs::directory_iterator()), 0);
}

// A documents folder whose name is not UTF-8 receives the files under its own name, and a file
// that cannot be written there is named readably.
TEST_F(UpdateCheck, ADownloadFolderWhoseNameIsNotUtf8IsWrittenUnderItsOwnName) {
    PythonHttpServer server;
    ASSERT_TRUE(StartServer(server, VersionFile("2.4"))) << server.Failure();
    const fs::path folder = downloads.path() / "docs_\xff\xfe";
    {
        auto window = std::make_unique<TfrmCheckWebUpdate>(server.Base(), folder);
        window->FormShow();
        EXPECT_EQ(Text(*window, "sbCheckWebText").toStdString(), "Received 16 bytes");
        EXPECT_EQ(Text(*window, "pnlWeb"), "2.4");
        EXPECT_TRUE(Enabled(*window, "btnWebVersions"));
        EXPECT_EQ(ReadFile(folder / "web_version.ini"), VersionFile("2.4"));
        EXPECT_EQ(ReadFile(folder / "web_versions.txt"), "2.4 the history\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(downloads.path()), fs::directory_iterator()), 1)
            << "nothing lands beside the folder";
        window->findChild<QPushButton*>("btnWebVersions")->click();
        EXPECT_EQ(launcher.opened,
                  std::vector<std::string>{fs::canonical(folder / "web_versions.txt").string()});
    }
    fs::remove_all(folder);
    WriteFile(folder, "a file where the folder should be");
    auto window = std::make_unique<TfrmCheckWebUpdate>(server.Base(), folder);
    window->FormShow();
    EXPECT_EQ(Text(*window, "sbCheckWebText").toStdString(), "Failed : Cannot create a file in \"" +
                                                                 downloads.path().string() +
                                                                 "/docs_\\xFF\\xFE\": Not a directory");
    EXPECT_EQ(ReadFile(folder), "a file where the folder should be");
}

TEST_F(UpdateCheck, HostileFilesAreBoundedAndLeaveNoTemporaryFile) {
    ScriptedServer server;
    const std::string ok = "HTTP/1.0 200 OK\r\n\r\n";
    const auto endless = ScriptStep{"", 0, QJsonObject{{"stream", "x"}, {"seconds", 120}}};
    // Under the version file's bound, yet far wider than any panel.
    const std::string hugeNumber = "[Version]\nNumber=" + std::string(600000, '9') +
                                   "\nDownloadFrom=http://127.0.0.1/" + std::string(300000, 'd') +
                                   "\nWebURL=http://127.0.0.1/site\n";
    ASSERT_TRUE(server.Start({
        {"/endless/download/borvikpro/version.ini", {{ok}, endless}},
        {"/huge/download/borvikpro/version.ini", {{ok + hugeNumber}}},
        {"/huge/download/borvikpro/versions.txt", {{ok}, endless}},
    })) << server.Failure();

    {
        WriteFile(downloads.path() / "web_version.ini", "old");
        auto window = MakeWindow(server.Base() + "/endless");
        QElapsedTimer clock;
        clock.start();
        window->FormShow();
        EXPECT_LT(clock.elapsed(), 30000);
        EXPECT_EQ(Text(*window, "sbCheckWebText"), "Failed : 404 The document is larger than 1048576 bytes");
        EXPECT_EQ(ReadFile(downloads.path() / "web_version.ini"), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(downloads.path()), fs::directory_iterator()), 1)
            << "no temporary file is left";
    }
    {
        auto window = MakeWindow(server.Base() + "/huge");
        window->show();
        QElapsedTimer clock;
        clock.start();
        window->FormShow();
        EXPECT_LT(clock.elapsed(), 30000);
        EXPECT_EQ(Text(*window, "pnlWeb"), QString(TfrmCheckWebUpdate::kVersionShown, '9') + "...");
        EXPECT_EQ(Text(*window, "pnlDownload").size(), TfrmCheckWebUpdate::kAddressShown + 3);
        // Too long to be an address anyone means: shown in part, not offered.
        EXPECT_FALSE(Enabled(*window, "pnlDownload"));
        EXPECT_TRUE(Enabled(*window, "pnlGotoWeb"));
        window->pnlDownloadClick();
        window->pnlGotoWebClick();
        EXPECT_EQ(launcher.opened, std::vector<std::string>{"http://127.0.0.1/site"});
        // The endless history is cut off at its bound and not offered.
        EXPECT_EQ(Text(*window, "sbCheckWebText"), "Failed : 404 The document is larger than 4194304 bytes");
        EXPECT_FALSE(Enabled(*window, "btnWebVersions"));
        EXPECT_FALSE(fs::exists(window->HistoryFile()));
        EXPECT_EQ(std::distance(fs::directory_iterator(downloads.path()), fs::directory_iterator()), 1)
            << "only the version file is there";
    }
}

TEST_F(UpdateCheck, TheWindowIsADialogWithItsCaptionAsName) {
    auto window = MakeWindow("");
    window->show();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Checking for new version...");
}

TEST(UpdateServer, SettingTable) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"  ", ""},
        {"127.0.0.1", "http://127.0.0.1"},
        {"localhost:8080", "http://localhost:8080"},
        {"http://127.0.0.1:81/", "http://127.0.0.1:81"},
        {"http://127.0.0.1/mirror/", "http://127.0.0.1/mirror"},
        {"https://127.0.0.1", ""},
        {"ftp://127.0.0.1", ""},
        {"http://", ""},
    };
    for (const auto& [setting, base] : cases) {
        EXPECT_EQ(UpdateServerBase(setting), base) << setting;
        // A setting that names no server says why.
        EXPECT_EQ(UpdateServerProblem(setting).empty(), *base != '\0') << setting;
    }
    EXPECT_EQ(UpdateServerProblem("http://"),
              "The update server \"http://\" is not usable: it names no http server.");
    EXPECT_EQ(PanelText("2.5", 4), "2.5");
    EXPECT_EQ(PanelText("2.5.10", 4), "2.5....");
    EXPECT_EQ(PanelText(std::string(2 << 20, '9'), 64).size(), 67);
    platform::MemorySettingsStore store;
    EXPECT_EQ(ReadUpdateServerSetting(store), "");
    store.Seed(kUpdateServerSetting, std::string("127.0.0.1:9"));
    EXPECT_EQ(ReadUpdateServerSetting(store), "127.0.0.1:9");
}

} // namespace
