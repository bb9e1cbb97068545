#include "flatctl/TFlatHintUnit.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

TFlatHint* g_Installed = nullptr;

constexpr int TextFlags = Qt::TextWordWrap;

// The arrow as offsets from its anchor for quadrant 0; the other quadrants mirror it.
constexpr int ArrowPoints[18][2] = {{0, 0},  {0, 6},  {-1, 6}, {-1, 0}, {-6, 0}, {-6, 1},
                                    {-2, 1}, {-2, 4}, {-5, 7}, {-6, 7}, {-3, 4}, {-3, 3},
                                    {-6, 6}, {-7, 6}, {-3, 2}, {-4, 2}, {-7, 5}, {-7, 6}};

} // namespace

int FlatHintQuadrant(const QPoint& cursor, const QRect& screen) {
    const bool left = cursor.x() - screen.left() < screen.width() / 2;
    const bool upper = cursor.y() - screen.top() < screen.height() / 2;
    if (upper)
        return left ? 1 : 0;
    return left ? 3 : 2;
}

TFlatHintPlacement PlaceFlatHint(const QPoint& cursor, const QRect& screen, const QSize& bubble) {
    TFlatHintPlacement placement;
    placement.Quadrant = FlatHintQuadrant(cursor, screen);
    const int X = cursor.x(), Y = cursor.y(), w = bubble.width(), h = bubble.height();
    const int d = placement.Quadrant == 1 ? 12 : 5;
    switch (placement.Quadrant) {
    case 1:
        placement.Rect = GdiRect(X + d, Y + d, X + d + w, Y + d + h);
        break;
    case 0:
        placement.Rect = GdiRect(X - w - d, Y + d, X - d, Y + d + h);
        break;
    case 3:
        placement.Rect = GdiRect(X + d, Y - h - d, X + d + w, Y - d);
        break;
    default:
        placement.Rect = GdiRect(X - w - d, Y - h - d, X - d, Y - d);
        break;
    }
    return placement;
}

QSize FlatHintSize(const QFont& font, const QString& text, int maxHintWidth) {
    const QFontMetrics metrics(font);
    const int width = std::max(1, maxHintWidth - 22);
    const QRect measured = metrics.boundingRect(QRect(0, 0, width, 100000), TextFlags, text);
    return QSize(std::min(measured.width(), width) + 22, measured.height() + 6);
}

TFlatHintWindow::TFlatHintWindow(TFlatHint* owner)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_Owner(owner) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setObjectName("TFlatHintWindow");
}

void TFlatHintWindow::ActivateHint(const QPoint& cursor, const QRect& screen, const QString& text) {
    m_Text = text;
    const QFont font = m_Owner != nullptr ? m_Owner->Font() : QFont();
    const int maxWidth = m_Owner != nullptr ? m_Owner->MaxHintWidth() : 200;
    setFont(font);
    const TFlatHintPlacement placement = PlaceFlatHint(cursor, screen, FlatHintSize(font, text, maxWidth));
    m_Quadrant = placement.Quadrant;
    setGeometry(placement.Rect);
    show();
    raise();
    update();
}

QRect TFlatHintWindow::StripRect() const {
    const int w = width(), h = height();
    if (m_Quadrant == 1 || m_Quadrant == 3)
        return GdiRect(1, 1, 15, h - 1);
    return GdiRect(w - 15, 1, w - 1, h - 1);
}

QRect TFlatHintWindow::TextRect() const {
    const int w = width(), h = height();
    if (m_Quadrant == 1 || m_Quadrant == 3)
        return GdiRect(15, 1, w - 1, h - 1);
    return GdiRect(1, 1, w - 15, h - 1);
}

QPoint TFlatHintWindow::ArrowAnchor() const {
    // In GDI terms: right - 3 is the strip's last pixel column minus two, bottom - 3 likewise.
    const QRect strip = StripRect();
    const int left = strip.left(), top = strip.top();
    const int right = strip.right() + 1, bottom = strip.bottom() + 1;
    switch (m_Quadrant) {
    case 0:
        return QPoint(right - 3, top + 2);
    case 1:
        return QPoint(left + 2, top + 2);
    case 2:
        return QPoint(right - 3, bottom - 3);
    default:
        return QPoint(left + 2, bottom - 3);
    }
}

void TFlatHintWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    auto colour = [&](int index) {
        static constexpr TColor Defaults[4] = {clWhite, clBlack, 0x53D2FF, clBlack};
        if (m_Owner == nullptr)
            return ResolveColor(Defaults[index], colours);
        const TColor values[4] = {m_Owner->ColorBackground(), m_Owner->ColorBorder(),
                                  m_Owner->ColorArrowBackground(), m_Owner->ColorArrow()};
        return ResolveColor(values[index], colours);
    };
    GdiFillRect(painter, StripRect(), colour(2));
    GdiFillRect(painter, TextRect(), colour(0));
    GdiFrameRect(painter, rect(), colour(1));

    const QPoint anchor = ArrowAnchor();
    const int sx = (m_Quadrant == 1 || m_Quadrant == 3) ? -1 : 1;
    const int sy = (m_Quadrant == 2 || m_Quadrant == 3) ? -1 : 1;
    std::vector<QPoint> arrow;
    for (const auto& point : ArrowPoints)
        arrow.emplace_back(anchor.x() + sx * point[0], anchor.y() + sy * point[1]);
    GdiPolyline(painter, arrow, colour(3));

    painter.setPen(QColor(Qt::black));
    painter.setFont(font());
    painter.drawText(TextRect().adjusted(3, 1, -3, -1), Qt::AlignLeft | Qt::AlignTop | TextFlags, m_Text);
}

namespace {

// The control whose hint shows for a widget: itself or the nearest parent with a hint.
QWidget* HintedControl(QWidget* widget) {
    while (widget != nullptr && widget->toolTip().isEmpty() && !widget->isWindow())
        widget = widget->parentWidget();
    return widget != nullptr && !widget->toolTip().isEmpty() ? widget : nullptr;
}

} // namespace

TFlatHint::TFlatHint(QObject* parent) : QObject(parent) {
    m_HideTimer.setSingleShot(true);
    connect(&m_HideTimer, &QTimer::timeout, this, &TFlatHint::HideHint);
    m_PauseTimer.setSingleShot(true);
    connect(&m_PauseTimer, &QTimer::timeout, this, [this] {
        if (m_Pending != nullptr && m_Pending != m_Control)
            ShowHint(m_Pending, QCursor::pos());
    });
    if (qApp == nullptr)
        return;
    if (g_Installed != nullptr)
        qApp->removeEventFilter(g_Installed);
    g_Installed = this;
    qApp->installEventFilter(this);
}

TFlatHint::~TFlatHint() {
    if (g_Installed == this) {
        if (qApp != nullptr)
            qApp->removeEventFilter(this);
        g_Installed = nullptr;
    }
    delete m_Window;
}

TFlatHint* TFlatHint::Installed() {
    return g_Installed;
}

void TFlatHint::SetColors(int index, TColor value) {
    if (index >= 0 && index < 4)
        m_Colors[index] = value;
}

bool TFlatHint::ShowHint(QWidget* control, const QPoint& cursor) {
    if (control == nullptr || !m_ShowHint) {
        HideHint();
        return false;
    }
    QString text = control->toolTip();
    bool canShow = true;
    THintInfo info;
    info.HintControl = control;
    info.CursorPos = cursor;
    info.CursorRect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    info.HintMaxWidth = m_MaxHintWidth;
    m_ShowHint(text, canShow, info);
    if (!canShow || text.isEmpty()) {
        HideHint();
        return false;
    }
    if (m_Window == nullptr)
        m_Window = new TFlatHintWindow(this);
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    m_Control = control;
    m_Window->ActivateHint(cursor, screenRect, text);
    m_HideTimer.start(m_HidePause);
    return true;
}

void TFlatHint::HideHint() {
    m_HideTimer.stop();
    m_Control = nullptr;
    if (m_Window != nullptr)
        m_Window->hide();
}

bool TFlatHint::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr)
            break;
        // Like the platform's tool tips, a control without a hint leaves the question to its
        // parent. The platform's own bubble never shows; ours follows its own pause.
        if (widget->toolTip().isEmpty())
            return false;
        if (!m_PauseTimer.isActive())
            ShowHint(widget, static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::Enter:
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            if (QWidget* control = HintedControl(widget); control != nullptr && control != m_Control) {
                m_Pending = control;
                m_PauseTimer.start(m_Pause);
            }
        }
        break;
    case QEvent::Leave:
        if (watched == m_Pending) {
            m_PauseTimer.stop();
            m_Pending = nullptr;
        }
        if (watched == m_Control)
            HideHint();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        m_PauseTimer.stop();
        m_Pending = nullptr;
        if (m_Window != nullptr && m_Window->isVisible())
            HideHint();
        break;
    default:
        break;
    }
    return false;
}
