#pragma once
// The signal generator window: output mode, frequency or frequency range, attenuation, Start and
// STOP. In the fixed-tone mode the frequency can follow the plot window's cursor or a joystick.
// The window owns the sound engine while it is open.

#include "platform/Joystick.h"
#include "shell/AppLinks.h"
#include "siggen/WaveDevice.h"

#include <QWidget>

class QAbstractButton;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

// The up-down arrows bound to a frequency edit: each click moves the edit's value by the step,
// inside the range. The arrows take no focus; the edit is typed into.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* buddy, int minimum, int maximum, int increment, int position,
            QWidget* parent = nullptr);
    int Position() const { return position_; }
    // Up (+1) or down (-1) one step from the edit's value (the last position when the edit does
    // not hold a number).
    void Step(int direction);

signals:
    // A click wrote a new value into the edit.
    void Changed();

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int increment_;
    int position_;
};

class TfrmSGenerator : public QWidget, public ISignalGenerator {
    Q_OBJECT
public:
    explicit TfrmSGenerator(QWidget* parent = nullptr);
    ~TfrmSGenerator() override;

    // ISignalGenerator
    QWidget* Widget() override { return this; }
    void SetFrequencyFromCursor(double frequency) override;

    TWaveDevice& Engine() { return engine_; }
    // The joystick the joystick mode reads (not owned); the program's own by default.
    void SetJoystick(platform::Joystick* joystick) { joystick_ = joystick; }

    // Handlers, named as the system names them.
    void cbModeChange();
    void edF1Change();
    void edF2Change();
    void tbAttChange();
    void btnStartClick();
    void chkJoyModeClick();
    void timerJoyModeTimer();
    void PlayingLayout();
    void IdleLayout();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Rejects a text that is no number: says so and shows the last value again.
    bool CommitFrequency(QLineEdit* edit, double lastValue, double& value);

    TWaveDevice engine_;
    platform::Joystick* joystick_;
    QComboBox* cbMode_;
    QLineEdit* edF1_;
    TUpDown* upDown1_;
    QLineEdit* edF2_;
    TUpDown* upDown2_;
    QFrame* panel4_;
    QSlider* tbAtt_;
    QLineEdit* edAtt_;
    QPushButton* btnStart_;
    QPushButton* btnExit_;
    QAbstractButton* chkJoyMode_;
    QAbstractButton* cbGetFromCursor_;
    QTimer* timerJoyMode_;
    QWidget* frame_ = nullptr;
    bool snapping_ = false;
};
