#include "workspace/FilterEditor.h"

#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "model/UnitHelper.h"
#include "model/Units.h"
#include "platform/ButtonKeys.h"
#include "platform/Dialogs.h"
#include "platform/MdiFrame.h"
#include "shell/AppLinks.h"
#include "simulation/AllPass.h"
#include "simulation/Highpass.h"
#include "simulation/LinkwitzTransform.h"
#include "simulation/Lowpass.h"
#include "simulation/ParametricEQ.h"
#include "simulation/PeakHighpass.h"
#include "simulation/StaticGain.h"
#include "workspace/UnitWidgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cmath>

TfrmFilterEditor* frmFilterEditor = nullptr;

const std::array<const char*, kFilterKindCount> FilterEditorTypeNames = {
    "Lowpass",    "Highpass", "Allpass", "Linkwitz transform", "Parametric EQ", "Peaking 2nd order highpass",
    "Static gain"};

namespace {

constexpr double MillisecondsPerSecond = 1000.0;

// Rounds a typed order to the nearest whole number, halves to even; false when it is no whole
// number in range.
bool OrderOf(double value, std::int32_t kind, std::int32_t& order) {
    int lowest = 0;
    int highest = 0;
    if (!FilterOrderRange(kind, lowest, highest) || !std::isfinite(value))
        return false;
    const double rounded = std::nearbyint(value);
    if (rounded < lowest || rounded > highest)
        return false;
    order = static_cast<std::int32_t>(rounded);
    return true;
}

// The design's own reason for refusing its parameters, as a sentence.
std::string RefusalSentence(const TFilterBase& design) {
    std::string reason = design.RefusalReason();
    if (reason.empty())
        return "The filter refuses these values.";
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return reason + ".";
}

// Writes the fields into a filter of the same kind, without any check.
void StoreFields(const TFilterFields& f, std::int32_t order, TFilterBase& filter) {
    switch (filter.Kind) {
    case fkLowpass: {
        auto& lowpass = static_cast<TLowpass&>(filter);
        lowpass.Order = order;
        lowpass.Fc = f[1];
        lowpass.Q = f[2];
        break;
    }
    case fkHighpass: {
        auto& highpass = static_cast<THighpass&>(filter);
        highpass.Order = order;
        highpass.Fc = f[1];
        highpass.Q = f[2];
        break;
    }
    case fkAllpass: {
        auto& allpass = static_cast<TAllpass&>(filter);
        allpass.Order = order;
        allpass.Delay = f[1] / MillisecondsPerSecond;
        allpass.Q = f[2];
        break;
    }
    case fkLinkwitzTransform: {
        auto& transform = static_cast<TLinkwitzTransform&>(filter);
        transform.F0 = f[0];
        transform.Q0 = f[1];
        transform.Fp = f[2];
        transform.Qp = f[3];
        break;
    }
    case fkParametricEQ: {
        auto& equaliser = static_cast<TParametricEQ&>(filter);
        equaliser.Fc = f[0];
        equaliser.Q = f[1];
        equaliser.Gain = f[2];
        break;
    }
    case fkPeakHighpass: {
        auto& peaking = static_cast<TPeakHighpass&>(filter);
        peaking.Gpk = f[0];
        peaking.Fpk = f[1];
        break;
    }
    case fkStaticGain:
        static_cast<TStaticGain&>(filter).Gain = f[0];
        break;
    }
}

int RowOf(const TFilterList& list, const TFilterBase* filter) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == filter)
            return static_cast<int>(i);
    return -1;
}

void Tell(const std::string& text, platform::MessageKind kind) {
    platform::AppDialogs().MessageDlg(text, kind, platform::ButtonOk);
}

} // namespace

std::array<TFilterFieldRow, kFilterFieldCount> FilterFieldRows(std::int32_t kind) {
    switch (kind) {
    case fkLowpass:
    case fkHighpass:
        return {{{"Order", nullptr}, {"Cutoff", "Hz"}, {"Q", nullptr}, {nullptr, nullptr}}};
    case fkAllpass:
        return {{{"Order", nullptr}, {"Delay time", "ms"}, {"Q", nullptr}, {nullptr, nullptr}}};
    case fkLinkwitzTransform:
        return {{{"f0", "Hz"}, {"Q0", nullptr}, {"fp", "Hz"}, {"Qp", nullptr}}};
    case fkParametricEQ:
        return {{{"Center freq", "Hz"}, {"Q", nullptr}, {"Gain", "dB"}, {nullptr, nullptr}}};
    case fkPeakHighpass:
        return {{{"Peak mag", "dB"}, {"Peak freq", "Hz"}, {nullptr, nullptr}, {nullptr, nullptr}}};
    case fkStaticGain:
        return {{{"Gain", "dB"}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}}};
    }
    return {};
}

TFilterFields FieldsOfFilter(const TFilterBase& filter) {
    switch (filter.Kind) {
    case fkLowpass: {
        const auto& lowpass = static_cast<const TLowpass&>(filter);
        return {static_cast<double>(lowpass.Order), lowpass.Fc, lowpass.Q, 0};
    }
    case fkHighpass: {
        const auto& highpass = static_cast<const THighpass&>(filter);
        return {static_cast<double>(highpass.Order), highpass.Fc, highpass.Q, 0};
    }
    case fkAllpass: {
        const auto& allpass = static_cast<const TAllpass&>(filter);
        return {static_cast<double>(allpass.Order), allpass.Delay * MillisecondsPerSecond, allpass.Q, 0};
    }
    case fkLinkwitzTransform: {
        const auto& transform = static_cast<const TLinkwitzTransform&>(filter);
        return {transform.F0, transform.Q0, transform.Fp, transform.Qp};
    }
    case fkParametricEQ: {
        const auto& equaliser = static_cast<const TParametricEQ&>(filter);
        return {equaliser.Fc, equaliser.Q, equaliser.Gain, 0};
    }
    case fkPeakHighpass: {
        const auto& peaking = static_cast<const TPeakHighpass&>(filter);
        return {peaking.Gpk, peaking.Fpk, 0, 0};
    }
    case fkStaticGain:
        return {static_cast<const TStaticGain&>(filter).Gain, 0, 0, 0};
    }
    return {};
}

std::unique_ptr<TFilterBase> NewEditorFilter(std::int32_t kind, std::int32_t boxType, double fc, double qtc) {
    std::unique_ptr<TFilterBase> filter = CreateFilter(kind);
    if (!filter)
        return nullptr;
    filter->SubType = 0;
    switch (kind) {
    case fkLowpass:
        StoreFields({2, 50, 0, 0}, 2, *filter);
        break;
    case fkHighpass:
        StoreFields({2, 20, 0, 0}, 2, *filter);
        break;
    case fkAllpass:
        StoreFields({1, 1, 0.707, 0}, 1, *filter);
        break;
    case fkLinkwitzTransform:
        if (boxType == 0)
            StoreFields({fc, qtc, 20, 0.707}, 0, *filter);
        else
            StoreFields({0, 0, 0, 0}, 0, *filter);
        break;
    case fkParametricEQ:
        StoreFields({30, 2, 6, 0}, 0, *filter);
        break;
    case fkPeakHighpass:
        StoreFields({6, 20, 0, 0}, 0, *filter);
        break;
    case fkStaticGain:
        StoreFields({0, 0, 0, 0}, 0, *filter);
        break;
    }
    return filter;
}

bool FilterOrderRange(std::int32_t kind, int& lowest, int& highest) {
    switch (kind) {
    case fkLowpass:
    case fkHighpass:
        lowest = 1;
        highest = 10;
        return true;
    case fkAllpass:
        lowest = 1;
        highest = 2;
        return true;
    }
    return false;
}

bool FilterRowIsOrder(std::int32_t kind, int row) {
    int lowest = 0;
    int highest = 0;
    return row == 0 && FilterOrderRange(kind, lowest, highest);
}

bool FieldsToFilter(const TFilterFields& fields, std::int32_t subType, TFilterBase& filter,
                    std::string& reason) {
    std::int32_t order = 0;
    int lowest = 0;
    int highest = 0;
    if (FilterOrderRange(filter.Kind, lowest, highest) && !OrderOf(fields[0], filter.Kind, order)) {
        reason = "The order must be a whole number from " + std::to_string(lowest) + " to " +
                 std::to_string(highest) + ".";
        return false;
    }
    // The design judges a scratch filter first, so a refused entry leaves the listed one as it was.
    std::unique_ptr<TFilterBase> trial = CreateFilter(filter.Kind);
    if (!trial) {
        reason = "This filter type is unknown.";
        return false;
    }
    StoreFields(fields, order, *trial);
    trial->SubType = subType;
    if (!trial->Calculate()) {
        reason = RefusalSentence(*trial);
        return false;
    }
    StoreFields(fields, order, filter);
    filter.SubType = subType;
    filter.Enabled = true;
    filter.Calculate();
    return true;
}

// --- the window -------------------------------------------------------------------------------

TfrmFilterEditor::TfrmFilterEditor(QWidget* parent)
    : QWidget(parent), m_Helper(std::make_unique<TUnitHelper>()) {
    setObjectName("frmFilterEditor");
    setWindowTitle(tr("Filter Editor"));
    setAttribute(Qt::WA_DeleteOnClose);
    frmFilterEditor = this;

    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* typeCaption = new QLabel(tr("Filter &type:"), this);
    auto* type = new TFlatComboBox(this);
    type->SetStyle(TFlatComboBox::csDropDownList);
    m_Type = type;
    m_Type->setObjectName("cbType");
    m_Type->setAccessibleName(tr("Filter type"));
    typeCaption->setBuddy(m_Type);
    // Alt+S is the main window's command in every window: the caption takes another letter.
    auto* subCaption = new QLabel(tr("S&ubtype:"), this);
    auto* subtypes = new TFlatComboBox(this);
    subtypes->SetStyle(TFlatComboBox::csDropDownList);
    m_SubTypes = subtypes;
    m_SubTypes->setObjectName("cbSubType");
    m_SubTypes->setAccessibleName(tr("Subtype"));
    subCaption->setBuddy(m_SubTypes);
    grid->addWidget(typeCaption, 0, 0);
    grid->addWidget(m_Type, 0, 1, 1, 2);
    grid->addWidget(subCaption, 1, 0);
    grid->addWidget(m_SubTypes, 1, 1, 1, 2);
    for (int row = 0; row < kFilterFieldCount; ++row) {
        const auto slot = static_cast<std::size_t>(row);
        const QString number = QString::number(row + 1);
        m_Captions[slot] = new QLabel(this);
        m_Captions[slot]->setObjectName("lblPar" + number);
        m_Edits[slot] = new TFlatEdit(this);
        m_Edits[slot]->setObjectName("edPar" + number);
        m_Captions[slot]->setBuddy(m_Edits[slot]);
        m_Units[slot] = new QLabel(this);
        m_Units[slot]->setObjectName("lblPar" + number + "Unit");
        m_Units[slot]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Hz__")));
        grid->addWidget(m_Captions[slot], row + 2, 0);
        grid->addWidget(m_Edits[slot], row + 2, 1);
        grid->addWidget(m_Units[slot], row + 2, 2);
        m_Fields[slot] = new TUnitWidgetField(m_Edits[slot], qkNone, this);
        m_Fields[slot]->OnCommit = [this, row] { FieldCommitted(row); };
        m_Helper->AddFloatNoState(*m_Fields[slot], &m_Par[slot]);
    }
    grid->setColumnStretch(1, 1);
    top->addLayout(grid);
    top->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_Add = new QPushButton(tr("Add / Modify"), this);
    m_Add->setObjectName("btnAdd");
    m_Add->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("btnCancel");
    m_Apply = new QPushButton(tr("&Apply"), this);
    m_Apply->setObjectName("btnApply");
    m_Apply->setEnabled(false);
    buttons->addWidget(m_Add);
    buttons->addWidget(cancel);
    buttons->addWidget(m_Apply);
    top->addLayout(buttons);

    connect(m_Type, &QComboBox::activated, this, &TfrmFilterEditor::cbTypeChange);
    connect(m_SubTypes, &QComboBox::activated, this, &TfrmFilterEditor::cbSubTypeChange);
    connect(m_Add, &QPushButton::clicked, this, &TfrmFilterEditor::btnAddClick);
    connect(cancel, &QPushButton::clicked, this, &TfrmFilterEditor::btnCancelClick);
    connect(m_Apply, &QPushButton::clicked, this, &TfrmFilterEditor::btnApplyClick);
    auto* escape =
        new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &TfrmFilterEditor::btnCancelClick);
    // Not a dialog: Enter on "Cancel" or "Apply" would otherwise reach keyPressEvent as "Add"/"OK".
    PressFocusedButtonOnEnter(*this);

    for (const char* name : FilterEditorTypeNames)
        m_Type->addItem(tr(name));
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Peaking 2nd order highpass")) * 2);
}

TfrmFilterEditor::~TfrmFilterEditor() {
    if (frmFilterEditor == this)
        frmFilterEditor = nullptr;
    // The binder's fields go before the edits, so no focus change of a dying edit reaches this
    // half-destroyed window.
    for (TUnitWidgetField*& field : m_Fields) {
        delete field;
        field = nullptr;
    }
}

void TfrmFilterEditor::StartNow(IFilterEditorHost& host, int row) {
    if (m_HostObject != nullptr)
        disconnect(m_HostObject, nullptr, this, nullptr);
    m_Host = &host;
    m_HostObject = host.HostWidget();
    if (m_HostObject != nullptr)
        connect(m_HostObject, &QObject::destroyed, this, &TfrmFilterEditor::HostGone);

    const TFilterList& list = host.EditedFilters();
    std::unique_ptr<TFilterBase> fresh;
    const TFilterBase* shown = nullptr;
    if (row >= 0 && row < static_cast<int>(list.size()) && list[static_cast<std::size_t>(row)]) {
        m_Edited = list[static_cast<std::size_t>(row)].get();
        m_Adding = false;
        shown = m_Edited;
        m_Add->setText(tr("OK"));
        m_Apply->setEnabled(true);
    } else {
        m_Edited = nullptr;
        m_Adding = true;
        fresh = NewEditorFilter(fkLowpass, host.EditedBoxType(), host.ReportedFc(), host.ReportedQtc());
        shown = fresh.get();
        m_Add->setText(tr("Add"));
        m_Apply->setEnabled(false);
    }
    m_Dirty = false;
    SetLabels(*shown);
    m_Type->setCurrentIndex(m_Kind);
    if (m_SubTypes->count() > 0)
        m_SubTypes->setCurrentIndex(std::clamp(m_SubType, 0, m_SubTypes->count() - 1));
}

void TfrmFilterEditor::SetLabels(const TFilterBase& filter) {
    m_Kind = filter.Kind;
    m_SubType = filter.SubType;
    m_Par = FieldsOfFilter(filter);
    m_SubTypes->clear();
    for (const std::string& name : filter.GetTypeNames())
        m_SubTypes->addItem(QString::fromStdString(name));
    m_SubTypes->setEnabled(m_SubTypes->count() > 0);
    if (m_SubTypes->count() > 0)
        m_SubTypes->setCurrentIndex(std::clamp(m_SubType, 0, m_SubTypes->count() - 1));
    const auto rows = FilterFieldRows(m_Kind);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool shown = rows[i].caption != nullptr;
        m_Captions[i]->setVisible(shown);
        m_Edits[i]->setVisible(shown);
        m_Units[i]->setVisible(shown && rows[i].unit != nullptr);
        m_Captions[i]->setText(shown ? tr(rows[i].caption) : QString());
        m_Units[i]->setText(rows[i].unit != nullptr ? QString::fromUtf8(rows[i].unit) : QString());
        m_Edits[i]->setAccessibleName(m_Captions[i]->text());
    }
    ShowValues();
}

void TfrmFilterEditor::ShowValues() {
    m_Helper->WriteValues();
    for (std::size_t row = 0; row < m_Fields.size(); ++row) {
        TUnitWidgetField* field = m_Fields[row];
        if (FilterRowIsOrder(m_Kind, static_cast<int>(row)) && !field->Focused() &&
            std::fabs(m_Par[row]) < 1e9)
            field->SetText(std::to_string(static_cast<long long>(std::nearbyint(m_Par[row]))));
    }
}

void TfrmFilterEditor::FieldCommitted(int row) {
    const TUnitHelper::TCommitResult result = m_Helper->Commit(*m_Fields[static_cast<std::size_t>(row)]);
    if (result == TUnitHelper::TCommitResult::Rejected)
        Tell(CantConvertMessage, platform::MessageKind::Error);
    else if (result == TUnitHelper::TCommitResult::Accepted)
        m_Dirty = true;
}

void TfrmFilterEditor::cbTypeChange(int index) {
    if (index < 0 || index >= kFilterKindCount || m_Host == nullptr)
        return;
    if (index == m_Kind)
        return;
    const std::unique_ptr<TFilterBase> fresh =
        NewEditorFilter(index, m_Host->EditedBoxType(), m_Host->ReportedFc(), m_Host->ReportedQtc());
    SetLabels(*fresh);
    m_Dirty = true;
}

void TfrmFilterEditor::cbSubTypeChange(int index) {
    if (index < 0)
        return;
    if (index != m_SubType)
        m_Dirty = true;
    m_SubType = index;
}

bool TfrmFilterEditor::ApplyChanges() {
    if (m_Host == nullptr)
        return false;
    if (!m_Helper->ReadValues().empty()) {
        Tell(CantConvertMessage, platform::MessageKind::Error);
        return false;
    }
    for (TUnitWidgetField* field : m_Fields)
        if (field->Modified()) {
            field->SetModified(false);
            m_Dirty = true;
        }
    TFilterList& list = m_Host->EditedFilters();
    int row = -1;
    if (!m_Adding) {
        row = RowOf(list, m_Edited);
        if (row < 0) {
            Tell("The filter is no longer in the project's list.", platform::MessageKind::Warning);
            close();
            return false;
        }
        // Nothing typed or chosen: the listed filter stays exactly as it is.
        if (!m_Dirty)
            return true;
    }
    std::string reason;
    std::unique_ptr<TFilterBase> made = CreateFilter(m_Kind);
    if (!made || !FieldsToFilter(m_Par, m_SubType, *made, reason)) {
        Tell("The filter was not changed. " + reason, platform::MessageKind::Warning);
        return false;
    }
    if (m_Adding) {
        list.push_back(std::move(made));
        m_Edited = list.back().get();
        m_Adding = false;
        m_Add->setText(tr("OK"));
        m_Apply->setEnabled(true);
    } else {
        std::unique_ptr<TFilterBase>& listed = list[static_cast<std::size_t>(row)];
        if (listed->Kind == m_Kind) {
            FieldsToFilter(m_Par, m_SubType, *listed, reason);
        } else {
            // Another kind takes the old one's place; the list frees what it no longer holds.
            listed = std::move(made);
            m_Edited = listed.get();
        }
    }
    m_Dirty = false;
    ShowValues();
    m_Host->FiltersChanged();
    return true;
}

void TfrmFilterEditor::btnAddClick() {
    if (ApplyChanges())
        close();
}

void TfrmFilterEditor::btnApplyClick() {
    ApplyChanges();
}

void TfrmFilterEditor::btnCancelClick() {
    close();
}

void TfrmFilterEditor::HostGone() {
    m_Host = nullptr;
    m_HostObject = nullptr;
    m_Edited = nullptr;
    close();
}

bool TfrmFilterEditor::event(QEvent* event) {
    // In the main window's workspace: a fixed frame, set up when the frame takes the window and
    // before it is shown.
    if (event->type() == QEvent::ParentChange)
        MakeFixedFrame(*this);
    return QWidget::event(event);
}

void TfrmFilterEditor::closeEvent(QCloseEvent* event) {
    // A closed editor is on its way out: the next Add or Modify makes a new one.
    if (frmFilterEditor == this)
        frmFilterEditor = nullptr;
    QWidget* host = m_Host != nullptr ? m_Host->HostWidget() : nullptr;
    if (m_HostObject != nullptr)
        disconnect(m_HostObject, nullptr, this, nullptr);
    m_Host = nullptr;
    m_HostObject = nullptr;
    m_Edited = nullptr;
    event->accept();
    // The keyboard goes back to the project whose filters were edited; left to the workspace it
    // would go to the next window in its focus chain, the plot window, over the project.
    if (host != nullptr && host->isVisible()) {
        for (QWidget* w = host; w != nullptr; w = w->parentWidget()) {
            if (auto* frame = qobject_cast<QMdiSubWindow*>(w);
                frame != nullptr && frame->mdiArea() != nullptr) {
                frame->mdiArea()->setActiveSubWindow(frame);
                return;
            }
        }
        host->activateWindow();
    }
}

void TfrmFilterEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        btnAddClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- what the host calls ----------------------------------------------------------------------

void StartFilterEditor(IFilterEditorHost& host, int row) {
    const bool created = frmFilterEditor == nullptr;
    TfrmFilterEditor* editor = created ? new TfrmFilterEditor : frmFilterEditor;
    editor->StartNow(host, row);
    if (IMainWindow* main = MainWindow()) {
        main->AddChildWindow(editor);
        if (created)
            CentreFrame(*editor);
        return;
    }
    editor->show();
    editor->raise();
    editor->activateWindow();
}

void FilterRemoving(IFilterEditorHost& host, int row) {
    TfrmFilterEditor* editor = frmFilterEditor;
    if (editor == nullptr || editor->Host() != &host || editor->Adding())
        return;
    const TFilterList& list = host.EditedFilters();
    if (row >= 0 && row < static_cast<int>(list.size()) &&
        list[static_cast<std::size_t>(row)].get() == editor->EditedFilter())
        editor->close();
}

void FilterHostClosing(IFilterEditorHost& host) {
    if (frmFilterEditor != nullptr && frmFilterEditor->Host() == &host)
        frmFilterEditor->close();
}
