#include "shell/DrvEdit.h"

#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "help/HelpContexts.h"
#include "model/DB_Text2.h"
#include "model/Derivation.h"
#include "model/SaveToFile_Utils.h"
#include "model/UnitHelper.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MdiFrame.h"
#include "shell/DriverEditorFields.h"
#include "shell/DriverParameterErrors.h"
#include "shell/Settings.h"
#include "shell/UnitLabel.h"
#include "workspace/DragUtil.h"
#include "workspace/UnitWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDrag>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

TfrmDriverEditor* frmDriverEditor = nullptr;

namespace {

constexpr std::int32_t EnteredColour = 0x008000;    // 0x00BBGGRR: green
constexpr std::int32_t CalculatedColour = 0xFF0000; // 0x00BBGGRR: blue

QColor ColourOf(std::int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A bound edit as the editor's binder sees it. The field counts as focused, and so keeps its text
// through a refresh, only while the user is typing in it: a field just entered shows the values
// the last derivation gave, and Clear, Load and a dropped driver rewrite every field.
class TEditorField final : public TUnitWidgetField {
public:
    TEditorField(QLineEdit* edit, int kind, const bool* showAll, QObject* parent)
        : TUnitWidgetField(edit, kind, parent), m_Edit(edit), m_ShowAll(showAll) {}
    bool Focused() const override {
        return !*m_ShowAll && TUnitWidgetField::Focused() && m_Edit->isModified();
    }

private:
    QLineEdit* m_Edit;
    const bool* m_ShowAll;
};

// The editor's picture: a driver seen from the side, which the user drags onto a project.
QPixmap DriverPicture(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // Basket and cone.
    QPainterPath cone;
    cone.moveTo(0.30 * s, 0.05 * s);
    cone.lineTo(0.62 * s, 0.35 * s);
    cone.lineTo(0.62 * s, 0.65 * s);
    cone.lineTo(0.30 * s, 0.95 * s);
    cone.closeSubpath();
    painter.setPen(QPen(QColor(40, 40, 40), s / 32));
    painter.setBrush(QColor(150, 150, 160));
    painter.drawPath(cone);
    // Magnet.
    painter.setBrush(QColor(60, 60, 70));
    painter.drawRect(QRectF(0.62 * s, 0.30 * s, 0.22 * s, 0.40 * s));
    // Front flange.
    painter.setBrush(QColor(90, 90, 100));
    painter.drawRect(QRectF(0.24 * s, 0.02 * s, 0.07 * s, 0.96 * s));
    return pixmap;
}

QString CaptionText(const char* caption) {
    return QString::fromUtf8(caption);
}

std::string ToCrLf(const QString& text) {
    std::string out;
    for (const char c : text.toStdString()) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

QString FromCrLf(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

// Shows a window of the shell in the main window's MDI area when there is one.
void ShowChild(QWidget* window) {
    if (IMainWindow* main = MainWindow()) {
        main->AddChildWindow(window);
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TfrmDriverEditor::TfrmDriverEditor(QWidget* parent)
    : QWidget(parent), m_Helper(std::make_unique<TUnitHelper>()) {
    setObjectName("frmDriverEditor");
    setWindowTitle(tr("Driver editor"));
    setAttribute(Qt::WA_DeleteOnClose);
    frmDriverEditor = this;

    BuildFields();

    auto* top = new QVBoxLayout(this);
    m_Pages = new QTabWidget(this);
    m_Pages->setObjectName("pgDriverData");
    m_Pages->addTab(BuildGeneralPage(), tr("&General"));

    // The voice-coil count and connection close the parameters page.
    m_NumVC = new TFlatEdit;
    m_NumVC->setObjectName(VoiceCoilCountEdit);
    m_NumVC->setAccessibleName(tr("Voice coils"));
    m_ConMode = new TFlatComboBox;
    static_cast<TFlatComboBox*>(m_ConMode)->SetStyle(TFlatComboBox::csDropDownList);
    m_ConMode->setObjectName("edConMode");
    m_ConMode->addItems({tr("Parallel"), tr("Series")});
    m_ConMode->setAccessibleName(tr("Voice-coil connection"));
    m_Pages->addTab(BuildFieldPage(static_cast<int>(TDriverEditorPage::Parameters), 3,
                                   {{tr("Vo&ice coils"), m_NumVC}, {tr("Co&nnection"), m_ConMode}}),
                    tr("&Parameters"));
    m_Pages->addTab(BuildFieldPage(static_cast<int>(TDriverEditorPage::Advanced), 2, {}),
                    tr("&Advanced parameters"));
    m_Pages->addTab(BuildFieldPage(static_cast<int>(TDriverEditorPage::Dimensions), 2, {}),
                    tr("&Dimensions"));
    top->addWidget(m_Pages, 1);

    // Legend, picture and the automatic calculation.
    auto* middle = new QHBoxLayout;
    const struct {
        const char* name;
        const char* text;
        QColor colour;
    } legend[] = {
        {"pnlEntered", "Entered", ColourOf(EnteredColour)},
        {"pnlCalculated", "Calculated", ColourOf(CalculatedColour)},
        {"pnlNA", "Not available", palette().color(QPalette::WindowText)},
    };
    for (const auto& item : legend) {
        auto* panel = new QLabel(tr(item.text), this);
        panel->setObjectName(item.name);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMargin(3);
        QPalette colours = panel->palette();
        colours.setColor(QPalette::WindowText, item.colour);
        panel->setPalette(colours);
        middle->addWidget(panel);
    }
    middle->addStretch(1);
    m_AutoCalcBox = new TFlatCheckBox(tr("Auto calculate un&knowns"), this);
    m_AutoCalcBox->setObjectName("chkAutoCalc");
    m_AutoCalcBox->setChecked(true);
    middle->addWidget(m_AutoCalcBox);
    m_Picture = new QLabel(this);
    m_Picture->setObjectName("Image1");
    m_Picture->setPixmap(DriverPicture(40, devicePixelRatioF()));
    m_Picture->setCursor(Qt::OpenHandCursor);
    m_Picture->setToolTip(tr("Drag this driver onto a project"));
    m_Picture->setAccessibleName(tr("Driver picture"));
    m_Picture->installEventFilter(this);
    middle->addWidget(m_Picture);
    top->addLayout(middle);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // The main window's Alt+S, Alt+O, Alt+X and menu letters reach into this window; a button
    // underlining one of them would never be pressed by its key.
    const struct {
        const char* name;
        const char* text;
        void (TfrmDriverEditor::*handler)();
    } commands[] = {
        {"btnSave", "Sa&ve", &TfrmDriverEditor::btnSaveClick},
        {"btnLoad", "&Load", &TfrmDriverEditor::btnLoadClick},
        {"btnClear", "Clea&r", &TfrmDriverEditor::btnClearClick},
        {"btnClose", "&Close", &TfrmDriverEditor::btnCloseClick},
    };
    for (const auto& command : commands) {
        auto* button = new QPushButton(tr(command.text), this);
        button->setObjectName(command.name);
        connect(button, &QPushButton::clicked, this, command.handler);
        buttons->addWidget(button);
    }
    top->addLayout(buttons);

    connect(m_AutoCalcBox, &QAbstractButton::clicked, this, &TfrmDriverEditor::chkAutoCalcClick);
    connect(m_ConMode, &QComboBox::activated, this, &TfrmDriverEditor::edConModeChange);
    // F1 goes through the help system, which looks for the nearest declared context; a shortcut of
    // our own would clash with the main window's F1 and leave the key doing nothing.
    setProperty("helpContext", HelpContext::DriverEditor);

    // The binder, in the order of the table; the voice-coil count is an integer without a letter.
    for (TBoundField& field : m_Fields) {
        const TDriverFieldBinding& binding = *field.binding;
        double* value = &(m_Driver.Data.*binding.value);
        if (binding.letter >= 0)
            m_Helper->AddFloat(*field.field, value,
                               &m_Driver.Data.ParState[static_cast<std::size_t>(binding.letter)],
                               field.labelField);
        else
            m_Helper->AddFloatNoState(*field.field, value, field.labelField);
        if (binding.letter == DriverPar::USPL) {
            m_NumVCField = new TEditorField(m_NumVC, qkNone, &m_ShowAll, this);
            m_Helper->AddInteger(*m_NumVCField, &m_Driver.Data.numVC);
        }
    }
    m_NumVCField->OnCommit = [this] { VoiceCoilsCommitted(); };

    for (TFlatEdit* edit : {m_Manufacturer, m_Brand, m_Model, m_User})
        connect(edit, &QLineEdit::textEdited, this, [this] { m_Changed = true; });
    connect(m_Comment, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_Filling)
            m_Changed = true;
    });

    ClearFields();
    ShowAllValues();
    DrawUnitLabels();
    m_Pages->setCurrentIndex(0);
    m_Changed = false;
}

TfrmDriverEditor::~TfrmDriverEditor() {
    if (frmDriverEditor == this)
        frmDriverEditor = nullptr;
    // The binder's fields go before the edits, so no focus change of a dying edit reaches the
    // handlers of this half-destroyed window.
    for (TBoundField& field : m_Fields) {
        delete field.field;
        delete field.labelField;
    }
    delete m_NumVCField;
    m_Fields.clear();
}

void TfrmDriverEditor::BuildFields() {
    m_Fields.reserve(DriverEditorFields.size());
    for (const TDriverFieldBinding& binding : DriverEditorFields) {
        TBoundField field{&binding, nullptr, nullptr, nullptr, nullptr};
        field.edit = new TFlatEdit;
        field.edit->setObjectName(binding.edit);
        field.edit->setAccessibleName(CaptionText(binding.caption));
        field.edit->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000.00000")));
        if (binding.hint != nullptr)
            field.edit->setToolTip(CaptionText(binding.hint));
        field.field = new TEditorField(field.edit, binding.kind, &m_ShowAll, this);
        if (binding.unitLabel != nullptr) {
            field.label = new TUnitLabel;
            field.label->setObjectName(binding.unitLabel);
            field.label->setAccessibleName(tr("Unit of %1").arg(CaptionText(binding.caption)));
            field.label->AttachField(field.edit);
            field.labelField = new TUnitWidgetField(field.label, qkNone, this);
        }
        m_Fields.push_back(field);
    }
    for (TBoundField& field : m_Fields) {
        TBoundField* bound = &field;
        field.field->OnCommit = [this, bound] { FieldCommitted(*bound); };
        if (field.label != nullptr)
            connect(field.label, &TUnitLabel::clicked, this, [this, bound] { UnitLabelClick(*bound); });
    }
}

QWidget* TfrmDriverEditor::BuildGeneralPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    const auto line = [page](const char* name, const QString& accessible) {
        auto* edit = new TFlatEdit(page);
        edit->setObjectName(name);
        edit->setAccessibleName(accessible);
        return edit;
    };
    m_Manufacturer = line("edManufacturer", tr("Manufacturer"));
    m_Brand = line("edBrand", tr("Brand"));
    m_Model = line("edModel", tr("Model"));
    m_User = line("edUser", tr("Data provided by"));
    m_Date = line("edDate", tr("Date added"));
    m_Date->setReadOnly(true);
    m_Comment = new TFlatMemo(page);
    m_Comment->setObjectName("memoComment");
    m_Comment->setAccessibleName(tr("Comment"));
    m_Comment->setTabChangesFocus(true);
    form->addRow(tr("&Manufacturer:"), m_Manufacturer);
    form->addRow(tr("&Brand:"), m_Brand);
    form->addRow(tr("Mod&el:"), m_Model);
    form->addRow(tr("Data provided b&y:"), m_User);
    form->addRow(tr("Date added:"), m_Date);
    form->addRow(tr("Commen&t:"), m_Comment);
    return page;
}

QWidget* TfrmDriverEditor::BuildFieldPage(int page, int columns, const std::vector<TExtraRow>& extra) {
    auto* widget = new QWidget;
    auto* outer = new QVBoxLayout(widget);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    struct TCell {
        QString caption;
        QWidget* field;
        QWidget* unit;
    };
    std::vector<TCell> cells;
    for (TBoundField& field : m_Fields)
        if (static_cast<int>(field.binding->page) == page)
            cells.push_back({CaptionText(field.binding->caption), field.edit, field.label});
    for (const TExtraRow& row : extra)
        cells.push_back({row.first, row.second, nullptr});
    const int count = static_cast<int>(cells.size());
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        TCell& cell = cells[static_cast<std::size_t>(i)];
        const int row = i % rows;
        const int column = (i / rows) * 4;
        auto* caption = new QLabel(cell.caption, widget);
        caption->setBuddy(cell.field);
        grid->addWidget(caption, row, column);
        grid->addWidget(cell.field, row, column + 1);
        if (cell.unit != nullptr)
            grid->addWidget(cell.unit, row, column + 2);
        if (column > 0)
            grid->setColumnMinimumWidth(column - 1, fontMetrics().horizontalAdvance(QStringLiteral("MM")));
    }
    outer->addLayout(grid);
    outer->addStretch(1);
    return widget;
}

// --- the working steps ----------------------------------------------------------------------

void TfrmDriverEditor::ClearFields() {
    // The bound numeric edits are rewritten from the cleared driver by the caller's refresh.
    m_Filling = true;
    for (TFlatEdit* edit : {m_Manufacturer, m_Brand, m_Model})
        edit->ShowStoredText(QString());
    m_Comment->ShowStoredText(QString());
    m_Driver.Clear();
    m_Driver.Data.ProvidedBy = TC.UserName;
    m_User->ShowStoredText(QString::fromStdString(TC.UserName));
    m_Date->setText(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    m_Filling = false;
}

void TfrmDriverEditor::DrawUnitLabels() {
    m_Helper->UpdateUnitLabels();
}

void TfrmDriverEditor::ShowAllValues() {
    m_ShowAll = true;
    m_Helper->WriteValues();
    m_ShowAll = false;
}

bool TfrmDriverEditor::FieldsToDriver() {
    bool accepted = true;
    for (TBoundField& field : m_Fields)
        if (!JudgeEntry(field))
            accepted = false;
    if (!JudgeVoiceCoils())
        accepted = false;
    if (!m_Helper->ReadValues().empty()) {
        accepted = false;
        platform::AppDialogs().MessageDlg(CantConvertMessage, platform::MessageKind::Error,
                                          platform::ButtonOk);
    }
    for (const auto& [edit, text] : {std::pair{m_Manufacturer, &m_Driver.Data.Manufacturer},
                                     {m_Brand, &m_Driver.Data.Brand},
                                     {m_Model, &m_Driver.Data.Model},
                                     {m_User, &m_Driver.Data.ProvidedBy}})
        if (edit->HoldsWholeText())
            *text = edit->text().toStdString();
    if (m_Comment->HoldsWholeText())
        m_Driver.Data.Comment = ToCrLf(m_Comment->toPlainText());
    return accepted;
}

void TfrmDriverEditor::CalculateUnknowns() {
    if (!m_AutoCalc)
        return;
    FieldsToDriver();
    m_Driver.CalcParameters();
    m_Driver.CheckConsistency();
    DriverToFields();
}

void TfrmDriverEditor::DriverToFields() {
    m_Helper->WriteValues();
    m_ConMode->setCurrentIndex(m_Driver.Data.VCCon == 2 ? 1 : 0);
    m_Filling = true;
    m_Manufacturer->ShowStoredText(QString::fromStdString(m_Driver.Data.Manufacturer));
    m_Brand->ShowStoredText(QString::fromStdString(m_Driver.Data.Brand));
    m_Model->ShowStoredText(QString::fromStdString(m_Driver.Data.Model));
    m_User->ShowStoredText(QString::fromStdString(m_Driver.Data.ProvidedBy));
    m_Comment->ShowStoredText(FromCrLf(m_Driver.Data.Comment));
    const TDate added = m_Driver.Data.DateAdded;
    const QDate date(added.Year, added.Month, added.Day);
    m_Date->setText(date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString());
    m_Filling = false;
}

// A typed value the binder would take but the driver cannot hold: refused, the field restored.
bool TfrmDriverEditor::JudgeEntry(TBoundField& field) {
    if (!field.edit->isModified())
        return true;
    const TDriverFieldBinding& binding = *field.binding;
    const int unit = GetUnitIndex(*field.field);
    const TStr2ValResult typed = Str2Val(field.edit->text().toStdString(), binding.kind, unit);
    if (!typed.Converted || EntryAllowed(binding.rule, typed.Value))
        return true;
    field.edit->setText(QString::fromStdString(Val2Str(binding.kind, unit, m_Driver.Data.*binding.value)));
    const QString what = binding.rule == TEntryRule::Positive ? tr("%1 must be greater than 0.")
                                                              : tr("%1 cannot be negative.");
    platform::AppDialogs().MessageDlg(what.arg(CaptionText(binding.caption)).toStdString(),
                                      platform::MessageKind::Warning, platform::ButtonOk);
    return false;
}

bool TfrmDriverEditor::JudgeVoiceCoils() {
    if (!m_NumVC->isModified())
        return true;
    std::int32_t count = 0;
    if (!TryParseInteger(m_NumVC->text().toStdString(), count) || count >= MinimumVoiceCoilCount)
        return true;
    m_NumVC->setText(QString::number(m_Driver.Data.numVC));
    platform::AppDialogs().MessageDlg("A driver has at least one voice coil.", platform::MessageKind::Warning,
                                      platform::ButtonOk);
    return false;
}

// --- handlers -------------------------------------------------------------------------------

void TfrmDriverEditor::FieldCommitted(TBoundField& field) {
    if (m_ShowAll)
        return;
    if (JudgeEntry(field)) {
        const TUnitHelper::TCommitResult result = m_Helper->Commit(*field.field);
        if (result == TUnitHelper::TCommitResult::Rejected)
            platform::AppDialogs().MessageDlg(CantConvertMessage, platform::MessageKind::Error,
                                              platform::ButtonOk);
        else if (result == TUnitHelper::TCommitResult::Accepted)
            m_Changed = true;
    }
    // Leaving a field derives again even when its text did not change.
    if (field.binding->recalculates)
        CalculateUnknowns();
}

void TfrmDriverEditor::VoiceCoilsCommitted() {
    if (m_ShowAll)
        return;
    if (JudgeVoiceCoils()) {
        const TUnitHelper::TCommitResult result = m_Helper->Commit(*m_NumVCField);
        if (result == TUnitHelper::TCommitResult::Rejected)
            platform::AppDialogs().MessageDlg("The number of voice coils must be a whole number.",
                                              platform::MessageKind::Error, platform::ButtonOk);
        else if (result == TUnitHelper::TCommitResult::Accepted)
            m_Changed = true;
    }
    CalculateUnknowns();
}

void TfrmDriverEditor::UnitLabelClick(TBoundField& field) {
    field.label->setText(QString::fromStdString(m_Helper->CycleUnit(*field.field)));
}

void TfrmDriverEditor::chkAutoCalcClick() {
    m_AutoCalc = m_AutoCalcBox->isChecked();
    if (m_AutoCalc)
        CalculateUnknowns();
}

void TfrmDriverEditor::edConModeChange(int index) {
    if (index < 0) {
        ShowAllValues();
        return;
    }
    const std::int32_t before = m_Driver.Data.VCCon;
    m_Driver.SetVCConnection(index + 1);
    // A switch the driver refuses (one coil, Re or BL unknown) leaves the connection in force.
    m_ConMode->setCurrentIndex(m_Driver.Data.VCCon == 2 ? 1 : 0);
    if (m_Driver.Data.VCCon != before) {
        m_Changed = true;
        CalculateUnknowns();
    }
    ShowAllValues();
}

void TfrmDriverEditor::ShowDriver(const TDriverObject& driver) {
    m_Driver.Assign(driver);
    DriverToFields();
    ShowAllValues();
    m_Changed = true;
}

QString TfrmDriverEditor::DriverFolder() const {
    std::filesystem::path folder = DriverDatabase.Directory.empty()
                                       ? platform::DocumentsFolder() / "Drivers"
                                       : std::filesystem::path(DriverDatabase.Directory);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return platform::PathToText(folder);
}

namespace {

platform::FileRequest DriverFileRequest(const char* title, const QString& folder, QWidget* parent) {
    platform::FileRequest request;
    request.title = title;
    request.folder = platform::TextToFileName(folder);
    request.filters = {{"Borvik driver file", {"*.bvd"}}};
    request.defaultExtension = "bvd";
    request.confirmOverwrite = true;
    request.parent = parent;
    return request;
}

} // namespace

void TfrmDriverEditor::btnSaveClick() {
    if (!FieldsToDriver())
        return;
    if (m_AutoCalc) {
        m_Driver.CalcParameters();
        DriverToFields();
    }
    if (!m_Driver.CheckConsistency()) {
        ShowErrors(FailingRelationLabels(m_Driver.Data));
        return;
    }
    platform::FileRequest request = DriverFileRequest("Save driver", DriverFolder(), this);
    request.fileName = DefaultDriverFileName(m_Driver.Data.Brand, m_Driver.Data.Model);
    const std::optional<std::string> chosen = platform::AppDialogs().SaveFile(request);
    if (!chosen)
        return;
    const TDate modified = m_Driver.Data.DateModified;
    m_Driver.Data.DateModified = TDate::Today();
    const platform::IniResult written = SaveDriverFile(*chosen, m_Driver);
    if (!written) {
        m_Driver.Data.DateModified = modified;
        platform::AppDialogs().MessageDlg("The driver was not saved: " + written.error,
                                          platform::MessageKind::Error, platform::ButtonOk);
        return;
    }
    m_Changed = false;
    DriverDatabase.DatabaseChanged();
}

void TfrmDriverEditor::btnLoadClick() {
    platform::FileRequest request = DriverFileRequest("Select driver to load", DriverFolder(), this);
    const std::optional<std::string> chosen = platform::AppDialogs().OpenFile(request);
    if (!chosen)
        return;
    // The driver is read into an empty one, so nothing of the edited driver survives a load and a
    // failed load leaves the editor as it was.
    TDriverObject loaded;
    loaded.Data.ProvidedBy = TC.UserName;
    const TReadReport report = LoadDriverFile(*chosen, loaded);
    if (!report) {
        platform::AppDialogs().MessageDlg("The driver could not be loaded: " + report.error,
                                          platform::MessageKind::Error, platform::ButtonOk);
        return;
    }
    ClearFields();
    m_Driver.Data = loaded.Data;
    DriverToFields();
    ShowAllValues();
    m_Changed = false;
    if (report.HasNotes())
        platform::AppDialogs().MessageDlg(LoadNotesMessage(*chosen, report), platform::MessageKind::Warning,
                                          platform::ButtonOk);
}

void TfrmDriverEditor::btnClearClick() {
    if (platform::AppDialogs().MessageDlg("Do you really want to clear all fields?",
                                          platform::MessageKind::Confirmation,
                                          platform::ButtonYes | platform::ButtonNo) != platform::ButtonYes)
        return;
    ClearFields();
    ShowAllValues();
    DrawUnitLabels();
    m_Changed = false;
}

void TfrmDriverEditor::btnCloseClick() {
    close();
}

void TfrmDriverEditor::closeEvent(QCloseEvent* event) {
    if (m_Changed) {
        const platform::MessageButton answer = platform::AppDialogs().MessageDlg(
            "The driver has not been saved. Save it now?", platform::MessageKind::Confirmation,
            platform::ButtonYes | platform::ButtonNo | platform::ButtonCancel);
        if (answer == platform::ButtonYes)
            btnSaveClick();
        if (answer == platform::ButtonCancel || (answer == platform::ButtonYes && m_Changed)) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TfrmDriverEditor::ShowErrors(const std::vector<std::string>& labels) {
    const bool created = frmParErrors == nullptr;
    TfrmParErrors* list = TfrmParErrors::Instance();
    list->SetErrors(labels);
    ShowChild(list);
    // A new list opens in the middle of the workspace.
    if (created)
        CentreFrame(*list);
}

// --- the picture's drag ---------------------------------------------------------------------

std::unique_ptr<QMimeData> TfrmDriverEditor::MakeDragObject() const {
    return std::make_unique<TBV_DragObject>(m_Driver, this);
}

void TfrmDriverEditor::StartDrag() {
    // Text typed since the last field was left travels too.
    FieldsToDriver();
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeDragObject().release());
    drag->setPixmap(m_Picture->pixmap());
    drag->exec(Qt::CopyAction);
}

bool TfrmDriverEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Picture) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_Pressed = mouse->button() == Qt::LeftButton;
            m_PressPosition = mouse->position().toPoint();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_Pressed = false;
        } else if (event->type() == QEvent::MouseMove && m_Pressed) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if ((mouse->position().toPoint() - m_PressPosition).manhattanLength() >=
                QApplication::startDragDistance()) {
                m_Pressed = false;
                StartDrag();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
