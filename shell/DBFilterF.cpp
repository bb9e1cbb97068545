#include "shell/DBFilterF.h"

#include "flatctl/TFlatEditUnit.h"
#include "model/Driver.h"
#include "model/UnitHelper.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "shell/UnitLabel.h"
#include "workspace/UnitWidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Where a range splits: the first "-" that is not the sign of an exponent ("1e-3").
std::size_t RangeSeparator(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '-')
            continue;
        const bool exponentSign =
            i >= 2 && (text[i - 1] == 'e' || text[i - 1] == 'E') &&
            ((text[i - 2] >= '0' && text[i - 2] <= '9') || text[i - 2] == '.' || text[i - 2] == ',');
        if (!exponentSign)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

TFilterRangeResult ParseFilterRange(std::string_view text, int kind, int unitIndex) {
    TFilterRangeResult result;
    text = Trimmed(text);
    if (text.empty())
        return result;
    const std::size_t separator = RangeSeparator(text);
    if (separator == std::string_view::npos) {
        const TStr2ValResult value = Str2Val(text, kind, unitIndex);
        if (!value.Converted) {
            result.ok = false;
            return result;
        }
        result.range = {value.Value, value.Value};
        return result;
    }
    const TStr2ValResult low = Str2Val(text.substr(0, separator), kind, unitIndex);
    const TStr2ValResult high = Str2Val(text.substr(separator + 1), kind, unitIndex);
    if (!low.Converted || !high.Converted) {
        result.ok = false;
        return result;
    }
    TFilterRange range{low.Value, high.Value};
    if (range.max == 0)
        range.max = OpenRangeMaximum;
    if (range.min > range.max)
        std::swap(range.min, range.max);
    result.range = range;
    return result;
}

std::string ConvertRangeText(std::string_view text, int kind, int fromIndex, int toIndex) {
    if (!ParseFilterRange(text, kind, fromIndex).ok)
        return std::string(text);
    const auto convert = [&](std::string_view part) -> std::string {
        part = Trimmed(part);
        if (part.empty())
            return {};
        return Val2Str(kind, toIndex, Str2Val(part, kind, fromIndex).Value);
    };
    const std::string_view trimmed = Trimmed(text);
    const std::size_t separator = RangeSeparator(trimmed);
    if (separator == std::string_view::npos)
        return convert(trimmed);
    return convert(trimmed.substr(0, separator)) + "-" + convert(trimmed.substr(separator + 1));
}

bool DriverMatchesFilter(const TDriverFilter& filter, const TDriverData& driver, std::string_view name) {
    if (!filter.enabled)
        return true;
    const std::pair<const TFilterRange*, double> limits[] = {
        {&filter.Qts, driver.Qts},   {&filter.Vas, driver.Vas}, {&filter.Re, driver.Re},
        {&filter.Le, driver.Le},     {&filter.Fs, driver.Fs},   {&filter.Qms, driver.Qms},
        {&filter.Qes, driver.Qes},   {&filter.SPL, driver.SPL}, {&filter.Pe, driver.Pe},
        {&filter.Xmax, driver.Xmax}, {&filter.dia, driver.Dia}, {&filter.BL, driver.BL},
        {&filter.Z, driver.Znom},    {&filter.Sd, driver.Sd},
    };
    for (const auto& [range, value] : limits) {
        if (range->min == 0 && range->max == 0)
            continue;
        if (!(value > 0 && value >= range->min && value <= range->max))
            return false;
    }
    if (filter.name.empty())
        return true;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .contains(QString::fromStdString(filter.name), Qt::CaseInsensitive);
}

// --- window ---------------------------------------------------------------------------------

TfrmDatabaseFilter::TfrmDatabaseFilter(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_Fields{{
          {"edQts", "Qts:", nullptr, qkNone, &TDriverFilter::Qts},
          {"edVas", "Vas:", "lblVas", qkVolume, &TDriverFilter::Vas},
          {"edFs", "Fs:", "lblFs", qkFrequency, &TDriverFilter::Fs},
          {"edRe", "Re:", "lblRe", qkResistance, &TDriverFilter::Re},
          {"edLe", "Le:", "lblLe", qkInductance, &TDriverFilter::Le},
          {"edQms", "Qms:", nullptr, qkNone, &TDriverFilter::Qms},
          {"edQes", "Qes:", nullptr, qkNone, &TDriverFilter::Qes},
          {"edSPL", "SPL:", "lblSPL", qkLevel, &TDriverFilter::SPL},
          {"edPe", "Pe:", "lblPe", qkPower, &TDriverFilter::Pe},
          {"edXmax", "Xmax:", "lbXmax", qkLength, &TDriverFilter::Xmax},
          {"eddia", "dia:", "lblDia", qkLength, &TDriverFilter::dia},
          {"edBL", "BL:", nullptr, qkNone, &TDriverFilter::BL},
          {"edZ", "Z:", "lblZ", qkResistance, &TDriverFilter::Z},
          {"edSd", "Sd:", "lblSd", qkArea, &TDriverFilter::Sd},
      }} {
    setObjectName("frmDatabaseFilter");
    setWindowTitle(tr("Database filtering"));

    auto* top = new QVBoxLayout(this);
    auto* nameRow = new QHBoxLayout;
    auto* nameCaption = new QLabel(tr("&Name contains text:"), this);
    m_Name = new TFlatEdit(this);
    m_Name->setObjectName("edName");
    m_Name->setMaxLength(static_cast<int>(FilterNameLength));
    m_Name->setAccessibleName(tr("Name contains text"));
    nameCaption->setBuddy(m_Name);
    nameRow->addWidget(nameCaption);
    nameRow->addWidget(m_Name, 1);
    top->addLayout(nameRow);

    auto* group = new QGroupBox(tr("Driver data:"), this);
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    grid->setHorizontalSpacing(6);
    constexpr int rows = 7;
    int index = 0;
    for (TRangeField& field : m_Fields) {
        const int row = index % rows;
        const int column = (index / rows) * 3;
        ++index;
        auto* caption = new QLabel(tr(field.caption), group);
        field.widget = new TFlatEdit(group);
        field.widget->setObjectName(field.edit);
        field.widget->setAccessibleName(QString(field.caption).chopped(1));
        field.widget->setToolTip(tr("A value, or a range such as 20-40; 20- has no upper end"));
        caption->setBuddy(field.widget);
        field.field = new TUnitWidgetField(field.widget, field.kind, this);
        grid->addWidget(caption, row, column);
        grid->addWidget(field.widget, row, column + 1);
        if (field.unitLabel != nullptr) {
            field.label = new TUnitLabel(group);
            field.label->setObjectName(field.unitLabel);
            field.label->AttachField(field.widget);
            connect(field.label, &TUnitLabel::clicked, this, [this, &field] { UnitLabelClick(field); });
            grid->addWidget(field.label, row, column + 2);
        }
    }
    top->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_Apply = new QPushButton(tr("Apply"), this);
    m_Apply->setObjectName("Button1");
    m_Apply->setDefault(true);
    connect(m_Apply, &QPushButton::clicked, this, [this] { Button1Click(); });
    buttons->addWidget(m_Apply);
    top->addLayout(buttons);

    setTabOrder(m_Name, m_Fields.front().widget);
    for (std::size_t i = 1; i < m_Fields.size(); ++i)
        setTabOrder(m_Fields[i - 1].widget, m_Fields[i].widget);
    setTabOrder(m_Fields.back().widget, m_Apply);
    DrawUnitLabels();
}

TfrmDatabaseFilter::~TfrmDatabaseFilter() = default;

void TfrmDatabaseFilter::showEvent(QShowEvent* event) {
    // Another window may have switched a unit of the same name meanwhile.
    DrawUnitLabels();
    QWidget::showEvent(event);
}

void TfrmDatabaseFilter::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Button1Click();
        return;
    case Qt::Key_Escape:
        hide();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TfrmDatabaseFilter::DrawUnitLabels() {
    for (TRangeField& field : m_Fields)
        if (field.label != nullptr)
            field.label->setText(QString::fromStdString(GetUnitName(*field.field)));
}

void TfrmDatabaseFilter::UnitLabelClick(TRangeField& field) {
    const int from = GetUnitIndex(*field.field);
    const int to = from + 1 < UnitCount(field.kind) ? from + 1 : 0;
    SetUnitIndex(*field.field, to);
    // Both ends of a typed range keep their quantity in the new unit.
    field.widget->setText(
        QString::fromStdString(ConvertRangeText(field.widget->text().toStdString(), field.kind, from, to)));
    field.label->setText(QString::fromStdString(GetUnitName(*field.field)));
}

bool TfrmDatabaseFilter::Button1Click() {
    TDriverFilter next = m_Filter;
    for (TRangeField& field : m_Fields) {
        const TFilterRangeResult parsed =
            ParseFilterRange(field.widget->text().toStdString(), field.kind, GetUnitIndex(*field.field));
        if (!parsed.ok) {
            platform::AppDialogs().MessageDlg(std::string(CantConvertMessage) + ": " +
                                                  QString(field.caption).chopped(1).toStdString() + " " +
                                                  field.widget->text().toStdString(),
                                              platform::MessageKind::Warning, platform::ButtonOk);
            field.widget->setFocus();
            return false;
        }
        next.*field.range = parsed.range;
    }
    QString name = m_Name->text();
    if (name.size() > static_cast<qsizetype>(FilterNameLength)) {
        qsizetype keep = static_cast<qsizetype>(FilterNameLength);
        if (name.at(keep - 1).isHighSurrogate())
            --keep;
        name.truncate(keep);
    }
    next.name = name.toStdString();
    m_Filter = std::move(next);
    if (m_Filter.applyHandler) {
        // The handler belongs to another window; what it raises must not close this one.
        try {
            m_Filter.applyHandler();
        } catch (...) {
        }
    }
    return true;
}
