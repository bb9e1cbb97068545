#include "workspace/NewDesign.h"

#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatRadioButtonUnit.h"
#include "model/Airmodel.h"
#include "model/DB_Text2.h"
#include "model/UnitHelper.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "shell/AppLinks.h"
#include "shell/Settings.h"
#include "shell/UnitLabel.h"
#include "simulation/BP4Alignments.h"
#include "simulation/ClosedAlignments.h"
#include "simulation/VentedAlignments.h"
#include "workspace/DrvParams.h"
#include "workspace/ProjectDocument.h"
#include "workspace/ProjectForm.h"
#include "workspace/UnitWidgets.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMoveEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

// The pictures of the box types and placements are the project window's; its library registers
// them on first use, which the wizard may come before.
static void LoadWizardPictures() {
    if (!QFile::exists(QStringLiteral(":/projectwindow/BMP1.png")))
        Q_INIT_RESOURCE(projectpictures);
}

namespace {

constexpr int HelpContextNewProject = 2;
constexpr double WizardSourceResistance = 0.1; // ohm: amplifier and wiring of a new design
constexpr double DefaultCoilCoefficient = 0.0039;

QPixmap Picture(const char* name) {
    LoadWizardPictures();
    return QPixmap(QStringLiteral(":/projectwindow/") + name + ".png");
}

// The wizard stays on top of every other window, so its messages must be its own dialogs: one
// owned by the main window would open hidden behind the wizard and block it unseen.
void Tell(QWidget* wizard, const std::string& text, platform::MessageKind kind) {
    platform::MessageRequest request;
    request.kind = kind;
    request.text = text;
    request.buttons = platform::ButtonOk;
    request.parent = wizard;
    platform::AppDialogs().Message(request);
}

QLabel* Text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

// The EBP gauge: a bar growing from the bottom, full scale 110.
class TEbpGauge : public QWidget {
public:
    explicit TEbpGauge(QWidget* parent) : QWidget(parent) {
        setObjectName("pbEBP");
        setToolTip(tr("EBP-gauge shows you suggested box-type"));
        setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMM")));
        setMinimumHeight(fontMetrics().height() * 8);
        setAccessibleName(tr("EBP gauge"));
    }
    void SetEBP(double ebp) {
        m_EBP = ebp;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        const std::vector<std::int32_t> rows = EbpGaugeRows(m_EBP, height());
        for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
            const std::int32_t colour = rows[static_cast<std::size_t>(y)];
            if (colour < 0)
                continue;
            painter.setPen(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
            painter.drawLine(1, y, width() - 1, y);
        }
    }

private:
    double m_EBP = 0;
};

// --- the plain rules --------------------------------------------------------------------------

double WizardEBP(const TDriverData& data) {
    if (!(data.Fs > 0))
        return 0;
    double qes = data.Qes;
    if (!(qes > 0)) {
        const double qms = data.Qms > 0 ? data.Qms : 4.0;
        // Qes from 1/Qts = 1/Qms + 1/Qes needs a total Q below the mechanical one.
        if (!(data.Qts > 0) || !(data.Qts < qms))
            return 0;
        qes = 1.0 / (1.0 / data.Qts - 1.0 / qms);
    }
    const double ebp = data.Fs / qes;
    return std::isfinite(ebp) && ebp > 0 ? ebp : 0;
}

int ProposedBoxType(double ebp) {
    return ebp >= kEbpVentedFrom ? 1 : 0;
}

std::string EbpLabel(double ebp) {
    if (!(ebp > 0) || !std::isfinite(ebp))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "EBP = %.1f", ebp);
    // The locale's decimal separator, as every number the windows show.
    std::string label(text);
    if (const std::size_t dot = label.find('.'); dot != std::string::npos)
        label[dot] = DecimalSeparator();
    return label;
}

std::vector<std::int32_t> EbpGaugeRows(double ebp, int height) {
    std::vector<std::int32_t> rows(static_cast<std::size_t>(std::max(height, 0)), -1);
    if (!(ebp > 0) || height <= 0)
        return rows;
    const double lit = std::min(ebp, kEbpFullScale) * height / kEbpFullScale;
    for (int y = 1; y <= height; ++y) {
        const int level = height - y;
        if (level <= lit) {
            const auto green = static_cast<std::int32_t>(std::nearbyint(level * 255.0 / height));
            rows[static_cast<std::size_t>(y - 1)] = 0xAF0000 + 256 * green;
        }
    }
    return rows;
}

int WizardNextPage(int page, int boxType) {
    if (page >= wpAlignment)
        return wpAlignment;
    int next = page + 1;
    if (next == wpPassiveRadiator && boxType != 4)
        ++next;
    return next;
}

int WizardPreviousPage(int page, int boxType) {
    if (page <= wpDriver)
        return wpDriver;
    int previous = page - 1;
    if (previous == wpPassiveRadiator && boxType != 4)
        --previous;
    return previous;
}

void PrepareWizardDriver(TDriverObject& driver) {
    driver.Rs = WizardSourceResistance;
    driver.AddedMass = 0;
    driver.dTVC = 0;
    if (!(driver.Data.alfaVC > 0))
        driver.Data.alfaVC = DefaultCoilCoefficient;
    driver.rho = AirDensity(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy);
    driver.c = SpeedOfSound(TC.Environment_AirPressure, driver.rho);
    driver.PrepareModel();
}

TDriverObject ProjectDriver(const TDriverObject& chosen, int count, bool isobaric) {
    TDriverObject driver;
    driver.Assign(chosen);
    driver.NumDrivers = std::clamp(count, 1, kWizardMaxDrivers);
    driver.Isobaric = isobaric;
    driver.PrepareModel();
    return driver;
}

TAlignmentChoice AlignmentChoices(int boxType, const TDriverObject& projectDriver) {
    TAlignmentChoice choice;
    switch (boxType) {
    case 0:
        choice.selected = ClosedAlignments_GetList(choice.items, projectDriver);
        break;
    case 1:
        choice.selected = VentedAlignments_GetList(choice.items, projectDriver);
        break;
    case 2:
        choice.selected = BP4Alignments_GetList(choice.items, projectDriver);
        break;
    default:
        choice.items.push_back(kNoAlignment);
        choice.selected = 0;
        break;
    }
    if (choice.items.empty())
        choice.selected = -1;
    else
        choice.selected = std::clamp(choice.selected, 0, static_cast<int>(choice.items.size()) - 1);
    return choice;
}

void NewProjectBoxDefaults(TBoxData& box, const TDriverObject& driver, bool isobaric) {
    box.d = 1;
    box.alfaVC = driver.Data.alfaVC > 0 ? driver.Data.alfaVC : DefaultCoilCoefficient;
    box.dTVC = 0;
    box.Qlf = 10;
    box.Qaf = 100;
    box.Qpf = 100;
    box.Qlr = 10;
    box.Qar = 100;
    box.Qpr = 100;
    box.Qiclfr = 100;
    box.Angle = 0;
    box.Isobarik = isobaric;
}

bool ApplyAlignment(int boxType, const std::string& alignment, const TDriverObject& projectDriver,
                    TBoxData& box, std::string& reason) {
    if (boxType < 0 || boxType > 2)
        return true;
    if (alignment.empty() || alignment == kNoAlignment) {
        reason = boxType == 0 ? "No closed-box alignment suits this driver: its total Q is too high."
                              : "No alignment suits this driver.";
        return false;
    }
    bool made = false;
    switch (boxType) {
    case 0:
        made = ClosedAlignments_Calc(ClosedAlignments_IndexOf(alignment), projectDriver, box);
        break;
    case 1:
        made = VentedAlignments_Calc(VentedAlignments_IndexOf(alignment), projectDriver, box);
        break;
    case 2:
        made = BP4Alignments_Calc(BP4Alignments_IndexOf(alignment), projectDriver, box);
        break;
    }
    if (!made)
        reason = "The alignment \"" + alignment + "\" gives no box for this driver.";
    return made;
}

bool RadiatorAccepted(const TPassiveRadiatorData& radiator, std::string& reason) {
    const struct {
        double value;
        const char* name;
    } required[] = {{radiator.Vas, "Vas"}, {radiator.Fs, "Fs"}, {radiator.Qms, "Qms"}, {radiator.Sd, "Sd"}};
    for (const auto& item : required) {
        if (!(item.value > 0) || !std::isfinite(item.value)) {
            reason = std::string("The passive radiator's ") + item.name + " must be greater than 0.";
            return false;
        }
    }
    return true;
}

bool FillNewProject(const TWizardChoices& choices, const TDriverObject& wizardDriver,
                    TProjectDocument& project, std::string& reason) {
    project.driver.Assign(wizardDriver);
    project.box.BType = choices.boxType;
    project.signal.P = 1;
    project.signal.Rg = WizardSourceResistance;
    NewProjectBoxDefaults(project.box, project.driver, choices.isobaric);
    project.box.PassiveRadiator = choices.radiator;
    project.box.PassiveRadiator.Me = 0;
    project.box.Fsm = 0;
    project.box.Nd = std::clamp(choices.driverCount, 1, kWizardMaxDrivers);
    project.driver.NumDrivers = project.box.Nd;
    project.driver.Isobaric = choices.isobaric;
    project.driver.PrepareModel();
    return ApplyAlignment(choices.boxType, choices.alignment, project.driver, project.box, reason);
}

// --- the window -------------------------------------------------------------------------------

TfrmNewProject::TfrmNewProject(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint), m_Helper(std::make_unique<TUnitHelper>()) {
    setObjectName("frmNewProject");
    setWindowTitle(tr("New project..."));
    LoadWizardPictures();

    auto* top = new QVBoxLayout(this);
    m_Pages = new QStackedWidget(this);
    m_Pages->setObjectName("PC");
    m_Pages->addWidget(BuildDriverPage());
    m_Pages->addWidget(BuildUsagePage());
    m_Pages->addWidget(BuildBoxTypePage());
    m_Pages->addWidget(BuildRadiatorPage());
    m_Pages->addWidget(BuildAlignmentPage());
    top->addWidget(m_Pages, 1);

    auto* buttonRow = new QWidget(this);
    buttonRow->setObjectName("Panel2");
    auto* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_Abort = new QPushButton(tr("Cancel"), buttonRow);
    m_Abort->setObjectName("btnAbort");
    m_Prev = new QPushButton(tr("&Previous"), buttonRow);
    m_Prev->setObjectName("btnPrev");
    m_Prev->setAccessibleName(tr("Previous"));
    m_Next = new QPushButton(tr("Next"), buttonRow);
    m_Next->setObjectName("btnNext");
    m_Next->setDefault(true);
    buttons->addWidget(m_Abort);
    buttons->addStretch(1);
    buttons->addWidget(m_Prev);
    buttons->addWidget(m_Next);
    top->addWidget(buttonRow);

    m_Params = new TfrmTinyParams(this);
    m_Params->hide();
    // A value changed in the panel changes the wizard's driver: its model and EBP follow.
    m_Params->OnValueChanged = [this] {
        m_Driver.PrepareModel();
        m_EBP = WizardEBP(m_Driver.Data);
        m_Gauge->SetEBP(m_EBP);
        m_EbpText->setText(QString::fromStdString(EbpLabel(m_EBP)));
    };
    top->addWidget(m_Params);

    connect(m_Abort, &QPushButton::clicked, this, &TfrmNewProject::btnAbortClick);
    connect(m_Prev, &QPushButton::clicked, this, &TfrmNewProject::btnPrevClick);
    connect(m_Next, &QPushButton::clicked, this, &TfrmNewProject::btnNextClick);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] {
        if (IMainWindow* main = MainWindow(); main != nullptr && main->Help() != nullptr)
            main->Help()->HelpContext(HelpContextNewProject);
    });

    // Creation: the radiator binder, the box type and placement, the driver list.
    m_BoxType->setCurrentIndex(0);
    ShowBoxPicture();
    Placement(false);
    RefillDriverList();
    ShowPage(wpDriver);
    m_Helper->WriteValues();
    m_Helper->UpdateUnitLabels();
}

TfrmNewProject::~TfrmNewProject() {
    // The binder's fields go before the edits, so no focus change of a dying edit reaches this
    // half-destroyed window.
    for (TUnitWidgetField* field : m_RadiatorFields)
        delete field;
    m_RadiatorFields.clear();
}

QWidget* TfrmNewProject::BuildDriverPage() {
    auto* page = new QWidget;
    page->setObjectName("tabDriver");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(tr("Select driver for project:"), page));
    layout->addWidget(
        Text(tr("Here you must select driver, what you are going to use on your new project. You can "
                "pick it from program database or from your own drivers list."),
             page));
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(tr("&Driver name:"), page);
    auto* drivers = new TFlatComboBox(page);
    drivers->SetStyle(TFlatComboBox::csDropDownList);
    m_DriverList = drivers;
    m_DriverList->setObjectName("sDriver");
    m_DriverList->setMaxVisibleItems(20);
    m_DriverList->setToolTip(tr("What driver to use on new project"));
    m_DriverList->setAccessibleName(tr("Driver name"));
    m_DriverList->setMinimumContentsLength(24);
    caption->setBuddy(m_DriverList);
    auto* newDriver = new QPushButton(tr("&New"), page);
    newDriver->setObjectName("btnNew");
    newDriver->setToolTip(tr("Opens the driver editor to enter a new driver"));
    row->addWidget(caption);
    row->addWidget(m_DriverList, 1);
    row->addWidget(newDriver);
    layout->addLayout(row);
    // Alt+S and Alt+O are the main window's commands in every window: the mnemonics here take
    // other letters, or the first press would only be taken as ambiguous.
    m_ShowParams = new TFlatCheckBox(tr("S&how driver parameters"), page);
    m_ShowParams->setObjectName("cbShowParams");
    m_FilterDB = new TFlatCheckBox(tr("Database filtering"), page);
    m_FilterDB->setObjectName("cbFilterDB");
    // Filtering the list is not offered here.
    m_FilterDB->setEnabled(false);
    layout->addWidget(m_ShowParams);
    layout->addWidget(m_FilterDB);
    layout->addStretch(1);
    connect(m_DriverList, &QComboBox::activated, this, [this] { sDriverChange(); });
    connect(newDriver, &QPushButton::clicked, this, &TfrmNewProject::btnNewClick);
    connect(m_ShowParams, &QAbstractButton::clicked, this, &TfrmNewProject::cbShowParamsClick);
    return page;
}

QWidget* TfrmNewProject::BuildUsagePage() {
    auto* page = new QWidget;
    page->setObjectName("tabDriverUsage");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(tr("Driver usage:"), page));
    layout->addWidget(Text(tr("Here you need to enter number of drivers used to your new project and select "
                              "placement type for drivers."),
                           page));
    auto* grid = new QGridLayout;
    auto* countCaption = new QLabel(tr("D&rivers:"), page);
    auto* count = new TFlatComboBox(page);
    count->SetStyle(TFlatComboBox::csDropDownList);
    m_DriverCount = count;
    m_DriverCount->setObjectName("cbDriverNum");
    m_DriverCount->setToolTip(tr("How many drivers to use on project"));
    m_DriverCount->setAccessibleName(tr("Drivers"));
    countCaption->setBuddy(m_DriverCount);
    m_IsoPairs = new QLabel(tr("pair"), page);
    m_IsoPairs->setObjectName("lblIsoPairs");
    grid->addWidget(countCaption, 0, 0);
    grid->addWidget(m_DriverCount, 0, 1);
    grid->addWidget(m_IsoPairs, 0, 2);
    grid->addWidget(new QLabel(tr("Placement:"), page), 1, 0);
    m_Normal = new TFlatRadioButton(tr("Nor&mal"), page);
    m_Normal->setObjectName("rbNormal");
    m_Normal->setToolTip(tr("Selects normal driver placement (default)"));
    m_Isobaric = new TFlatRadioButton(tr("&Iso-barik (Compound)"), page);
    m_Isobaric->setObjectName("rbIsoBarik");
    m_Isobaric->setToolTip(tr("Selects iso-barik (compound) driver placement"));
    grid->addWidget(m_Normal, 1, 1, 1, 2);
    grid->addWidget(m_Isobaric, 2, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    m_PlacePic = new QLabel(page);
    m_PlacePic->setObjectName("PlacePic");
    layout->addWidget(m_PlacePic, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(m_Normal, &QAbstractButton::clicked, this, [this] { Placement(false); });
    connect(m_Isobaric, &QAbstractButton::clicked, this, [this] { Placement(true); });
    return page;
}

QWidget* TfrmNewProject::BuildBoxTypePage() {
    auto* page = new QWidget;
    page->setObjectName("tabBoxType");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(tr("Box type:"), page));
    layout->addWidget(Text(tr("Here you need to confirm box-type for your new project."), page));
    auto* row = new QHBoxLayout;
    auto* types = new TFlatComboBox(page);
    types->SetStyle(TFlatComboBox::csDropDownList);
    m_BoxType = types;
    m_BoxType->setObjectName("sBoxType");
    m_BoxType->setAccessibleName(tr("Box type"));
    m_BoxType->addItems({tr("Closed"), tr("Vented"), tr("4th order bandpass"), tr("6th order bandpass"),
                         tr("Passive Radiator")});
    auto* left = new QVBoxLayout;
    left->addWidget(m_BoxType);
    m_BoxPic = new QLabel(page);
    m_BoxPic->setObjectName("BoxPic");
    left->addWidget(m_BoxPic);
    left->addStretch(1);
    row->addLayout(left, 1);

    auto* gaugeBox = new QGridLayout;
    gaugeBox->addWidget(new QLabel(tr("Efficiency Bandwidth Product:"), page), 0, 0, 1, 3);
    gaugeBox->addWidget(new QLabel(tr("Vented / BP6th ->"), page), 1, 0, Qt::AlignRight | Qt::AlignTop);
    gaugeBox->addWidget(new QLabel(tr("Closed / BP4th ->"), page), 2, 0, Qt::AlignRight | Qt::AlignBottom);
    m_Gauge = new TEbpGauge(page);
    gaugeBox->addWidget(m_Gauge, 1, 1, 2, 1);
    m_EbpText = new QLabel(page);
    m_EbpText->setObjectName("lblEBP");
    m_EbpText->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("EBP = 000.0")));
    gaugeBox->addWidget(m_EbpText, 1, 2, 2, 1, Qt::AlignVCenter);
    row->addLayout(gaugeBox);
    layout->addLayout(row);
    connect(m_BoxType, &QComboBox::activated, this, [this] { ShowBoxPicture(); });
    return page;
}

QWidget* TfrmNewProject::BuildRadiatorPage() {
    auto* page = new QWidget;
    page->setObjectName("tabPassiveRadiator");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(tr("Passive radiator:"), page));
    layout->addWidget(Text(tr("Enter parameters of your passive radiator here."), page));
    auto* grid = new QGridLayout;
    const struct {
        const char* edit;
        const char* label;
        const char* caption;
        int kind;
        double TPassiveRadiatorData::*value;
    } rows[] = {
        {"edPRVas", "lblPRVas", "Vas", qkVolume, &TPassiveRadiatorData::Vas},
        {"edPRQms", nullptr, "Qms", qkNone, &TPassiveRadiatorData::Qms},
        {"edPRFs", "lblPRFs", "Fs", qkFrequency, &TPassiveRadiatorData::Fs},
        {"edPRSd", "lblPRSd", "Sd", qkArea, &TPassiveRadiatorData::Sd},
        {"edPRXmax", "lblPRXmax", "Xmax", qkLength, &TPassiveRadiatorData::Xmax},
    };
    int line = 0;
    for (const auto& item : rows) {
        auto* caption = new QLabel(tr(item.caption), page);
        auto* edit = new TFlatEdit(page);
        edit->setObjectName(item.edit);
        edit->setAccessibleName(tr("Passive radiator %1").arg(item.caption));
        caption->setBuddy(edit);
        grid->addWidget(caption, line, 0);
        grid->addWidget(edit, line, 1);
        auto* field = new TUnitWidgetField(edit, item.kind);
        m_RadiatorFields.push_back(field);
        TUnitWidgetField* labelField = nullptr;
        if (item.label != nullptr) {
            auto* label = new TUnitLabel(page);
            label->setObjectName(item.label);
            label->setAccessibleName(tr("Unit of %1").arg(item.caption));
            label->AttachField(edit);
            grid->addWidget(label, line, 2);
            labelField = new TUnitWidgetField(label, qkNone);
            m_RadiatorFields.push_back(labelField);
            connect(label, &TUnitLabel::clicked, this, [this, field, label] {
                label->setText(QString::fromStdString(m_Helper->CycleUnit(*field)));
            });
        }
        field->OnCommit = [this, field] {
            if (m_Helper->Commit(*field) == TUnitHelper::TCommitResult::Rejected)
                Tell(this, CantConvertMessage, platform::MessageKind::Error);
        };
        m_Helper->AddFloatNoState(*field, &(m_Radiator.*item.value), labelField);
        ++line;
    }
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmNewProject::BuildAlignmentPage() {
    auto* page = new QWidget;
    page->setObjectName("tabAlignment");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(tr("Choose Alignment:"), page));
    auto* caption = new QLabel(tr("&Available alignments for current driver/box:"), page);
    layout->addWidget(caption);
    auto* alignments = new TFlatComboBox(page);
    alignments->SetStyle(TFlatComboBox::csDropDownList);
    m_Alignments = alignments;
    m_Alignments->setObjectName("sAlignments");
    m_Alignments->setAccessibleName(tr("Available alignments"));
    caption->setBuddy(m_Alignments);
    layout->addWidget(m_Alignments);
    layout->addWidget(Text(tr("If you do not know which alignment to use, leave the proposed one and press "
                              "Finish."),
                           page));
    m_FinishReason = Text(QString(), page);
    m_FinishReason->setObjectName("lblFinishReason");
    QPalette warning = m_FinishReason->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0, 0));
    m_FinishReason->setPalette(warning);
    layout->addWidget(m_FinishReason);
    layout->addStretch(1);
    connect(m_Alignments, &QComboBox::activated, this, [this] { JudgeAlignment(); });
    return page;
}

int TfrmNewProject::ActivePage() const {
    return m_Pages->currentIndex();
}

TWizardChoices TfrmNewProject::Choices() const {
    TWizardChoices choices;
    choices.boxType = m_BoxType->currentIndex();
    choices.driverCount = m_DriverCount->currentText().toInt();
    choices.isobaric = m_Isobaric->isChecked();
    choices.radiator = m_Radiator;
    choices.alignment = m_Alignments->currentText().toStdString();
    return choices;
}

void TfrmNewProject::RefillDriverList() {
    const QString chosen = m_DriverList->currentText();
    std::vector<std::string> names;
    DriverDatabase.GetDriverList(names);
    m_DriverList->clear();
    for (const std::string& name : names)
        m_DriverList->addItem(platform::FileNameToText(name)); // a file name: its bytes survive
    if (m_DriverList->count() > 0) {
        const int again = m_DriverList->findText(chosen);
        m_DriverList->setCurrentIndex(again >= 0 ? again : 0);
        sDriverChange();
    } else {
        m_EBP = 0;
        m_Gauge->SetEBP(0);
        m_EbpText->clear();
    }
    UpdateButtons();
}

void TfrmNewProject::sDriverChange() {
    if (m_DriverList->currentIndex() >= 0) {
        const std::string name = platform::TextToFileName(m_DriverList->currentText());
        if (const TReadReport report = DriverDatabase.LoadDriver(name, m_Driver); !report) {
            // The entry's own values are unknown: none of the driver chosen before stays under its
            // name. Said while the wizard is shown; the quiet filling at creation says nothing.
            m_Driver.Data = TDriverObject().Data;
            if (isVisible())
                Tell(this, "The driver \"" + platform::DisplayFileName(name) + "\" could not be loaded: " + report.error,
                     platform::MessageKind::Error);
        }
    }
    PrepareWizardDriver(m_Driver);
    m_Params->ShowDriver(&m_Driver);
    m_EBP = WizardEBP(m_Driver.Data);
    m_Gauge->SetEBP(m_EBP);
    m_EbpText->setText(QString::fromStdString(EbpLabel(m_EBP)));
    m_BoxType->setCurrentIndex(ProposedBoxType(m_EBP));
    ShowBoxPicture();
    UpdateButtons();
}

void TfrmNewProject::Placement(bool isobaric) {
    m_Normal->setChecked(!isobaric);
    m_Isobaric->setChecked(isobaric);
    m_IsoPairs->setVisible(isobaric);
    m_PlacePic->setPixmap(Picture(isobaric ? "PLACEISO" : "PLACENOR"));
    m_DriverCount->clear();
    for (int n = 1; n <= kWizardMaxDrivers; ++n)
        m_DriverCount->addItem(QString::number(n));
    m_DriverCount->setCurrentIndex(0);
}

void TfrmNewProject::ShowBoxPicture() {
    static const char* const pictures[] = {"BMP1", "BMP2", "BMP3", "BMP4", "BMP5"};
    const int type = m_BoxType->currentIndex();
    if (type >= 0 && type < 5)
        m_BoxPic->setPixmap(Picture(pictures[type]));
}

void TfrmNewProject::ShowPage(int page) {
    m_Pages->setCurrentIndex(page);
    if (page == wpBoxType)
        ShowBoxPicture();
    UpdateButtons();
}

void TfrmNewProject::UpdateButtons() {
    const bool last = ActivePage() == wpAlignment;
    m_Next->setText(last ? tr("Finish") : tr("Next"));
    m_Next->setAccessibleName(last ? tr("Finish") : tr("Next"));
    m_Prev->setEnabled(ActivePage() != wpDriver);
    const bool driverChosen = m_DriverList->currentIndex() >= 0;
    m_Next->setEnabled(driverChosen && (!last || m_FinishAllowed));
}

void TfrmNewProject::FillAlignments() {
    const TWizardChoices choices = Choices();
    const TDriverObject driver = ProjectDriver(m_Driver, choices.driverCount, choices.isobaric);
    const TAlignmentChoice offer = AlignmentChoices(choices.boxType, driver);
    m_Alignments->clear();
    for (const std::string& item : offer.items)
        m_Alignments->addItem(QString::fromStdString(item));
    m_Alignments->setCurrentIndex(offer.selected);
    JudgeAlignment();
}

void TfrmNewProject::JudgeAlignment() {
    const TWizardChoices choices = Choices();
    TProjectDocument trial;
    std::string reason;
    m_FinishAllowed = FillNewProject(choices, m_Driver, trial, reason);
    m_FinishReason->setText(m_FinishAllowed ? QString() : QString::fromStdString(reason));
    UpdateButtons();
}

void TfrmNewProject::btnNextClick() {
    if (!m_Next->isEnabled())
        return;
    if (ActivePage() == wpAlignment) {
        if (FinishNewProject())
            close();
        return;
    }
    if (ActivePage() == wpPassiveRadiator) {
        // Typed text counts as entered when Next is pressed from inside a field.
        m_Helper->ReadValues();
        std::string reason;
        if (!RadiatorAccepted(m_Radiator, reason)) {
            Tell(this, reason, platform::MessageKind::Warning);
            return;
        }
    }
    const int next = WizardNextPage(ActivePage(), m_BoxType->currentIndex());
    if (next == wpAlignment)
        FillAlignments();
    ShowPage(next);
}

void TfrmNewProject::btnPrevClick() {
    ShowPage(WizardPreviousPage(ActivePage(), m_BoxType->currentIndex()));
}

void TfrmNewProject::btnAbortClick() {
    close();
}

void TfrmNewProject::btnNewClick() {
    if (IMainWindow* main = MainWindow())
        main->RunDatabaseMaintenance();
    close();
}

void TfrmNewProject::cbShowParamsClick() {
    m_Params->setVisible(m_ShowParams->isChecked());
    adjustSize();
}

bool TfrmNewProject::FinishNewProject() {
    m_Helper->ReadValues();
    const TWizardChoices choices = Choices();
    std::string reason;
    if (choices.boxType == 4 && !RadiatorAccepted(choices.radiator, reason)) {
        Tell(this, reason, platform::MessageKind::Warning);
        return false;
    }
    IMainWindow* main = MainWindow();
    const int slot = main != nullptr ? main->AllocateProjectSlot() : 0;
    if (slot == 0) {
        Tell(this, kSlotLimitMessage, platform::MessageKind::Warning);
        return false;
    }
    auto* project = dynamic_cast<TfrmProject*>(main->Proj(slot).window);
    if (project == nullptr) {
        main->FreeSlot(slot);
        Tell(this, "Something went wrong when trying to start new design!", platform::MessageKind::Error);
        return false;
    }
    project->loading = true;
    if (!FillNewProject(choices, m_Driver, *project, reason)) {
        // Judged before the slot was taken; a driver changed meanwhile ends here.
        project->loading = false;
        project->Widget()->close();
        Tell(this, reason, platform::MessageKind::Warning);
        return false;
    }
    // The window's own caption is the wizard's; the slot's caption is the project window's.
    project->setWindowTitle("[" + QString::number(slot) + "]" + m_BoxType->currentText() + " : " +
                            m_DriverList->currentText());
    project->ShowBoxTypeText(m_BoxType->currentText());
    project->StartNow(1);
    if (choices.boxType == 3 || choices.boxType == 4)
        Tell(this, kNoOptimumWarning, platform::MessageKind::Warning);
    return true;
}

void TfrmNewProject::showEvent(QShowEvent* event) {
    // Past the dialog's own placement beside its owner: the wizard centres itself on the screen.
    QWidget::showEvent(event);
    // A window the user restores keeps its page; each showing by the program starts again.
    if (event->spontaneous())
        return;
    RefillDriverList();
    ShowPage(wpDriver);
    m_Helper->WriteValues();
    m_Helper->UpdateUnitLabels();
    m_DriverList->setFocus();
    if (!m_Positioned) {
        m_Positioned = true;
        adjustSize();
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
}

void TfrmNewProject::closeEvent(QCloseEvent* event) {
    if (m_ShowParams->isChecked()) {
        static_cast<TFlatCheckBox*>(m_ShowParams)->SetChecked(false);
        m_Params->hide();
    }
    QDialog::closeEvent(event);
}

void TfrmNewProject::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (!TC.GridON || m_Snapping || isMaximized() || TC.GridX <= 0 || TC.GridY <= 0)
        return;
    const QPoint at = pos();
    const QPoint snapped(SnapToGrid(at.x(), TC.GridX), SnapToGrid(at.y(), TC.GridY));
    if (snapped != at) {
        m_Snapping = true;
        move(snapped);
        m_Snapping = false;
    }
}

void TfrmNewProject::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // Enter anywhere the field itself does not take it goes on, as in a dialog.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_Next->isEnabled()) {
        m_Next->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
