#include "workspace/ProjectForm.h"

#include "flatctl/ShownText.h"
#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "flatctl/TFlatRadioButtonUnit.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MdiFrame.h"
#include "shell/Settings.h"
#include "simulation/boxmath2.h"
#include "workspace/DragUtil.h"
#include "workspace/DrvParams.h"
#include "workspace/HV_Menu.h"
#include "workspace/UnitWidgets.h"
#include "workspace/ValueChanger.h"
#include "workspace/plothelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

// The box picture: hands its mouse gestures to the window.
class TBoxPicture : public QLabel {
public:
    TBoxPicture(TfrmProject* window, QWidget* parent) : QLabel(parent), m_Window(window) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        m_Window->BoxPicMouseDown(event->button(), event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        m_Window->BoxPicMouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_Window->BoxPicMouseUp(); }

private:
    TfrmProject* m_Window;
};

namespace {

constexpr const char* kBoxPicHint =
    "Drag mouse to change box parameters :\r\nLeft button : Rear chamber\r\n"
    "Right button : Front chamber\r\nleft-right : box size\r\nup-down : box tuning";
constexpr const char* kNotYetAvailable = "This feature is not yet available in this alpha release.";
// The flat colour of the fields a box-picture drag changes, while the button is down.
constexpr TColor kDragFieldColour = 0x808000;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A stored name as captions and labels show it: they lay out their whole text at once.
QString ShownName(const std::string& name) {
    return ShownLine(Q(name), CaptionNameBound).text;
}

std::string DateText(const TDate& date) {
    return QDate(date.Year, date.Month, date.Day).toString(Qt::ISODate).toStdString();
}

void Message(const std::string& text, platform::MessageKind kind = platform::MessageKind::Warning) {
    platform::AppDialogs().MessageDlg(text, kind, platform::ButtonOk);
}

// A small picture of a round or a rectangular vent, for the shape buttons.
QIcon ShapeIcon(bool rectangular) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QColor(90, 90, 90));
    if (rectangular)
        painter.drawRect(3, 6, 18, 12);
    else
        painter.drawEllipse(3, 3, 18, 18);
    return QIcon(pixmap);
}

QPixmap Picture(const QString& name) {
    QPixmap pixmap(":/projectwindow/" + name + ".png");
    return pixmap;
}

} // namespace

static void LoadProjectPictures() {
    // The pictures live in a static library: their resource registers on first use.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(projectpictures);
        return true;
    }();
    (void)loaded;
}

TfrmProject::TfrmProject(int slotNumber, QWidget* parent) : QWidget(parent) {
    LoadProjectPictures();
    slot = slotNumber;
    setObjectName("frmProject");
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    m_Helper = std::make_unique<TUnitHelper>();
    loading = true;
    BuildWindow();
    DrawUnitLabels();
    // Fields take dropped text, and a dragged driver carries its name as text for other programs:
    // over a field it is still the window's driver drop.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

TfrmProject::~TfrmProject() {
    // The fields refer to the widgets; drop them before the widgets go.
    m_Helper.reset();
    m_Fields.clear();
}

QWidget* TfrmProject::Control(const QString& objectName) const {
    auto found = m_Controls.find(objectName);
    return found != m_Controls.end() ? found->second : nullptr;
}

// --- building ----------------------------------------------------------------------------

namespace {

template <class Widget> Widget* Named(Widget* widget, const QString& name, std::map<QString, QWidget*>& map) {
    widget->setObjectName(name);
    map[name] = widget;
    return widget;
}

} // namespace

QLabel* TfrmProject::MakeUnitLabel(const QString& name, TUnitWidgetField* field) {
    auto* label = Named(new QLabel("-", this), name, m_Controls);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::TabFocus);
    label->setToolTip(tr("Click to change the unit"));
    label->installEventFilter(this);
    label->setProperty("unitOf", QVariant::fromValue(static_cast<void*>(field)));
    return label;
}

QLineEdit* TfrmProject::FieldRow(QGridLayout* grid, const QString& caption, const QString& name,
                                 TProjectField rule, double* value, int kind, const QString& unitLabelName,
                                 bool stepKeys) {
    // The field first: it makes its unit label.
    QLineEdit* edit = AddField(name, rule, value, kind, unitLabelName, stepKeys);
    const int row = grid->rowCount();
    auto* label = new QLabel(caption);
    label->setBuddy(edit);
    edit->setAccessibleName(QString(caption).remove('&').remove(':'));
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    if (QWidget* unit = Control(unitLabelName); unit != nullptr && !unitLabelName.isEmpty())
        grid->addWidget(unit, row, 2);
    return edit;
}

QLineEdit* TfrmProject::AddField(const QString& name, TProjectField rule, double* value, int kind,
                                 const QString& unitLabelName, bool stepKeys) {
    auto* edit = Named(new TFlatEdit(this), name, m_Controls);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("000000.0000") + 8);
    auto field = std::make_unique<TUnitWidgetField>(edit, kind);
    TUnitWidgetField* raw = field.get();
    field->EnableStepKeys(stepKeys);
    field->OnCommit = [this, raw, rule, value] { FieldCommitted(raw, rule, value); };
    if (stepKeys)
        field->OnStep = [this, raw, rule, value](bool up) { FieldStepped(raw, rule, value, up); };
    TUnitWidgetField* labelField = nullptr;
    if (!unitLabelName.isEmpty()) {
        QLabel* label = MakeUnitLabel(unitLabelName, raw);
        auto labelBinding = std::make_unique<TUnitWidgetField>(label, 0);
        labelField = labelBinding.get();
        m_Fields.push_back(std::move(labelBinding));
    }
    m_Helper->AddFloatNoState(*raw, value, labelField);
    m_Fields.push_back(std::move(field));
    return edit;
}

namespace {

// caption | field | unit label, one row of a grid.
void AddRow(QGridLayout* grid, const QString& caption, QWidget* field, QWidget* unit = nullptr,
            QLabel** captionOut = nullptr) {
    const int row = grid->rowCount();
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setAccessibleName(QString(caption).remove('&').remove(':'));
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    if (unit != nullptr)
        grid->addWidget(unit, row, 2);
    if (captionOut != nullptr)
        *captionOut = label;
}

QLabel* UnitOf(const std::map<QString, QWidget*>& controls, const QString& name) {
    auto found = controls.find(name);
    return found != controls.end() ? qobject_cast<QLabel*>(found->second) : nullptr;
}

} // namespace

void TfrmProject::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    m_Tabs = Named(new QTabWidget(this), "PageControl1", m_Controls);
    m_Tabs->addTab(BuildDriverTab(), tr("Driver"));
    m_Tabs->addTab(BuildRadiatorTab(), tr("PR"));
    m_Tabs->addTab(BuildBoxTab(), tr("Box"));
    m_Tabs->addTab(BuildVentsTab(), tr("Vents"));
    m_Tabs->addTab(BuildPlotTab(), tr("Plot"));
    m_Tabs->addTab(BuildSignalTab(), tr("Signal"));
    m_Tabs->addTab(BuildFilterTab(), tr("EQ/Filter"));
    m_Tabs->addTab(BuildProjectTab(), tr("Project"));
    m_Tabs->setTabVisible(1, false);
    connect(m_Tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1) // tabPassiveRadiatorShow
            WriteFields();
    });
    layout->addWidget(m_Tabs);

    m_ShowParameters = Named(new QPushButton(tr("Parameters"), this), "pnlShowParameters", m_Controls);
    m_ShowParameters->setCheckable(true);
    connect(m_ShowParameters, &QPushButton::clicked, this, [this] { pnlShowParametersClick(); });
    layout->addWidget(m_ShowParameters, 0, Qt::AlignLeft);
    m_Params = new TfrmTinyParams(this);
    m_Params->hide();
    m_Params->OnValueChanged = [this] {
        MarkChanged();
        UpdateNow();
    };
    layout->addWidget(m_Params);
    layout->addStretch(1);
}

QWidget* TfrmProject::BuildDriverTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* brand = Named(new TFlatEdit(page), "edBrand", m_Controls);
    auto* model = Named(new TFlatEdit(page), "edModel", m_Controls);
    for (QLineEdit* edit : {brand, model})
        edit->setToolTip(tr("Name of the driver assigned to project."));
    connect(brand, &QLineEdit::textEdited, this, [this](const QString& text) {
        driver.Data.Brand = text.toStdString();
        MarkChanged();
    });
    connect(model, &QLineEdit::textEdited, this, [this](const QString& text) {
        driver.Data.Model = text.toStdString();
        MarkChanged();
    });
    AddRow(grid, tr("Brand:"), brand);
    AddRow(grid, tr("Model:"), model);
    auto* handle = Named(new QLabel(page), "Image1", m_Controls);
    handle->setPixmap(Picture("DRIVER"));
    handle->setToolTip(tr("Drag the driver to another project or to the driver editor"));
    handle->setAccessibleName(tr("Driver"));
    handle->setCursor(Qt::OpenHandCursor);
    handle->installEventFilter(this);
    grid->addWidget(handle, 0, 2, 2, 1);

    auto* drivers = Named(new TFlatComboBox(page), "sDrivers", m_Controls);
    drivers->setEditable(true);
    for (int n = 1; n <= kMaxDriverCount; ++n)
        drivers->addItem(QString::number(n));
    {
        auto field = std::make_unique<TUnitWidgetField>(drivers, 0);
        TUnitWidgetField* raw = field.get();
        field->OnCommit = [this, raw] { IntegerCommitted(raw, TProjectField::Drivers, &box.Nd); };
        m_Helper->AddInteger(*raw, &box.Nd);
        m_Fields.push_back(std::move(field));
    }
    AddRow(grid, tr("Num. of drivers:"), drivers);
    auto* pairs = Named(new QLabel(tr("pair(s)"), page), "lblPairs", m_Controls);
    grid->addWidget(pairs, grid->rowCount() - 1, 2);
    pairs->hide();

    auto* placement = new QGroupBox(tr("Placement"), page);
    auto* placementLayout = new QHBoxLayout(placement);
    auto* radios = new QVBoxLayout;
    auto* standard = Named(new TFlatRadioButton(tr("Normal"), placement), "rbStandard", m_Controls);
    auto* iso = Named(new TFlatRadioButton(tr("IsoBarik (Compound)"), placement), "rbIsoBarik", m_Controls);
    standard->setChecked(true);
    radios->addWidget(standard);
    radios->addWidget(iso);
    radios->addStretch(1);
    placementLayout->addLayout(radios);
    m_Placement = Named(new QLabel(placement), "imgPlacement", m_Controls);
    placementLayout->addWidget(m_Placement);
    auto placementClick = [this](bool isobaric) {
        box.Isobarik = isobaric;
        ShowPlacement();
        if (loading)
            return;
        box.Nd = 1;
        MarkChanged();
        UpdateNow();
    };
    connect(standard, &TFlatRadioButton::clicked, this, [placementClick] { placementClick(false); });
    connect(iso, &TFlatRadioButton::clicked, this, [placementClick] { placementClick(true); });
    grid->addWidget(placement, grid->rowCount(), 0, 1, 3);

    auto* advanced = new QGroupBox(tr("Advanced options"), page);
    auto* advancedGrid = new QGridLayout(advanced);
    FieldRow(advancedGrid, tr("Voice coil temp rise:"), "eddTVC", TProjectField::dTVC, &box.dTVC,
             qkTemperatureDifference, "lblVCTRise", true);
    FieldRow(advancedGrid, tr("Voice coil resistance TC:"), "edAlfaVC", TProjectField::AlfaVC, &box.alfaVC,
             qkTemperatureCoefficient, "lblAlfaVC", false);
    FieldRow(advancedGrid, tr("Added mass to cone:"), "edDeltaMass", TProjectField::DeltaMass, &box.Med,
             qkMass, "lblDeltaMass", true);
    grid->addWidget(advanced, grid->rowCount(), 0, 1, 3);
    grid->setRowStretch(grid->rowCount(), 1);
    return page;
}

QWidget* TfrmProject::BuildRadiatorTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    TPassiveRadiatorData& r = box.PassiveRadiator;
    struct Row {
        const char* caption;
        const char* name;
        TProjectField rule;
        double* value;
        int kind;
        const char* unit;
    };
    const Row rows[] = {
        {"Vas:", "edPRVas", TProjectField::PRVas, &r.Vas, qkVolume, "lblPRVas"},
        {"Qms:", "edPRQms", TProjectField::PRQms, &r.Qms, qkNone, ""},
        {"Fs:", "edPRFs", TProjectField::PRFs, &r.Fs, qkFrequency, "lblPRFs"},
        {"Sd:", "edPRSd", TProjectField::PRSd, &r.Sd, qkArea, "lblPRSd"},
        {"Xmax:", "edPRXmax", TProjectField::PRXmax, &r.Xmax, qkLength, "lblPRXmax"},
    };
    for (const Row& row : rows) {
        QLineEdit* edit = AddField(row.name, row.rule, row.value, row.kind, row.unit, true);
        AddRow(grid, tr(row.caption), edit, UnitOf(m_Controls, row.unit));
    }
    auto* count = Named(new TFlatEdit(page), "edNumOfPR", m_Controls);
    {
        auto field = std::make_unique<TUnitWidgetField>(count, 0);
        TUnitWidgetField* raw = field.get();
        field->OnCommit = [this, raw] { IntegerCommitted(raw, TProjectField::NumOfPR, &box.Npr); };
        m_Helper->AddInteger(*raw, &box.Npr);
        m_Fields.push_back(std::move(field));
    }
    AddRow(grid, tr("Num. of PRs:"), count);
    FieldRow(grid, tr("Added mass to cone:"), "edPRDeltaMass", TProjectField::PRDeltaMass, &r.Me, qkMass,
             "lblPRDeltaMass", true);
    // Reported by the model; shown only.
    QLineEdit* fsm = AddField("edFsm", TProjectField::PRFs, &box.Fsm, qkFrequency, "lblFsm", false);
    fsm->setReadOnly(true);
    fsm->setEnabled(false);
    AddRow(grid, tr("Fs (with added mass):"), fsm, UnitOf(m_Controls, "lblFsm"));
    grid->setRowStretch(grid->rowCount(), 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* TfrmProject::BuildBoxTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    auto* typeName = Named(new QLabel(page), "lblBoxType", m_Controls);
    QFont bold = typeName->font();
    bold.setBold(true);
    typeName->setFont(bold);
    layout->addWidget(typeName, 0, 0);
    m_BoxPic = new TBoxPicture(this, page);
    Named(m_BoxPic, "BoxPic", m_Controls);
    m_BoxPic->setToolTip(QString(kBoxPicHint).replace("\r\n", "\n"));
    m_BoxPic->setFrameShape(QFrame::Panel);
    m_BoxPic->setFrameShadow(QFrame::Sunken);
    m_BoxPic->setAlignment(Qt::AlignCenter);
    m_BoxPic->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(m_BoxPic, 1, 0, 2, 1, Qt::AlignTop);
    auto* shape = Named(new QPushButton(tr("Box shape"), page), "btnBoxShape", m_Controls);
    connect(shape, &QPushButton::clicked, this,
            [] { Message(kNotYetAvailable, platform::MessageKind::Information); });
    layout->addWidget(shape, 3, 0, Qt::AlignLeft);

    auto chamber = [this, page](bool rear) {
        auto* group = Named(new QGroupBox(rear ? tr("Rear chamber") : tr("Front chamber"), page),
                            rear ? "pnlRearChamber" : "pnlFrontChamber", m_Controls);
        auto* grid = new QGridLayout(group);
        const QString p = rear ? "Re" : "Fe";
        QLineEdit* volume = AddField(p + "Volume", rear ? TProjectField::ReVolume : TProjectField::FeVolume,
                                     rear ? &box.Vr : &box.Vf, qkVolume, "lbl" + p + "Volume", true);
        QLineEdit* tune =
            AddField(p + "Tune", rear ? TProjectField::ReTune : TProjectField::FeTune,
                     rear ? &box.RearVent.Fb : &box.FrontVent.Fb, qkFrequency, "lbl" + p + "Tune", true);
        QLabel* volumeCaption = nullptr;
        QLabel* tuneCaption = nullptr;
        AddRow(grid, tr("Volume:"), volume, UnitOf(m_Controls, "lbl" + p + "Volume"), &volumeCaption);
        AddRow(grid, tr("Tuning freq.:"), tune, UnitOf(m_Controls, "lbl" + p + "Tune"), &tuneCaption);
        Named(volumeCaption, rear ? "lbVr" : "lbVf", m_Controls);
        Named(tuneCaption, rear ? "lbFr" : "lbFf", m_Controls);
        for (QLabel* lock : {volumeCaption, tuneCaption}) {
            lock->setCursor(Qt::PointingHandCursor);
            lock->setFocusPolicy(Qt::TabFocus);
            lock->setToolTip(tr("Click to lock or unlock for the box picture's drags"));
            lock->installEventFilter(this);
        }
        if (rear) {
            auto* qtcCaption = Named(new QLabel(tr("Qtc:"), group), "lblQtc", m_Controls);
            auto* qtc = Named(new QLabel(group), "pnlQtc", m_Controls);
            qtc->setFrameShape(QFrame::Panel);
            qtc->setFrameShadow(QFrame::Sunken);
            qtc->setAccessibleName("Qtc");
            const int row = grid->rowCount();
            grid->addWidget(qtcCaption, row, 0);
            grid->addWidget(qtc, row, 1);
        }
        auto* advanced =
            Named(new QPushButton(tr("Advanced->"), group), rear ? "btnRAdv" : "btnFAdv", m_Controls);
        connect(advanced, &QPushButton::clicked, this, [this, rear] { AdvancedMenu(rear); });
        grid->addWidget(advanced, grid->rowCount(), 1, Qt::AlignLeft);
        return group;
    };
    layout->addWidget(chamber(true), 1, 1);
    layout->addWidget(chamber(false), 2, 1);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

QWidget* TfrmProject::BuildVentsTab() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto vent = [this, page](bool rear) {
        const QString p = rear ? "R" : "F";
        TVentData& data = rear ? box.RearVent : box.FrontVent;
        auto* group = Named(new QGroupBox(rear ? tr("Rear vent") : tr("Front vent"), page),
                            rear ? "pnlRearVent" : "pnlFrontVent", m_Controls);
        auto* grid = new QGridLayout(group);
        auto* count = Named(new TFlatComboBox(group), p + "SVents", m_Controls);
        count->SetStyle(TFlatComboBox::csDropDownList);
        for (int n = 1; n <= kMaxVentCount; ++n)
            count->addItem(QString::number(n));
        {
            auto field = std::make_unique<TUnitWidgetField>(count, 0);
            TUnitWidgetField* raw = field.get();
            field->OnCommit = [this, raw, rear, &data] {
                IntegerCommitted(raw, rear ? TProjectField::RVents : TProjectField::FVents, &data.Num);
            };
            m_Helper->AddInteger(*raw, &data.Num);
            m_Fields.push_back(std::move(field));
        }
        AddRow(grid, tr("Number of vents:"), count);
        auto* shape = Named(new QToolButton(group), p + "Shape", m_Controls);
        shape->setToolTip(tr("Shape of vent(click to change)"));
        shape->setAccessibleName(tr("Shape of vent"));
        shape->setIconSize(QSize(24, 24));
        connect(shape, &QToolButton::clicked, this, [this, rear] {
            ToggleVentShape(rear);
            ShowVentShapes();
            UpdateNow();
        });
        AddRow(grid, tr("Shape:"), shape);

        auto sizeCombo = [this, group, rear](const QString& name, TProjectField rule, double* value) {
            auto* combo = Named(new TFlatComboBox(group), name, m_Controls);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            // A typed size must stay as typed: completing "0.08" to the preset "0.082" would
            // change the vent behind the user's back.
            combo->setCompleter(nullptr);
            combo->setMinimumWidth(combo->fontMetrics().horizontalAdvance("000000.00") + 30);
            auto field = std::make_unique<TUnitWidgetField>(combo, qkLength);
            TUnitWidgetField* raw = field.get();
            field->OnCommit = [this, raw, rule, value] { FieldCommitted(raw, rule, value); };
            m_Helper->AddFloatNoState(*raw, value);
            m_Fields.push_back(std::move(field));
            (void)rear;
            return combo;
        };
        auto* sizes = new QHBoxLayout;
        sizes->addWidget(sizeCombo(p + "SDia", rear ? TProjectField::RDia : TProjectField::FDia, &data.dia1));
        auto* times = Named(new QLabel("X", group), "lbl" + p + "X", m_Controls);
        sizes->addWidget(times);
        sizes->addWidget(
            sizeCombo(p + "SDia2", rear ? TProjectField::RDia2 : TProjectField::FDia2, &data.dia2));
        auto* sizeUnit = Named(new QLabel("-", group), rear ? "lblRsDia" : "lblFsDia", m_Controls);
        sizeUnit->setCursor(Qt::PointingHandCursor);
        sizeUnit->setFocusPolicy(Qt::TabFocus);
        sizeUnit->installEventFilter(this);
        sizes->addWidget(sizeUnit);
        sizes->addStretch(1);
        const int row = grid->rowCount();
        auto* sizeCaption = new QLabel(tr("Size:"), group);
        sizeCaption->setBuddy(Control(p + "SDia"));
        Control(p + "SDia")->setAccessibleName(tr("Size"));
        Control(p + "SDia2")->setAccessibleName(tr("Height"));
        grid->addWidget(sizeCaption, row, 0);
        grid->addLayout(sizes, row, 1, 1, 2);

        FieldRow(grid, tr("Length:"), "e" + p + "VentLen",
                 rear ? TProjectField::RVentLen : TProjectField::FVentLen, &data.len, qkLength,
                 "lbl" + p + "VentLen", true);
        QLineEdit* area = AddField("e" + p + "VentArea", TProjectField::RDia, &data.carea, qkArea,
                                   "lbl" + p + "VentArea", false);
        area->setReadOnly(true);
        area->setEnabled(false);
        AddRow(grid, tr("Area:"), area, UnitOf(m_Controls, "lbl" + p + "VentArea"));
        auto* end = Named(new TFlatComboBox(group), p + "SEndCorrection", m_Controls);
        end->setEditable(true);
        end->setInsertPolicy(QComboBox::NoInsert);
        end->addItems({tr("Two free ends"), tr("One flanged end"), tr("Two flanged ends")});
        connect(end, &QComboBox::activated, this, [this, rear] { EndCorrectionChosen(rear); });
        end->installEventFilter(this);
        if (end->lineEdit() != nullptr)
            connect(end->lineEdit(), &QLineEdit::returnPressed, this,
                    [this, rear] { EndCorrectionChosen(rear); });
        AddRow(grid, tr("End correction:"), end);
        QLineEdit* resonance = AddField("e" + p + "Vent1stRes", TProjectField::RDia, &data.firstResonance,
                                        qkFrequency, "lbl" + p + "Vent1stRes", false);
        resonance->setReadOnly(true);
        resonance->setEnabled(false);
        AddRow(grid, tr("1st port resonance:"), resonance, UnitOf(m_Controls, "lbl" + p + "Vent1stRes"));
        auto* cross = Named(new TFlatCheckBox(tr("Crosscalc"), group), "chk" + p + "VCrossCalc", m_Controls);
        cross->hide();
        connect(cross, &TFlatCheckBox::clicked, this, [this, rear, &data](bool checked) {
            data.crosscalc = checked;
            Control(rear ? "eRVentLen" : "eFVentLen")->setEnabled(checked);
        });
        grid->setRowStretch(grid->rowCount(), 1);
        return group;
    };
    layout->addWidget(vent(true));
    layout->addWidget(vent(false));
    return page;
}

QWidget* TfrmProject::BuildPlotTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* environment = new QGroupBox(tr("Environment"), page);
    auto* grid = new QGridLayout(environment);
    FieldRow(grid, tr("Temperature:"), "edTemperature", TProjectField::Temperature, &box.T, qkTemperature,
             "lblTemp", true);
    FieldRow(grid, tr("Humidity:"), "edHumidy", TProjectField::Humidity, &box.phi, qkRatio, "lblHumidy",
             true);
    FieldRow(grid, tr("Air pressure:"), "edAirPressure", TProjectField::AirPressure, &box.p, qkPressure,
             "lblPressure", true);
    auto panel = [this, environment](const QString& name, double* value, int kind, const QString& unitName) {
        auto* label = Named(new QLabel(environment), name, m_Controls);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        auto field = std::make_unique<TUnitWidgetField>(label, kind);
        TUnitWidgetField* raw = field.get();
        QLabel* unit = MakeUnitLabel(unitName, raw);
        auto unitField = std::make_unique<TUnitWidgetField>(unit, 0);
        m_Helper->AddFloatNoState(*raw, value, unitField.get());
        m_Fields.push_back(std::move(unitField));
        m_Fields.push_back(std::move(field));
        return label;
    };
    QLabel* speed = panel("pnlAirSpeed", &c, qkVelocity, "lblAirSpeed");
    AddRow(grid, tr("Sound velocity:"), speed, UnitOf(m_Controls, "lblAirSpeed"));
    QLabel* density = panel("pnlAirDensity", &rho, qkDensity, "lblAirDensity");
    AddRow(grid, tr("Air density:"), density, UnitOf(m_Controls, "lblAirDensity"));
    Control("pnlAirSpeed")->setAccessibleName(tr("Sound velocity"));
    Control("pnlAirDensity")->setAccessibleName(tr("Air density"));
    layout->addWidget(environment);

    auto* line = new QGroupBox(tr("Line"), page);
    auto* lineLayout = new QGridLayout(line);
    auto* swatch = Named(new QLabel(line), "pnlColor", m_Controls);
    swatch->setMinimumSize(40, 20);
    swatch->setAutoFillBackground(true);
    swatch->setFrameShape(QFrame::Panel);
    swatch->setAccessibleName(tr("Line colour"));
    swatch->installEventFilter(this);
    auto* change = Named(new QPushButton(tr("Change"), line), "pnlChangeColor", m_Controls);
    connect(change, &QPushButton::clicked, this, [this] { colorPanelClick(); });
    lineLayout->addWidget(new QLabel(tr("Colour:"), line), 0, 0);
    lineLayout->addWidget(swatch, 0, 1);
    lineLayout->addWidget(change, 0, 2);
    auto* width = Named(new TFlatComboBox(line), "cbLineWidth", m_Controls);
    width->SetStyle(TFlatComboBox::csDropDownList);
    width->addItems({"1", "2", "3", "4"});
    connect(width, &QComboBox::activated, this,
            [this](int index) { ApplyResult(ApplyChange(TProjectField::LineWidth, index + 1)); });
    auto* widthCaption = new QLabel(tr("Width:"), line);
    widthCaption->setBuddy(width);
    width->setAccessibleName(tr("Width"));
    lineLayout->addWidget(widthCaption, 1, 0);
    lineLayout->addWidget(width, 1, 1);
    lineLayout->setColumnStretch(3, 1);
    layout->addWidget(line);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmProject::BuildSignalTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    FieldRow(grid, tr("System input power:"), "edPower", TProjectField::Power, &signal.P, qkPower, "lblPower",
             true);
    FieldRow(grid, tr("Series resistance:"), "edRg", TProjectField::Rg, &signal.Rg, qkResistance, "lblRg",
             true);
    FieldRow(grid, tr("Distance:"), "edDist", TProjectField::Distance, &box.d, qkLength, "lblDistance", true);
    FieldRow(grid, tr("Angle:"), "edAngle", TProjectField::Angle, &box.Angle, qkAngle, "lblAngle", true);
    grid->setRowStretch(grid->rowCount(), 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* TfrmProject::BuildFilterTab() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    m_Filters = Named(new QListWidget(page), "lstEQS", m_Controls);
    m_Filters->setAccessibleName(tr("Filters"));
    layout->addWidget(m_Filters, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = Named(new QPushButton(tr("Add"), page), "btnAddEq", m_Controls);
    auto* del = Named(new QPushButton(tr("Delete"), page), "btnDelEq", m_Controls);
    auto* modify = Named(new QPushButton(tr("Modify"), page), "btnModifyEq", m_Controls);
    del->setEnabled(false);
    modify->setEnabled(false);
    buttons->addWidget(add);
    buttons->addWidget(del);
    buttons->addWidget(modify);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, [this] { btnAddEqClick(); });
    connect(del, &QPushButton::clicked, this, [this] { btnDelEqClick(); });
    connect(modify, &QPushButton::clicked, this, [this] { btnModifyEqClick(); });
    connect(m_Filters, &QListWidget::currentRowChanged, this, [this](int row) {
        Control("btnDelEq")->setEnabled(row >= 0);
        Control("btnModifyEq")->setEnabled(row >= 0);
    });
    connect(m_Filters, &QListWidget::itemDoubleClicked, this, [this] { btnModifyEqClick(); });
    connect(m_Filters, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = m_Filters->row(item);
        if (row < 0 || row >= static_cast<int>(filters.size()))
            return;
        const bool enabled = item->checkState() == Qt::Checked;
        TFilterBase& filter = *filters[static_cast<std::size_t>(row)];
        if (filter.Enabled == enabled)
            return;
        filter.Enabled = enabled;
        MarkChanged();
        PlotNow();
    });
    return page;
}

QWidget* TfrmProject::BuildProjectTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto panel = [this, page](const QString& name, const QString& caption) {
        auto* label = Named(new QLabel(page), name, m_Controls);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAccessibleName(QString(caption).remove(':'));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return label;
    };
    AddRow(grid, tr("Created:"), panel("pnlCreated", tr("Created:")));
    AddRow(grid, tr("Modified:"), panel("pnlModified", tr("Modified:")));
    AddRow(grid, tr("Creator:"), panel("pnlCreator", tr("Creator:")));
    m_Description = Named(new TFlatMemo(page), "memDescription", m_Controls);
    m_Description->setTabChangesFocus(true);
    m_Description->setAccessibleName(tr("Description"));
    connect(m_Description, &QPlainTextEdit::textChanged, this, [this] {
        if (loading || !m_Description->HoldsWholeText())
            return;
        // Stored with CR LF line breaks, as the file's texts are.
        info.Description = m_Description->toPlainText().replace("\n", "\r\n").toStdString();
        MarkChanged();
    });
    auto* caption = new QLabel(tr("Description:"), page);
    caption->setBuddy(m_Description);
    grid->addWidget(caption, grid->rowCount(), 0, 1, 2);
    grid->addWidget(m_Description, grid->rowCount(), 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    auto* save = Named(new QPushButton(tr("Save"), page), "btnSave", m_Controls);
    auto* text = Named(new QPushButton(tr("Show as text"), page), "btnShowAsText", m_Controls);
    connect(save, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(text, &QPushButton::clicked, this,
            [] { Message(kNotYetAvailable, platform::MessageKind::Information); });
    buttons->addWidget(save);
    buttons->addWidget(text);
    buttons->addStretch(1);
    grid->addLayout(buttons, grid->rowCount(), 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page;
}

// --- start -------------------------------------------------------------------------------

bool TfrmProject::LoadProjectFile(const QString& fileName, QString& error) {
    const std::filesystem::path path = platform::TextToPath(fileName);
    const TReadReport report = Load(path);
    if (!report) {
        error = Q(report.error);
        return false;
    }
    if (report.HasNotes())
        platform::AppDialogs().MessageDlg(LoadNotesMessage(path, report), platform::MessageKind::Warning,
                                          platform::ButtonOk);
    // An opened project's window is named after its slot, box type and driver; a title is plain
    // text, so "&" stays as it is (menus that list windows escape it themselves).
    setWindowTitle("[" + QString::number(slot) + "]" + Q(BoxTypeName(box.BType)) + " : " +
                   ShownName(driver.Data.Brand) + " " + ShownName(driver.Data.Model));
    return true;
}

void TfrmProject::StartNow(int mode) {
    loading = true;
    // Every start sets the locks of all project windows free again.
    ProjectDragLocks() = TDragLocks{};
    Start(mode, TC.UserName);

    // The size lists' presets, in each list's unit when the project starts.
    for (const char* name : {"RSDia", "RSDia2", "FSDia", "FSDia2"}) {
        auto* combo = qobject_cast<QComboBox*>(Control(name));
        TUnitWidgetField probe(combo, qkLength);
        combo->clear();
        for (double diameter : kVentPresetDiameters)
            combo->addItem(Q(Val2Str(qkLength, GetUnitIndex(probe), diameter)));
    }
    qobject_cast<TFlatCheckBox*>(Control("chkRVCrossCalc"))->setChecked(box.RearVent.crosscalc);
    qobject_cast<TFlatCheckBox*>(Control("chkFVCrossCalc"))->setChecked(box.FrontVent.crosscalc);
    Control("eRVentLen")->setEnabled(box.RearVent.crosscalc);
    Control("eFVentLen")->setEnabled(box.FrontVent.crosscalc);
    qobject_cast<TFlatRadioButton*>(Control(box.Isobarik ? "rbIsoBarik" : "rbStandard"))->setChecked(true);
    ShowPlacement();
    qobject_cast<QComboBox*>(Control("cbLineWidth"))->setCurrentIndex(std::clamp(Width, 1, 4) - 1);
    ShowColour();
    ShowBoxType();
    ShowVentShapes();
    qobject_cast<TFlatEdit*>(Control("edBrand"))->ShowStoredText(Q(driver.Data.Brand));
    qobject_cast<TFlatEdit*>(Control("edModel"))->ShowStoredText(Q(driver.Data.Model));
    m_Description->ShowStoredText(Q(info.Description).replace("\r\n", "\n"));
    ShowProjectInfo();
    RefreshCaption();
    if (IMainWindow* main = MainWindow())
        main->CheckActiveProjectItem(slot);

    loading = false;
    m_Started = true;
    if (IMainWindow* main = MainWindow()) {
        // The main window keeps a new project's frame hidden until it starts.
        main->AddChildWindow(this);
        main->SetActiveProject(slot);
    }
    UpdateNow();
    UpdateFilterList();
    m_Params->ShowDriver(&driver);
    m_Helper->SetModified(false);
    DrawLocks();
}

void TfrmProject::RefreshCaption() {
    const QString caption =
        "[" + QString::number(slot) + "]" + Q(BoxTypeName(box.BType)) + " : " + ShownName(driver.Data.Model);
    if (windowTitle().isEmpty())
        setWindowTitle(caption);
    if (IMainWindow* main = MainWindow())
        main->SetSlotCaption(slot, caption);
}

void TfrmProject::ShowBoxTypeText(const QString& text) {
    qobject_cast<QLabel*>(Control("lblBoxType"))->setText(text);
}

void TfrmProject::ShowBoxType() {
    const std::int32_t type = box.BType;
    m_Tabs->setTabVisible(1, type == pbPassiveRadiator);
    m_Tabs->setTabVisible(3, type != pbClosed && type != pbPassiveRadiator);
    if (auto* typeName = qobject_cast<QLabel*>(Control("lblBoxType")); typeName->text().isEmpty())
        typeName->setText(Q(BoxTypeName(type)));
    const bool frontTune = type != pbClosed;
    Control("FeTune")->setVisible(frontTune);
    Control("FeTune")->setEnabled(frontTune);
    Control("lblFeTune")->setVisible(frontTune);
    Control("lbFf")->setVisible(frontTune);
    const bool rearTuneEditable = type == pbVented || type == pbBandpass6;
    Control("ReTune")->setEnabled(rearTuneEditable);
    auto* rearTuneCaption = qobject_cast<QLabel*>(Control("lbFr"));
    rearTuneCaption->setText(type == pbClosed      ? tr("Fsc:")
                             : type == pbBandpass4 ? tr("Frc:")
                                                   : tr("Tuning freq.:"));
    Control("lblQtc")->setVisible(type == pbClosed);
    Control("pnlQtc")->setVisible(type == pbClosed);
    Control("pnlFrontChamber")->setVisible(type == pbBandpass4 || type == pbBandpass6);
    Control("pnlFrontVent")->setVisible(type == pbBandpass4 || type == pbBandpass6);
    Control("pnlRearVent")->setVisible(type == pbVented || type == pbBandpass6);
    m_BoxPic->setPixmap(Picture("BMP" + QString::number(std::clamp(type, 0, 4) + 1)));
}

void TfrmProject::ShowPlacement() {
    Control("lblPairs")->setVisible(box.Isobarik);
    m_Placement->setPixmap(Picture(box.Isobarik ? "PLACEISO" : "PLACENOR"));
}

void TfrmProject::ShowColour() {
    auto* swatch = Control("pnlColor");
    QPalette palette = swatch->palette();
    const QColor colour(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
}

void TfrmProject::ShowVentShapes() {
    for (bool rear : {true, false}) {
        const QString p = rear ? "R" : "F";
        const bool rectangular = (rear ? box.RearVent : box.FrontVent).Shape == 2;
        auto* shape = qobject_cast<QToolButton*>(Control(p + "Shape"));
        shape->setIcon(ShapeIcon(rectangular));
        shape->setText(rectangular ? tr("Rectangular") : tr("Round"));
        Control("lbl" + p + "X")->setVisible(rectangular);
        Control(p + "SDia2")->setVisible(rectangular);
    }
}

void TfrmProject::ShowEndCorrections() {
    for (bool rear : {true, false}) {
        auto* combo = qobject_cast<QComboBox*>(Control(rear ? "RSEndCorrection" : "FSEndCorrection"));
        if (combo->hasFocus() && combo->lineEdit() != nullptr && combo->lineEdit()->isModified())
            continue;
        const double factor = (rear ? box.RearVent : box.FrontVent).endcorrection;
        const int item = EndCorrectionItem(factor);
        if (item >= 0) {
            combo->setCurrentIndex(item);
        } else {
            // A factor of no item is shown as the number it is, and kept.
            combo->setCurrentIndex(-1);
            combo->setEditText(Q(Float2Str(factor)));
        }
    }
}

void TfrmProject::ShowProjectInfo() {
    qobject_cast<QLabel*>(Control("pnlCreated"))->setText(Q(DateText(CreateDate)));
    qobject_cast<QLabel*>(Control("pnlModified"))
        ->setText(info.ModifyDate.IsCalendarDate() ? Q(DateText(info.ModifyDate)) : QString());
    qobject_cast<QLabel*>(Control("pnlCreator"))
        ->setText(ShownName(info.Creator.empty() ? TC.UserName : info.Creator));
}

// --- the chain ---------------------------------------------------------------------------

void TfrmProject::UpdateNow() {
    if (loading || m_InChain)
        return;
    m_InChain = true;
    TProjectDocument::VentUpdate();
    PlotNow();
    m_InChain = false;
    WriteFields();
}

void TfrmProject::VentUpdate() {
    TProjectDocument::VentUpdate();
    if (!loading)
        PlotNow();
    WriteFields();
}

void TfrmProject::PlotNow() {
    if (box.Nd <= 0)
        return;
    box.Isobarik = qobject_cast<TFlatRadioButton*>(Control("rbIsoBarik"))->isChecked();
    ++repaintRequests;
    IMainWindow* main = MainWindow();
    IPlotWindow* plot = main != nullptr ? main->PlotWindow() : nullptr;
    if (plot != nullptr && main->Proj(slot).window == this && main->Proj(slot).used) {
        plot->Repaint();
    } else {
        // No plot window draws this project: its set-up is run here, so the derived values
        // arrive all the same.
        TPlotHelper helper;
        helper.SetProject(box, driver, signal, &filters, box.BType, ProjectResultCallback::Of(m_Reporter));
    }
    if (!m_InChain)
        WriteFields();
}

void TfrmProject::ProjectResultCallback(std::uint8_t kind, double value) {
    ProjectResult(kind, value);
    // Reports that arrive while another window repaints are shown after that repaint.
    if (!m_InChain && !m_DisplayPending) {
        m_DisplayPending = true;
        QTimer::singleShot(0, this, [this] {
            m_DisplayPending = false;
            WriteFields();
        });
    }
}

TProjectPlotData TfrmProject::PlotData() {
    TProjectPlotData data;
    box.Isobarik = qobject_cast<TFlatRadioButton*>(Control("rbIsoBarik"))->isChecked();
    data.box = &box;
    data.driver = &driver;
    data.source = &signal;
    data.filters = &filters;
    data.color = Color;
    data.width = Width;
    data.callback = ProjectResultCallback::Of(m_Reporter);
    return data;
}

void TfrmProject::WriteFields() {
    m_Helper->WriteValues();
    qobject_cast<QLabel*>(Control("pnlQtc"))->setText(Q(Val2Str(qkNone, 0, Qtc)));
    if (!airValid) {
        qobject_cast<QLabel*>(Control("pnlAirSpeed"))->setText("N/A");
        qobject_cast<QLabel*>(Control("pnlAirDensity"))->setText("N/A");
    }
    ShowEndCorrections();
}

void TfrmProject::DrawUnitLabels() {
    for (const char* pair : {"R", "F"}) {
        const QString p = pair;
        TUnitWidgetField probe(Control(p + "SDia"), qkLength);
        qobject_cast<QLabel*>(Control(p == "R" ? "lblRsDia" : "lblFsDia"))->setText(Q(GetUnitName(probe)));
    }
    m_Helper->UpdateUnitLabels();
}

void TfrmProject::UpdateAirSpeed() {
    UpdateAir();
    WriteFields();
}

void TfrmProject::DrawLocks() {
    const TDragLocks& locks = ProjectDragLocks();
    auto paint = [this](const char* name, bool enabled) {
        auto* label = qobject_cast<QLabel*>(Control(name));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, enabled ? QColor(0, 0, 255) : QColor(0, 0, 0));
        label->setPalette(palette);
        label->setAccessibleDescription(enabled ? tr("free for drags") : tr("locked"));
    };
    paint("lbVr", locks.rearVolume);
    paint("lbFr", locks.rearTuning);
    paint("lbVf", locks.frontVolume);
    paint("lbFf", locks.frontTuning);
}

// --- edits -------------------------------------------------------------------------------

void TfrmProject::FieldCommitted(TUnitWidgetField* field, TProjectField rule, double* value) {
    if (loading)
        return;
    const double old = *value;
    const TUnitHelper::TCommitResult read = m_Helper->Commit(*field);
    if (read == TUnitHelper::TCommitResult::Rejected) {
        Message("Can't convert floating point number", platform::MessageKind::Error);
        return;
    }
    if (read != TUnitHelper::TCommitResult::Accepted)
        return;
    const double typed = *value;
    *value = old;
    const TChangeResult result = ApplyChange(rule, typed);
    if (result == TChangeResult::Refused) {
        // The last valid value comes back into the field.
        field->SetText(Val2Str(field->Kind(), GetUnitIndex(*field), *value));
        if (rule == TProjectField::Temperature)
            Message(kTemperatureMessage);
        else if (rule == TProjectField::Humidity)
            Message(kHumidityMessage);
    }
    ApplyResult(result);
}

void TfrmProject::FieldStepped(TUnitWidgetField* field, TProjectField rule, double* value, bool up) {
    if (loading)
        return;
    // Text typed and not yet committed is the value to step from.
    if (field->Modified())
        FieldCommitted(field, rule, value);
    // The stored value is stepped, not its display: a rounded text would come back unchanged
    // for small values (1 W shown as "1.0" divided by 1.05 is "1.0" again) and lose digits.
    const double stepped = up ? *value * 1.05 : *value / 1.05;
    const TChangeResult result = ApplyChange(rule, stepped);
    if (result == TChangeResult::Refused || result == TChangeResult::Ignored)
        return;
    // The refresh skips the focused field, which is the one stepped.
    field->SetText(Val2Str(field->Kind(), GetUnitIndex(*field), *value));
    ApplyResult(result);
}

void TfrmProject::IntegerCommitted(TUnitWidgetField* field, TProjectField rule, std::int32_t* value) {
    if (loading)
        return;
    const std::int32_t old = *value;
    const TUnitHelper::TCommitResult read = m_Helper->Commit(*field);
    if (read != TUnitHelper::TCommitResult::Accepted)
        return;
    const std::int32_t typed = *value;
    *value = old;
    const TChangeResult result = ApplyChange(rule, typed);
    if (result == TChangeResult::Refused)
        field->SetText(std::to_string(*value));
    ApplyResult(result);
}

void TfrmProject::ApplyResult(TChangeResult result) {
    switch (result) {
    case TChangeResult::Recalc:
        UpdateNow();
        break;
    case TChangeResult::Replot:
        PlotNow();
        break;
    default:
        WriteFields();
        break;
    }
}

void TfrmProject::EndCorrectionChosen(bool rear) {
    if (loading)
        return;
    auto* combo = qobject_cast<QComboBox*>(Control(rear ? "RSEndCorrection" : "FSEndCorrection"));
    const QString text = combo->currentText();
    double factor = 0;
    const int item = combo->findText(text);
    if (item >= 0 && item < 3) {
        factor = VentEndCorrections[item];
    } else if (!TryStr2Float(text.toStdString(), factor)) {
        factor = 0;
    }
    const TProjectField rule = rear ? TProjectField::REndCorrection : TProjectField::FEndCorrection;
    if (factor == FieldValue(rule)) {
        WriteFields();
        return;
    }
    const TChangeResult result = ApplyChange(rule, factor);
    if (combo->lineEdit() != nullptr)
        combo->lineEdit()->setModified(false);
    ApplyResult(result);
}

void TfrmProject::colorPanelClick() {
    platform::ColourRequest request;
    request.colour = Color;
    request.parent = this;
    if (const std::optional<std::int32_t> chosen = platform::AppDialogs().ChooseColour(request)) {
        if (*chosen != Color) {
            Color = *chosen;
            MarkChanged();
        }
        ShowColour();
    }
    PlotNow();
}

void TfrmProject::pnlShowParametersClick() {
    parametersShown = !parametersShown;
    m_ShowParameters->setChecked(parametersShown);
    m_Params->setVisible(parametersShown);
    if (parametersShown)
        m_Params->DrawUnitLabels();
    adjustSize();
    if (QWidget* frame = parentWidget(); frame != nullptr && frame->inherits("QMdiSubWindow"))
        frame->adjustSize();
}

void TfrmProject::DropDriver(const TDriverObject& dropped) {
    driver.Assign(dropped);
    qobject_cast<TFlatEdit*>(Control("edBrand"))->ShowStoredText(Q(driver.Data.Brand));
    qobject_cast<TFlatEdit*>(Control("edModel"))->ShowStoredText(Q(driver.Data.Model));
    m_Params->ShowDriver(&driver);
    MarkChanged();
    RefreshCaption();
    UpdateNow();
}

void TfrmProject::BoxPicMouseDown(Qt::MouseButton button, QPoint position) {
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    m_LastMouse = position;
    m_Dragging = true;
    const TDragLocks& locks = ProjectDragLocks();
    const std::int32_t type = box.BType;
    QStringList lit;
    if (button == Qt::LeftButton) {
        if (locks.rearVolume)
            lit << "ReVolume";
        if ((type == pbVented || type == pbBandpass6) && locks.rearTuning)
            lit << "ReTune";
        if (type == pbPassiveRadiator)
            lit << "edPRDeltaMass";
    } else if (type == pbBandpass4 || type == pbBandpass6) {
        if (locks.frontVolume)
            lit << "FeVolume";
        if (locks.frontTuning)
            lit << "FeTune";
    }
    // Through the flat edit's own colour, so frame and text area light together; the colour it
    // had is kept for the mouse-up. (Writing the colour ends its following the parent's.)
    for (const QString& name : lit) {
        auto* edit = qobject_cast<TFlatEdit*>(Control(name));
        if (edit == nullptr || edit->property("highlighted").toBool())
            continue;
        edit->setProperty("colourBeforeDrag", static_cast<qlonglong>(edit->ColorFlat()));
        edit->SetColorFlat(kDragFieldColour);
        edit->setProperty("highlighted", true);
    }
}

void TfrmProject::BoxPicMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                  QPoint position) {
    if (!m_Dragging) {
        m_LastMouse = position;
        return;
    }
    const QPoint delta = position - m_LastMouse;
    m_LastMouse = position;
    if (modifiers != Qt::NoModifier || (buttons != Qt::LeftButton && buttons != Qt::RightButton))
        return;
    const TDragButton button = buttons == Qt::LeftButton ? TDragButton::Left : TDragButton::Right;
    if (DragStep(button, delta.x(), delta.y(), ProjectDragLocks()))
        UpdateNow();
}

void TfrmProject::BoxPicMouseUp() {
    if (!m_Dragging)
        return;
    m_Dragging = false;
    for (const char* name : {"ReVolume", "ReTune", "FeVolume", "FeTune", "edPRDeltaMass"}) {
        auto* edit = qobject_cast<TFlatEdit*>(Control(name));
        if (edit == nullptr || !edit->property("highlighted").toBool())
            continue;
        edit->SetColorFlat(static_cast<TColor>(edit->property("colourBeforeDrag").toLongLong()));
        edit->setProperty("highlighted", false);
    }
    UpdateNow();
}

void TfrmProject::LockLabelClick(TDragLocks::Label label) {
    if (ProjectDragLocks().Click(label, box.BType))
        DrawLocks();
}

std::unique_ptr<THV_PopupMenu> TfrmProject::BuildAdvancedMenu(bool rear) {
    auto menu = std::make_unique<THV_PopupMenu>(this);
    menu->setObjectName(rear ? "pmRearAdv" : "pmFrontAdv");
    menu->addAction(rear ? "#Rear chamber" : "#Front chamber");
    const std::int32_t type = box.BType;
    struct Item {
        const char* band;
        double* value;
        const char* caption;
        bool shown;
    };
    // The rear menu shows only the losses the box type has: no vent loss without a rear vent,
    // no leak between chambers without a front chamber.
    const bool qp = !rear || (type != pbClosed && type != pbPassiveRadiator && type != pbBandpass4);
    const bool qicl = !rear || type == pbBandpass4 || type == pbBandpass6;
    const Item items[] = {
        {"*Ql", rear ? &box.Qlr : &box.Qlf, rear ? "Ql [rear]" : "Ql [front]", true},
        {"*Qa", rear ? &box.Qar : &box.Qaf, rear ? "Qa [rear]" : "Qa [front]", true},
        {"*Qp", rear ? &box.Qpr : &box.Qpf, rear ? "Qp [rear]" : "Qp [front]", qp},
        {"*Qicl", &box.Qiclfr, "Qicl [interchamber]", qicl},
    };
    for (const Item& item : items) {
        if (!item.shown)
            continue;
        menu->addAction(item.band);
        QAction* action = menu->addAction(Q(Val2Str(qkNone, 0, *item.value)));
        action->setObjectName(item.caption);
        double* value = item.value;
        const QString caption = item.caption;
        connect(action, &QAction::triggered, this,
                [this, value, caption] { OpenValueEditor(value, caption); });
    }
    return menu;
}

void TfrmProject::AdvancedMenu(bool rear) {
    std::unique_ptr<THV_PopupMenu> menu = BuildAdvancedMenu(rear);
    QWidget* button = Control(rear ? "btnRAdv" : "btnFAdv");
    menu->exec(button->mapToGlobal(QPoint(button->width(), 0)));
}

void TfrmProject::OpenValueEditor(double* value, const QString& caption) {
    // Every change of the loss factor is the project's change and is drawn at once.
    m_ValueEditor = TfrmEditor::CreateFor(
        this, value,
        [this] {
            MarkChanged();
            PlotNow();
        },
        0.1, caption);
}

// --- filters -----------------------------------------------------------------------------

void TfrmProject::UpdateFilterList() {
    const QSignalBlocker block(m_Filters);
    Control("btnDelEq")->setEnabled(false);
    Control("btnModifyEq")->setEnabled(false);
    m_Filters->clear();
    for (const auto& filter : filters) {
        const int kind = filter->Kind;
        static const char* const names[] = {"Lowpass",       "Highpass",
                                            "Allpass",       "Linkwitz transform",
                                            "Parametric EQ", "Peaking 2nd order highpass",
                                            "Static gain"};
        const QString name = kind >= 0 && kind < 7 ? names[kind] : QString();
        auto* item = new QListWidgetItem(name + " (" + Q(filter->GetDescription()) + ")", m_Filters);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(filter->Enabled ? Qt::Checked : Qt::Unchecked);
    }
    m_Filters->setCurrentRow(-1);
}

void TfrmProject::btnAddEqClick() {
    StartFilterEditor(*this, -1);
}

void TfrmProject::btnModifyEqClick() {
    const int row = m_Filters->currentRow();
    if (row < 0 || row >= static_cast<int>(filters.size()))
        return;
    StartFilterEditor(*this, row);
}

void TfrmProject::btnDelEqClick() {
    const int row = m_Filters->currentRow();
    if (row < 0 || row >= static_cast<int>(filters.size()))
        return;
    FilterRemoving(*this, row);
    filters.erase(filters.begin() + row);
    MarkChanged();
    UpdateFilterList();
    if (!filters.empty()) {
        m_Filters->setCurrentRow(std::min(row, static_cast<int>(filters.size()) - 1));
    }
    PlotNow();
}

void TfrmProject::FiltersChanged() {
    MarkChanged();
    UpdateFilterList();
    PlotNow();
}

// --- save and close ----------------------------------------------------------------------

bool TfrmProject::Modified() const {
    return modified || m_Helper->Modified();
}

bool TfrmProject::SaveClick() {
    platform::FileRequest request;
    request.title = "Save project...";
    request.filters = {{"Borvik projects", {"*.bvp"}}};
    request.defaultExtension = "bvp";
    request.folder = (platform::DocumentsFolder() / "Projects").string();
    request.fileName = fileName.empty() ? std::string() : fileName.string();
    request.confirmOverwrite = true;
    request.parent = this;
    const std::optional<std::string> chosen = platform::AppDialogs().SaveFile(request);
    if (!chosen)
        return false;
    const platform::IniResult result = Save(std::filesystem::path(*chosen), TC.UserName);
    if (!result) {
        Message("The project could not be saved: " + result.error, platform::MessageKind::Error);
        return false;
    }
    m_Helper->SetModified(false);
    ShowProjectInfo();
    return true;
}

bool TfrmProject::SaveProject() {
    return SaveClick();
}

bool TfrmProject::CloseQuery() {
    if (!Modified())
        return true;
    const platform::MessageButton answer = platform::AppDialogs().MessageDlg(
        "Your project has changed, do you want to save?", platform::MessageKind::Confirmation,
        platform::ButtonYes | platform::ButtonNo | platform::ButtonCancel);
    // A save that fails or is cancelled keeps the window and its changes.
    return answer == platform::ButtonNo || (answer == platform::ButtonYes && SaveProject());
}

void TfrmProject::closeEvent(QCloseEvent* event) {
    if (!m_Closing && !CloseQuery()) {
        event->ignore();
        return;
    }
    m_Closing = true;
    FilterHostClosing(*this);
    if (IMainWindow* main = MainWindow()) {
        if (main->Proj(slot).window == this) {
            main->FreeSlot(slot);
            if (IPlotWindow* plot = main->PlotWindow())
                plot->Repaint();
            if (main->ActiveProject() == slot)
                main->SetActiveProject(0);
        }
    }
    event->accept();
}

bool TfrmProject::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (IMainWindow* main = MainWindow();
            main != nullptr && m_Started && !m_Closing && main->ActiveProject() != slot)
            main->SetActiveProject(slot);
        break;
    case QEvent::ParentChange:
        // A fixed frame with the system menu and minimise box, set before the frame is shown.
        MakeFixedFrame(*this);
        if (QWidget* frame = parentWidget()) {
            frame->installEventFilter(this);
            // However the window is closed, its frame in the main window's area goes with it.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
                connect(this, &QObject::destroyed, sub, &QObject::deleteLater, Qt::UniqueConnection);
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TfrmProject::SnapParentToGrid() {
    QWidget* frame = parentWidget();
    if (frame == nullptr || !TC.GridON || frame->isMaximized() || frame->isMinimized())
        return;
    // Rounding never carries a frame that lies in the workspace out of it.
    const QWidget* area = frame->parentWidget();
    const QPoint snapped =
        area == nullptr
            ? QPoint(SnapToGrid(frame->x(), TC.GridX), SnapToGrid(frame->y(), TC.GridY))
            : QPoint(SnapToGrid(frame->x(), frame->width(), TC.GridX, 0, area->width()),
                     SnapToGrid(frame->y(), frame->height(), TC.GridY, 0, area->height()));
    if (snapped != frame->pos())
        frame->move(snapped);
}

void TfrmProject::dragEnterEvent(QDragEnterEvent* event) {
    if (TBV_DragObject::From(event->mimeData()) != nullptr)
        event->acceptProposedAction();
}

void TfrmProject::dropEvent(QDropEvent* event) {
    const TBV_DragObject* dragged = TBV_DragObject::From(event->mimeData());
    if (dragged == nullptr)
        return;
    event->acceptProposedAction();
    // The project's own driver, dragged from its own picture, is already the project's.
    if (dragged->Source() == this)
        return;
    DropDriver(dragged->Driver());
}

bool TfrmProject::DriverDragEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    if (TBV_DragObject::From(drop->mimeData()) == nullptr)
        return false;
    if (type == QEvent::Drop)
        dropEvent(drop);
    else
        drop->acceptProposedAction();
    return true;
}

bool TfrmProject::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parentWidget() && DriverDragEvent(event))
        return true;
    const QEvent::Type type = event->type();
    if (watched == parentWidget()) {
        if (type == QEvent::Move)
            SnapParentToGrid();
        return QWidget::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr)
        return QWidget::eventFilter(watched, event);
    bool activated = false;
    if (type == QEvent::MouseButtonRelease)
        activated = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    else if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        activated = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    const QString name = widget->objectName();
    // A typed end-correction factor counts on every exit, as typed numbers do.
    if ((name == "RSEndCorrection" || name == "FSEndCorrection") && type == QEvent::FocusOut) {
        auto* combo = qobject_cast<QComboBox*>(widget);
        if (combo->lineEdit() != nullptr && combo->lineEdit()->isModified())
            EndCorrectionChosen(name == "RSEndCorrection");
        return QWidget::eventFilter(watched, event);
    }
    // Dragging the driver picture hands the project's driver to another window.
    if (name == "Image1") {
        if (type == QEvent::MouseButtonPress) {
            m_LastMouse = static_cast<QMouseEvent*>(event)->position().toPoint();
        } else if (type == QEvent::MouseMove &&
                   (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) {
            const QPoint now = static_cast<QMouseEvent*>(event)->position().toPoint();
            if ((now - m_LastMouse).manhattanLength() >= QApplication::startDragDistance()) {
                auto* drag = new QDrag(widget);
                drag->setMimeData(new TBV_DragObject(driver, this));
                drag->exec(Qt::CopyAction);
            }
        }
        return false;
    }
    if (!activated)
        return QWidget::eventFilter(watched, event);
    if (name == "lbVr" || name == "lbFr" || name == "lbVf" || name == "lbFf") {
        using L = TDragLocks::Label;
        LockLabelClick(name == "lbVr"   ? L::RearVolume
                       : name == "lbFr" ? L::RearTuning
                       : name == "lbVf" ? L::FrontVolume
                                        : L::FrontTuning);
        return true;
    }
    if (name == "pnlColor") {
        colorPanelClick();
        return true;
    }
    if (name == "lblRsDia" || name == "lblFsDia") {
        // Both size lists of the vent change unit; their values come back from the record.
        const bool rear = name == "lblRsDia";
        TUnitWidgetField probe(Control(rear ? "RSDia" : "FSDia"), qkLength);
        TUnitWidgetField second(Control(rear ? "RSDia2" : "FSDia2"), qkLength);
        const std::string unit = ::CycleUnit(probe);
        SetUnitIndex(second, GetUnitIndex(probe));
        qobject_cast<QLabel*>(widget)->setText(Q(unit));
        WriteFields();
        return true;
    }
    if (void* field = widget->property("unitOf").value<void*>()) {
        auto* bound = static_cast<TUnitWidgetField*>(field);
        qobject_cast<QLabel*>(widget)->setText(Q(m_Helper->CycleUnit(*bound)));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
