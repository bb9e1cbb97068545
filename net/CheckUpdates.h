#pragma once
// The update check: fetches the published version file from the update server, compares it with
// the running version, and when they differ fetches the version history and offers the download
// and web-site links. The window is created hidden at start-up; every time it is shown it runs
// one check.

#include "model/BV_Utils.h"
#include "net/HttpProt.h"

#include <QDialog>
#include <QLabel>

#include <cstdint>
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
// Why the setting's text names no usable server (the status line then), or empty when it does.
std::string UpdateServerProblem(const std::string& setting);
// At most `length` characters of `text` for a panel, "..." in place of the rest: a peer's text
// may be megabytes long.
QString PanelText(const std::string& text, int length);
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

// A dialog to assistive technology: a window with its caption as its name.
class TfrmCheckWebUpdate : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kVersionPath = "/download/borvikpro/version.ini";
    static constexpr const char* kHistoryPath = "/download/borvikpro/versions.txt";
    // Generous bounds: a version file is a few lines, the history a text file.
    static constexpr std::int64_t kMaxVersionFileSize = 1 << 20;
    static constexpr std::int64_t kMaxHistoryFileSize = 4 << 20;
    // What the panels show at most; longer addresses are not offered as links.
    static constexpr int kVersionShown = 64;
    static constexpr int kAddressShown = 256;
    static constexpr std::size_t kMaxAddressLength = 2048;

    // `serverSetting`: the update server as set; `downloadFolder`: where the fetched files go.
    TfrmCheckWebUpdate(std::string serverSetting, std::filesystem::path downloadFolder,
                       QWidget* parent = nullptr);
    ~TfrmCheckWebUpdate() override;

    // The whole check; runs after each hidden-to-shown change. A check asked for while one runs
    // is refused and changes nothing.
    void FormShow();
    bool Checking() const { return checking_; }
    // Fetches `url` into `fileName` (through a temporary file, renamed on success, removed on
    // failure), taking at most `maxSize` bytes, reporting in the status bar; false when the
    // request failed.
    bool GetFile(const std::string& url, const std::filesystem::path& fileName, std::int64_t maxSize);

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
    static void OpenAddress(const std::string& text);
    // Shows `address` on `panel` and offers it as the panel's link when the desktop may open it.
    void SetLink(TLinkPanel* panel, std::string& link, const std::string& address);

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
    std::string serverProblem_;
    std::filesystem::path downloadFolder_;
    // What the link panels open (their texts may be shortened).
    std::string downloadLink_;
    std::string webLink_;
    bool checking_ = false;
    bool checkPending_ = false;
    // Cleared when the window is destroyed, which can happen while a check waits.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
