#include "ostrel/OstrelDlg.h"

#include "ostrel/AboutDlg.h"
#include "ostrel/DataExchange.h"
#include "ostrel/DialogUnits.h"
#include "ostrel/GraphGeometry.h"
#include "ostrel/MakerSite.h"
#include "ostrel/OstrelHost.h"
#include "ostrel/OstrelIcon.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <optional>

namespace {

// The dialog's client area below the menu bar, in which the graph's pixel geometry holds.
constexpr int ClientWidth = 768;  // 512 dialog units
constexpr int ClientHeight = 570; // 351 dialog units

class COstrelClientArea : public QWidget {
public:
    explicit COstrelClientArea(COstrelDlg& owner) : QWidget(&owner), m_Owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_Owner.OnPaint(painter);
    }

private:
    COstrelDlg& m_Owner;
};

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& rect, bool readOnly = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(rect);
    edit->setReadOnly(readOnly);
    return edit;
}

QLabel* MakeText(QWidget* parent, const QString& text, const QRect& rect, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

// A column of edits 40 units wide at `left`, each with its caption right-aligned in
// `captionWidth` before it and, when it has one, its unit left-aligned after it; captions and
// units take the edit's height.
struct FieldColumn {
    QWidget* parent;
    int left;
    int captionWidth;
    bool readOnly;

    QLineEdit* Field(const QString& caption, const char* name, int y) const {
        MakeText(parent, caption, DialogRect(left - captionWidth, y, captionWidth - 1, 14), Qt::AlignRight);
        return MakeEdit(parent, name, DialogRect(left, y, 40, 14), readOnly);
    }

    QLabel* Unit(const QString& text, int y, const char* name = nullptr) const {
        QLabel* label = MakeText(parent, text, DialogRect(left + 41, y, 32, 14), Qt::AlignLeft);
        if (name)
            label->setObjectName(QString::fromLatin1(name));
        return label;
    }
};

QCheckBox* MakeCheck(QWidget* parent, const QString& text, const char* name, const QRect& rect) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    // Room for the platform's larger indicator.
    box->setGeometry(rect.adjusted(0, -3, 30, 3));
    return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name, const QRect& rect) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

// The web button names the site by its address without the scheme, which would fill the
// button edge to edge.
QString Site() {
    const std::string_view site = MakerSite();
    return QString::fromUtf8(site.data(), static_cast<qsizetype>(site.size()));
}

QString SiteCaption() {
    QString site = Site();
    if (site.isEmpty())
        return QStringLiteral("Web site");
    const qsizetype scheme = site.indexOf(QStringLiteral("://"));
    if (scheme >= 0)
        site.remove(0, scheme + 3);
    return site;
}

// A menu command under its resource name, carrying its command number.
QAction* AddCommand(QMenu* menu, const char* text, const char* name, int command) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    action->setObjectName(QString::fromLatin1(name));
    action->setData(command);
    return action;
}

enum class Anchor { CentreTop, RightTop, LeftTop };

// The graph's labels are drawn opaque, each on a box of its own text's size.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text, Anchor anchor,
                const QColor& background) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    int left = x;
    if (anchor == Anchor::CentreTop)
        left = x - width / 2;
    else if (anchor == Anchor::RightTop)
        left = x - width;
    const QRect rect(left, y, width, metrics.height());
    painter.fillRect(rect, background);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

using CurveY = std::array<std::optional<int>, ostrel::CurvePoints>;

template <typename LevelToY> CurveY CurvePixels(const ostrel::Curve& curve, LevelToY levelToY) {
    CurveY pixels{};
    for (int i = 0; i < ostrel::CurvePoints; ++i)
        pixels[i] = levelToY(curve[i]);
    return pixels;
}

// Each segment is drawn whole, and only when both its ends lie strictly inside the plot.
void DrawCurve(QPainter& painter, const CurveY& pixels) {
    for (int i = 0; i + 1 < ostrel::CurvePoints; ++i) {
        if (!ostrel::segmentInside(pixels[i], pixels[i + 1]))
            continue;
        painter.drawLine(ostrel::frequencyToX(ostrel::FirstFrequency + i), *pixels[i],
                         ostrel::frequencyToX(ostrel::FirstFrequency + i + 1), *pixels[i + 1]);
    }
}

} // namespace

COstrelDlg::COstrelDlg(COstrelHost& host, QWidget* parent)
    : QDialog(parent), m_BoxCalculator(host, this), m_Agreement(host, this), m_Host(host) {
    setObjectName(QStringLiteral("IDD_OSTREL_DIALOG"));
    setWindowTitle(Site().isEmpty() ? QStringLiteral("Ostrel 2.0")
                                    : QStringLiteral("Ostrel 2.0          ") + Site());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(OstrelIcon());
    UseDialogFont(*this);

    m_MenuBar = new QMenuBar(this);
    m_MenuBar->setObjectName(QStringLiteral("IDR_MAINMENU"));
    QMenu* file = m_MenuBar->addMenu(QStringLiteral("&File"));
    connect(AddCommand(file, "&Exit", "ID_FILE_EXIT", ID_FILE_EXIT), &QAction::triggered, this,
            &COstrelDlg::OnFileExit);
    QMenu* unitsMenu = m_MenuBar->addMenu(QStringLiteral("&Units"));
    connect(AddCommand(unitsMenu, "&Metric", "ID_UNITS_METRIC", ID_UNITS_METRIC), &QAction::triggered, this,
            &COstrelDlg::OnUnitsMetric);
    connect(AddCommand(unitsMenu, "&English", "ID_UNITS_ENGLISH", ID_UNITS_ENGLISH), &QAction::triggered,
            this, &COstrelDlg::OnUnitsEnglish);
    QMenu* box = m_MenuBar->addMenu(QStringLiteral("&Box Calculator"));
    connect(AddCommand(box, "&Box Calculator", "ID_BOX_CALCULATOR", ID_BOX_CALCULATOR), &QAction::triggered,
            this, &COstrelDlg::OnBoxCalculator);
    QMenu* help = m_MenuBar->addMenu(QStringLiteral("&Help"));
    connect(AddCommand(help, "Online Help", "ID_HELP_ONLINE", ID_HELP_ONLINE), &QAction::triggered, this,
            &COstrelDlg::OnOnlineHelp);
    connect(AddCommand(help, "&About", "ID_HELP_ABOUT", ID_HELP_ABOUT), &QAction::triggered, this,
            &COstrelDlg::OnHelpAbout);

    m_ClientArea = new COstrelClientArea(*this);
    m_ClientArea->setFixedSize(ClientWidth, ClientHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_MenuBar);
    layout->addWidget(m_ClientArea);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* area = m_ClientArea;
    // Group boxes first, so that they lie beneath the controls drawn on them.
    auto* speaker = new QGroupBox(QStringLiteral("Speaker Parameters"), area);
    speaker->setGeometry(DialogRect(10, 10, 290, 115));
    auto* results = new QGroupBox(QStringLiteral("Box Results"), area);
    results->setGeometry(DialogRect(392, 10, 110, 115));

    const FieldColumn driver{area, 40, 28, false};
    m_QtsEdit = driver.Field(QStringLiteral("Qts: "), "IDC_QTS", 25);
    m_QesEdit = driver.Field(QStringLiteral("Qes: "), "IDC_QES", 46);
    m_FsEdit = driver.Field(QStringLiteral("Fs: "), "IDC_FS", 65);
    driver.Unit(QStringLiteral(" Hz"), 65);
    m_VasEdit = driver.Field(QStringLiteral("Vas:  "), "IDC_VAS", 86);
    m_VasUnitLabel = driver.Unit(QString(), 86, "IDC_VASUNIT");
    m_PmaxEdit = driver.Field(QStringLiteral("Pmax: "), "IDC_PMAX", 105);
    driver.Unit(QStringLiteral(" watts"), 105);

    const FieldColumn vent{area, 150, 40, false};
    m_DiameterEdit = vent.Field(QStringLiteral("Diameter: "), "IDC_DIAMETER", 25);
    m_DiameterUnitLabel = vent.Unit(QString(), 25, "IDC_DIAMETERUNIT");
    m_XmaxEdit = vent.Field(QStringLiteral("Xmax: "), "IDC_XMAX", 44);
    m_XmaxUnitLabel = vent.Unit(QString(), 44, "IDC_XMAXUNIT");
    m_DpEdit = vent.Field(QStringLiteral("Dp: "), "IDC_DP", 64);
    m_DpUnitLabel = vent.Unit(QString(), 64, "IDC_DPUNIT");
    m_PortsEdit = vent.Field(QStringLiteral("# Ports: "), "IDC_PORTS", 84);

    MakeText(area, QStringLiteral("Alignment:"), DialogRect(225, 33, 50, 12), Qt::AlignLeft);
    m_SBB4Check = MakeCheck(area, QStringLiteral("SBB4"), "IDC_SBB4", DialogRect(235, 50, 34, 10));
    m_QB3Check = MakeCheck(area, QStringLiteral("QB3"), "IDC_QB3", DialogRect(235, 70, 30, 10));
    m_SC4Check = MakeCheck(area, QStringLiteral("SC4"), "IDC_SC4", DialogRect(235, 90, 29, 10));

    m_CalculateButton =
        MakeButton(area, QStringLiteral("Calculate"), "IDC_CALCULATE", DialogRect(310, 15, 75, 20));
    // Enter in any edit calculates.
    m_CalculateButton->setDefault(true);
    m_WebsiteButton = MakeButton(area, SiteCaption(), "IDC_WEBSITE", DialogRect(310, 40, 75, 20));
    m_WebsiteButton->setEnabled(!Site().isEmpty());
    m_BooksButton = MakeButton(area, QStringLiteral("Audio Books"), "IDC_BOOKS", DialogRect(310, 65, 75, 20));
    m_BooksButton->hide();
    m_OutputCheck =
        MakeCheck(area, QStringLiteral("Output Response"), "IDC_OUTPUT", DialogRect(310, 90, 71, 10));
    m_PowerCheck =
        MakeCheck(area, QStringLiteral("Power Response"), "IDC_POWER", DialogRect(310, 105, 70, 10));

    const FieldColumn boxResults{area, 430, 30, true};
    m_VbEdit = boxResults.Field(QStringLiteral("Vb: "), "IDC_VB", 30);
    m_VbUnitLabel = boxResults.Unit(QString(), 30, "IDC_VBUNIT");
    m_FbEdit = boxResults.Field(QStringLiteral("Fb: "), "IDC_FB", 50);
    boxResults.Unit(QStringLiteral(" Hz"), 50);
    m_F3Edit = boxResults.Field(QStringLiteral("F3: "), "IDC_F3", 70);
    boxResults.Unit(QStringLiteral(" Hz"), 70);
    m_LpEdit = boxResults.Field(QStringLiteral("Lp: "), "IDC_LP", 90);
    m_LpUnitLabel = boxResults.Unit(QString(), 90, "IDC_LPUNIT");
    for (QLineEdit* result : {m_VbEdit, m_FbEdit, m_F3Edit, m_LpEdit})
        result->setFocusPolicy(Qt::ClickFocus);

    // Kept for their fields only; never shown.
    m_QtcEdit = MakeEdit(area, "IDC_QTC", DialogRect(195, 175, 40, 14));
    m_PeakEdit = MakeEdit(area, "IDC_PEAK", DialogRect(285, 250, 40, 14), true);
    for (QWidget* hidden : {static_cast<QWidget*>(m_QtcEdit), static_cast<QWidget*>(m_PeakEdit)}) {
        hidden->setEnabled(false);
        hidden->hide();
    }

    connect(m_CalculateButton, &QPushButton::clicked, this, &COstrelDlg::OnCalculate);
    connect(m_WebsiteButton, &QPushButton::clicked, this, &COstrelDlg::OnWebsite);
    connect(m_BooksButton, &QPushButton::clicked, this, &COstrelDlg::OnAudioBooks);
    connect(m_OutputCheck, &QCheckBox::clicked, this, &COstrelDlg::OnOutputResponse);
    connect(m_PowerCheck, &QCheckBox::clicked, this, &COstrelDlg::OnPowerResponse);
    connect(m_QB3Check, &QCheckBox::clicked, this, &COstrelDlg::OnAlignQB3);
    connect(m_SBB4Check, &QCheckBox::clicked, this, &COstrelDlg::OnAlignSBB4);
    connect(m_SC4Check, &QCheckBox::clicked, this, &COstrelDlg::OnAlignSC4);

    setTabOrder(m_QtsEdit, m_QesEdit);
    setTabOrder(m_QesEdit, m_FsEdit);
    setTabOrder(m_FsEdit, m_VasEdit);
    setTabOrder(m_VasEdit, m_PmaxEdit);
    setTabOrder(m_PmaxEdit, m_DiameterEdit);
    setTabOrder(m_DiameterEdit, m_XmaxEdit);
    setTabOrder(m_XmaxEdit, m_DpEdit);
    setTabOrder(m_DpEdit, m_PortsEdit);
}

COstrelDlg::~COstrelDlg() = default;

QWidget* COstrelDlg::Control(int id) const {
    switch (id) {
    case IDC_QTC:
        return m_QtcEdit;
    case IDC_QTS:
        return m_QtsEdit;
    case IDC_VAS:
        return m_VasEdit;
    case IDC_FS:
        return m_FsEdit;
    case IDC_VB:
        return m_VbEdit;
    case IDC_FB:
        return m_FbEdit;
    case IDC_F3:
        return m_F3Edit;
    case IDC_PEAK:
        return m_PeakEdit;
    case IDC_QES:
        return m_QesEdit;
    case IDC_PMAX:
        return m_PmaxEdit;
    case IDC_DIAMETER:
        return m_DiameterEdit;
    case IDC_XMAX:
        return m_XmaxEdit;
    case IDC_CALCULATE:
        return m_CalculateButton;
    case IDC_OUTPUT:
        return m_OutputCheck;
    case IDC_POWER:
        return m_PowerCheck;
    case IDC_DP:
        return m_DpEdit;
    case IDC_PORTS:
        return m_PortsEdit;
    case IDC_LP:
        return m_LpEdit;
    case IDC_SBB4:
        return m_SBB4Check;
    case IDC_QB3:
        return m_QB3Check;
    case IDC_SC4:
        return m_SC4Check;
    case IDC_VASUNIT:
        return m_VasUnitLabel;
    case IDC_DIAMETERUNIT:
        return m_DiameterUnitLabel;
    case IDC_XMAXUNIT:
        return m_XmaxUnitLabel;
    case IDC_DPUNIT:
        return m_DpUnitLabel;
    case IDC_VBUNIT:
        return m_VbUnitLabel;
    case IDC_LPUNIT:
        return m_LpUnitLabel;
    case IDC_WEBSITE:
        return m_WebsiteButton;
    case IDC_BOOKS:
        return m_BooksButton;
    default:
        return nullptr;
    }
}

void COstrelDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(m_OutputCheck, m_OutputResponse);
    dx.Check(m_PowerCheck, m_PowerResponse);
    dx.Double(m_PortsEdit, m_Ports);
    dx.Double(m_PeakEdit, m_Peak);
    dx.Double(m_PmaxEdit, m_Pmax);
    dx.Double(m_QesEdit, m_Qes);
    dx.Double(m_QtcEdit, m_Qtc);
    dx.Double(m_QtsEdit, m_Qts);
    dx.Double(m_VasEdit, m_Vas);
    dx.Double(m_XmaxEdit, m_Xmax);
    dx.Check(m_QB3Check, m_QB3);
    dx.Check(m_SBB4Check, m_SBB4);
    dx.Check(m_SC4Check, m_SC4);
    dx.Result(m_VbEdit, m_Vb);
    dx.Result(m_FbEdit, m_Fb);
    dx.Result(m_F3Edit, m_F3);
    dx.Result(m_LpEdit, m_Lp);
    dx.Double(m_DiameterEdit, m_Diameter);
    dx.Double(m_DpEdit, m_Dp);
    dx.Double(m_FsEdit, m_Fs);
    dx.Text(m_DiameterUnitLabel, m_DiameterUnit);
    dx.Text(m_DpUnitLabel, m_DpUnit);
    dx.Text(m_LpUnitLabel, m_LpUnit);
    dx.Text(m_VasUnitLabel, m_VasUnit);
    dx.Text(m_VbUnitLabel, m_VbUnit);
    dx.Text(m_XmaxUnitLabel, m_XmaxUnit);
}

bool COstrelDlg::UpdateData(bool saveAndValidate) {
    CDataExchange dx(m_Host, this, saveAndValidate);
    return dx.AllOrNothing(static_cast<COstrelFields&>(*this),
                           [this](CDataExchange& exchange) { DoDataExchange(exchange); });
}

bool COstrelDlg::ReadControls() {
    if (UpdateData(true))
        return true;
    // The click that started the action did not take effect, so its check mark goes back too.
    m_OutputCheck->setChecked(m_OutputResponse != 0);
    m_PowerCheck->setChecked(m_PowerResponse != 0);
    m_QB3Check->setChecked(m_QB3 != 0);
    m_SBB4Check->setChecked(m_SBB4 != 0);
    m_SC4Check->setChecked(m_SC4 != 0);
    return false;
}

MessageAnswer COstrelDlg::Message(std::string_view text, const QString& caption, MessageStyle style) {
    return m_Host.MessageBox(this, QString::fromUtf8(text.data(), qsizetype(text.size())), caption, style);
}

bool COstrelDlg::OnInitDialog() {
    UpdateData(false);
    m_Agreement.OnInitDialog();
    m_Host.RunModal(m_Agreement);
    if (m_Agreement.m_Accepted == 0)
        return false;

    m_Diameter = 30.38;
    m_Dp = 10;
    m_Fs = 24;
    m_Peak = 0;
    m_Pmax = 500;
    m_Qes = 0.353;
    m_Qtc = 0.7;
    m_Qts = 0.342;
    m_Vas = 186.16;
    m_Xmax = 6;
    m_Ports = 1;
    m_OutputResponse = 1;
    m_PowerResponse = 0;
    m_QB3 = 0;
    m_SBB4 = 1;
    m_SC4 = 0;
    m_Vb = 0;
    m_Fb = 0;
    m_F3 = 0;
    m_Lp = 0;
    m_Calculated = 0;
    SetUnitLabels(false);
    m_English = 0;
    m_Metric = 1;
    UpdateData(false);
    m_QtsEdit->setFocus(Qt::OtherFocusReason);
    return true;
}

void COstrelDlg::OnCalculate() {
    const COstrelFields kept = *this;
    // A rejected text stops here: nothing is calculated and nothing typed is overwritten.
    if (!ReadControls())
        return;
    const ostrel::VentedInputs shown{m_Qts, m_Qes, m_Vas, m_Fs, m_Pmax, m_Diameter, m_Xmax, m_Dp, m_Ports};
    if (const auto problem = ostrel::checkInputs(shown)) {
        Message(*problem, QStringLiteral("Warning"), MessageStyle::OkStop);
        m_Qes = kept.m_Qes;
        m_Qts = kept.m_Qts;
        m_Vas = kept.m_Vas;
        m_Fs = kept.m_Fs;
        m_Pmax = kept.m_Pmax;
        m_Diameter = kept.m_Diameter;
        m_Xmax = kept.m_Xmax;
        m_OutputResponse = kept.m_OutputResponse;
        m_PowerResponse = kept.m_PowerResponse;
        UpdateData(false);
        return;
    }

    // The fields keep what the user typed; the calculation works on a metric copy.
    const bool english = m_Metric != 1;
    const ostrel::VentedInputs metric = english ? ostrel::toMetric(shown) : shown;
    ostrel::Alignment alignment = ostrel::Alignment::SBB4;
    if (m_SBB4 == 1)
        alignment = ostrel::Alignment::SBB4;
    else if (m_QB3 == 1)
        alignment = ostrel::Alignment::QB3;
    else if (m_SC4 == 1)
        alignment = ostrel::Alignment::SC4;
    const ostrel::AlignmentLookup lookup = ostrel::lookupAlignment(alignment, metric.qts);
    if (lookup.outOfRange && Message(ostrel::OutOfRangeMessage, QStringLiteral("Online Help"),
                                     MessageStyle::OkCancelInformation) == MessageAnswer::Cancel)
        return;

    const ostrel::VentedDesign design = ostrel::designVentedBox(metric, lookup.values);
    if (!design.usable) {
        Message(ostrel::NoUsableBoxMessage, QStringLiteral("Warning"), MessageStyle::OkStop);
        return;
    }
    m_Calculated = 1;
    m_Vb = design.vb;
    m_Fb = design.fb;
    m_F3 = design.f3;
    m_Lp = design.lp;
    m_OutputCurve = design.output;
    m_DisplacementCurve = design.displacement;
    m_ThermalCurve = design.thermal;
    if (design.portTooSmall)
        Message(ostrel::PortTooSmallMessage, QStringLiteral("Warning"), MessageStyle::OkStop);
    if (design.ventTooShort)
        Message(ostrel::VentTooWideMessage, QStringLiteral("Warning"), MessageStyle::OkWarning);
    if (english) {
        m_Vb = ostrel::toFloat(m_Vb * ostrel::units::LitresToCubicInches);
        m_Lp = ostrel::toFloat(m_Lp * ostrel::units::CentimetresToInches);
    }
    UpdateData(false);
    m_ClientArea->update();
}

void COstrelDlg::ApplyResponseRule(bool output) {
    if (!ReadControls())
        return;
    m_OutputResponse = output ? 1 : 0;
    m_PowerResponse = output ? 0 : 1;
    UpdateData(false);
    if (m_Calculated == 1)
        OnCalculate();
    // The title and scale follow the choice even when the calculation stops at a message.
    m_ClientArea->update();
}

void COstrelDlg::OnOutputResponse() {
    ApplyResponseRule(true);
}

void COstrelDlg::OnPowerResponse() {
    ApplyResponseRule(false);
}

void COstrelDlg::ApplyAlignmentRule(int COstrelFields::*chosen) {
    if (!ReadControls())
        return;
    m_QB3 = 0;
    m_SBB4 = 0;
    m_SC4 = 0;
    this->*chosen = 1;
    UpdateData(false);
    OnCalculate();
}

void COstrelDlg::OnAlignQB3() {
    ApplyAlignmentRule(&COstrelFields::m_QB3);
}

void COstrelDlg::OnAlignSBB4() {
    ApplyAlignmentRule(&COstrelFields::m_SBB4);
}

void COstrelDlg::OnAlignSC4() {
    ApplyAlignmentRule(&COstrelFields::m_SC4);
}

void COstrelDlg::ConvertToEnglish() {
    using namespace ostrel::units;
    m_Vas *= LitresToCubicFeet;
    m_Diameter *= CentimetresToInches;
    m_Xmax *= MillimetresToInches;
    m_Vb = ostrel::toFloat(m_Vb * LitresToCubicInches);
    m_Dp *= CentimetresToInches;
    m_Lp = ostrel::toFloat(m_Lp * CentimetresToInches);
}

void COstrelDlg::ConvertToMetric() {
    using namespace ostrel::units;
    m_Vas *= CubicFeetToLitres;
    m_Diameter *= InchesToCentimetres;
    m_Xmax *= InchesToMillimetres;
    m_Vb = ostrel::toFloat(m_Vb * CubicInchesToLitres);
    m_Dp *= InchesToCentimetres;
    m_Lp = ostrel::toFloat(m_Lp * InchesToCentimetres);
}

void COstrelDlg::SetUnitLabels(bool english) {
    if (english) {
        m_VasUnit = QStringLiteral(" ft3");
        m_DiameterUnit = QStringLiteral(" in");
        m_XmaxUnit = QStringLiteral(" in");
        m_VbUnit = QStringLiteral(" in3");
        m_DpUnit = QStringLiteral(" in");
        m_LpUnit = QStringLiteral(" in");
    } else {
        m_VasUnit = QStringLiteral(" liters");
        m_DiameterUnit = QStringLiteral(" cm");
        m_XmaxUnit = QStringLiteral(" mm");
        m_VbUnit = QStringLiteral(" liters");
        m_DpUnit = QStringLiteral(" cm");
        m_LpUnit = QStringLiteral(" cm");
    }
}

void COstrelDlg::SwitchUnits(bool english) {
    if (!ReadControls())
        return;
    // Relabelled always, converted only on a real change of system.
    SetUnitLabels(english);
    if (english && m_English != 1)
        ConvertToEnglish();
    else if (!english && m_Metric != 1)
        ConvertToMetric();
    m_English = english ? 1 : 0;
    m_Metric = english ? 0 : 1;
    UpdateData(false);
}

void COstrelDlg::OnUnitsEnglish() {
    SwitchUnits(true);
}

void COstrelDlg::OnUnitsMetric() {
    SwitchUnits(false);
}

void COstrelDlg::OnBoxCalculator() {
    // What was last exchanged or calculated, not what the edits hold now.
    m_BoxCalculator.m_BoxVb = m_Vb;
    m_BoxCalculator.m_BoxDp = m_Dp;
    m_BoxCalculator.m_BoxLp = m_Lp;
    m_BoxCalculator.m_BoxPorts = m_Ports;
    m_BoxCalculator.m_BoxEnglish = m_English;
    m_BoxCalculator.OnInitDialog();
    m_Host.RunModal(m_BoxCalculator);
}

void COstrelDlg::OpenWebPageAfterAsking(const QString& text, const QString& caption, const QString& path) {
    if (m_Host.MessageBox(this, text, caption, MessageStyle::OkCancelInformation) == MessageAnswer::Ok)
        m_Host.OpenWebPage(Site() + path);
}

bool COstrelDlg::WebSiteSet() {
    if (!Site().isEmpty())
        return true;
    m_Host.MessageBox(this, QString::fromLatin1(NoWebSiteMessage), QStringLiteral("Ostrel 2.0"),
                      MessageStyle::OkWarning);
    return false;
}

void COstrelDlg::OnOnlineHelp() {
    if (!WebSiteSet())
        return;
    const QString site = Site();
    OpenWebPageAfterAsking(
        QStringLiteral(
            "Click OK to go to Online help.  If you cannot access online help from this box goto:\n ") +
            site,
        QStringLiteral("Online Help"), QStringLiteral("/speaker/index.php"));
}

void COstrelDlg::OpenSitePageAfterAsking(const QString& path) {
    if (!WebSiteSet())
        return;
    const QString site = Site();
    OpenWebPageAfterAsking(QStringLiteral("Click OK to go to ") + site +
                               QStringLiteral(".  If you cannot access from this box goto:\n ") + site,
                           QStringLiteral("Website: ") + site, path);
}

void COstrelDlg::OnWebsite() {
    OpenSitePageAfterAsking(QStringLiteral("/speaker/index.php"));
}

void COstrelDlg::OnAudioBooks() {
    OpenSitePageAfterAsking(QStringLiteral("/speaker/books.php"));
}

void COstrelDlg::OnHelpAbout() {
    CAboutDlg about(this);
    m_Host.RunModal(about);
}

void COstrelDlg::OnFileExit() {
    if (UpdateData(true))
        done(QDialog::Accepted);
}

void COstrelDlg::reject() {}

void COstrelDlg::closeEvent(QCloseEvent* event) {
    // Ostrel keeps nothing to save: closing the window ends the program.
    event->accept();
    done(QDialog::Accepted);
}

void COstrelDlg::OnPaint(QPainter& painter) const {
    using namespace ostrel;
    const QColor fillColour(150, 150, 255);
    const QColor labelBackground(200, 200, 200);
    const QPen frame(QColor(0, 0, 0), 1);
    const QPen grid(QColor(220, 220, 220), 1);
    QPen red(QColor(220, 0, 0), 2);
    QPen green(QColor(100, 250, 40), 2);
    red.setCapStyle(Qt::RoundCap);
    green.setCapStyle(Qt::RoundCap);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());

    painter.fillRect(QRect(QPoint(PlotLeft, PlotTop), QPoint(PlotRight, PlotBottom - 1)), fillColour);

    painter.setPen(frame);
    // The frame's last line ends one pixel short of the top edge, as a line to a point leaves that
    // point out.
    const QPoint framePoints[] = {{70, 240}, {70, 490}, {740, 490}, {740, 491}, {69, 491}, {69, 241}};
    painter.drawPolyline(framePoints, 6);

    painter.setPen(grid);
    for (int f = 10; f <= 100; f += 10)
        painter.drawLine(frequencyToX(f), PlotTop, frequencyToX(f), PlotBottom - 1);
    for (int f = 200; f <= 1000; f += 100)
        painter.drawLine(frequencyToX(f), PlotTop, frequencyToX(f), PlotBottom - 1);
    for (int y = PlotBottom; y >= PlotTop; y -= 25)
        painter.drawLine(PlotLeft, y, PlotRight - 1, y);

    painter.setPen(frame);
    for (int f : {10, 50, 100, 500, 1000})
        DrawTextAt(painter, frequencyToX(f), 495, QString::number(f), Anchor::CentreTop, labelBackground);
    DrawTextAt(painter, 405, 515, QStringLiteral("Frequency(Hz)"), Anchor::CentreTop, labelBackground);
    const bool output = m_OutputResponse == 1;
    DrawTextAt(painter, 405, 210,
               output ? QStringLiteral("Frequency Response: Output vs. Frequency")
                      : QStringLiteral("Power Response: Power vs. Frequency"),
               Anchor::CentreTop, labelBackground);
    for (int step = 0; step <= 10; ++step) {
        const int level = output ? -25 + 5 * step : 15 * step;
        DrawTextAt(painter, 60, 485 - 25 * step, QString::number(level), Anchor::RightTop, labelBackground);
    }
    DrawTextAt(painter, 40, 360, QStringLiteral("dB"), Anchor::RightTop, labelBackground);

    const bool calculated = m_Calculated == 1;
    painter.setPen(red);
    if (output && calculated)
        DrawCurve(painter, CurvePixels(m_OutputCurve, outputLevelToY));
    if (m_PowerResponse == 1 && calculated) {
        painter.setPen(green);
        DrawCurve(painter, CurvePixels(m_DisplacementCurve, powerLevelToY));
        painter.drawLine(550, 427, 590, 427);
        painter.setPen(frame);
        DrawTextAt(painter, 600, 417, QStringLiteral("Displacement Limit"), Anchor::LeftTop, fillColour);
        painter.setPen(red);
        DrawCurve(painter, CurvePixels(m_ThermalCurve, powerLevelToY));
        painter.drawLine(550, 452, 590, 452);
        painter.setPen(frame);
        DrawTextAt(painter, 600, 442, QStringLiteral("Thermal Limit"), Anchor::LeftTop, fillColour);
    }
    painter.restore();
}
