#include "shell/About.h"

#include "model/BV_Utils.h"
#include "model/SaveToFile_Utils.h"
#include "platform/Folders.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr int kFaceWidth = 85;
constexpr int kFaceHeight = 110;
constexpr int kHallWidth = 426;
constexpr int kHallHeight = 232;

bool UsableAddress(const std::string& text) {
    return !text.empty() && text != "-error-";
}

// The About picture: a loudspeaker drawn for the box, so it stays sharp at any scale.
QImage AboutPicture(qreal ratio) {
    QImage picture(QSize(kFaceWidth, kFaceHeight) * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(QColor(0x1F, 0x3A, 0x5F));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kFaceWidth / 2.0, kFaceHeight / 2.0 - 6);
    painter.setPen(QPen(QColor(0x10, 0x10, 0x10), 2));
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    painter.drawRoundedRect(QRectF(6, 8, kFaceWidth - 12, kFaceHeight - 16), 6, 6);
    QRadialGradient cone(centre, 30);
    cone.setColorAt(0, QColor(0xC0, 0xC0, 0xC0));
    cone.setColorAt(1, QColor(0x50, 0x50, 0x50));
    painter.setBrush(cone);
    painter.drawEllipse(centre, 30, 30);
    painter.setBrush(QColor(0x20, 0x20, 0x20));
    painter.drawEllipse(centre, 9, 9);
    painter.setBrush(QColor(0xA0, 0xA0, 0xA0));
    painter.drawEllipse(QPointF(centre.x(), kFaceHeight - 20), 7, 7);
    return picture;
}

QFont TerminalFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QPlainTextEdit* TextPage(const char* name) {
    auto* memo = new QPlainTextEdit;
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setFont(TerminalFont());
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The texts are laid out in lines of up to 70 characters; wrapping them would break the layout.
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setMinimumWidth(memo->fontMetrics().horizontalAdvance(QString(72, QLatin1Char('M'))) +
                          memo->verticalScrollBar()->sizeHint().width());
    QPalette colours = memo->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    memo->setPalette(colours);
    return memo;
}

QPushButton* LinkButton(const char* name) {
    auto* link = new QPushButton;
    link->setObjectName(QString::fromLatin1(name));
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    QPalette colours = link->palette();
    colours.setColor(QPalette::ButtonText, QColor(0, 0, 0x80)); // navy
    link->setPalette(colours);
    return link;
}

} // namespace

std::vector<int> RevealRowOrder(int height) {
    std::vector<int> rows;
    if (height <= 0) {
        return rows;
    }
    rows.reserve(static_cast<std::size_t>(height));
    for (int row = 0; row < height; row += 2) {
        rows.push_back(row);
    }
    const int lastOdd = height % 2 == 0 ? height - 1 : height - 2;
    for (int row = lastOdd; row >= 1; row -= 2) {
        rows.push_back(row);
    }
    return rows;
}

QStringList ScrollerLines(const QStringList& lines, int imageHeight) {
    QStringList result;
    for (int i = 0; i < std::max(0, imageHeight) / kScrollRowHeight; ++i) {
        result << QString();
    }
    result << lines;
    return result;
}

std::vector<TScrollRow> ScrollFrame(int offset, int imageHeight, int lineCount) {
    std::vector<TScrollRow> rows;
    const int shift = offset % kScrollRowHeight;
    for (int i = 0; kScrollRowHeight * i < imageHeight; ++i) {
        const int line = i + offset / kScrollRowHeight;
        if (line < 0 || line >= lineCount) {
            continue;
        }
        const int fromMiddle = imageHeight / 2 + shift - kScrollRowHeight * i;
        // Rows far from the middle would get a grey below 0: they are black, not garbage.
        const int grey = std::clamp(255 - 2 * std::abs(fromMiddle), 0, 255);
        rows.push_back({line, kScrollRowHeight * i - shift, grey});
    }
    return rows;
}

int NextScrollOffset(int offset, int lineCount) {
    const int next = offset + 1;
    return next > kScrollRowHeight * lineCount ? 0 : next;
}

bool ReadShippedText(const std::filesystem::path& file, QString& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string content = bytes.str();
    text = QString::fromStdString(IsStoredUtf8(content) ? content : DecodeText(content, false));
    return true;
}

TfrmAbout::TfrmAbout(std::vector<std::filesystem::path> shippedFolders, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_Folders(std::move(shippedFolders)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About..."));
    setAttribute(Qt::WA_DeleteOnClose);

    pgAbout = new QTabWidget(this);
    pgAbout->setObjectName(QStringLiteral("pgAbout"));
    MProgram = TextPage("MProgram");
    MVersions = TextPage("MVersions");
    tabHOF = new QWidget;
    tabHOF->setObjectName(QStringLiteral("tabHOF"));
    imgHallOfFame = new QWidget(tabHOF);
    imgHallOfFame->setObjectName(QStringLiteral("imgHallOfFame"));
    imgHallOfFame->setFixedSize(kHallWidth, kHallHeight);
    imgHallOfFame->setAttribute(Qt::WA_OpaquePaintEvent);
    imgHallOfFame->installEventFilter(this);
    auto* hallLayout = new QVBoxLayout(tabHOF);
    hallLayout->addWidget(imgHallOfFame, 0, Qt::AlignCenter);
    pgAbout->addTab(MProgram, QStringLiteral("Program.."));
    pgAbout->addTab(MVersions, QStringLiteral("Versions.."));
    pgAbout->addTab(tabHOF, QStringLiteral("Hall of fame"));
    pgAbout->setTabVisible(2, false);
    pgAbout->setMinimumSize(kHallWidth + 40, kHallHeight + 60);
    connect(pgAbout, &QTabWidget::currentChanged, this, &TfrmAbout::pgAboutChange);

    lblProgram = LinkButton("lblProgram");
    lblEmail = LinkButton("lblEmail");
    lblEmail->setToolTip(QStringLiteral("Click to start eMail-software"));
    connect(lblProgram, &QPushButton::clicked, this, [] { ShellOpen(VersionInfo.WebURL); });
    connect(lblEmail, &QPushButton::clicked, this, [] { ShellOpen("mailto:" + VersionInfo.AuthorEmail); });

    FacePic = new QWidget(this);
    FacePic->setObjectName(QStringLiteral("FacePic"));
    FacePic->setFixedSize(kFaceWidth, kFaceHeight);
    FacePic->setAccessibleName(QStringLiteral("Picture"));
    FacePic->installEventFilter(this);

    auto* about = new QLabel(QStringLiteral("Loudspeaker enclosure\ndesign"), this);
    about->setAlignment(Qt::AlignCenter);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* side = new QVBoxLayout;
    side->addWidget(FacePic, 0, Qt::AlignHCenter);
    side->addWidget(lblProgram);
    side->addWidget(about);
    side->addWidget(lblEmail);
    side->addStretch(1);
    side->addWidget(btnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(pgAbout, 1);
    layout->addLayout(side);

    m_RevealTimer = new QTimer(this);
    m_RevealTimer->setInterval(15);
    connect(m_RevealTimer, &QTimer::timeout, this, &TfrmAbout::DrawRow);
    m_ScrollTimer = new QTimer(this);
    m_ScrollTimer->setInterval(40);
    connect(m_ScrollTimer, &QTimer::timeout, this, &TfrmAbout::DrawFrame);
}

TfrmAbout::~TfrmAbout() = default;

QString TfrmAbout::ShippedText(const char* name) const {
    for (const std::filesystem::path& folder : m_Folders) {
        if (const auto file = platform::ResolveWithoutCase(folder, name)) {
            QString text;
            if (ReadShippedText(*file, text)) {
                return text;
            }
        }
    }
    return QStringLiteral("File not found : ") + QString::fromLatin1(name);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_Shown) {
        m_Shown = true;
        FormShow();
    }
}

void TfrmAbout::FormShow() {
    pgAbout->setCurrentIndex(0);
    lblProgram->setText(QStringLiteral("Borvik ") + QString::fromStdString(VersionInfo.Number));
    lblProgram->setEnabled(UsableAddress(VersionInfo.WebURL));
    lblEmail->setText(QString::fromStdString(VersionInfo.AuthorEmail));
    lblEmail->setEnabled(UsableAddress(VersionInfo.AuthorEmail));
    lblEmail->setVisible(UsableAddress(VersionInfo.AuthorEmail));

    MProgram->setPlainText(ShippedText("readme.txt"));
    MVersions->setPlainText(ShippedText("versions.txt"));

    m_Source = AboutPicture(devicePixelRatioF());
    m_Face = QImage(m_Source.size(), m_Source.format());
    m_Face.setDevicePixelRatio(m_Source.devicePixelRatio());
    m_Face.fill(palette().color(QPalette::Window));
    m_RevealRows = RevealRowOrder(m_Source.height());
    m_RevealStep = 0;
    m_RevealTimer->start();

    bool hallOfFame = false;
    QStringList lines;
    for (const std::filesystem::path& folder : m_Folders) {
        if (const auto file = platform::ResolveWithoutCase(folder, "hof.txt")) {
            hallOfFame = true;
            QString text;
            lines = ReadShippedText(*file, text)
                        ? text.split(QLatin1Char('\n'))
                        : QStringList{QStringLiteral(" File hof.txt not found, sorry. ")};
            for (QString& line : lines) {
                if (line.endsWith(QLatin1Char('\r'))) {
                    line.chop(1);
                }
            }
            break;
        }
    }
    m_Lines = ScrollerLines(lines, kHallHeight);
    m_Offset = 0;
    pgAbout->setTabVisible(2, hallOfFame);
}

void TfrmAbout::pgAboutChange(int index) {
    // The scroll runs only while its page is in front and resumes where it stopped.
    if (pgAbout->widget(index) == tabHOF) {
        m_ScrollTimer->start();
    } else {
        m_ScrollTimer->stop();
    }
}

void TfrmAbout::DrawRow() {
    if (m_RevealStep >= m_RevealRows.size()) {
        m_RevealTimer->stop();
        return;
    }
    const int row = m_RevealRows[m_RevealStep++];
    std::copy_n(m_Source.constScanLine(row), m_Source.bytesPerLine(), m_Face.scanLine(row));
    FacePic->update();
    if (m_RevealStep >= m_RevealRows.size()) {
        m_RevealTimer->stop();
    }
}

void TfrmAbout::DrawFrame() {
    m_Offset = NextScrollOffset(m_Offset, static_cast<int>(m_Lines.size()));
    imgHallOfFame->update();
}

bool TfrmAbout::Revealing() const {
    return m_RevealTimer->isActive();
}

bool TfrmAbout::Scrolling() const {
    return m_ScrollTimer->isActive();
}

void TfrmAbout::StopTimers() {
    m_RevealTimer->stop();
    m_ScrollTimer->stop();
}

void TfrmAbout::closeEvent(QCloseEvent* event) {
    StopTimers();
    QDialog::closeEvent(event);
}

// Esc and Close end the box without a close event; nothing may tick on for a hidden box.
void TfrmAbout::hideEvent(QHideEvent* event) {
    StopTimers();
    QDialog::hideEvent(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        if (watched == FacePic) {
            QPainter painter(FacePic);
            painter.drawImage(QPoint(0, 0), m_Face);
            return true;
        }
        if (watched == imgHallOfFame) {
            QPainter painter(imgHallOfFame);
            painter.fillRect(imgHallOfFame->rect(), Qt::black);
            QFont font(QStringLiteral("Courier New"), 10);
            font.setStyleHint(QFont::TypeWriter);
            painter.setFont(font);
            for (const TScrollRow& row :
                 ScrollFrame(m_Offset, kHallHeight, static_cast<int>(m_Lines.size()))) {
                painter.setPen(QColor(row.grey, row.grey, row.grey));
                painter.drawText(QRect(0, row.y, kHallWidth, kScrollRowHeight),
                                 Qt::AlignHCenter | Qt::AlignVCenter, m_Lines.at(row.line));
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
