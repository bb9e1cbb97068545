#pragma once

#include "ostrel/AgreementDlg.h"
#include "ostrel/BoxCalculatorDlg.h"
#include "ostrel/OstrelHost.h"
#include "ostrel/VentedBox.h"

#include <QDialog>
#include <QString>

#include <string_view>

class CDataExchange;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPainter;
class QPushButton;

// The main dialog's fields that are exchanged with its controls, in the system shown.
struct COstrelFields {
    int m_OutputResponse = 0;
    int m_PowerResponse = 0;
    double m_Ports = 0.0;
    double m_Peak = 0.0; // kept in a hidden edit, read by no calculation
    double m_Pmax = 0.0;
    double m_Qes = 0.0;
    double m_Qtc = 0.0; // kept in a hidden edit, read by no calculation
    double m_Qts = 0.0;
    double m_Vas = 0.0;
    double m_Xmax = 0.0;
    int m_QB3 = 0;
    int m_SBB4 = 0;
    int m_SC4 = 0;
    float m_Vb = 0.0f;
    float m_Fb = 0.0f;
    float m_F3 = 0.0f;
    float m_Lp = 0.0f;
    double m_Diameter = 0.0;
    double m_Dp = 0.0;
    double m_Fs = 0.0;
    QString m_DiameterUnit;
    QString m_DpUnit;
    QString m_LpUnit;
    QString m_VasUnit;
    QString m_VbUnit;
    QString m_XmaxUnit;
};

// Ostrel's one main dialog: the driver and vent inputs, the alignment, the box results and,
// below them, the response graph.
// What the web commands say while no web site is set.
inline constexpr char NoWebSiteMessage[] = "No web site is set for this copy of Ostrel.";

class COstrelDlg : public QDialog, public COstrelFields {
    Q_OBJECT
public:
    enum {
        IDD = 102,
        IDC_QTC = 1000,
        IDC_QTS = 1001,
        IDC_VAS = 1002,
        IDC_FS = 1003,
        IDC_VB = 1004,
        IDC_FB = 1005,
        IDC_F3 = 1006,
        IDC_PEAK = 1007,
        IDC_QES = 1008,
        IDC_PMAX = 1009,
        IDC_DIAMETER = 1010,
        IDC_XMAX = 1011,
        IDC_CALCULATE = 1012,
        IDC_OUTPUT = 1013,
        IDC_POWER = 1014,
        IDC_DP = 1015,
        IDC_PORTS = 1017,
        IDC_LP = 1019,
        IDC_SBB4 = 1020,
        IDC_QB3 = 1021,
        IDC_SC4 = 1022,
        IDC_VASUNIT = 1024,
        IDC_DIAMETERUNIT = 1025,
        IDC_XMAXUNIT = 1026,
        IDC_DPUNIT = 1027,
        IDC_VBUNIT = 1028,
        IDC_LPUNIT = 1029,
        IDC_WEBSITE = 1035,
        IDC_BOOKS = 1045,
        IDR_MAINMENU = 129,
        ID_FILE_EXIT = 32771,
        ID_HELP_ABOUT = 32772,
        ID_BOX_CALCULATOR = 32773,
        ID_HELP_ONLINE = 32774,
        ID_UNITS_METRIC = 32775,
        ID_UNITS_ENGLISH = 32776,
    };

    explicit COstrelDlg(COstrelHost& host, QWidget* parent = nullptr);
    ~COstrelDlg() override;

    // Shows the agreement and fills in the start-up design. False when the user declined:
    // the program then ends without showing the dialog.
    bool OnInitDialog();

    // Fields to controls (false) or controls to fields (true). Reading is all or nothing: when
    // a text is rejected no field changes and the result is false.
    bool UpdateData(bool saveAndValidate = true);

    void OnCalculate();
    void OnOutputResponse();
    void OnPowerResponse();
    void OnAlignQB3();
    void OnAlignSBB4();
    void OnAlignSC4();
    void OnFileExit();
    void OnHelpAbout();
    void OnBoxCalculator();
    void OnOnlineHelp();
    void OnUnitsEnglish();
    void OnUnitsMetric();
    void OnWebsite();
    void OnAudioBooks();

    // The unit switch's in-place conversions of the six fields that carry a unit.
    void ConvertToMetric();
    void ConvertToEnglish();

    // The response graph, drawn on the client area below the menu.
    void OnPaint(QPainter& painter) const;

    QWidget* Control(int id) const;
    QWidget* ClientArea() const { return m_ClientArea; }
    QMenuBar* MenuBar() const { return m_MenuBar; }

    int m_Calculated = 0;
    ostrel::Curve m_OutputCurve{};
    ostrel::Curve m_DisplacementCurve{};
    ostrel::Curve m_ThermalCurve{};
    unsigned char m_English = 0;
    unsigned char m_Metric = 0;
    CBoxCalculatorDlg m_BoxCalculator;
    CAgreementDlg m_Agreement;

public slots:
    // Escape does nothing here: the dialog ends only by File > Exit or by closing its window.
    void reject() override;

protected:
    void DoDataExchange(CDataExchange& dx);
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyResponseRule(bool output);
    void ApplyAlignmentRule(int COstrelFields::*chosen);
    // Controls to fields for an action; false, with the check boxes put back, on a rejected text.
    bool ReadControls();
    void SetUnitLabels(bool english);
    void SwitchUnits(bool english);
    void OpenWebPageAfterAsking(const QString& text, const QString& caption, const QString& path);
    // The web site's own question, shared by its pages.
    void OpenSitePageAfterAsking(const QString& path);
    // False, after saying so, when no web site is set.
    bool WebSiteSet();
    MessageAnswer Message(std::string_view text, const QString& caption, MessageStyle style);

    COstrelHost& m_Host;
    QMenuBar* m_MenuBar;
    QWidget* m_ClientArea;
    QLineEdit* m_QtsEdit;
    QLineEdit* m_QesEdit;
    QLineEdit* m_FsEdit;
    QLineEdit* m_VasEdit;
    QLineEdit* m_PmaxEdit;
    QLineEdit* m_DiameterEdit;
    QLineEdit* m_XmaxEdit;
    QLineEdit* m_DpEdit;
    QLineEdit* m_PortsEdit;
    QLineEdit* m_VbEdit;
    QLineEdit* m_FbEdit;
    QLineEdit* m_F3Edit;
    QLineEdit* m_LpEdit;
    QLineEdit* m_QtcEdit;
    QLineEdit* m_PeakEdit;
    QCheckBox* m_SBB4Check;
    QCheckBox* m_QB3Check;
    QCheckBox* m_SC4Check;
    QCheckBox* m_OutputCheck;
    QCheckBox* m_PowerCheck;
    QLabel* m_VasUnitLabel;
    QLabel* m_DiameterUnitLabel;
    QLabel* m_XmaxUnitLabel;
    QLabel* m_DpUnitLabel;
    QLabel* m_VbUnitLabel;
    QLabel* m_LpUnitLabel;
    QPushButton* m_CalculateButton;
    QPushButton* m_WebsiteButton;
    QPushButton* m_BooksButton;
};
