#pragma once
// The program's single plot window: the curves of every open project together in one plot type,
// a crosshair cursor that reads the active project's curve and hands its frequency to the signal
// generator, and printing of the active project's plot.
//
// The picture is rendered into an image whenever it is asked for (Repaint), outside any paint
// event: the paint box only copies the image. So a repaint is done when Repaint returns, the
// derived values the models report reach the project windows even while this window is hidden
// or minimised, and nothing in painting can open a message.

#include "shell/AppLinks.h"
#include "workspace/plothelper.h"

#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPainter;
class QPrinter;
class THV_PopupMenu;
class TPlotPaintBox;

// One line of the plot-type menu: a group band ("*System overall", tag 0) or a plot type.
struct TPlotMenuEntry {
    QString Caption;
    int Tag = 0;
};
// The plot-type menu in its order: six groups, the twenty types.
const std::vector<TPlotMenuEntry>& PlotMenuEntries();

// The window's caption for a plot type: its menu caption with the unit of its axis,
// "Transfer function magnitude [dB]".
QString PlotCaption(const QString& typeCaption, const std::string& unitText);

// The two readouts: "10.00 Hz" and "-3.012 dB", with "rel" before the unit in relative mode;
// a value below 1 gets the decimals for four significant digits ("0.001235 peak m"). The
// decimal separator is the user's.
QString FrequencyReadout(double frequency, bool relative);
QString ValueReadout(double value, const std::string& unitText, bool relative);

// A proposed window place rounded to the grid: left and width to multiples of gridX, top and
// height to multiples of gridY (ties to even). Unchanged when the grid is off, the window is
// maximised or a grid step is not positive; a size never rounds below one grid step. A place
// that lies within `workspace` (when given) is rounded down where rounding to the nearest would
// carry it past the workspace's edge.
QRect SnapToGrid(const QRect& proposed, bool gridOn, int gridX, int gridY, bool maximised,
                 const QRect& workspace = QRect());

// A drop-down button that shortens its caption with "..." when the bar has no room for all of
// it; the whole caption stays its hint and its accessible name.
class TElidingButton : public QPushButton {
    Q_OBJECT
public:
    explicit TElidingButton(QWidget* parent = nullptr);
    void SetFullText(const QString& text);
    const QString& FullText() const { return m_FullText; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    // Width of the button beyond its text: frame, margins and the menu arrow.
    int Chrome() const;
    QString m_FullText;
};

class TfrmPlotWindow : public QWidget, public IPlotWindow {
    Q_OBJECT
public:
    explicit TfrmPlotWindow(IMainWindow& main, QWidget* parent = nullptr);
    ~TfrmPlotWindow() override;

    // IPlotWindow
    QWidget* Widget() override { return this; }
    void Repaint() override;
    void ClearReadouts() override;
    void ShowActiveProject(const QString& caption) override;
    void ApplySettings() override;

    // The plot-type menu's choice (a tag 1..20 of that menu).
    void PlotClick(int plotType);
    int PlotType() const { return m_Helper.PlotType(); }
    // Binds the plot engine to project slot n (1..10); false when the slot holds no project.
    bool SelectProject(int n);

    // Prints the active project's plot alone after the print dialog was confirmed. False when
    // nothing was printed; a failed print job is reported to the user.
    bool Print();
    // The title printed above the plot.
    QString PrintTitle() const;
    // Draws the printed page of the active project on a painter whose device has the given
    // size and resolution; false when there is no active project.
    bool PaintPrintPage(QPainter& painter, const QSize& pagePixels, double dotsPerInch);
    // Runs the print dialog on the printer; true when confirmed. Tests replace it.
    std::function<bool(QPrinter& printer, QWidget* parent)> RunPrintDialog;

    // The rendered picture in device pixels, the engine that drew it and the readouts.
    const QImage& Picture() const { return m_Picture; }
    const TPlotHelper& Helper() const { return m_Helper; }
    QString FrequencyText() const;
    QString ValueText() const;
    QWidget* PaintBox() const;
    QMenu* PlotMenu() const;
    QMenu* ContextMenu() const { return m_ContextMenu; }
    TElidingButton* ActiveProjectButton() const { return m_ActiveProjectButton; }
    TElidingButton* PlotButton() const { return m_PlotButton; }

    // Device pixels per pixel of the paint box (1.5 at 150 %).
    double PixelRatio() const;

    // Handlers of the paint box, in its pixels.
    void pboxPlotMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                           int x);
    void pboxPlotMouseMove(Qt::MouseButtons buttons, int x);
    void pboxPlotMouseUp();
    void pboxPlotDblClick();
    // The cursor from the keyboard: moved by columns of the picture.
    void MoveCursorBy(int columns);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TPlotPaintBox;

    // Renders the picture; with referenceLinesOnTop the reference lines are drawn once more
    // over the curves.
    void Render(bool referenceLinesOnTop);
    void MoveCursorTo(int column);
    void FillActiveProjectMenu();
    void ShowPlotType();
    void BringActiveProjectToFront();
    void ApplySavedGeometry();
    QWidget* Frame();
    // Follows the workspace the frame stands in, so the window's size hint keeps within it.
    void WatchWorkspace();
    // A painter on the picture with the engine's canvas on it for the length of `draw`.
    void DrawOnPicture(const std::function<void()>& draw);

    IMainWindow& m_Main;
    TPlotHelper m_Helper;
    QImage m_Picture;
    int m_ReferenceSlot = -1;
    int m_CursorColumn = -1;
    bool m_FirstShow = true;
    bool m_Snapping = false;
    QWidget* m_WatchedFrame = nullptr;
    QPointer<QWidget> m_WatchedWorkspace;

    TPlotPaintBox* m_PaintBox = nullptr;
    QLabel* m_FrequencyPanel = nullptr;
    QLabel* m_ValuePanel = nullptr;
    TElidingButton* m_ActiveProjectButton = nullptr;
    TElidingButton* m_PlotButton = nullptr;
    QPushButton* m_PrintButton = nullptr;
    QMenu* m_ActiveProjectMenu = nullptr;
    THV_PopupMenu* m_PlotMenu = nullptr;
    QActionGroup* m_PlotGroup = nullptr;
    QMenu* m_ContextMenu = nullptr;
};
