#include "siggen/SGener.h"

#include "platform/MdiFrame.h"

#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "help/HelpContexts.h"
#include "platform/Dialogs.h"
#include "shell/Settings.h"
#include "siggen/SignalControls.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

void ShowMessage(platform::MessageKind kind, const QString& text, QWidget* parent) {
    platform::MessageRequest request;
    request.kind = kind;
    request.text = text.toStdString();
    request.parent = parent;
    platform::AppDialogs().Message(request);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TUpDown::TUpDown(QLineEdit* buddy, int minimum, int maximum, int increment, int position, QWidget* parent)
    : QWidget(parent), buddy_(buddy), up_(new QToolButton(this)), down_(new QToolButton(this)),
      minimum_(minimum), maximum_(maximum), increment_(increment), position_(position) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Half the edit's height each, so the pair stands beside the edit as one control.
    const int half = std::max(8, buddy->sizeHint().height() / 2);
    for (QToolButton* button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setFixedSize(half * 3 / 2, half);
        layout->addWidget(button);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    // Two pairs on the window: each says whose value it steps.
    QString owner = buddy->accessibleName();
    if (owner.endsWith(QLatin1Char(':')))
        owner.chop(1);
    up_->setAccessibleName(owner + QStringLiteral(" up"));
    down_->setAccessibleName(owner + QStringLiteral(" down"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::Step(int direction) {
    int current = position_;
    if (const auto typed = ReadFrequencyText(buddy_->text().toStdString()))
        current = static_cast<int>(std::nearbyint(std::clamp(*typed, double(minimum_), double(maximum_))));
    position_ = std::clamp(current + direction * increment_, minimum_, maximum_);
    buddy_->setText(QString::number(position_));
    emit Changed();
}

// ---------------------------------------------------------------------------------------------

TfrmSGenerator::TfrmSGenerator(QWidget* parent) : QWidget(parent), joystick_(&platform::AppJoystick()) {
    setObjectName(QStringLiteral("frmSGenerator"));
    setWindowTitle(QStringLiteral("Signal generator"));
    setProperty("helpContext", HelpContext::SignalGenerator);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* mode = new TFlatComboBox(this);
    mode->SetStyle(TFlatComboBox::csDropDownList);
    cbMode_ = mode;
    cbMode_->setObjectName(QStringLiteral("cbMode"));
    cbMode_->addItems({QStringLiteral("Normal"), QStringLiteral("Slow sweep"), QStringLiteral("Fast sweep"),
                       QStringLiteral("White noise")});
    auto* lblMode = new QLabel(QStringLiteral("Output mode:"), this);
    lblMode->setBuddy(cbMode_);
    cbMode_->setAccessibleName(lblMode->text());

    edF1_ = new TFlatEdit(QStringLiteral("100"), this);
    edF1_->setObjectName(QStringLiteral("edF1"));
    edF2_ = new TFlatEdit(QStringLiteral("10000"), this);
    edF2_->setObjectName(QStringLiteral("edF2"));
    for (QLineEdit* edit : {edF1_, edF2_}) {
        edit->setAlignment(Qt::AlignRight);
        edit->setMaxLength(12);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000.0")) + 12);
        edit->installEventFilter(this);
    }
    auto* lblF1 = new QLabel(QStringLiteral("Frequency:"), this);
    lblF1->setBuddy(edF1_);
    auto* lblF2 = new QLabel(QStringLiteral("to"), this);
    lblF2->setBuddy(edF2_);
    edF1_->setAccessibleName(lblF1->text());
    edF2_->setAccessibleName(QStringLiteral("Frequency to"));
    upDown1_ = new TUpDown(edF1_, 10, 20000, 100, 100, this);
    upDown1_->setObjectName(QStringLiteral("UpDown1"));
    upDown2_ = new TUpDown(edF2_, 10, 20000, 100, 10000, this);
    upDown2_->setObjectName(QStringLiteral("UpDown2"));
    auto* lblHz = new QLabel(QStringLiteral("Hz"), this);

    cbGetFromCursor_ = new TFlatCheckBox(QStringLiteral("Get frequency from cursor"), this);
    cbGetFromCursor_->setObjectName(QStringLiteral("cbGetFromCursor"));
    cbGetFromCursor_->setToolTip(
        QStringLiteral("Check this to get signal generator frequency from plot window cursor."));
    chkJoyMode_ = new TFlatCheckBox(QStringLiteral("Joystick mode"), this);
    chkJoyMode_->setObjectName(QStringLiteral("chkJoyMode"));

    panel4_ = new QFrame(this);
    panel4_->setObjectName(QStringLiteral("Panel4"));
    panel4_->setFrameShape(QFrame::StyledPanel);
    auto* lblAtt = new QLabel(QStringLiteral("Attenuation:"), panel4_);
    tbAtt_ = new QSlider(Qt::Vertical, panel4_);
    tbAtt_->setObjectName(QStringLiteral("tbAtt"));
    tbAtt_->setRange(0, 45);
    tbAtt_->setPageStep(3);
    tbAtt_->setSingleStep(1);
    tbAtt_->setTickInterval(3);
    tbAtt_->setTickPosition(QSlider::TicksBothSides);
    // 0 dB, the loudest, at the top.
    tbAtt_->setInvertedAppearance(true);
    tbAtt_->setInvertedControls(true);
    tbAtt_->setMinimumHeight(120);
    tbAtt_->setAccessibleName(lblAtt->text());
    lblAtt->setBuddy(tbAtt_);
    edAtt_ = new TFlatEdit(panel4_);
    edAtt_->setObjectName(QStringLiteral("edAtt"));
    edAtt_->setReadOnly(true);
    edAtt_->setFocusPolicy(Qt::NoFocus);
    edAtt_->setAlignment(Qt::AlignRight);
    edAtt_->setFixedWidth(edAtt_->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    edAtt_->setAccessibleName(QStringLiteral("Attenuation in dB"));
    auto* lblDb = new QLabel(QStringLiteral("dB"), panel4_);
    auto* panelLayout = new QVBoxLayout(panel4_);
    panelLayout->addWidget(lblAtt, 0, Qt::AlignHCenter);
    panelLayout->addWidget(tbAtt_, 1, Qt::AlignHCenter);
    auto* attRow = new QHBoxLayout;
    attRow->addWidget(edAtt_);
    attRow->addWidget(lblDb);
    panelLayout->addLayout(attRow);

    btnStart_ = new QPushButton(QStringLiteral("Start"), this);
    btnStart_->setObjectName(QStringLiteral("btnStart"));
    btnStart_->setMinimumWidth(btnStart_->fontMetrics().horizontalAdvance(QStringLiteral("STOP")) + 48);
    btnExit_ = new QPushButton(QStringLiteral("Close"), this);
    btnExit_->setObjectName(QStringLiteral("btnExit"));
    for (QPushButton* button : {btnStart_, btnExit_})
        button->setAutoDefault(false);

    auto* controls = new QGridLayout;
    controls->addWidget(lblMode, 0, 0);
    controls->addWidget(cbMode_, 0, 1, 1, 6);
    controls->addWidget(lblF1, 1, 0);
    controls->addWidget(edF1_, 1, 1);
    controls->addWidget(upDown1_, 1, 2);
    controls->addWidget(lblF2, 1, 3);
    controls->addWidget(edF2_, 1, 4);
    controls->addWidget(upDown2_, 1, 5);
    controls->addWidget(lblHz, 1, 6);
    controls->addWidget(cbGetFromCursor_, 2, 0, 1, 7);
    controls->addWidget(chkJoyMode_, 3, 0, 1, 7);
    controls->setRowStretch(4, 1);
    controls->setHorizontalSpacing(4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnStart_);
    buttons->addWidget(btnExit_);
    controls->addLayout(buttons, 5, 0, 1, 7);

    auto* top = new QHBoxLayout(this);
    top->addLayout(controls, 1);
    top->addWidget(panel4_);
    // A single-line border: the window keeps the size its contents need.
    top->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cbMode_, edF1_);
    setTabOrder(edF1_, edF2_);
    setTabOrder(edF2_, cbGetFromCursor_);
    setTabOrder(cbGetFromCursor_, chkJoyMode_);
    setTabOrder(chkJoyMode_, tbAtt_);
    setTabOrder(tbAtt_, btnStart_);
    setTabOrder(btnStart_, btnExit_);

    timerJoyMode_ = new QTimer(this);
    timerJoyMode_->setObjectName(QStringLiteral("timerJoyMode"));
    timerJoyMode_->setInterval(100);

    connect(cbMode_, &QComboBox::activated, this, [this] { cbModeChange(); });
    connect(edF1_, &QLineEdit::returnPressed, this, [this] { edF1Change(); });
    connect(edF2_, &QLineEdit::returnPressed, this, [this] { edF2Change(); });
    connect(upDown1_, &TUpDown::Changed, this, [this] { edF1Change(); });
    connect(upDown2_, &TUpDown::Changed, this, [this] { edF2Change(); });
    connect(tbAtt_, &QSlider::valueChanged, this, [this] { tbAttChange(); });
    connect(btnStart_, &QPushButton::clicked, this, [this] { btnStartClick(); });
    connect(btnExit_, &QPushButton::clicked, this, [this] { close(); });
    connect(chkJoyMode_, &QAbstractButton::toggled, this, [this] { chkJoyModeClick(); });
    connect(timerJoyMode_, &QTimer::timeout, this, [this] { timerJoyModeTimer(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { close(); });

    FormCreate();
}

TfrmSGenerator::~TfrmSGenerator() {
    // The device stops before the buffers go; the hooks are let go only then, since the device
    // thread reads them until it ends. The controls they switch still exist here.
    engine_.FreeWaveBuffers();
    engine_.SetHooks({});
}

void TfrmSGenerator::FormCreate() {
    TWaveDevice::THooks hooks;
    hooks.onStart = [this] { PlayingLayout(); };
    hooks.onStop = [this] { IdleLayout(); };
    hooks.postStopMessage = [this](std::uint64_t session) {
        QMetaObject::invokeMethod(
            this, [this, session] { engine_.HandleStopMessage(session); }, Qt::QueuedConnection);
    };
    hooks.report = [this](platform::MessageKind kind, const std::string& text) {
        ShowMessage(kind, QString::fromStdString(text), this);
    };
    engine_.SetHooks(std::move(hooks));
    engine_.AllocWaveBuffers();
    engine_.SetF1(100);
    engine_.SetCurrentFrequency(100);
    engine_.SetF2(10000);
    cbMode_->setCurrentIndex(kModeIndexNormal);
    cbModeChange();
    tbAttChange();
    chkJoyMode_->setVisible(JoystickPresent);
}

bool TfrmSGenerator::event(QEvent* event) {
    // In the main window's MDI area: a frame with system menu and minimise box only, kept on the
    // desktop grid. Set when the frame takes the window, before it is shown: new flags hide a
    // shown frame and take the keyboard from the field that has it.
    if (event->type() == QEvent::ParentChange) {
        if (frame_ != nullptr)
            frame_->removeEventFilter(this);
        frame_ = nullptr;
        MakeFixedFrame(*this);
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            frame->installEventFilter(this);
            frame_ = frame;
        }
    }
    return QWidget::event(event);
}

bool TfrmSGenerator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == edF1_ || watched == edF2_)) {
        auto* edit = static_cast<QLineEdit*>(watched);
        // Judged on leaving only when typed into; the program's own writes run the rule themselves.
        if (edit->isEnabled() && edit->isModified()) {
            edit->setModified(false);
            if (edit == edF1_)
                edF1Change();
            else
                edF2Change();
        }
    } else if (event->type() == QEvent::Move && watched == parentWidget() && !snapping_) {
        auto* frame = static_cast<QWidget*>(watched);
        if (TC.GridON && !frame->isMinimized()) {
            const QPoint snapped(GridPosition(frame->x(), TC.GridX), GridPosition(frame->y(), TC.GridY));
            if (snapped != frame->pos()) {
                snapping_ = true;
                frame->move(snapped);
                snapping_ = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmSGenerator::closeEvent(QCloseEvent* event) {
    timerJoyMode_->stop();
    // Closing is never refused; a device still open (also after a sweep that ended by itself)
    // is stopped first.
    if (engine_.DeviceOpen())
        engine_.StopPlayback();
    engine_.SetClosing();
    event->accept();
}

bool TfrmSGenerator::CommitFrequency(QLineEdit* edit, double lastValue, double& value) {
    const QString text = edit->text();
    const auto typed = ReadFrequencyText(text.toStdString());
    if (!typed) {
        edit->setText(QString::fromStdString(FrequencyText(lastValue)));
        ShowMessage(platform::MessageKind::Error, QStringLiteral("\"%1\" is not a valid number.").arg(text),
                    this);
        return false;
    }
    value = *typed;
    return true;
}

void TfrmSGenerator::cbModeChange() {
    // Playing, or a sweep that ended by itself and still holds the device.
    if (engine_.DeviceOpen())
        engine_.StopPlayback();
    const int index = cbMode_->currentIndex();
    engine_.SetMode(EngineModeForIndex(index));
    const bool sweep = IsSweepIndex(index);
    const bool tone = index == kModeIndexNormal;
    for (QWidget* widget : {static_cast<QWidget*>(edF1_), static_cast<QWidget*>(upDown1_)})
        widget->setEnabled(sweep || tone);
    for (QWidget* widget : {static_cast<QWidget*>(edF2_), static_cast<QWidget*>(upDown2_)})
        widget->setEnabled(sweep);
    if (!tone) {
        chkJoyMode_->setChecked(false);
        cbGetFromCursor_->setChecked(false);
    }
    chkJoyMode_->setEnabled(tone);
    cbGetFromCursor_->setEnabled(tone);
    // F2 may have been left below F1 in the fixed-tone mode; a sweep needs F1 <= F2.
    if (sweep && engine_.F1() > engine_.F2()) {
        edF2_->setText(edF1_->text());
        engine_.SetF2(engine_.F1());
        engine_.ClearTableBuilt();
    }
    engine_.RestartIfPlaying();
}

void TfrmSGenerator::edF1Change() {
    double value = 0;
    if (!CommitFrequency(edF1_, engine_.F1(), value))
        return;
    double taken = ClampFrequency(value);
    if (IsSweepIndex(cbMode_->currentIndex()) && engine_.F2() < taken)
        taken = engine_.F2();
    if (taken != value)
        edF1_->setText(QString::fromStdString(FrequencyText(taken)));
    edF1_->setModified(false);
    engine_.SetF1(taken);
    engine_.ClearTableBuilt();
    engine_.SetCurrentFrequency(taken);
}

void TfrmSGenerator::edF2Change() {
    double value = 0;
    if (!CommitFrequency(edF2_, engine_.F2(), value))
        return;
    double taken = ClampFrequency(value);
    if (IsSweepIndex(cbMode_->currentIndex()) && engine_.F1() > taken)
        taken = engine_.F1();
    if (taken != value)
        edF2_->setText(QString::fromStdString(FrequencyText(taken)));
    edF2_->setModified(false);
    engine_.SetF2(taken);
    engine_.ClearTableBuilt();
    engine_.RestartIfPlaying();
}

void TfrmSGenerator::tbAttChange() {
    edAtt_->setText(QString::number(tbAtt_->value()));
    engine_.SetAttenuation(tbAtt_->value());
    engine_.ClearTableBuilt();
    engine_.RestartIfPlaying();
}

void TfrmSGenerator::btnStartClick() {
    if (const auto f1 = ReadFrequencyText(edF1_->text().toStdString()))
        engine_.SetF1(ClampFrequency(*f1));
    if (const auto f2 = ReadFrequencyText(edF2_->text().toStdString()))
        engine_.SetF2(ClampFrequency(*f2));
    if (engine_.Playing())
        engine_.StopPlayback();
    else
        engine_.StartPlayback();
}

void TfrmSGenerator::chkJoyModeClick() {
    if (chkJoyMode_->isChecked())
        timerJoyMode_->start();
    else
        timerJoyMode_->stop();
}

void TfrmSGenerator::timerJoyModeTimer() {
    const auto state = joystick_ != nullptr ? joystick_->ReadPosition() : std::nullopt;
    if (!state) {
        timerJoyMode_->stop();
        chkJoyMode_->setChecked(false);
        ShowMessage(platform::MessageKind::Plain,
                    QStringLiteral("Can't read joystick position --> Disabling"), this);
        return;
    }
    if (state->Button(1) && !engine_.Playing())
        engine_.StartPlayback();
    if (state->Button(2) && engine_.Playing())
        engine_.StopPlayback();
    const double frequency = ReadFrequencyText(edF1_->text().toStdString()).value_or(100);
    edF1_->setText(QString::fromStdString(FrequencyText(JoystickFrequency(frequency, state->x))));
    edF1Change();
}

void TfrmSGenerator::SetFrequencyFromCursor(double frequency) {
    if (!cbGetFromCursor_->isChecked())
        return;
    const std::string text = CursorFrequencyText(frequency);
    if (text.empty())
        return;
    edF1_->setText(QString::fromStdString(text));
    edF1Change();
}

void TfrmSGenerator::PlayingLayout() {
    btnStart_->setText(QStringLiteral("STOP"));
    for (QWidget* widget :
         {static_cast<QWidget*>(btnExit_), static_cast<QWidget*>(panel4_), static_cast<QWidget*>(edF1_),
          static_cast<QWidget*>(edF2_), static_cast<QWidget*>(upDown1_), static_cast<QWidget*>(upDown2_),
          static_cast<QWidget*>(cbMode_)})
        widget->setEnabled(false);
}

void TfrmSGenerator::IdleLayout() {
    btnStart_->setText(QStringLiteral("Start"));
    cbModeChange();
    for (QWidget* widget :
         {static_cast<QWidget*>(btnExit_), static_cast<QWidget*>(panel4_), static_cast<QWidget*>(cbMode_)})
        widget->setEnabled(true);
}
