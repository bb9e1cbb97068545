#pragma once
// A tiny stay-on-top window that edits one number in place, by typing or by dragging the mouse
// up and down over its handle, and reports every change. The project windows open one for a
// box loss factor from their advanced-Q menus.
//
// The editor is a child window of its owner (the project window): it closes and is freed with
// it, so the edited number, which the owner holds, always outlives the editor. An editor also
// frees itself once it is closed; keep it in a QPointer.

#include <QWidget>

#include <functional>

class QFrame;
class QLineEdit;

class TfrmEditor : public QWidget {
    Q_OBJECT
public:
    using TChangeHandler = std::function<void()>;

    // Opens an editor on *value (never below `minimum`) with the given caption; `onChange`
    // (may be empty) runs after every stored change whose value is above 0.
    static TfrmEditor* CreateFor(QWidget* owner, double* value, TChangeHandler onChange, double minimum,
                                 const QString& caption);

    // Each pixel the mouse moves up adds this much, each pixel down takes it away; so does
    // each press of the Up and Down keys.
    static constexpr double kStepPerPixel = 0.1;

    // Typing is judged here: on Enter and when the window loses the focus. A text that is not a
    // number restores the shown value; one below the minimum stores the minimum.
    void CommitText();
    // Moves the value by a number of pixels (positive: up) as dragging does.
    void StepBy(int pixelsUp);

    // Where an editor of this frame size opens: its top-left corner at the mouse, moved just
    // enough to lie wholly inside the screen's available area.
    static QPoint PlaceAt(const QPoint& cursor, const QSize& frame, const QRect& available);

    QLineEdit* ValueField() const { return edValue; }
    QFrame* DragHandle() const { return Shape1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TfrmEditor(QWidget* owner, double* value, TChangeHandler onChange, double minimum,
               const QString& caption);

    void DoChange();
    void Store(double value);
    void ShowValue();
    void CloseEditor();

    QLineEdit* edValue = nullptr;
    QFrame* Shape1 = nullptr;
    int m_LastX = 0;
    int m_LastY = 0;
    TChangeHandler m_OnChange;
    double m_Minimum = 0;
    double* m_Value = nullptr;
    bool m_Closing = false;
};
