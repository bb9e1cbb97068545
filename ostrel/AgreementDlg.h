#pragma once

#include <QDialog>
#include <QString>

class COstrelHost;
class QPlainTextEdit;

// The end-user agreement shown once at start: Yes goes on, anything else ends the program.
class CAgreementDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 132, IDC_AGREEMENT = 1043, IDC_NOTICE = 1044 };

    CAgreementDlg(COstrelHost& host, QWidget* parent);

    int m_Accepted = 0;
    QString m_NoticeText;
    QString m_AgreementText;

    void OnInitDialog();
    // Yes and Enter.
    void OnOK();

    static QString AgreementText();
    static QString NoticeText();

    QPlainTextEdit* AgreementEdit() const { return m_AgreementEdit; }
    QPlainTextEdit* NoticeEdit() const { return m_NoticeEdit; }

private:
    COstrelHost& m_Host;
    QPlainTextEdit* m_AgreementEdit;
    QPlainTextEdit* m_NoticeEdit;
};
