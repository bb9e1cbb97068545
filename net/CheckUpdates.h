#pragma once
// The update check: fetches the published version file from the update server, compares it with
// the running version, and when they differ fetches the version history and offers the download
// and web-site links. The window is created hidden at start-up; every time it is shown it runs
// one check.

#include "model/BV_Utils.h"
#include "net/HttpProt.h"

#include <QLabel>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

class QPushButton;

namespace platform {
class SettingsStore;
}

// The settings value that holds the update server ("host", "host:port" or "http://host:port").
inline constexpr const char* kUpdateServerSetting = "UpdateServer";
// No real server is decided yet: by default nothing is asked for.
inline constexpr const char* kDefaultUpdateServer = "";

// The server's base address ("http://host[:port]") from the setting's text; empty when the text
// names no usable http server.
std::string UpdateServerBase(const std::string& setting);
std::string ReadUpdateServerSetting(const platform::SettingsStore& store);
// Whether `text` is an http or https address, the only kind the links hand to the desktop.
bool IsWebAddress(const std::string& text);

// A panel that acts as a link: clicked with the mouse, or with Enter or Space when focused.
class TLinkPanel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkPanel(QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class TfrmCheckWebUpdate : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kVersionPath = "/download/borvikpro/version.ini";
    static constexpr const char* kHistoryPath = "/download/borvikpro/versions.txt";

    // `serverSetting`: the update server as set; `downloadFolder`: where the fetched files go.
    TfrmCheckWebUpdate(std::string serverSetting, std::filesystem::path downloadFolder,
                       QWidget* parent = nullptr);
    ~TfrmCheckWebUpdate() override;

    // The whole check; runs after each hidden-to-shown change. A check asked for while one runs
    // is refused and changes nothing.
    void FormShow();
    bool Checking() const { return checking_; }
    // Fetches `url` into `fileName` (through a temporary file, renamed on success), reporting in
    // the status bar; false when the request failed.
    bool GetFile(const std::string& url, const std::filesystem::path& fileName);

    void pnlDownloadClick();
    void pnlGotoWebClick();
    void btnWebVersionsClick();

    const TVersionInfo& WebVersion() const { return webVersion_; }
    THttpCli& HttpClient() { return httpClient_; }
    std::filesystem::path VersionFile() const { return downloadFolder_ / "web_version.ini"; }
    std::filesystem::path HistoryFile() const { return downloadFolder_ / "web_versions.txt"; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetStatus(const QString& text);
    static void OpenAddress(const QString& text);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* pnlThis;
    QLabel* pnlWeb;
    QPushButton* btnWebVersions;
    TLinkPanel* pnlGotoWeb;
    TLinkPanel* pnlDownload;
    QLabel* sbCheckWeb;

    THttpCli httpClient_;
    TVersionInfo webVersion_;
    std::string serverBase_;
    std::filesystem::path downloadFolder_;
    bool checking_ = false;
    bool checkPending_ = false;
    // Cleared when the window is destroyed, which can happen while a check waits.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
