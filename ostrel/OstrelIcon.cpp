#include "ostrel/OstrelIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon OstrelIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double unit = size / 32.0;
        painter.setPen(QPen(QColor(60, 40, 20), unit));
        painter.setBrush(QColor(150, 100, 55));
        painter.drawRoundedRect(QRectF(5 * unit, 1 * unit, 22 * unit, 30 * unit), 2 * unit, 2 * unit);
        painter.setPen(QPen(QColor(100, 250, 40), 1.5 * unit));
        painter.setBrush(Qt::black);
        painter.drawEllipse(QRectF(8 * unit, 4 * unit, 16 * unit, 16 * unit));
        painter.setPen(QPen(QColor(220, 0, 0), 1.5 * unit));
        painter.drawEllipse(QRectF(12.5 * unit, 22.5 * unit, 7 * unit, 7 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
