// Draws the project window's pictures (box types, driver placement, the driver handle) as PNG
// files and the resource list that holds them. Run at build time: the pictures are the
// program's own drawings, kept as code.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QColor kWood(196, 148, 92);
const QColor kWoodEdge(110, 74, 36);
const QColor kInside(250, 244, 230);
const QColor kCone(60, 60, 66);
const QColor kMagnet(120, 120, 130);
const QColor kAir(70, 130, 200);

// A driver seen from the side, its cone opening towards `direction` (+1 right, -1 left), the
// mounting plane at x.
void DrawDriver(QPainter& p, double x, double centreY, double height, int direction, bool magnet = true) {
    const double depth = height * 0.45;
    QPainterPath cone;
    cone.moveTo(x, centreY - height / 2);
    cone.lineTo(x - direction * depth, centreY - height * 0.16);
    cone.lineTo(x - direction * depth, centreY + height * 0.16);
    cone.lineTo(x, centreY + height / 2);
    cone.closeSubpath();
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(kCone);
    p.drawPath(cone);
    if (magnet) {
        const double w = height * 0.22;
        const QRectF body(direction > 0 ? x - depth - w : x + depth, centreY - height * 0.22, w,
                          height * 0.44);
        p.setBrush(kMagnet);
        p.drawRect(body);
    }
}

// A vent tube through a wall at x, from the wall into the box by `length`, at height y.
void DrawVent(QPainter& p, double x, double y, double length, int inwards, double bore = 10) {
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(kInside);
    const double left = inwards > 0 ? x : x - length;
    p.drawRect(QRectF(left, y - bore / 2, length, bore));
    // The air that moves through it.
    p.setPen(QPen(kAir, 1.5));
    const double tip = inwards > 0 ? x - 6 : x + 6;
    p.drawLine(QPointF(x, y), QPointF(tip, y));
}

void Walls(QPainter& p, const QRectF& box) {
    p.setPen(QPen(kWoodEdge, 1.5));
    p.setBrush(kWood);
    p.drawRect(box);
    p.setBrush(kInside);
    p.drawRect(box.adjusted(6, 6, -6, -6));
}

void Baffle(QPainter& p, double x, const QRectF& box) {
    p.setPen(QPen(kWoodEdge, 1.5));
    p.setBrush(kWood);
    p.drawRect(QRectF(x - 3, box.top() + 6, 6, box.height() - 12));
}

// The sound leaving the box: three arcs to the right of x.
void Sound(QPainter& p, double x, double y) {
    p.setPen(QPen(kAir, 1.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double r = 6 + 5 * i;
        p.drawArc(QRectF(x - r, y - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
}

using Drawing = std::function<void(QPainter&)>;

struct Picture {
    const char* name;
    int width;
    int height;
    Drawing draw;
};

std::vector<Picture> Pictures() {
    const QRectF box(14, 14, 120, 92);
    const double right = box.right();
    const double mid = box.center().y();
    return {
        {"BMP1", 160, 120,
         [=](QPainter& p) {
             Walls(p, box);
             DrawDriver(p, right - 3, mid, 46, 1);
             Sound(p, right + 4, mid);
         }},
        {"BMP2", 160, 120,
         [=](QPainter& p) {
             Walls(p, box);
             DrawDriver(p, right - 3, mid - 16, 40, 1);
             DrawVent(p, right, box.bottom() - 20, 44, -1);
             Sound(p, right + 4, mid - 16);
         }},
        {"BMP3", 160, 120,
         [=](QPainter& p) {
             Walls(p, box);
             Baffle(p, box.left() + 52, box);
             DrawDriver(p, box.left() + 52, mid, 40, 1);
             DrawVent(p, right, mid + 22, 36, -1);
             Sound(p, right + 4, mid + 22);
         }},
        {"BMP4", 160, 120,
         [=](QPainter& p) {
             Walls(p, box);
             Baffle(p, box.left() + 52, box);
             DrawDriver(p, box.left() + 52, mid, 40, 1);
             DrawVent(p, right, mid + 22, 36, -1);
             // The rear chamber's vent leaves through the back wall.
             DrawVent(p, box.left(), box.top() + 20, 30, 1, 8);
             Sound(p, right + 4, mid + 22);
         }},
        {"BMP5", 160, 120,
         [=](QPainter& p) {
             Walls(p, box);
             DrawDriver(p, right - 3, mid - 20, 36, 1);
             DrawDriver(p, right - 3, mid + 24, 34, 1, false);
             Sound(p, right + 4, mid);
         }},
        {"PLACENOR", 96, 64,
         [](QPainter& p) {
             p.setPen(QPen(kWoodEdge, 1.5));
             p.setBrush(kWood);
             p.drawRect(QRectF(58, 4, 6, 56));
             DrawDriver(p, 58, 32, 40, 1);
             Sound(p, 68, 32);
         }},
        {"PLACEISO", 96, 64,
         [](QPainter& p) {
             p.setPen(QPen(kWoodEdge, 1.5));
             p.setBrush(kWood);
             p.drawRect(QRectF(70, 4, 6, 56));
             // The inner driver's cone faces the outer driver's magnet through a small chamber.
             DrawDriver(p, 70, 32, 40, 1);
             DrawDriver(p, 40, 32, 40, 1);
             p.setPen(QPen(kWoodEdge, 1.2, Qt::DashLine));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(36, 10, 36, 44));
             Sound(p, 80, 32);
         }},
        {"DRIVER", 40, 40,
         [](QPainter& p) {
             p.setRenderHint(QPainter::Antialiasing);
             p.setPen(QPen(Qt::black, 1.5));
             p.setBrush(QColor(90, 90, 96));
             p.drawEllipse(QRectF(3, 3, 34, 34));
             p.setBrush(kCone);
             p.drawEllipse(QRectF(9, 9, 22, 22));
             p.setBrush(kMagnet);
             p.drawEllipse(QRectF(15, 15, 10, 10));
         }},
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: projectart OUTPUT_FOLDER\n");
        return 2;
    }
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "projectart: cannot create %s\n", argv[1]);
        return 1;
    }
    QString list = "<RCC>\n  <qresource prefix=\"/projectwindow\">\n";
    for (const Picture& picture : Pictures()) {
        QImage image(picture.width, picture.height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            picture.draw(painter);
        }
        const QString file = QString(picture.name) + ".png";
        if (!image.save(folder.filePath(file), "PNG")) {
            std::fprintf(stderr, "projectart: cannot write %s\n", qPrintable(file));
            return 1;
        }
        list += "    <file>" + file + "</file>\n";
    }
    list += "  </qresource>\n</RCC>\n";
    QFile qrc(folder.filePath("projectpictures.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "projectart: cannot write the resource list\n");
        return 1;
    }
    QTextStream(&qrc) << list;
    return 0;
}
