#include "workspace/DrvParams.h"

#include "model/Units.h"
#include "platform/Dialogs.h"
#include "workspace/UnitWidgets.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <cmath>

namespace {

struct TRowInfo {
    const char* caption;
    const char* panel;
    int kind;
    const char* unitLabel; // null: no unit
    const char* inputName;
    double TDriverData::*parameter;
};

// Left column top to bottom, then the right column.
const TRowInfo kRows[TfrmTinyParams::kValueCount] = {
    {"Qts:", "pnlQts", 0, nullptr, "Qts", &TDriverData::Qts},
    {"Vas:", "pnlVas", 2, "lblVas", "Vas", &TDriverData::Vas},
    {"Fs:", "pnlFs", 4, "lblFs", "Fs", &TDriverData::Fs},
    {"Re:", "pnlRe", 5, "lblRe", "Re", &TDriverData::Re},
    {"Le:", "pnlLe", 6, "lblLe", "Le", &TDriverData::Le},
    {"Xmax:", "pnlXmax", 1, "lblXmax", "Xmax", &TDriverData::Xmax},
    {"Z:", "pnlZ", 5, "lblZ", "Znom", &TDriverData::Znom},
    {"Qms:", "pnlQms", 0, nullptr, "Qms", &TDriverData::Qms},
    {"Qes:", "pnlQes", 0, nullptr, "Qes", &TDriverData::Qes},
    {"SPL:", "pnlSPL", 7, "lblSPL", "SPL", &TDriverData::SPL},
    {"Pe:", "pnlPE", 8, "lblPE", "Pe", &TDriverData::Pe},
    {"BL:", "pnlBL", 17, "lblBL", "BL", &TDriverData::BL},
    {"Dd:", "pnlDd", 1, "lblDd", "Dd", &TDriverData::Dd},
    {"Sd:", "pnlSd", 3, "lblSd", "Sd", &TDriverData::Sd},
};

} // namespace

TfrmTinyParams::TfrmTinyParams(QWidget* parent) : QWidget(parent) {
    setObjectName("frmTinyParams");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    constexpr int kRowsPerColumn = 7;
    for (int index = 0; index < kValueCount; ++index) {
        const TRowInfo& info = kRows[index];
        const int row = index % kRowsPerColumn;
        const int column = (index / kRowsPerColumn) * 4;
        auto* caption = new QLabel(QString::fromUtf8(info.caption), this);
        auto* value = new QLabel("-", this);
        value->setObjectName(info.panel);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(fontMetrics().horizontalAdvance("0000.000000") + 6);
        value->setFocusPolicy(Qt::StrongFocus);
        value->setAccessibleName(QString::fromUtf8(info.inputName));
        value->setToolTip(tr("Double-click or press Enter to change"));
        value->installEventFilter(this);
        caption->setBuddy(value);
        m_Values[static_cast<std::size_t>(index)] = value;
        m_Fields[static_cast<std::size_t>(index)] = std::make_unique<TUnitWidgetField>(value, info.kind);
        grid->addWidget(caption, row, column);
        grid->addWidget(value, row, column + 1);
        if (info.unitLabel != nullptr) {
            auto* unit = new QLabel("-", this);
            unit->setObjectName(info.unitLabel);
            unit->setFocusPolicy(Qt::TabFocus);
            unit->setCursor(Qt::PointingHandCursor);
            unit->setAccessibleName(QString::fromUtf8(info.inputName) + " unit");
            unit->setToolTip(tr("Click to change the unit"));
            unit->installEventFilter(this);
            m_Units[static_cast<std::size_t>(index)] = unit;
            grid->addWidget(unit, row, column + 2);
        }
    }
    grid->setColumnMinimumWidth(3, 12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);
    DrawUnitLabels();
}

TfrmTinyParams::~TfrmTinyParams() = default;

QLabel* TfrmTinyParams::ValuePanel(int index) const {
    return index >= 0 && index < kValueCount ? m_Values[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* TfrmTinyParams::UnitLabel(int index) const {
    return index >= 0 && index < kValueCount ? m_Units[static_cast<std::size_t>(index)] : nullptr;
}

double* TfrmTinyParams::Parameter(int index) const {
    if (m_Driver == nullptr || index < 0 || index >= kValueCount)
        return nullptr;
    return &(m_Driver->Data.*kRows[index].parameter);
}

void TfrmTinyParams::ShowDriver(TDriverObject* driver) {
    m_Driver = driver;
    ShowValues();
}

void TfrmTinyParams::ShowValues() {
    for (int index = 0; index < kValueCount; ++index) {
        TUnitWidgetField& field = *m_Fields[static_cast<std::size_t>(index)];
        const double* value = Parameter(index);
        field.SetText(value != nullptr ? Val2Str(field.Kind(), GetUnitIndex(field), *value) : "-");
    }
}

void TfrmTinyParams::DrawUnitLabels() {
    for (int index = 0; index < kValueCount; ++index)
        if (QLabel* unit = m_Units[static_cast<std::size_t>(index)])
            unit->setText(QString::fromStdString(GetUnitName(*m_Fields[static_cast<std::size_t>(index)])));
}

void TfrmTinyParams::showEvent(QShowEvent* event) {
    DrawUnitLabels();
    QWidget::showEvent(event);
}

bool TfrmTinyParams::ChangeValue(int index) {
    double* parameter = Parameter(index);
    if (parameter == nullptr)
        return false;
    TUnitWidgetField& field = *m_Fields[static_cast<std::size_t>(index)];
    const int kind = field.Kind();
    const int unit = GetUnitIndex(field);
    platform::InputRequest request;
    request.caption = "Give new value";
    request.prompt = std::string(kRows[index].inputName) + " :";
    request.text = Val2Str(kind, unit, *parameter);
    request.parent = this;
    // Cancel keeps the value as it is, rather than storing it rounded to the shown decimals.
    const std::optional<std::string> answer = platform::AppDialogs().InputText(request);
    if (!answer)
        return false;
    const TStr2ValResult value = Str2Val(*answer, kind, unit);
    if (!value.Converted || !std::isfinite(value.Value)) {
        platform::AppDialogs().MessageDlg("Can't convert floating point number", platform::MessageKind::Error,
                                          platform::ButtonOk);
        return false;
    }
    *parameter = value.Value;
    field.SetText(Val2Str(kind, unit, *parameter));
    if (OnValueChanged)
        OnValueChanged();
    return true;
}

bool TfrmTinyParams::eventFilter(QObject* watched, QEvent* event) {
    for (int index = 0; index < kValueCount; ++index) {
        const auto slot = static_cast<std::size_t>(index);
        const bool isValue = watched == m_Values[slot];
        const bool isUnit = m_Units[slot] != nullptr && watched == m_Units[slot];
        if (!isValue && !isUnit)
            continue;
        const QEvent::Type type = event->type();
        bool activate = false;
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            activate = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space ||
                       (isValue && key == Qt::Key_F2);
        } else if (isValue && type == QEvent::MouseButtonDblClick) {
            activate = true;
        } else if (isUnit && type == QEvent::MouseButtonRelease) {
            activate = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        }
        if (!activate)
            return false;
        if (isValue) {
            ChangeValue(index);
        } else {
            TUnitWidgetField& field = *m_Fields[slot];
            const double* value = Parameter(index);
            // The value is shown again from the driver in the new unit, not through its text.
            const std::string name = ::CycleUnit(field);
            if (value != nullptr)
                field.SetText(Val2Str(field.Kind(), GetUnitIndex(field), *value));
            m_Units[slot]->setText(QString::fromStdString(name));
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
