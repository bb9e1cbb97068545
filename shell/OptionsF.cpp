#include "shell/OptionsF.h"

#include "shell/AppLinks.h"
#include "shell/OptionsRules.h"

#include "help/HelpContexts.h"
#include "model/UnitHelper.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "workspace/UnitWidgets.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A 0x00BBGGRR colour at the Qt boundary.
QColor ToQColor(std::int32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QString PlainNumber(double value) {
    return Text(Float2Str(value, DecimalSeparator()));
}

struct ColourPanel {
    const char* name;
    const char* caption;
    std::int32_t TConfig::*field;
};

constexpr ColourPanel kColourPanels[] = {
    {"color0dB", "0 dB line:", &TConfig::Line0dB},       {"color3dB", "-3dB line:", &TConfig::Line3dB},
    {"colorOther", "Other lines:", &TConfig::LineOther}, {"colorBack", "Background:", &TConfig::Back},
    {"colorLabel", "Labels:", &TConfig::Label},          {"colorXmaxLine", "Xmax limit:", &TConfig::LineXmax},
};

// A unit or scale label the user clicks to change it; a flat button, so the keyboard reaches it.
QPushButton* LabelButton(const char* name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(QStringLiteral("Click to change the unit"));
    return button;
}

} // namespace

TfrmOptions::TfrmOptions(platform::SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_Store(store), m_Edit(TC) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setProperty("helpContext", HelpContext::Options);

    pcConfig = new QTabWidget(this);
    pcConfig->setObjectName(QStringLiteral("pcConfig"));
    tabGraph = new QWidget;
    tabGraph->setObjectName(QStringLiteral("tabGraph"));
    tabGeneral = new QWidget;
    tabGeneral->setObjectName(QStringLiteral("tabGeneral"));
    tabJoystick = new QWidget;
    tabJoystick->setObjectName(QStringLiteral("tabJoystick"));
    BuildGraphPage(tabGraph);
    BuildGeneralPage(tabGeneral);
    BuildJoystickPage(tabJoystick);
    pcConfig->addTab(tabGraph, QStringLiteral("Graph"));
    pcConfig->addTab(tabGeneral, QStringLiteral("General"));
    pcConfig->addTab(tabJoystick, QStringLiteral("Joystick"));

    auto* button2 = new QPushButton(QStringLiteral("OK"), this);
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setDefault(true);
    auto* button1 = new QPushButton(QStringLiteral("Cancel"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    connect(button2, &QPushButton::clicked, this, &TfrmOptions::Button2Click);
    connect(button1, &QPushButton::clicked, this, &TfrmOptions::Button1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button2);
    buttons->addWidget(button1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcConfig);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    JoyTimer = new QTimer(this);
    JoyTimer->setObjectName(QStringLiteral("JoyTimer"));
    JoyTimer->setInterval(100);
    connect(JoyTimer, &QTimer::timeout, this, &TfrmOptions::JoyTimerTimer);

    pcConfig->setCurrentWidget(tabGraph);
    DrawUnitLabels();
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::BuildGraphPage(QWidget* page) {
    auto* colours = new QGridLayout;
    int index = 0;
    for (const ColourPanel& panel : kColourPanels) {
        auto* caption = new QLabel(QString::fromLatin1(panel.caption), page);
        auto* button = new QPushButton(QStringLiteral("Change"), page);
        button->setObjectName(QString::fromLatin1(panel.name));
        button->setToolTip(QStringLiteral("Click to change color"));
        button->setAccessibleName(caption->text());
        button->setAutoFillBackground(true);
        caption->setBuddy(button);
        m_Colours[panel.name] = button;
        const auto field = panel.field;
        connect(button, &QPushButton::clicked, this, [this, button, field] { ChooseColour(button, field); });
        const int row = index % 3;
        const int column = (index / 3) * 2;
        colours->addWidget(caption, row, column);
        colours->addWidget(button, row, column + 1);
        ++index;
    }

    auto* limits = new QGroupBox(QStringLiteral("Upper and lower limits for different plots:"), page);
    auto* grid = new QGridLayout(limits);
    grid->addWidget(new QLabel(QStringLiteral("Start"), limits), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("End"), limits), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Unit"), limits), 0, 3);
    int row = 1;
    for (const TLimitRow& limit : LimitRows()) {
        auto* caption = new QLabel(QString::fromLatin1(limit.caption), limits);
        grid->addWidget(caption, row, 0);
        for (const char* name : {limit.startName, limit.endName}) {
            auto* edit = new QLineEdit(limits);
            edit->setObjectName(QString::fromLatin1(name));
            edit->setAccessibleName(caption->text() + (name == limit.startName ? QStringLiteral(" start")
                                                                               : QStringLiteral(" end")));
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
            m_Edits[name] = edit;
            if (limit.kind != 0) {
                m_UnitFields[name] = new TUnitWidgetField(edit, limit.kind, this);
            }
            grid->addWidget(edit, row, name == limit.startName ? 1 : 2);
        }
        caption->setBuddy(m_Edits[limit.startName]);
        if (limit.kind == qkLength) {
            lblConeExcursion = LabelButton("lblConeExcursion", limits);
            lblExcursionScale = LabelButton("lblExcursionScale", limits);
            lblExcursionScale->setToolTip(QStringLiteral("Click to change the amplitude scale"));
            connect(lblConeExcursion, &QPushButton::clicked, this, [this] {
                CycleUnits(lblConeExcursion, {"edExcursionEnd", "edExcursionStart"});
            });
            connect(lblExcursionScale, &QPushButton::clicked, this,
                    [this] { CycleScale(lblExcursionScale, &TConfig::ExcursionScale); });
            grid->addWidget(lblConeExcursion, row, 3);
            grid->addWidget(lblExcursionScale, row, 4);
        } else if (limit.kind == qkVelocity) {
            lblVelocity = LabelButton("lblVelocity", limits);
            lblVelocityScale = LabelButton("lblVelocityScale", limits);
            lblVelocityScale->setToolTip(QStringLiteral("Click to change the amplitude scale"));
            connect(lblVelocity, &QPushButton::clicked, this, [this] {
                CycleUnits(lblVelocity, {"edVelocityEnd", "edVelocityStart"});
            });
            connect(lblVelocityScale, &QPushButton::clicked, this,
                    [this] { CycleScale(lblVelocityScale, &TConfig::VelocityScale); });
            grid->addWidget(lblVelocity, row, 3);
            grid->addWidget(lblVelocityScale, row, 4);
        } else {
            grid->addWidget(new QLabel(QString::fromLatin1(limit.unit), limits), row, 3);
        }
        ++row;
    }

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(colours);
    layout->addWidget(limits);
    layout->addStretch(1);
}

void TfrmOptions::BuildGeneralPage(QWidget* page) {
    edUserName = new QLineEdit(page);
    edUserName->setObjectName(QStringLiteral("edUserName"));
    auto* user = new QFormLayout;
    user->addRow(QStringLiteral("Username:"), edUserName);

    auto* gridBox = new QGroupBox(QStringLiteral("Desktop Grid:"), page);
    cbSnap = new QCheckBox(QStringLiteral("Snap to grid"), gridBox);
    cbSnap->setObjectName(QStringLiteral("cbSnap"));
    auto* gridForm = new QFormLayout(gridBox);
    gridForm->addRow(cbSnap);
    for (const char* name : {"edGridX", "edGridY"}) {
        auto* edit = new QLineEdit(gridBox);
        edit->setObjectName(QString::fromLatin1(name));
        m_Edits[name] = edit;
        gridForm->addRow(QString::fromLatin1(name == std::string("edGridX") ? "X-Grid:" : "Y-Grid:"), edit);
    }

    auto* environment = new QGroupBox(QStringLiteral("Environment:"), page);
    auto* envGrid = new QGridLayout(environment);
    struct EnvironmentRow {
        const char* caption;
        const char* edit;
        const char* label;
        int kind;
        QPushButton** unitLabel;
    };
    const EnvironmentRow rows[] = {
        {"Temperature", "edTemperature", "lblTemp", qkTemperature, &lblTemp},
        {"Relative humidity:", "edHumidy", "lblHumidy", qkRatio, &lblHumidy},
        {"Air pressure:", "edAirPressure", "lblAirPressure", qkPressure, &lblAirPressure},
    };
    int row = 0;
    for (const EnvironmentRow& entry : rows) {
        auto* caption = new QLabel(QString::fromLatin1(entry.caption), environment);
        auto* edit = new QLineEdit(environment);
        edit->setObjectName(QString::fromLatin1(entry.edit));
        caption->setBuddy(edit);
        m_Edits[entry.edit] = edit;
        m_UnitFields[entry.edit] = new TUnitWidgetField(edit, entry.kind, this);
        *entry.unitLabel = LabelButton(entry.label, environment);
        const std::string name = entry.edit;
        QPushButton* label = *entry.unitLabel;
        connect(label, &QPushButton::clicked, this,
                [this, label, name] { CycleUnits(label, {name.c_str()}); });
        connect(edit, &QLineEdit::textEdited, this, [this, name] {
            if (m_Loading) {
                return;
            }
            if (name == "edHumidy") {
                const TStr2ValResult humidity =
                    Str2Val(Edit(name)->text().toStdString(), qkRatio, GetUnitIndex(*UnitField(name)));
                if (!humidity || !HumidityAcceptable(humidity.Value)) {
                    return;
                }
            }
            UpdateSoundVelocity();
        });
        if (name == "edTemperature" || name == "edHumidy") {
            edit->installEventFilter(this);
        }
        envGrid->addWidget(caption, row, 0);
        envGrid->addWidget(edit, row, 1);
        envGrid->addWidget(label, row, 2);
        ++row;
    }
    auto* speedCaption = new QLabel(QStringLiteral("Sound velocity"), environment);
    pnlAirspeed = new QLabel(environment);
    pnlAirspeed->setObjectName(QStringLiteral("pnlAirspeed"));
    pnlAirspeed->setFrameShape(QFrame::Panel);
    pnlAirspeed->setFrameShadow(QFrame::Sunken);
    pnlAirspeed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pnlAirspeed->setAccessibleName(speedCaption->text());
    m_UnitFields["pnlAirspeed"] = new TUnitWidgetField(pnlAirspeed, qkVelocity, this);
    lblAirSpeed = LabelButton("lblAirSpeed", environment);
    connect(lblAirSpeed, &QPushButton::clicked, this, [this] {
        CycleUnits(lblAirSpeed, {"pnlAirspeed"});
        UpdateSoundVelocity();
    });
    envGrid->addWidget(speedCaption, row, 0);
    envGrid->addWidget(pnlAirspeed, row, 1);
    envGrid->addWidget(lblAirSpeed, row, 2);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(user);
    layout->addWidget(gridBox);
    layout->addWidget(environment);
    layout->addStretch(1);
}

void TfrmOptions::BuildJoystickPage(QWidget* page) {
    chkTest = new QCheckBox(QStringLiteral("Test joystick"), page);
    chkTest->setObjectName(QStringLiteral("chkTest"));
    connect(chkTest, &QCheckBox::toggled, this, &TfrmOptions::SetTesting);

    const auto panel = [page](const char* name) {
        auto* label = new QLabel(page);
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Raised);
        label->setFixedSize(60, 24);
        label->setAutoFillBackground(true);
        return label;
    };
    pnlJoy1 = panel("pnlJoy1");
    pnlJoy2 = panel("pnlJoy2");
    pnlJoy1->setAccessibleName(QStringLiteral("Button 1:"));
    pnlJoy2->setAccessibleName(QStringLiteral("Button 2:"));

    tbXPos = new QSlider(Qt::Horizontal, page);
    tbXPos->setObjectName(QStringLiteral("tbXPos"));
    tbYPos = new QSlider(Qt::Vertical, page);
    tbYPos->setObjectName(QStringLiteral("tbYPos"));
    for (QSlider* bar : {tbXPos, tbYPos}) {
        bar->setRange(0, kJoystickTrackMax);
        bar->setEnabled(false);
        bar->setTickPosition(QSlider::TicksBelow);
    }
    tbXPos->setAccessibleName(QStringLiteral("X position"));
    tbYPos->setAccessibleName(QStringLiteral("Y position"));

    auto* buttons = new QFormLayout;
    buttons->addRow(QStringLiteral("Button 1:"), pnlJoy1);
    buttons->addRow(QStringLiteral("Button 2:"), pnlJoy2);
    // The two track bars stand like the stick's axes: Y upright beside the X bar's left end.
    tbXPos->setMinimumWidth(200);
    tbYPos->setMinimumHeight(200);
    tbYPos->setInvertedAppearance(true); // stick pushed up reads 0, shown at the top
    auto* positions = new QGridLayout;
    positions->addWidget(tbYPos, 0, 0);
    positions->addWidget(tbXPos, 1, 1);
    positions->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkTest);
    layout->addLayout(buttons);
    layout->addLayout(positions);
    layout->addStretch(1);
}

QLineEdit* TfrmOptions::Edit(const std::string& name) const {
    const auto found = m_Edits.find(name);
    return found != m_Edits.end() ? found->second : nullptr;
}

TUnitWidgetField* TfrmOptions::UnitField(const std::string& name) const {
    const auto found = m_UnitFields.find(name);
    return found != m_UnitFields.end() ? found->second : nullptr;
}

void TfrmOptions::setVisible(bool visible) {
    if (visible && !isVisible()) {
        FillFields();
    }
    if (!visible) {
        chkTest->setChecked(false);
    }
    QDialog::setVisible(visible);
}

void TfrmOptions::FillFields() {
    m_Loading = true;
    m_Edit = TC;
    const auto show = [this](const char* name, double value) {
        TUnitWidgetField* field = UnitField(name);
        Edit(name)->setText(field != nullptr ? Text(Val2Str(field->Kind(), GetUnitIndex(*field), value))
                                             : PlainNumber(value));
    };
    show("edTemperature", m_Edit.Environment_Temperature);
    show("edAirPressure", m_Edit.Environment_AirPressure);
    show("edHumidy", m_Edit.Environment_Humidy);
    UpdateSoundVelocity();
    for (const TLimitRow& row : LimitRows()) {
        show(row.startName, m_Edit.*row.start);
        show(row.endName, m_Edit.*row.end);
    }
    edUserName->setText(Text(m_Edit.UserName));
    cbSnap->setChecked(m_Edit.GridON);
    Edit("edGridX")->setText(QString::number(m_Edit.GridX));
    Edit("edGridY")->setText(QString::number(m_Edit.GridY));
    for (const ColourPanel& panel : kColourPanels) {
        ShowColour(m_Colours[panel.name], m_Edit.*panel.field);
    }
    pcConfig->setTabVisible(pcConfig->indexOf(tabJoystick), JoystickPresent);
    DrawUnitLabels();
    m_Loading = false;
}

void TfrmOptions::DrawUnitLabels() {
    const auto unitName = [this](const char* field) { return Text(GetUnitName(*UnitField(field))); };
    lblConeExcursion->setText(unitName("edExcursionEnd"));
    lblVelocity->setText(unitName("edVelocityEnd"));
    lblTemp->setText(unitName("edTemperature"));
    lblHumidy->setText(unitName("edHumidy"));
    lblAirPressure->setText(unitName("edAirPressure"));
    lblAirSpeed->setText(unitName("pnlAirspeed"));
    lblExcursionScale->setText(Text(AmplitudeKinds[std::clamp(m_Edit.ExcursionScale, 0, 2)].Name));
    lblVelocityScale->setText(Text(AmplitudeKinds[std::clamp(m_Edit.VelocityScale, 0, 2)].Name));
    lblConeExcursion->setAccessibleName(QStringLiteral("Cone excursion unit"));
    lblVelocity->setAccessibleName(QStringLiteral("Air velocity unit"));
    lblExcursionScale->setAccessibleName(QStringLiteral("Cone excursion scale"));
    lblVelocityScale->setAccessibleName(QStringLiteral("Air velocity scale"));
}

void TfrmOptions::UpdateSoundVelocity() {
    const auto read = [this](const char* name) {
        TUnitWidgetField* field = UnitField(name);
        return Str2Val(Edit(name)->text().toStdString(), field->Kind(), GetUnitIndex(*field));
    };
    const TStr2ValResult humidity = read("edHumidy");
    const TStr2ValResult pressure = read("edAirPressure");
    const TStr2ValResult temperature = read("edTemperature");
    std::optional<double> velocity;
    if (humidity && pressure && temperature) {
        velocity = SoundVelocity(temperature.Value, pressure.Value, humidity.Value);
    }
    TUnitWidgetField* panel = UnitField("pnlAirspeed");
    pnlAirspeed->setText(velocity ? Text(Val2Str(qkVelocity, GetUnitIndex(*panel), *velocity))
                                  : QStringLiteral("N/A"));
}

void TfrmOptions::ShowColour(QPushButton* panel, std::int32_t colour) {
    const QColor background = ToQColor(colour);
    const QColor text = background.lightness() > 128 ? Qt::black : Qt::white;
    // A plain fill shows the colour as the plot draws it; the focus frame keeps the keyboard visible.
    panel->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid gray;"
                       " padding: 3px 12px; }"
                       "QPushButton:focus { border: 2px solid palette(highlight); }")
            .arg(background.name(), text.name()));
    panel->setProperty("colour", colour);
}

void TfrmOptions::ChooseColour(QPushButton* panel, std::int32_t TConfig::*field) {
    platform::ColourRequest request;
    request.colour = m_Edit.*field;
    request.parent = this;
    if (const std::optional<std::int32_t> chosen = platform::AppDialogs().ChooseColour(request)) {
        m_Edit.*field = *chosen;
        ShowColour(panel, *chosen);
    }
}

void TfrmOptions::CycleUnits(QPushButton* label, std::initializer_list<const char*> fields) {
    for (const char* name : fields) {
        if (TUnitWidgetField* field = UnitField(name)) {
            label->setText(Text(CycleUnit(*field)));
        }
    }
}

void TfrmOptions::CycleScale(QPushButton* label, std::int32_t TConfig::*scale) {
    m_Edit.*scale = NextAmplitudeScale(m_Edit.*scale);
    label->setText(Text(AmplitudeKinds[m_Edit.*scale].Name));
}

bool TfrmOptions::ReadFields(TConfig& into, std::string& badField) {
    const auto readValue = [this, &badField](const char* name, double& value) {
        const std::string text = Edit(name)->text().trimmed().toStdString();
        bool converted = false;
        if (TUnitWidgetField* field = UnitField(name)) {
            const TStr2ValResult result = Str2Val(text, field->Kind(), GetUnitIndex(*field));
            converted = result.Converted && !text.empty();
            value = result.Value;
        } else {
            converted = TryStr2Float(text, value);
        }
        if (!converted) {
            badField = name;
        }
        return converted;
    };
    if (!readValue("edHumidy", into.Environment_Humidy) ||
        !readValue("edAirPressure", into.Environment_AirPressure) ||
        !readValue("edTemperature", into.Environment_Temperature)) {
        return false;
    }
    for (const TLimitRow& row : LimitRows()) {
        if (!readValue(row.startName, into.*row.start) || !readValue(row.endName, into.*row.end)) {
            return false;
        }
    }
    into.UserName = edUserName->text().toStdString();
    into.GridON = cbSnap->isChecked();
    for (const char* name : {"edGridX", "edGridY"}) {
        std::int32_t value = 0;
        if (!TryParseInteger(Edit(name)->text().trimmed().toStdString(), value)) {
            badField = name;
            return false;
        }
        (name == std::string("edGridX") ? into.GridX : into.GridY) = value;
    }
    return true;
}

void TfrmOptions::Refuse(const std::string& message, const std::string& field) {
    QLineEdit* edit = Edit(field);
    if (edit != nullptr) {
        pcConfig->setCurrentWidget(
            edit->parentWidget() != nullptr && tabGeneral->isAncestorOf(edit) ? tabGeneral : tabGraph);
    }
    platform::MessageRequest request;
    request.kind = platform::MessageKind::Error;
    request.text = message;
    request.parent = this;
    platform::AppDialogs().Message(request);
    if (edit != nullptr) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void TfrmOptions::Button2Click() {
    TConfig edited = m_Edit;
    std::string badField;
    if (!ReadFields(edited, badField)) {
        Refuse("'" + Edit(badField)->text().toStdString() + "' is not a valid number.", badField);
        return;
    }
    if (const std::optional<TOptionsRefusal> refusal = CheckOptions(edited)) {
        if (refusal->message == kGridMessage) {
            Edit("edGridX")->setText(QStringLiteral("20"));
            Edit("edGridY")->setText(QStringLiteral("20"));
            Refuse(refusal->message, "edGridX");
        } else {
            Refuse(refusal->message, refusal->field);
        }
        return;
    }
    TC = edited;
    m_Edit = edited;
    const platform::StoreResult written = WriteSettings(m_Store);
    if (!written) {
        Refuse("The settings could not be written: " + written.error, {});
    }
    if (IMainWindow* main = MainWindow()) {
        if (IPlotWindow* plot = main->PlotWindow()) {
            plot->ApplySettings();
        }
    }
    accept();
}

void TfrmOptions::Button1Click() {
    reject();
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_Loading && isVisible()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a menu is no leaving of the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const std::string name = watched->objectName().toStdString();
            TUnitWidgetField* field = UnitField(name);
            QLineEdit* edit = Edit(name);
            if (field != nullptr && edit != nullptr) {
                const TStr2ValResult value =
                    Str2Val(edit->text().trimmed().toStdString(), field->Kind(), GetUnitIndex(*field));
                const bool readable = value.Converted && !edit->text().trimmed().isEmpty();
                const bool temperature = name == "edTemperature";
                if (!readable ||
                    !(temperature ? TemperatureAcceptable(value.Value) : HumidityAcceptable(value.Value))) {
                    platform::MessageRequest request;
                    request.kind = platform::MessageKind::Error;
                    request.text = temperature ? kTemperatureMessage : kHumidityMessage;
                    request.parent = this;
                    platform::AppDialogs().Message(request);
                    QTimer::singleShot(0, edit, [edit] { edit->setFocus(Qt::OtherFocusReason); });
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::SetTesting(bool on) {
    if (on) {
        JoyTimer->start();
    } else {
        JoyTimer->stop();
    }
}

void TfrmOptions::JoyTimerTimer() {
    const std::optional<platform::JoystickState> position = platform::AppJoystick().ReadPosition();
    if (!position) {
        JoyTimer->stop();
        chkTest->setChecked(false);
        platform::MessageRequest request;
        request.kind = platform::MessageKind::Error;
        request.text = kJoystickMessage;
        request.parent = this;
        platform::AppDialogs().Message(request);
        return;
    }
    const auto light = [this](QLabel* panel, bool pressed) {
        QPalette colours = panel->palette();
        colours.setColor(QPalette::Window, pressed ? QColor(0xFF, 0, 0) : palette().color(QPalette::Button));
        panel->setPalette(colours);
        panel->setProperty("pressed", pressed);
    };
    light(pnlJoy1, position->Button(1));
    light(pnlJoy2, position->Button(2));
    tbXPos->setValue(JoystickTrackPosition(position->x));
    tbYPos->setValue(JoystickTrackPosition(position->y));
}
