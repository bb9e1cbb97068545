#pragma once
// The About box: the running version, the read-me and version-history texts, and, when the
// program ships "hof.txt", a scrolling "Hall of fame". The picture is revealed row by row and the
// text scrolled on timers of the window's own thread.

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <filesystem>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;

// The order in which the picture's rows appear: the even rows from the top down, then the odd
// rows from the bottom up; every row exactly once.
std::vector<int> RevealRowOrder(int height);

// The scroller's text: `lines` after enough empty lines to fill the image, so that the text
// enters from the bottom.
QStringList ScrollerLines(const QStringList& lines, int imageHeight);

// One text row of a scroller frame.
struct TScrollRow {
    int line = 0; // index into the scroller's lines
    int y = 0;    // top of the row in the image
    int grey = 0; // 0..255, brightest at the image's middle
};
inline constexpr int kScrollRowHeight = 16;
// The rows drawn at `offset` (pixels scrolled) in an image `imageHeight` high.
std::vector<TScrollRow> ScrollFrame(int offset, int imageHeight, int lineCount);
// The offset after one step: one pixel up, back to 0 after the last line has left.
int NextScrollOffset(int offset, int lineCount);

// Reads a shipped text file: UTF-8, or Windows-1252 when the bytes are not UTF-8. False when the
// file cannot be read.
bool ReadShippedText(const std::filesystem::path& file, QString& text);

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // `shippedFolders`: where "readme.txt", "versions.txt" and "hof.txt" are looked up.
    explicit TfrmAbout(std::vector<std::filesystem::path> shippedFolders, QWidget* parent = nullptr);
    ~TfrmAbout() override;

    // The picture as revealed so far, and whether the reveal and the scroller run.
    const QImage& FacePicture() const { return m_Face; }
    bool Revealing() const;
    bool Scrolling() const;
    int ScrollOffset() const { return m_Offset; }
    const QStringList& HallOfFameLines() const { return m_Lines; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void pgAboutChange(int index);
    void DrawRow();
    void DrawFrame();
    void StopTimers();
    QString ShippedText(const char* name) const;

    std::vector<std::filesystem::path> m_Folders;
    QTabWidget* pgAbout = nullptr;
    QPlainTextEdit* MProgram = nullptr;
    QPlainTextEdit* MVersions = nullptr;
    QWidget* tabHOF = nullptr;
    QWidget* imgHallOfFame = nullptr;
    QWidget* FacePic = nullptr;
    QPushButton* lblProgram = nullptr;
    QPushButton* lblEmail = nullptr;
    QPushButton* btnClose = nullptr;
    QTimer* m_RevealTimer = nullptr;
    QTimer* m_ScrollTimer = nullptr;

    QImage m_Source;
    QImage m_Face;
    std::vector<int> m_RevealRows;
    std::size_t m_RevealStep = 0;
    QStringList m_Lines;
    int m_Offset = 0;
    bool m_Shown = false;
};
