#include "help/HelpViewer.h"

#include "help/HHDebug.h"
#include "platform/ShellOpen.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

namespace {

const QString kScheme = QStringLiteral("chm");

// Open viewers by the canonical path of their help file.
QMap<QString, QPointer<THelpViewer>>& Viewers() {
    static QMap<QString, QPointer<THelpViewer>> viewers;
    return viewers;
}

QString Key(const QString& helpFile) {
    const QFileInfo info(helpFile);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QUrl PageUrl(const std::string& page) {
    QUrl url;
    url.setScheme(kScheme);
    const auto anchor = page.find('#');
    url.setPath(QString::fromStdString(page.substr(0, anchor)));
    if (anchor != std::string::npos)
        url.setFragment(QString::fromStdString(page.substr(anchor + 1)));
    return url;
}

QString DecodeHtml(const std::string& bytes) {
    const QByteArray data = QByteArray::fromStdString(bytes);
    auto text = QString::fromUtf8(data);
    // Not UTF-8: pages written on Windows are Windows-1252, close enough to Latin-1 for text.
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(data);
    return text;
}

struct ParsedTarget {
    QString file;
    std::string topic; // empty: none
};

// "<file>::/<topic>>window", "<file>>window" or "<file>"; the host prefix is dropped.
ParsedTarget ParseTarget(std::string target) {
    const std::string prefix = "mk:@MSITStore:";
    if (target.rfind(prefix, 0) == 0)
        target.erase(0, prefix.size());
    ParsedTarget parsed;
    const auto separator = target.find("::");
    std::string rest;
    if (separator == std::string::npos) {
        parsed.file = QString::fromStdString(target.substr(0, target.rfind('>')));
        return parsed;
    }
    parsed.file = QString::fromStdString(target.substr(0, separator));
    rest = target.substr(separator + 2);
    parsed.topic = rest.substr(0, rest.rfind('>'));
    return parsed;
}

} // namespace

// ---- browser ---------------------------------------------------------------------------------

TChmBrowser::TChmBrowser(const TChmFile& file, QWidget* parent) : QTextBrowser(parent), file_(file) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QVariant TChmBrowser::loadResource(int type, const QUrl& name) {
    if (!name.scheme().isEmpty() && name.scheme() != kScheme)
        return {};
    const std::string path = NormalisePath(name.path().toStdString());
    const auto bytes = file_.Read(path);
    if (!bytes) {
        if (type == QTextDocument::HtmlResource)
            return QStringLiteral("<html><body><h2>Page not found</h2><p>The help file has no page %1.</p>"
                                  "</body></html>")
                .arg(QString::fromStdString(path).toHtmlEscaped());
        return {};
    }
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return DecodeHtml(*bytes);
    return QByteArray::fromStdString(*bytes);
}

// ---- viewer ----------------------------------------------------------------------------------

THelpViewer::THelpViewer(std::unique_ptr<TChmFile> file, QWidget* parent)
    : QMainWindow(parent), file_(std::move(file)) {
    setObjectName("HelpViewer");
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = QString::fromStdString(file_->Title());
    setWindowTitle(title.isEmpty() ? QFileInfo(QString::fromStdString(file_->Path().string())).fileName()
                                   : title);

    contents_ = new QTreeWidget;
    contents_->setObjectName("Contents");
    contents_->setHeaderHidden(true);
    contents_->setAccessibleName("Contents");
    browser_ = new TChmBrowser(*file_);
    browser_->setObjectName("Page");
    browser_->setAccessibleName("Page");

    auto* splitter = new QSplitter;
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 620});
    setCentralWidget(splitter);

    auto* toolbar = addToolBar("Navigation");
    toolbar->setObjectName("Navigation");
    toolbar->setMovable(false);
    backAction_ = toolbar->addAction(QIcon::fromTheme("go-previous"), "Back");
    backAction_->setShortcut(QKeySequence::Back);
    backAction_->setEnabled(false);
    forwardAction_ = toolbar->addAction(QIcon::fromTheme("go-next"), "Forward");
    forwardAction_->setShortcut(QKeySequence::Forward);
    forwardAction_->setEnabled(false);
    auto* homeAction = toolbar->addAction(QIcon::fromTheme("go-home"), "Contents");
    homeAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    toolbar->addSeparator();
    auto* findLabel = new QLabel("&Find in page: ");
    findField_ = new QLineEdit;
    findField_->setObjectName("FindInPage");
    findField_->setAccessibleName("Find in page");
    findField_->setClearButtonEnabled(true);
    findField_->setMaximumWidth(260);
    findLabel->setBuddy(findField_);
    toolbar->addWidget(findLabel);
    toolbar->addWidget(findField_);
    auto* previousAction = toolbar->addAction("Previous");
    previousAction->setShortcut(QKeySequence::FindPrevious);
    auto* nextAction = toolbar->addAction("Next");
    nextAction->setShortcut(QKeySequence::FindNext);
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    auto* closeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    statusBar();

    connect(backAction_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forwardAction_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, backAction_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardAction_, &QAction::setEnabled);
    connect(homeAction, &QAction::triggered, this, [this] {
        if (!file_->DefaultTopic().empty())
            ShowPage(file_->DefaultTopic());
    });
    connect(browser_, &QTextBrowser::anchorClicked, this, &THelpViewer::OpenLink);
    // The browser announces the new page before source() returns it.
    connect(browser_, &QTextBrowser::sourceChanged, this, &THelpViewer::SelectContentsEntry);
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString local = item->data(0, Qt::UserRole).toString();
        if (!local.isEmpty())
            ShowPage(local.toStdString());
    });
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString local = item->data(0, Qt::UserRole).toString();
        if (!local.isEmpty())
            ShowPage(local.toStdString());
    });
    connect(findField_, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(findField_, &QLineEdit::textChanged, this, [this] { statusBar()->clearMessage(); });
    connect(nextAction, &QAction::triggered, this, [this] { FindNext(false); });
    connect(previousAction, &QAction::triggered, this, [this] { FindNext(true); });
    connect(findShortcut, &QShortcut::activated, this, [this] {
        findField_->setFocus();
        findField_->selectAll();
    });
    connect(closeShortcut, &QShortcut::activated, this, [this] {
        if (findField_->hasFocus())
            browser_->setFocus();
        else
            close();
    });

    FillContents(nullptr, file_->Contents(), 0);
    contents_->expandToDepth(0);
    resize(900, 640);
}

void THelpViewer::FillContents(QTreeWidgetItem* parent, const std::vector<TChmContentsEntry>& entries,
                               int depth) {
    for (const auto& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, QString::fromStdString(entry.name));
        item->setData(0, Qt::UserRole, QString::fromStdString(entry.local));
        if (depth < 32)
            FillContents(item, entry.children, depth + 1);
    }
}

THelpViewer* THelpViewer::ViewerFor(const QString& helpFile) {
    return Viewers().value(Key(helpFile)).data();
}

THtmlHelpAnswer THelpViewer::HtmlHelp(const std::string& target, unsigned command, std::uint32_t data) {
    THtmlHelpAnswer answer;
    if (command == HH_CLOSE_ALL) {
        // Closing a viewer takes it out of the list, so walk a copy.
        const auto viewers = Viewers().values();
        for (const auto& viewer : viewers)
            if (viewer)
                viewer->close();
        Viewers().clear();
        return answer;
    }
    const ParsedTarget parsed = ParseTarget(target);
    THelpViewer* viewer = ViewerFor(parsed.file);
    if (!viewer) {
        std::string error;
        auto file = TChmFile::Open(parsed.file.toStdString(), error);
        if (!file) {
            DebugLog(error);
            return {HH_FILE_FAILED, error};
        }
        viewer = new THelpViewer(std::move(file));
        Viewers().insert(Key(parsed.file), viewer);
    }
    std::string page;
    if (command == HH_HELP_CONTEXT) {
        const auto topic = viewer->file_->ContextTopic(data);
        if (!topic)
            answer = {HH_TOPIC_MISSING, "help context " + std::to_string(data)};
        else
            page = *topic;
    } else if (parsed.topic.empty()) {
        page = viewer->file_->DefaultTopic();
    } else {
        page = parsed.topic;
    }
    if (answer.result == HH_OK && !viewer->ShowPage(page))
        answer = {HH_TOPIC_MISSING, page.empty() ? std::string("its first page") : page};
    if (answer.result != HH_OK && viewer->browser_->source().isEmpty()) {
        // Nothing to show at all: a window with an empty page would only puzzle.
        viewer->close();
        return answer;
    }
    viewer->show();
    viewer->setWindowState(viewer->windowState() & ~Qt::WindowMinimized);
    viewer->raise();
    viewer->activateWindow();
    return answer;
}

bool THelpViewer::ShowPage(const std::string& page) {
    const std::string path = NormalisePath(page);
    if (path.empty() || !file_->Exists(path))
        return false;
    const auto anchor = page.find('#');
    browser_->setSource(PageUrl(anchor == std::string::npos ? path : path + page.substr(anchor)));
    return true;
}

std::string THelpViewer::CurrentPage() const {
    return NormalisePath(browser_->source().path().toStdString());
}

void THelpViewer::OpenLink(const QUrl& url) {
    if (url.scheme().isEmpty() || url.scheme() == kScheme) {
        const std::string path = NormalisePath(url.path().toStdString());
        if (path == CurrentPage() && url.hasFragment()) {
            browser_->scrollToAnchor(url.fragment());
            return;
        }
        // A missing page shows the browser's "not found" page rather than nothing.
        browser_->setSource(url.scheme().isEmpty() ? browser_->source().resolved(url) : url);
        return;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "mailto")
        platform::OpenWithDesktop(url.toString().toStdString());
}

void THelpViewer::SelectContentsEntry(const QUrl& page) {
    const QString current = QString::fromStdString(NormalisePath(page.path().toStdString()));
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString local = (*it)->data(0, Qt::UserRole).toString();
        if (local.section('#', 0, 0) == current) {
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

bool THelpViewer::FindInPage(const QString& text, bool backwards) {
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(text, flags))
        return true;
    // Wrap around once.
    QTextCursor cursor = browser_->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    browser_->setTextCursor(cursor);
    return browser_->find(text, flags);
}

void THelpViewer::FindNext(bool backwards) {
    const QString text = findField_->text();
    if (text.isEmpty()) {
        findField_->setFocus();
        return;
    }
    if (!FindInPage(text, backwards))
        statusBar()->showMessage(QStringLiteral("\"%1\" is not on this page.").arg(text));
    else
        statusBar()->clearMessage();
}

void THelpViewer::closeEvent(QCloseEvent* event) {
    for (auto it = Viewers().begin(); it != Viewers().end();) {
        if (it.value() == this || !it.value())
            it = Viewers().erase(it);
        else
            ++it;
    }
    QMainWindow::closeEvent(event);
}
