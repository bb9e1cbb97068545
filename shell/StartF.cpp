#include "shell/StartF.h"

#include <QCoreApplication>

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The splash picture: a frequency-response sketch over a soft gradient, drawn rather than
// shipped, so it is sharp at any scale.
QPixmap SplashPicture(const QSize& size, qreal ratio) {
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, QColor(0x1F, 0x3A, 0x5F));
    background.setColorAt(1, QColor(0xFF, 0xFF, 0xFF));
    painter.fillRect(QRect(QPoint(0, 0), size), background);

    painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 60), 1));
    for (int x = size.width() / 8; x < size.width(); x += size.width() / 8) {
        painter.drawLine(x, 0, x, size.height());
    }
    QPainterPath curve;
    const double w = size.width();
    const double h = size.height();
    curve.moveTo(0, h * 0.95);
    curve.cubicTo(w * 0.18, h * 0.9, w * 0.22, h * 0.35, w * 0.38, h * 0.38);
    curve.cubicTo(w * 0.55, h * 0.41, w * 0.8, h * 0.36, w, h * 0.37);
    painter.setPen(QPen(QColor(0xFF, 0xC0, 0x40), 3));
    painter.drawPath(curve);

    QFont title = painter.font();
    title.setPointSize(28);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size.width(), size.height() / 3), Qt::AlignCenter, QStringLiteral("Borvik"));
    return picture;
}

} // namespace

TfrmSplashScreen::TfrmSplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplashScreen"));
    setWindowTitle(QStringLiteral("Borvik"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    imgSplash = new QLabel(this);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    imgSplash->setAlignment(Qt::AlignCenter);

    lblProgram = new QLabel(this);
    lblProgram->setObjectName(QStringLiteral("lblProgram"));
    QFont bold = lblProgram->font();
    bold.setBold(true);
    lblProgram->setFont(bold);

    lblInfo = new QLabel(QStringLiteral("Please wait..."), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* labels = new QHBoxLayout;
    labels->setContentsMargins(8, 4, 8, 6);
    labels->addWidget(lblProgram);
    labels->addStretch(1);
    labels->addWidget(lblInfo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(imgSplash, 1);
    layout->addLayout(labels);

    // The picture fills what the labels leave of the 371 x 245 client area (more with a larger font).
    const int pictureHeight = std::max(150, 245 - labels->sizeHint().height());
    imgSplash->setPixmap(SplashPicture(QSize(371, pictureHeight), devicePixelRatioF()));
    resize(sizeHint().expandedTo(QSize(371, 245)));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TfrmSplashScreen::SetProgram(const QString& text) {
    lblProgram->setText(text);
}

void TfrmSplashScreen::SetInfo(const QString& text) {
    lblInfo->setText(text);
    if (isVisible()) {
        repaint();
    }
}

QString TfrmSplashScreen::Info() const {
    return lblInfo->text();
}
