#pragma once
// The help viewer: a window per help file with the file's table of contents, its pages in a text
// browser, back and forward, and search within the page. Pages link to each other inside the file;
// web and mail links go to the desktop.

#include "help/ChmFile.h"
#include "help/hh_funcs.h"

#include <QMainWindow>
#include <QTextBrowser>

#include <memory>

class QAction;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// Pages and pictures come out of the help file; addresses are "chm:/folder/page.html".
class TChmBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit TChmBrowser(const TChmFile& file, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const TChmFile& file_;
};

class THelpViewer : public QMainWindow {
    Q_OBJECT

public:
    // The viewer's entry point (see hh_funcs.h): opens or reuses the window of the target's file
    // and shows the topic or context there, or closes every viewer.
    static THtmlHelpAnswer HtmlHelp(const std::string& target, unsigned command, std::uint32_t data);
    // The open viewer of a help file, or null.
    static THelpViewer* ViewerFor(const QString& helpFile);

    // Shows `page` (a path inside the file, anchors allowed); false when the file has no such page.
    bool ShowPage(const std::string& page);
    // The page shown, as a path inside the file.
    std::string CurrentPage() const;
    // Finds `text` in the page from the cursor on (backwards when asked), wrapping at the end;
    // false when the page does not hold it.
    bool FindInPage(const QString& text, bool backwards = false);

    TChmBrowser* Browser() const { return browser_; }
    QTreeWidget* ContentsTree() const { return contents_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    THelpViewer(std::unique_ptr<TChmFile> file, QWidget* parent = nullptr);
    void FillContents(QTreeWidgetItem* parent, const std::vector<TChmContentsEntry>& entries, int depth);
    void OpenLink(const QUrl& url);
    void SelectContentsEntry(const QUrl& page);
    void FindNext(bool backwards);

    std::unique_ptr<TChmFile> file_;
    QTreeWidget* contents_ = nullptr;
    TChmBrowser* browser_ = nullptr;
    QLineEdit* findField_ = nullptr;
    QAction* backAction_ = nullptr;
    QAction* forwardAction_ = nullptr;
};
