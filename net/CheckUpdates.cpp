#include "net/CheckUpdates.h"
#include "net/NetText.h"

#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpen.h"

#include <QBuffer>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <system_error>

namespace {

using nettext::Lower;
using nettext::Trim;

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* MakePanel(QWidget* parent, const char* name, const QString& hint) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setToolTip(hint);
    panel->setTextFormat(Qt::PlainText);
    panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return panel;
}

} // namespace

std::string UpdateServerBase(const std::string& setting) {
    std::string text = Trim(setting);
    if (text.empty())
        return {};
    if (text.find("://") == std::string::npos)
        text = "http://" + text;
    const TUrlParts parts = SplitURL(text);
    if (Lower(parts.proto) != "http" || parts.host.empty() || text.find_first_of(" \t") != std::string::npos)
        return {};
    std::string base = "http://" + parts.host + (parts.port.empty() ? "" : ":" + parts.port);
    // A path prefix on the server is kept ("http://host/mirror" serves /mirror/download/...).
    std::string path = parts.path;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return base + path;
}

std::string UpdateServerProblem(const std::string& setting) {
    const std::string text = Trim(setting);
    if (text.empty())
        return "No update server is set.";
    if (!UpdateServerBase(text).empty())
        return {};
    const std::string scheme = SchemeOf(text);
    if (!scheme.empty() && Lower(scheme) != "http" && text.find("://") != std::string::npos)
        return "The update server's scheme \"" + Abridged(scheme, 20) + "\" is not supported: only http is.";
    return "The update server \"" + Abridged(text, 80) + "\" is not usable: it names no http server.";
}

QString PanelText(const std::string& text, int length) {
    // Only the bytes that can hold `length` characters (at most four each) are decoded.
    const QString shown = QString::fromUtf8(
        text.data(), static_cast<qsizetype>(std::min<std::size_t>(text.size(), 4 * length + 4)));
    if (shown.size() <= length)
        return shown;
    return shown.left(length) + "...";
}

std::string ReadUpdateServerSetting(const platform::SettingsStore& store) {
    return store.ReadString(kUpdateServerSetting).value_or(kDefaultUpdateServer);
}

bool IsWebAddress(const std::string& text) {
    const std::string lower = Lower(Trim(text));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

// ---------------------------------------------------------------------------------------------

TLinkPanel::TLinkPanel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::blue);
    setPalette(colours);
    setTextFormat(Qt::PlainText);
}

void TLinkPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TLinkPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------

TfrmCheckWebUpdate::TfrmCheckWebUpdate(std::string serverSetting, std::filesystem::path downloadFolder,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      serverBase_(UpdateServerBase(serverSetting)), serverProblem_(UpdateServerProblem(serverSetting)),
      downloadFolder_(std::move(downloadFolder)) {
    setObjectName("frmCheckWebUpdate");
    setWindowTitle("Checking for new version...");

    Label1 = new QLabel("This version :", this);
    Label1->setObjectName("Label1");
    Label2 = new QLabel("Newest :", this);
    Label2->setObjectName("Label2");
    Label3 = new QLabel("Go to site", this);
    Label3->setObjectName("Label3");
    Label4 = new QLabel("Download", this);
    Label4->setObjectName("Label4");

    pnlThis = MakePanel(this, "pnlThis", "Version what you are using now.");
    pnlThis->setAccessibleName(Label1->text());
    pnlWeb = MakePanel(this, "pnlWeb", "Newest version released on the WEB.");
    pnlWeb->setAccessibleName(Label2->text());

    btnWebVersions = new QPushButton("versions.txt", this);
    btnWebVersions->setObjectName("btnWebVersions");
    btnWebVersions->setEnabled(false);
    connect(btnWebVersions, &QPushButton::clicked, this, &TfrmCheckWebUpdate::btnWebVersionsClick);

    pnlGotoWeb = new TLinkPanel(this);
    pnlGotoWeb->setObjectName("pnlGotoWeb");
    pnlGotoWeb->setToolTip("Click to go Halvern web-site.");
    pnlGotoWeb->setAccessibleName(Label3->text());
    pnlGotoWeb->setEnabled(false);
    connect(pnlGotoWeb, &TLinkPanel::clicked, this, &TfrmCheckWebUpdate::pnlGotoWebClick);
    Label3->setBuddy(pnlGotoWeb);

    pnlDownload = new TLinkPanel(this);
    pnlDownload->setObjectName("pnlDownload");
    pnlDownload->setToolTip("Click to start downloading of new version.");
    pnlDownload->setAccessibleName(Label4->text());
    pnlDownload->setEnabled(false);
    connect(pnlDownload, &TLinkPanel::clicked, this, &TfrmCheckWebUpdate::pnlDownloadClick);
    Label4->setBuddy(pnlDownload);

    // The version panels are as wide as a version number; the link panels take the rest.
    const int versionWidth = fontMetrics().horizontalAdvance("00.00.0000 beta");
    pnlThis->setMinimumWidth(versionWidth);
    pnlWeb->setMinimumWidth(versionWidth);
    for (QLabel* link : {static_cast<QLabel*>(pnlGotoWeb), static_cast<QLabel*>(pnlDownload)}) {
        link->setMinimumWidth(fontMetrics().horizontalAdvance(QString(44, 'x')));
        link->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(pnlThis, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(pnlWeb, 1, 1);
    grid->addWidget(btnWebVersions, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(pnlGotoWeb, 2, 1, 1, 3);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(pnlDownload, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName("sbCheckWeb");
    statusBar->setSizeGripEnabled(false);
    sbCheckWeb = new QLabel(statusBar);
    sbCheckWeb->setObjectName("sbCheckWebText");
    sbCheckWeb->setAccessibleName("Status");
    sbCheckWeb->setIndent(fontMetrics().averageCharWidth());
    statusBar->addWidget(sbCheckWeb, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* body = new QWidget(this);
    body->setLayout(grid);
    layout->addWidget(body);
    layout->addWidget(statusBar);

    setTabOrder(btnWebVersions, pnlGotoWeb);
    setTabOrder(pnlGotoWeb, pnlDownload);

    httpClient_.ProxyPort = "80";
    httpClient_.Agent = "Mozilla/3.0 (compatible)";
    httpClient_.Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    httpClient_.NoCache = false;
    httpClient_.ContentTypePost = "application/x-www-form-urlencoded";
    httpClient_.SetMultiThreaded(true);
}

TfrmCheckWebUpdate::~TfrmCheckWebUpdate() {
    *alive_ = false;
}

void TfrmCheckWebUpdate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window-system show (restoring from the task bar) is not a new showing.
    if (event->spontaneous())
        return;
    // A showing while a check waits is refused at once; otherwise the check runs right after
    // the show, so that the window is painted while it waits.
    if (checking_ || checkPending_)
        return;
    checkPending_ = true;
    QTimer::singleShot(0, this, [this] {
        checkPending_ = false;
        if (isVisible())
            FormShow();
    });
}

void TfrmCheckWebUpdate::SetStatus(const QString& text) {
    sbCheckWeb->setText(text);
}

bool TfrmCheckWebUpdate::GetFile(const std::string& url, const std::filesystem::path& fileName,
                                 std::int64_t maxSize) {
    if (httpClient_.State() != httpReady) {
        SetStatus("Failed : HTTP component is busy");
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(fileName.parent_path(), error);
    // The document arrives in memory (its size is bounded) and replaces the old copy only when it
    // is complete. The file is written under the bytes of its name: Qt's files would take a
    // documents folder whose name is not UTF-8 for another one.
    QBuffer received;
    received.open(QIODevice::WriteOnly);
    httpClient_.URL = url;
    httpClient_.Proxy.clear();
    httpClient_.ProxyPort.clear();
    httpClient_.ReceiveStream = &received;
    httpClient_.MaxDocumentSize = maxSize;
    SetStatus("Retrieving... ");
    bool ok = false;
    const std::shared_ptr<bool> alive = alive_;
    try {
        httpClient_.Get();
        ok = true;
    } catch (const EHttpException&) {
        if (!*alive)
            return false;
        SetStatus("Failed : " + QString::number(httpClient_.StatusCode()) + " " +
                  PanelText(httpClient_.ReasonPhrase(), kAddressShown));
    }
    httpClient_.ReceiveStream = nullptr;
    if (!ok)
        return false;
    const QByteArray& bytes = received.data();
    const qint64 size = bytes.size();
    if (const platform::IniResult written = platform::WriteFileAtomically(
            fileName, std::string_view(bytes.constData(), static_cast<std::size_t>(size)));
        !written) {
        SetStatus("Failed : " + FromStd(written.error));
        return false;
    }
    SetStatus("Received " + QString::number(size) + " bytes");
    return true;
}

void TfrmCheckWebUpdate::FormShow() {
    if (checking_)
        return;
    checking_ = true;
    TVersionInfo running = VersionInfo;
    if (running.Number.empty()) {
        if (const auto file = platform::FindShippedFile("version.ini"))
            ReadVersionInfo(*file, running);
    }
    pnlThis->setText(PanelText(running.Number, kVersionShown));
    if (serverBase_.empty()) {
        SetStatus(FromStd(serverProblem_));
        checking_ = false;
        return;
    }
    const std::shared_ptr<bool> alive = alive_;
    const bool fetched = GetFile(serverBase_ + kVersionPath, VersionFile(), kMaxVersionFileSize);
    if (!*alive)
        return;
    if (!fetched) {
        // A failed check offers nothing: links stay as they were.
        checking_ = false;
        return;
    }
    ReadVersionInfo(VersionFile(), webVersion_);
    pnlWeb->setText(PanelText(webVersion_.Number, kVersionShown));
    if (webVersion_.Number != running.Number) {
        const bool history = GetFile(serverBase_ + kHistoryPath, HistoryFile(), kMaxHistoryFileSize);
        if (!*alive)
            return;
        SetLink(pnlDownload, downloadLink_, webVersion_.DownloadFrom);
        SetLink(pnlGotoWeb, webLink_, webVersion_.WebURL);
        if (history)
            btnWebVersions->setEnabled(true);
    } else {
        pnlDownload->setText("Your already have latest version.");
        downloadLink_.clear();
    }
    checking_ = false;
}

void TfrmCheckWebUpdate::SetLink(TLinkPanel* panel, std::string& link, const std::string& address) {
    panel->setText(PanelText(address, kAddressShown));
    panel->setToolTip(PanelText(address, kAddressShown));
    link = address;
    // Only addresses the desktop may open are offered.
    panel->setEnabled(IsWebAddress(address) && address.size() <= kMaxAddressLength);
}

void TfrmCheckWebUpdate::OpenAddress(const std::string& text) {
    if (text.size() > kMaxAddressLength)
        return;
    const std::string address = Trim(text);
    if (address.empty() || !IsWebAddress(address))
        return;
    // One argument, never split: an address with blanks is refused by the opener rule.
    const std::string argument = platform::DesktopOpenArgument(address);
    if (!argument.empty())
        ShellLauncher().Open(argument);
}

void TfrmCheckWebUpdate::pnlDownloadClick() {
    OpenAddress(downloadLink_);
}

void TfrmCheckWebUpdate::pnlGotoWebClick() {
    OpenAddress(webLink_);
}

void TfrmCheckWebUpdate::btnWebVersionsClick() {
    // The history is a text document: the desktop opens it with the user's text viewer.
    ShellOpen(HistoryFile().string());
}
