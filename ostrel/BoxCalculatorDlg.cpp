#include "ostrel/BoxCalculatorDlg.h"

#include "ostrel/BoxDimensions.h"
#include "ostrel/DataExchange.h"
#include "ostrel/DialogUnits.h"
#include "ostrel/OstrelHost.h"
#include "ostrel/VentedBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel* MakeCaption(QWidget* parent, int id, const QRect& rect) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("IDC_%1").arg(id));
    // Right-aligned, so a caption wider in this font than in the layout's grows to the left.
    label->setGeometry(QRect(QPoint(0, rect.top() + 1), QPoint(rect.right(), rect.bottom() + 6)));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, int id, const QRect& rect) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("IDC_%1").arg(id));
    edit->setGeometry(rect);
    return edit;
}

QCheckBox* MakeConstrain(QWidget* parent, int id, const QRect& rect) {
    auto* box = new QCheckBox(QStringLiteral("Constrain"), parent);
    box->setObjectName(QStringLiteral("IDC_%1").arg(id));
    box->setGeometry(rect.adjusted(0, -2, 10, 2));
    return box;
}

} // namespace

CBoxCalculatorDlg::CBoxCalculatorDlg(COstrelHost& host, QWidget* parent) : QDialog(parent), m_Host(host) {
    setObjectName(QStringLiteral("IDD_BOX_CALCULATOR"));
    setWindowTitle(QStringLiteral("Box Calculator"));
    UseDialogFont(*this);
    setFixedSize(DialogUnitsX(377), DialogUnitsY(250));

    m_VbCaption = MakeCaption(this, 1028, DialogRect(30, 15, 42, 8));
    m_VbEdit = MakeEdit(this, IDC_BC_VB, DialogRect(75, 15, 40, 14));
    m_AddlVCaption = MakeCaption(this, 1029, DialogRect(15, 40, 57, 8));
    m_AddlVEdit = MakeEdit(this, IDC_BC_ADDL_V, DialogRect(75, 40, 40, 14));
    m_PortVolumeCaption = MakeCaption(this, 1030, DialogRect(0, 65, 72, 8));
    m_PortVolumeEdit = MakeEdit(this, IDC_BC_PORT_VOLUME, DialogRect(75, 65, 40, 14));
    m_TotalVolumeCaption = MakeCaption(this, 1031, DialogRect(0, 90, 72, 8));
    m_TotalVolumeEdit = MakeEdit(this, IDC_BC_TOTAL_VOLUME, DialogRect(75, 90, 40, 14));
    m_LengthCaption = MakeCaption(this, 1032, DialogRect(30, 115, 43, 8));
    m_LengthEdit = MakeEdit(this, IDC_BC_LENGTH, DialogRect(75, 115, 40, 14));
    m_ConstrainLengthCheck = MakeConstrain(this, IDC_BC_CONSTRAIN_LENGTH, DialogRect(120, 118, 45, 10));
    m_WidthCaption = MakeCaption(this, 1033, DialogRect(30, 140, 40, 8));
    m_WidthEdit = MakeEdit(this, IDC_BC_WIDTH, DialogRect(75, 140, 40, 14));
    m_ConstrainWidthCheck = MakeConstrain(this, IDC_BC_CONSTRAIN_WIDTH, DialogRect(120, 143, 45, 10));
    m_DepthCaption = MakeCaption(this, 1034, DialogRect(30, 166, 43, 8));
    m_DepthEdit = MakeEdit(this, IDC_BC_DEPTH, DialogRect(75, 166, 40, 14));
    m_ConstrainDepthCheck = MakeConstrain(this, IDC_BC_CONSTRAIN_DEPTH, DialogRect(120, 169, 45, 10));

    m_CalculateButton = new QPushButton(QStringLiteral("Calculate"), this);
    m_CalculateButton->setObjectName(QStringLiteral("IDC_BC_CALCULATE"));
    m_CalculateButton->setGeometry(DialogRect(70, 200, 50, 14));
    m_CalculateButton->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    cancel->setGeometry(DialogRect(70, 217, 50, 14));
    cancel->setAutoDefault(false);

    connect(m_CalculateButton, &QPushButton::clicked, this, &CBoxCalculatorDlg::OnCalculate);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* CBoxCalculatorDlg::Control(int id) const {
    switch (id) {
    case IDC_BC_LENGTH:
        return m_LengthEdit;
    case IDC_BC_WIDTH:
        return m_WidthEdit;
    case IDC_BC_DEPTH:
        return m_DepthEdit;
    case IDC_BC_VB:
        return m_VbEdit;
    case IDC_BC_CONSTRAIN_LENGTH:
        return m_ConstrainLengthCheck;
    case IDC_BC_CONSTRAIN_WIDTH:
        return m_ConstrainWidthCheck;
    case IDC_BC_CONSTRAIN_DEPTH:
        return m_ConstrainDepthCheck;
    case IDC_BC_PORT_VOLUME:
        return m_PortVolumeEdit;
    case IDC_BC_CALCULATE:
        return m_CalculateButton;
    case IDC_BC_TOTAL_VOLUME:
        return m_TotalVolumeEdit;
    case IDC_BC_ADDL_V:
        return m_AddlVEdit;
    default:
        return nullptr;
    }
}

void CBoxCalculatorDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(m_ConstrainDepthCheck, m_ConstrainDepth);
    dx.Check(m_ConstrainLengthCheck, m_ConstrainLength);
    dx.Check(m_ConstrainWidthCheck, m_ConstrainWidth);
    dx.Float(m_DepthEdit, m_Depth);
    dx.Float(m_LengthEdit, m_Length);
    dx.Float(m_VbEdit, m_BoxVb);
    dx.Float(m_PortVolumeEdit, m_PortVolume);
    dx.Float(m_TotalVolumeEdit, m_TotalVolume);
    dx.Float(m_WidthEdit, m_Width);
    dx.Text(m_DepthCaption, m_DepthLabel);
    dx.Text(m_LengthCaption, m_LengthLabel);
    dx.Text(m_PortVolumeCaption, m_PortVolumeLabel);
    dx.Text(m_TotalVolumeCaption, m_TotalVolumeLabel);
    dx.Text(m_VbCaption, m_VbLabel);
    dx.Text(m_WidthCaption, m_WidthLabel);
    dx.Text(m_AddlVCaption, m_AddlVLabel);
    dx.Float(m_AddlVEdit, m_AddlV);
}

bool CBoxCalculatorDlg::UpdateData(bool saveAndValidate) {
    CDataExchange dx(m_Host, this, saveAndValidate);
    return dx.AllOrNothing(static_cast<CBoxCalculatorFields&>(*this),
                           [this](CDataExchange& exchange) { DoDataExchange(exchange); });
}

void CBoxCalculatorDlg::OnInitDialog() {
    const bool english = m_BoxEnglish != 0;
    const ostrel::BoxProposal proposal =
        ostrel::proposeBox(m_BoxVb, m_BoxDp, m_BoxLp, m_BoxPorts, m_AddlV, english);
    if (english) {
        m_VbLabel = QStringLiteral("Vb (in3):");
        m_PortVolumeLabel = QStringLiteral("Port Volume (in3):");
        m_TotalVolumeLabel = QStringLiteral("Total Volume (in3):");
        m_LengthLabel = QStringLiteral("Length (in):");
        m_WidthLabel = QStringLiteral("Width (in):");
        m_DepthLabel = QStringLiteral("Depth (in):");
        m_AddlVLabel = QStringLiteral("Addl. V (in3):");
    } else {
        m_VbLabel = QStringLiteral("Vb (liter):");
        m_PortVolumeLabel = QStringLiteral("Port Volume (liter):");
        m_TotalVolumeLabel = QStringLiteral("Total Volume (liter):");
        m_LengthLabel = QStringLiteral("Length (cm):");
        m_WidthLabel = QStringLiteral("Width (cm):");
        m_DepthLabel = QStringLiteral("Depth (cm):");
        m_AddlVLabel = QStringLiteral("Addl. V (liter):");
    }
    m_PortVolume = ostrel::toFloat(proposal.portVolume);
    m_TotalVolume = ostrel::toFloat(proposal.totalVolume);
    m_Length = ostrel::toFloat(proposal.length);
    m_Width = ostrel::toFloat(proposal.width);
    m_Depth = ostrel::toFloat(proposal.depth);
    UpdateData(false);
    m_VbEdit->setFocus(Qt::OtherFocusReason);
}

void CBoxCalculatorDlg::OnCalculate() {
    if (!UpdateData(true))
        return;
    const bool english = m_BoxEnglish != 0;
    const double total = static_cast<double>(m_AddlV) + m_PortVolume + m_BoxVb;
    const ostrel::BoxSidesResult result =
        ostrel::completeBox(total, {m_Length, m_Width, m_Depth},
                            {m_ConstrainLength != 0, m_ConstrainWidth != 0, m_ConstrainDepth != 0}, english);
    if (result.problem) {
        m_Host.MessageBox(this, QString::fromUtf8(result.problem->data(), qsizetype(result.problem->size())),
                          QStringLiteral("Warning"), MessageStyle::OkStop);
        return;
    }
    m_TotalVolume = ostrel::toFloat(total);
    m_Length = ostrel::toFloat(result.sides.length);
    m_Width = ostrel::toFloat(result.sides.width);
    m_Depth = ostrel::toFloat(result.sides.depth);
    UpdateData(false);
}

void CBoxCalculatorDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QPen red(QColor(220, 0, 0), 2);
    const QPen green(QColor(100, 250, 40), 2);
    // A large and a small driver on the front face.
    painter.setPen(green);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRect(QPoint(340, 165), QPoint(434, 259)));
    painter.drawEllipse(QRect(QPoint(313, 138), QPoint(352, 177)));
    painter.setPen(red);
    painter.setBrush(Qt::NoBrush);
    const QPoint front[] = {{300, 275}, {450, 275}, {450, 125}, {300, 125}, {300, 275}};
    painter.drawPolyline(front, 5);
    painter.drawLine(450, 275, 525, 200);
    painter.drawLine(450, 125, 525, 50);
    const QPoint outline[] = {{300, 125}, {375, 50}, {525, 50}, {525, 200}};
    painter.drawPolyline(outline, 4);
    painter.setPen(palette().color(QPalette::WindowText));
    const int ascent = painter.fontMetrics().ascent();
    painter.drawText(375, 280 + ascent, QStringLiteral("L"));
    painter.drawText(280, 200 + ascent, QStringLiteral("W"));
    painter.drawText(320, 75 + ascent, QStringLiteral("D"));
}
