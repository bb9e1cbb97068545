#include "workspace/plotwindow.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "shell/DesktopLayout.h"
#include "workspace/HV_Menu.h"
#include "workspace/QtPlotCanvas.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionTitleBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Below this the plot rectangle would vanish inside the label margins and no curve (and so no
// set-up report of the models) would be computed; a smaller or hidden window still renders this.
constexpr int kMinimumPictureWidth = 160;
constexpr int kMinimumPictureHeight = 100;

// Printing works in pixels of a 96-dpi screen, scaled to the printer's resolution, so pens,
// margins and texts keep their size on paper whatever the printer's resolution.
constexpr double kPrintUnitsPerInch = 96;
constexpr double kPointsPerInch = 72;

QString WithUserDecimalSeparator(QString text) {
    const char separator = DecimalSeparator();
    if (separator != '.')
        text.replace(u'.', QChar(separator));
    return text;
}

} // namespace

// -----------------------------------------------------------------------------------------------
// Plain parts.

const std::vector<TPlotMenuEntry>& PlotMenuEntries() {
    static const std::vector<TPlotMenuEntry> entries = [] {
        struct TGroup {
            const char* Band;
            std::vector<int> Tags;
        };
        const TGroup groups[] = {
            {"*System overall", {1, 4, 3, 7, 16, 20, 2}},
            {"*Driver", {5, 6, 8}},
            {"*Passive radiator", {13, 14, 15}},
            {"*Rear port", {9, 11}},
            {"*Front port", {10, 12}},
            {"*Filter/Equalizer", {17, 18, 19}},
        };
        std::vector<TPlotMenuEntry> list;
        for (const TGroup& group : groups) {
            list.push_back({QString::fromUtf8(group.Band), 0});
            for (int tag : group.Tags) {
                const std::string_view caption = PlotTypeInfo(tag)->Caption;
                list.push_back(
                    {QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())), tag});
            }
        }
        return list;
    }();
    return entries;
}

QString PlotCaption(const QString& typeCaption, const std::string& unitText) {
    if (unitText.empty())
        return typeCaption;
    return typeCaption + " [" + QString::fromStdString(unitText) + "]";
}

QString FrequencyReadout(double frequency, bool relative) {
    return WithUserDecimalSeparator(QString::asprintf(relative ? "%4.2f rel Hz" : "%4.2f Hz", frequency));
}

QString ValueReadout(double value, const std::string& unitText, bool relative) {
    // Three decimals, and more for small values so that four significant digits show: an
    // excursion in metres would otherwise read 0.001 whatever it is.
    int decimals = 3;
    if (std::isfinite(value) && value != 0 && std::fabs(value) < 1)
        decimals = std::min(9, 3 - static_cast<int>(std::floor(std::log10(std::fabs(value)))));
    return WithUserDecimalSeparator(QString::asprintf(relative ? "%4.*f rel " : "%4.*f ", decimals, value)) +
           QString::fromStdString(unitText);
}

QRect SnapToGrid(const QRect& proposed, bool gridOn, int gridX, int gridY, bool maximised,
                 const QRect& workspace) {
    if (!gridOn || maximised || gridX <= 0 || gridY <= 0)
        return proposed;
    const auto snap = [](int value, int step) {
        return static_cast<int>(RoundHalfEven(static_cast<double>(value) / step)) * step;
    };
    const auto down = [](int value, int step) {
        return static_cast<int>(std::floor(static_cast<double>(value) / step)) * step;
    };
    // One axis: start and length to the nearest multiples, or down where the nearest would carry
    // a window that lies within [low, high) past its end.
    const auto axis = [&](int start, int length, int step, int low, int high, bool bounded) {
        int snappedStart = snap(start, step);
        int snappedLength = std::max(step, snap(length, step));
        if (bounded && start >= low && start + length <= high) {
            if (snappedStart + snappedLength > high)
                snappedLength = std::max(step, down(length, step));
            if (snappedStart + snappedLength > high)
                snappedStart = std::max(low, down(start, step));
        }
        return std::pair{snappedStart, snappedLength};
    };
    const bool bounded = workspace.isValid();
    const auto [left, width] = axis(proposed.left(), proposed.width(), gridX, workspace.left(),
                                    workspace.left() + workspace.width(), bounded);
    const auto [top, height] = axis(proposed.top(), proposed.height(), gridY, workspace.top(),
                                    workspace.top() + workspace.height(), bounded);
    return QRect(left, top, width, height);
}

// -----------------------------------------------------------------------------------------------
// Drop-down buttons of the bar.

// The caption as the button shows it: "&&" is one "&".
static QString Shown(const QString& caption) {
    return QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

TElidingButton::TElidingButton(QWidget* parent) : QPushButton(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TElidingButton::SetFullText(const QString& text) {
    m_FullText = text;
    // Screen readers say the whole caption, "&&" read as the "&" it shows.
    setAccessibleName(Shown(text));
    Elide();
    updateGeometry();
}

int TElidingButton::Chrome() const {
    // Measured without a text: the style widens a button with a text to a minimum width, and
    // that must not count as room for the text.
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    const int indicator =
        menu() != nullptr ? style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this) : 0;
    return style()
        ->sizeFromContents(QStyle::CT_PushButton, &option, QSize(indicator, fontMetrics().height()), this)
        .width();
}

QSize TElidingButton::sizeHint() const {
    QSize hint = QPushButton::sizeHint();
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = m_FullText;
    const int indicator =
        menu() != nullptr ? style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this) : 0;
    const QSize content(fontMetrics().horizontalAdvance(Shown(m_FullText)) + indicator,
                        fontMetrics().height());
    hint.setWidth(style()->sizeFromContents(QStyle::CT_PushButton, &option, content, this).width());
    return hint;
}

QSize TElidingButton::minimumSizeHint() const {
    QSize hint = QPushButton::minimumSizeHint();
    hint.setWidth(
        std::min(sizeHint().width(), Chrome() + fontMetrics().horizontalAdvance(QStringLiteral("Mmm..."))));
    return hint;
}

void TElidingButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    Elide();
}

void TElidingButton::Elide() {
    // The size hint gives the caption its whole rounded advance; elidedText measures finer and
    // would cut a caption that fits. Elided as shown, then escaped again, so a cut never leaves a
    // lone "&" that would underline the next letter.
    const QString plain = Shown(m_FullText);
    const int room = std::max(0, width() - Chrome());
    const QString shown = EscapeAmpersands(fontMetrics().horizontalAdvance(plain) <= room
                                               ? plain
                                               : fontMetrics().elidedText(plain, Qt::ElideRight, room));
    if (shown != text())
        setText(shown);
}

// -----------------------------------------------------------------------------------------------
// The paint box: copies the picture and hands the mouse and keys to the window.

class TPlotPaintBox final : public QWidget {
public:
    explicit TPlotPaintBox(TfrmPlotWindow& window) : QWidget(&window), m_Window(window) {
        setObjectName("pboxPlot");
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName("Plot");
        setMinimumSize(1, 1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    // The picture's size as designed, or what a smaller workspace has room for: the
    // workspace's cascade gives each window its size hint.
    QSize sizeHint() const override {
        QSize hint(669, 591);
        if (const auto* frame = qobject_cast<const QMdiSubWindow*>(m_Window.parentWidget()))
            if (const QMdiArea* area = frame->mdiArea(); area != nullptr && area->viewport() != nullptr) {
                // Measured from the style and the bar's own hint: the current sizes are not
                // laid out yet when the workspace first asks.
                QStyleOptionTitleBar title;
                title.initFrom(frame);
                const int border =
                    frame->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
                const int titleBar = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, frame);
                const QLayoutItem* bar =
                    m_Window.layout() != nullptr ? m_Window.layout()->itemAt(0) : nullptr;
                const QSize around(2 * border,
                                   titleBar + border + (bar != nullptr ? bar->sizeHint().height() : 0));
                hint = hint.boundedTo((area->viewport()->size() - around).expandedTo(QSize(100, 50)));
            }
        return hint;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QImage& picture = m_Window.m_Picture;
        if (picture.isNull()) {
            painter.fillRect(rect(), ColorToQColor(TC.Back));
            return;
        }
        picture.setDevicePixelRatio(m_Window.PixelRatio());
        painter.drawImage(QPointF(0, 0), picture);
        // Any part the picture does not cover (only while a resize is on its way).
        const QSizeF covered = picture.deviceIndependentSize();
        if (covered.width() < width())
            painter.fillRect(QRectF(covered.width(), 0, width() - covered.width(), height()),
                             ColorToQColor(TC.Back));
        if (covered.height() < height())
            painter.fillRect(QRectF(0, covered.height(), width(), height() - covered.height()),
                             ColorToQColor(TC.Back));
    }
    void resizeEvent(QResizeEvent*) override { m_Window.Repaint(); }
    void mousePressEvent(QMouseEvent* event) override {
        m_Window.pboxPlotMouseDown(event->button(), event->buttons(), event->modifiers(),
                                   static_cast<int>(std::floor(event->position().x())));
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        m_Window.pboxPlotMouseMove(event->buttons(), static_cast<int>(std::floor(event->position().x())));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            m_Window.pboxPlotMouseUp();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            m_Window.pboxPlotDblClick();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        m_Window.ContextMenu()->popup(event->globalPos());
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int step = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
        switch (event->key()) {
        case Qt::Key_Left:
            m_Window.MoveCursorBy(-step);
            return;
        case Qt::Key_Right:
            m_Window.MoveCursorBy(step);
            return;
        case Qt::Key_Space:
            m_Window.pboxPlotDblClick();
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    TfrmPlotWindow& m_Window;
};

// -----------------------------------------------------------------------------------------------
// The window.

TfrmPlotWindow::TfrmPlotWindow(IMainWindow& main, QWidget* parent) : QWidget(parent), m_Main(main) {
    setObjectName("frmPlotWindow");
    setWindowTitle("Plot window");
    setMinimumSize(250, 54);

    RunPrintDialog = [](QPrinter& printer, QWidget* owner) {
        QPrintDialog dialog(&printer, owner);
        dialog.setObjectName("dlgPrint");
        return dialog.exec() == QDialog::Accepted;
    };

    // The readouts, black with silver text.
    const auto makePanel = [this](const char* name, const char* hint) {
        auto* panel = new QLabel(this);
        panel->setObjectName(name);
        panel->setToolTip(hint);
        panel->setAccessibleName(hint);
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, Qt::black);
        palette.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
        panel->setPalette(palette);
        QFont font = panel->font();
        font.setPixelSize(13);
        panel->setFont(font);
        panel->setContentsMargins(4, 0, 4, 0);
        return panel;
    };
    m_ValuePanel = makePanel("pnlDisp2", "Value for cursor");
    m_FrequencyPanel = makePanel("pnlDisp1", "Frequency readout of cursor");
    const QFontMetrics panelMetrics(m_FrequencyPanel->font());
    m_FrequencyPanel->setMinimumWidth(std::max(103, panelMetrics.horizontalAdvance("00000.00 rel Hz") + 12));

    m_ActiveProjectMenu = new QMenu(this);
    m_ActiveProjectMenu->setObjectName("popActiveProject");
    connect(m_ActiveProjectMenu, &QMenu::aboutToShow, this, &TfrmPlotWindow::FillActiveProjectMenu);
    m_ActiveProjectButton = new TElidingButton(this);
    m_ActiveProjectButton->setObjectName("btnActiveProject");
    m_ActiveProjectButton->SetFullText("No open projects");
    m_ActiveProjectButton->setToolTip("Click here to choose different project to follow with mouse");
    m_ActiveProjectButton->setMenu(m_ActiveProjectMenu);

    m_PlotMenu = new THV_PopupMenu(this);
    m_PlotMenu->setObjectName("popPlot");
    m_PlotGroup = new QActionGroup(this);
    m_PlotGroup->setExclusive(true);
    for (const TPlotMenuEntry& entry : PlotMenuEntries()) {
        QAction* action = m_PlotMenu->addAction(entry.Caption);
        if (entry.Tag == 0)
            continue;
        action->setData(entry.Tag);
        action->setCheckable(true);
        action->setChecked(entry.Tag == 1);
        m_PlotGroup->addAction(action);
        const int tag = entry.Tag;
        connect(action, &QAction::triggered, this, [this, tag] { PlotClick(tag); });
    }
    m_PlotButton = new TElidingButton(this);
    m_PlotButton->setObjectName("btnPlot");
    m_PlotButton->setToolTip("Click here to change plot type");
    m_PlotButton->setMenu(m_PlotMenu);

    m_PrintButton = new QPushButton(this);
    m_PrintButton->setObjectName("btnPrint");
    m_PrintButton->setText("Print");
    m_PrintButton->setToolTip("Prints the active plot for active desing to paper.");
    connect(m_PrintButton, &QPushButton::clicked, this, [this] { Print(); });

    m_ContextMenu = new QMenu(this);
    m_ContextMenu->setObjectName("popPlotMenu");
    QAction* options = m_ContextMenu->addAction("Options");
    options->setObjectName("Options1");
    connect(options, &QAction::triggered, this, [this] { m_Main.RunOptions(); });
    QAction* print = m_ContextMenu->addAction("Print");
    print->setObjectName("Print1");
    connect(print, &QAction::triggered, this, [this] { Print(); });

    m_PaintBox = new TPlotPaintBox(*this);
    m_PaintBox->setToolTip(QString());

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    bar->addWidget(m_ActiveProjectButton);
    bar->addWidget(m_PlotButton);
    bar->addWidget(m_PrintButton);
    bar->addStretch(1);
    bar->addWidget(m_ValuePanel);
    bar->addWidget(m_FrequencyPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(m_PaintBox, 1);

    setTabOrder(m_ActiveProjectButton, m_PlotButton);
    setTabOrder(m_PlotButton, m_PrintButton);
    setTabOrder(m_PrintButton, m_PaintBox);

    m_Helper.SetPlotType(1);
    ShowPlotType();
    resize(669, 591 + bar->sizeHint().height());
}

TfrmPlotWindow::~TfrmPlotWindow() {
    if (m_WatchedFrame != nullptr && m_WatchedFrame != this)
        m_WatchedFrame->removeEventFilter(this);
    if (m_WatchedWorkspace)
        m_WatchedWorkspace->removeEventFilter(this);
}

QWidget* TfrmPlotWindow::PaintBox() const {
    return m_PaintBox;
}
QMenu* TfrmPlotWindow::PlotMenu() const {
    return m_PlotMenu;
}
QString TfrmPlotWindow::FrequencyText() const {
    return m_FrequencyPanel->text();
}
QString TfrmPlotWindow::ValueText() const {
    return m_ValuePanel->text();
}

double TfrmPlotWindow::PixelRatio() const {
    const double ratio = m_PaintBox->devicePixelRatioF();
    return ratio > 0 ? ratio : 1;
}

void TfrmPlotWindow::DrawOnPicture(const std::function<void()>& draw) {
    if (m_Picture.isNull())
        return;
    m_Picture.setDevicePixelRatio(1); // the engine counts device pixels
    QPainter painter(&m_Picture);
    QFont font = m_PaintBox->font();
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(QFontInfo(m_PaintBox->font()).pixelSize() * PixelRatio()))));
    painter.setFont(font);
    TQtPlotCanvas canvas(painter);
    m_Helper.SetCanvas(canvas);
    draw();
    m_Helper.ClearCanvas();
    painter.end();
    m_Picture.setDevicePixelRatio(PixelRatio());
}

bool TfrmPlotWindow::SelectProject(int n) {
    if (n < 1 || n > kMaxProjects)
        return false;
    const TProj& slot = m_Main.Proj(n);
    if (!slot.used || slot.window == nullptr)
        return false;
    const TProjectPlotData data = slot.window->PlotData();
    if (data.box == nullptr || data.driver == nullptr || data.source == nullptr)
        return false;
    return m_Helper.SetProject(*data.box, *data.driver, *data.source, data.filters, data.box->BType,
                               data.callback);
}

void TfrmPlotWindow::Render(bool referenceLinesOnTop) {
    const double ratio = PixelRatio();
    const QSize size(
        std::max(kMinimumPictureWidth, static_cast<int>(std::lround(m_PaintBox->width() * ratio))),
        std::max(kMinimumPictureHeight, static_cast<int>(std::lround(m_PaintBox->height() * ratio))));
    if (m_Picture.size() != size)
        m_Picture = QImage(size, QImage::Format_RGB32);

    DrawOnPicture([&] {
        m_Helper.Colors = TPlotColors::FromSettings(TC);
        m_Helper.OuterRect = TPlotRect{0, 0, size.width(), size.height()};

        // The active project's Xmax is the one the excursion plots mark.
        const int active = m_Main.ActiveProject();
        m_Helper.ClearReferenceProject();
        m_ReferenceSlot = -1;
        if (active >= 1 && active <= kMaxProjects && m_Main.Proj(active).used && m_Main.Proj(active).window) {
            const TProjectPlotData data = m_Main.Proj(active).window->PlotData();
            if (data.box != nullptr && data.driver != nullptr) {
                m_Helper.SetReferenceProject(*data.driver, *data.box);
                m_ReferenceSlot = active;
            }
        }

        m_Helper.CalcPlotRect();
        m_Helper.DrawGrid();
        m_Helper.DrawFrame();
        for (int n = 1; n <= kMaxProjects; ++n) {
            const TProj& slot = m_Main.Proj(n);
            if (!slot.used || slot.window == nullptr)
                continue;
            const TProjectPlotData data = slot.window->PlotData();
            if (data.box == nullptr || data.driver == nullptr || data.source == nullptr)
                continue;
            m_Helper.SetPenWidth(std::max(1, static_cast<int>(std::lround(data.width * ratio))));
            m_Helper.SetPenColor(data.color);
            m_Helper.SetProject(*data.box, *data.driver, *data.source, data.filters, data.box->BType,
                                data.callback);
            m_Helper.DrawCurve();
        }
        if (referenceLinesOnTop)
            m_Helper.DrawReferenceLines();
    });
    m_PaintBox->update();
}

void TfrmPlotWindow::Repaint() {
    Render(false);
}

void TfrmPlotWindow::ClearReadouts() {
    m_FrequencyPanel->clear();
    m_ValuePanel->clear();
}

void TfrmPlotWindow::ShowActiveProject(const QString& caption) {
    m_ActiveProjectButton->SetFullText(EscapeAmpersands(caption));
    // The cursor and the Xmax line follow the active project.
    if (m_Main.ActiveProject() != m_ReferenceSlot)
        Repaint();
}

void TfrmPlotWindow::ApplySettings() {
    m_Helper.SetAxisRanges();
    ShowPlotType();
    ClearReadouts();
    Repaint();
}

void TfrmPlotWindow::ShowPlotType() {
    QString caption;
    for (const TPlotMenuEntry& entry : PlotMenuEntries())
        if (entry.Tag == m_Helper.PlotType())
            caption = entry.Caption;
    m_PlotButton->SetFullText(caption);
    setWindowTitle(PlotCaption(caption, m_Helper.UnitText()));
    // Room for a readout in this type's unit only, so a narrow window keeps its space for the
    // drop-down captions.
    const QString widest = "-0000.000 rel " + QString::fromStdString(m_Helper.UnitText());
    m_ValuePanel->setMinimumWidth(QFontMetrics(m_ValuePanel->font()).horizontalAdvance(widest) + 12);
}

void TfrmPlotWindow::PlotClick(int plotType) {
    if (PlotTypeInfo(plotType) == nullptr)
        return;
    m_Helper.SetPlotType(plotType);
    for (QAction* action : m_PlotGroup->actions())
        action->setChecked(action->data().toInt() == plotType);
    ShowPlotType();
    // The readouts of the former type would name the wrong quantity.
    ClearReadouts();
    Render(true);
}

void TfrmPlotWindow::MoveCursorTo(int column) {
    const int active = m_Main.ActiveProject();
    if (!SelectProject(active))
        return;
    double frequency = 0;
    double value = 0;
    std::string unit;
    DrawOnPicture([&] { m_Helper.DrawCursor(frequency, value, column, unit); });
    m_PaintBox->update();
    m_CursorColumn = m_Helper.CursorColumn();
    if (ISignalGenerator* generator = m_Main.SignalGenerator()) {
        // The generator plays a frequency, never a difference: relative mode reads relative only.
        generator->SetFrequencyFromCursor(m_Helper.XToFrequency(m_Helper.CursorColumn()));
    }
    m_FrequencyPanel->setText(FrequencyReadout(frequency, m_Helper.Relative()));
    m_ValuePanel->setText(ValueReadout(value, unit, m_Helper.Relative()));
}

void TfrmPlotWindow::pboxPlotMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                                       Qt::KeyboardModifiers modifiers, int x) {
    if (x < 0 || x > m_PaintBox->width() || m_Main.ActiveProject() <= 0)
        return;
    // Only a plain left press: with Shift, Ctrl or Alt held, or another button down, no cursor.
    if (button != Qt::LeftButton || buttons != Qt::LeftButton ||
        (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
        return;
    MoveCursorTo(static_cast<int>(std::lround(x * PixelRatio())));
}

void TfrmPlotWindow::pboxPlotMouseMove(Qt::MouseButtons buttons, int x) {
    if (m_Main.ActiveProject() <= 0 || !(buttons & Qt::LeftButton))
        return;
    x = std::clamp(x, 0, std::max(0, m_PaintBox->width() - 1));
    MoveCursorTo(static_cast<int>(std::lround(x * PixelRatio())));
}

void TfrmPlotWindow::pboxPlotMouseUp() {
    if (m_Main.ActiveProject() > 0)
        BringActiveProjectToFront();
}

void TfrmPlotWindow::pboxPlotDblClick() {
    if (!SelectProject(m_Main.ActiveProject()))
        return;
    m_Helper.ToggleRelative();
    // The readouts say at once which mode they are in.
    if (m_Helper.CursorShown())
        MoveCursorTo(m_Helper.CursorColumn());
}

void TfrmPlotWindow::MoveCursorBy(int columns) {
    if (m_Main.ActiveProject() <= 0)
        return;
    const TPlotRect& plot = m_Helper.PlotRect();
    int column = m_Helper.CursorShown() ? m_Helper.CursorColumn() + columns : (plot.Left + plot.Right) / 2;
    column = std::clamp(column, plot.Left, std::max(plot.Left, plot.Right - 1));
    MoveCursorTo(column);
}

void TfrmPlotWindow::BringActiveProjectToFront() {
    const TProj& slot = m_Main.Proj(m_Main.ActiveProject());
    if (!slot.used || slot.window == nullptr)
        return;
    QWidget* window = slot.window->Widget();
    if (window == nullptr)
        return;
    for (QWidget* w = window; w != nullptr; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub != nullptr && sub->mdiArea() != nullptr) {
            // The followed project comes forward, but stays behind the plot window the user works
            // in, whose readouts the cursor fills.
            sub->raise();
            if (QWidget* own = Frame(); own != nullptr && own != this)
                own->raise();
            return;
        }
    }
    window->raise();
    window->activateWindow();
}

void TfrmPlotWindow::FillActiveProjectMenu() {
    m_ActiveProjectMenu->clear();
    qDeleteAll(m_ActiveProjectMenu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    // One project is followed at a time: the items are radio choices.
    auto* choices = new QActionGroup(m_ActiveProjectMenu);
    choices->setExclusive(true);
    const int active = m_Main.ActiveProject();
    for (int n = 1; n <= kMaxProjects; ++n) {
        const TProj& slot = m_Main.Proj(n);
        if (!slot.used)
            continue;
        QAction* action = m_ActiveProjectMenu->addAction(EscapeAmpersands(slot.caption));
        action->setCheckable(true);
        action->setChecked(n == active);
        choices->addAction(action);
        connect(action, &QAction::triggered, this, [this, n] { m_Main.SetActiveProject(n); });
    }
    if (m_ActiveProjectMenu->isEmpty())
        m_ActiveProjectMenu->addAction("No open projects")->setEnabled(false);
}

// -----------------------------------------------------------------------------------------------
// Printing.

QString TfrmPlotWindow::PrintTitle() const {
    QString project;
    const int active = m_Main.ActiveProject();
    if (active >= 1 && active <= kMaxProjects) {
        const TProj& slot = m_Main.Proj(active);
        if (slot.window != nullptr && slot.window->Widget() != nullptr)
            project = slot.window->Widget()->windowTitle();
        if (project.isEmpty())
            project = slot.caption;
    }
    return m_PlotButton->FullText() + " [" + QString::fromStdString(m_Helper.UnitText()) + "] - " + project;
}

bool TfrmPlotWindow::PaintPrintPage(QPainter& painter, const QSize& pagePixels, double dotsPerInch) {
    const int active = m_Main.ActiveProject();
    if (active < 1 || active > kMaxProjects || !m_Main.Proj(active).used ||
        m_Main.Proj(active).window == nullptr || !(dotsPerInch > 0))
        return false;
    const TProjectPlotData data = m_Main.Proj(active).window->PlotData();
    if (data.box == nullptr || data.driver == nullptr || data.source == nullptr)
        return false;
    const double scale = dotsPerInch / kPrintUnitsPerInch;
    painter.save();
    painter.scale(scale, scale);
    const int width = static_cast<int>(pagePixels.width() / scale);
    const int height = static_cast<int>(pagePixels.height() / scale);

    QFont labels = font();
    labels.setPixelSize(13);
    painter.setFont(labels);
    {
        TQtPlotCanvas canvas(painter);
        TPlotHelper helper(canvas);
        TPlotColors colors;
        colors.ZeroLine = colors.Minus3dBLine = colors.Grid = colors.XmaxLine = colors.Label = 0x000000;
        colors.Background = 0xFFFFFF;
        helper.Colors = colors;
        helper.SetPenWidth(3);
        helper.SetPenColor(0x000000);
        // The plot starts below the title's 20 points; the page's last 20 units stay free.
        helper.OuterRect = TPlotRect{0, static_cast<int>(std::ceil(20 * kPrintUnitsPerInch / kPointsPerInch)),
                                     width, height - 20};
        helper.SetPlotType(m_Helper.PlotType());
        helper.SetReferenceProject(*data.driver, *data.box);
        helper.SetProject(*data.box, *data.driver, *data.source, data.filters, data.box->BType,
                          data.callback);
        helper.CalcPlotRect();
        helper.DrawGrid();
        helper.DrawFrame();
        helper.DrawCurve();
    }
    QFont heading = font();
    heading.setPixelSize(static_cast<int>(std::lround(12 * kPrintUnitsPerInch / kPointsPerInch)));
    painter.setFont(heading);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     PrintTitle());
    painter.restore();
    return true;
}

bool TfrmPlotWindow::Print() {
    const int active = m_Main.ActiveProject();
    if (active < 1 || active > kMaxProjects || !m_Main.Proj(active).used ||
        m_Main.Proj(active).window == nullptr)
        return false;
    const TProjectPlotData data = m_Main.Proj(active).window->PlotData();
    if (data.box == nullptr || data.driver == nullptr || data.source == nullptr)
        return false;

    QPrinter printer(QPrinter::HighResolution);
    const QString title = PrintTitle();
    printer.setDocName(title);
    if (!RunPrintDialog || !RunPrintDialog(printer, this))
        return false;

    const auto fail = [](const QString& why) {
        platform::MessageRequest request;
        request.kind = platform::MessageKind::Error;
        request.text = ("The plot could not be printed: " + why).toStdString();
        platform::AppDialogs().Message(request);
        return false;
    };
    QPainter painter;
    if (!painter.begin(&printer))
        return fail("the printer could not be opened.");

    PaintPrintPage(painter, printer.pageLayout().paintRectPixels(printer.resolution()).size(),
                   printer.resolution());
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail("the print job failed.");
    return true;
}

// -----------------------------------------------------------------------------------------------
// Place on the desktop.

QWidget* TfrmPlotWindow::Frame() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void TfrmPlotWindow::WatchWorkspace() {
    const auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    QWidget* workspace =
        frame != nullptr && frame->mdiArea() != nullptr ? frame->mdiArea()->viewport() : nullptr;
    if (workspace == m_WatchedWorkspace)
        return;
    if (m_WatchedWorkspace)
        m_WatchedWorkspace->removeEventFilter(this);
    m_WatchedWorkspace = workspace;
    if (workspace != nullptr)
        workspace->installEventFilter(this);
    m_PaintBox->updateGeometry();
}

void TfrmPlotWindow::ApplySavedGeometry() {
    if (DesktopLayout.valid)
        Frame()->setGeometry(DesktopLayout.PlotLeft, DesktopLayout.PlotTop, DesktopLayout.PlotWidth,
                             DesktopLayout.PlotHeight);
}

bool TfrmPlotWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange: {
        if (m_WatchedFrame != nullptr && m_WatchedFrame != this)
            m_WatchedFrame->removeEventFilter(this);
        m_WatchedFrame = Frame();
        if (m_WatchedFrame != this) {
            m_WatchedFrame->installEventFilter(this);
            // Title bar with the system menu and minimise only.
            const Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint;
            if (m_WatchedFrame->windowFlags() != flags)
                m_WatchedFrame->setWindowFlags(flags);
        }
        WatchWorkspace();
        break;
    }
    case QEvent::Show:
        if (m_FirstShow) {
            m_FirstShow = false;
            ApplySavedGeometry();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (Frame() == this && isWindow())
            eventFilter(this, event);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool TfrmPlotWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_WatchedWorkspace && event->type() == QEvent::Resize)
        m_PaintBox->updateGeometry();
    if (watched == Frame() && watched != this && event->type() == QEvent::ParentChange)
        WatchWorkspace();
    if (watched == Frame() && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        !m_Snapping) {
        QWidget* frame = Frame();
        if (!frame->isMinimized()) {
            const QRect snapped =
                SnapToGrid(frame->geometry(), TC.GridON, TC.GridX, TC.GridY, frame->isMaximized(),
                           frame != this && frame->parentWidget() != nullptr ? frame->parentWidget()->rect()
                                                                            : QRect());
            if (snapped != frame->geometry()) {
                m_Snapping = true;
                frame->setGeometry(snapped);
                m_Snapping = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmPlotWindow::closeEvent(QCloseEvent* event) {
    // The one plot window lives as long as the program: closing it only minimises it.
    event->ignore();
    Frame()->showMinimized();
}
