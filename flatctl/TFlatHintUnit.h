#pragma once
// Flat hint bubbles for the whole application: a borderless window with a coloured strip and
// a small arrow pointing at the mouse cursor, placed in the screen quarter away from it.
//
// The one TFlatHint the main window creates takes over the application's tool tips. Every
// hint is first handed to the show-hint handler the main window sets, which may change its
// text or refuse it; until a handler is set no bubble shows at all (hints belong to the help
// mode).

#include "flatctl/FlatUtilitys.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class TFlatHint;

// What the show-hint handler learns about the hint besides its text.
struct THintInfo {
    QWidget* HintControl = nullptr;
    QPoint CursorPos; // global
    QRect CursorRect; // the control's rectangle, global
    int HintMaxWidth = 0;
};

using TShowHintHandler = std::function<void(QString& hintText, bool& canShow, THintInfo& hintInfo)>;

// Where a bubble goes. Quadrant: 0 cursor in the upper right quarter of the screen, 1 upper
// left, 2 lower right, 3 lower left; the bubble lies on the side away from the cursor.
struct TFlatHintPlacement {
    int Quadrant = 0;
    QRect Rect;
};
int FlatHintQuadrant(const QPoint& cursor, const QRect& screen);
TFlatHintPlacement PlaceFlatHint(const QPoint& cursor, const QRect& screen, const QSize& bubble);
// The bubble's size for a text wrapped within MaxHintWidth.
QSize FlatHintSize(const QFont& font, const QString& text, int maxHintWidth);

class TFlatHintWindow : public QWidget {
    Q_OBJECT
public:
    explicit TFlatHintWindow(TFlatHint* owner);

    void ActivateHint(const QPoint& cursor, const QRect& screen, const QString& text);
    int Quadrant() const { return m_Quadrant; }
    QString Text() const { return m_Text; }
    // The strip and the arrow's anchor for the current size and quadrant (right and bottom
    // excluded).
    QRect StripRect() const;
    QRect TextRect() const;
    QPoint ArrowAnchor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<TFlatHint> m_Owner;
    int m_Quadrant = 0;
    QString m_Text;
};

class TFlatHint : public QObject {
    Q_OBJECT
    Q_PROPERTY(int ColorBackground READ ColorBackground WRITE SetColorBackground)
    Q_PROPERTY(int ColorBorder READ ColorBorder WRITE SetColorBorder)
    Q_PROPERTY(int ColorArrowBackground READ ColorArrowBackground WRITE SetColorArrowBackground)
    Q_PROPERTY(int ColorArrow READ ColorArrow WRITE SetColorArrow)
    Q_PROPERTY(int MaxHintWidth READ MaxHintWidth WRITE SetMaxHintWidth)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(int HintHidePause READ HintHidePause WRITE SetHintHidePause)
    Q_PROPERTY(int HintPause READ HintPause WRITE SetHintPause)
public:
    // Takes over the application's tool tips; a later TFlatHint takes over from this one.
    explicit TFlatHint(QObject* parent = nullptr);
    ~TFlatHint() override;

    // The instance that shows the application's hints now, if any.
    static TFlatHint* Installed();

    void SetShowHintHandler(TShowHintHandler handler) { m_ShowHint = std::move(handler); }

    TColor ColorBackground() const { return m_Colors[0]; }
    TColor ColorBorder() const { return m_Colors[1]; }
    TColor ColorArrowBackground() const { return m_Colors[2]; }
    TColor ColorArrow() const { return m_Colors[3]; }
    // By index: 0 ColorBackground, 1 ColorBorder, 2 ColorArrowBackground, 3 ColorArrow.
    void SetColors(int index, TColor value);
    void SetColorBackground(TColor value) { SetColors(0, value); }
    void SetColorBorder(TColor value) { SetColors(1, value); }
    void SetColorArrowBackground(TColor value) { SetColors(2, value); }
    void SetColorArrow(TColor value) { SetColors(3, value); }
    int MaxHintWidth() const { return m_MaxHintWidth; }
    void SetMaxHintWidth(int value) { m_MaxHintWidth = value; }
    QFont Font() const { return m_Font; }
    void SetFont(const QFont& font) { m_Font = font; }
    // How long a bubble stays, in milliseconds.
    int HintHidePause() const { return m_HidePause; }
    void SetHintHidePause(int milliseconds) { m_HidePause = milliseconds; }
    // How long the mouse rests on a control before its bubble shows, in milliseconds.
    int HintPause() const { return m_Pause; }
    void SetHintPause(int milliseconds) { m_Pause = milliseconds; }

    // Asks the handler and shows the bubble for `control` with the cursor at `cursor`
    // (global); answers whether a bubble shows. The application's tool-tip events come here.
    bool ShowHint(QWidget* control, const QPoint& cursor);
    void HideHint();
    // The bubble, once one was shown.
    TFlatHintWindow* HintWindow() const { return m_Window; }
    // A control the mouse entered waits for the pause to end before its bubble shows.
    bool HintPending() const { return m_PauseTimer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TShowHintHandler m_ShowHint;
    TColor m_Colors[4] = {clWhite, clBlack, 0x53D2FF, clBlack};
    int m_MaxHintWidth = 200;
    QFont m_Font;
    int m_HidePause = 5000;
    int m_Pause = 500;
    QPointer<TFlatHintWindow> m_Window;
    QPointer<QWidget> m_Control;
    // The control the mouse entered last, waiting for the pause to end.
    QPointer<QWidget> m_Pending;
    QTimer m_HideTimer;
    QTimer m_PauseTimer;
};
