#pragma once

#include <QDialog>
#include <QString>

class CDataExchange;
class COstrelHost;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The fields the box calculator exchanges with its controls.
struct CBoxCalculatorFields {
    int m_ConstrainDepth = 0;
    int m_ConstrainLength = 0;
    int m_ConstrainWidth = 0;
    float m_Depth = 0.0f;
    float m_Length = 0.0f;
    float m_BoxVb = 0.0f;
    float m_PortVolume = 0.0f;
    float m_TotalVolume = 0.0f;
    float m_Width = 0.0f;
    QString m_DepthLabel;
    QString m_LengthLabel;
    QString m_PortVolumeLabel;
    QString m_TotalVolumeLabel;
    QString m_VbLabel;
    QString m_WidthLabel;
    QString m_AddlVLabel;
    float m_AddlV = 0.0f;
};

// Turns the designed volume into outer box dimensions. One object lives as long as the main
// dialog, so the constraints, the dimensions and the additional volume are kept between openings.
class CBoxCalculatorDlg : public QDialog, public CBoxCalculatorFields {
    Q_OBJECT
public:
    enum {
        IDD = 130,
        IDC_BC_LENGTH = 1015,
        IDC_BC_WIDTH = 1016,
        IDC_BC_DEPTH = 1017,
        IDC_BC_VB = 1018,
        IDC_BC_CONSTRAIN_LENGTH = 1019,
        IDC_BC_CONSTRAIN_WIDTH = 1020,
        IDC_BC_CONSTRAIN_DEPTH = 1021,
        IDC_BC_PORT_VOLUME = 1022,
        IDC_BC_CALCULATE = 1023,
        IDC_BC_TOTAL_VOLUME = 1024,
        IDC_BC_ADDL_V = 1026,
    };

    CBoxCalculatorDlg(COstrelHost& host, QWidget* parent);

    // Written by the main dialog before every opening.
    double m_BoxDp = 0.0;
    double m_BoxLp = 0.0;
    double m_BoxPorts = 0.0;
    unsigned char m_BoxEnglish = 0;

    // Run before every showing: the first proposal from the handed-over design.
    void OnInitDialog();
    void OnCalculate();
    bool UpdateData(bool saveAndValidate = true);

    QWidget* Control(int id) const;

protected:
    void DoDataExchange(CDataExchange& dx);
    void paintEvent(QPaintEvent* event) override;

private:
    COstrelHost& m_Host;
    QLineEdit* m_DepthEdit;
    QLineEdit* m_LengthEdit;
    QLineEdit* m_VbEdit;
    QLineEdit* m_PortVolumeEdit;
    QLineEdit* m_TotalVolumeEdit;
    QLineEdit* m_WidthEdit;
    QLineEdit* m_AddlVEdit;
    QCheckBox* m_ConstrainDepthCheck;
    QCheckBox* m_ConstrainLengthCheck;
    QCheckBox* m_ConstrainWidthCheck;
    QLabel* m_DepthCaption;
    QLabel* m_LengthCaption;
    QLabel* m_PortVolumeCaption;
    QLabel* m_TotalVolumeCaption;
    QLabel* m_VbCaption;
    QLabel* m_WidthCaption;
    QLabel* m_AddlVCaption;
    QPushButton* m_CalculateButton;
};
