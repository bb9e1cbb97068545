#include "ostrel/AgreementDlg.h"

#include "ostrel/DataExchange.h"
#include "ostrel/DialogUnits.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPlainTextEdit* MakeReadOnlyText(QWidget* parent, int id, const QRect& rect) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QStringLiteral("IDC_%1").arg(id));
    edit->setGeometry(rect);
    // The user may scroll and select, never change the texts.
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return edit;
}

} // namespace

CAgreementDlg::CAgreementDlg(COstrelHost& host, QWidget* parent) : QDialog(parent), m_Host(host) {
    setObjectName(QStringLiteral("IDD_AGREEMENT"));
    setWindowTitle(QStringLiteral("End User License Agreement and Copy Right Notice"));
    UseDialogFont(*this);
    setFixedSize(DialogUnitsX(302), DialogUnitsY(217));

    m_AgreementEdit = MakeReadOnlyText(this, IDC_AGREEMENT, DialogRect(5, 5, 290, 100));
    m_NoticeEdit = MakeReadOnlyText(this, IDC_NOTICE, DialogRect(5, 110, 290, 45));
    auto* blank = new QLabel(QString(), this);
    blank->setGeometry(DialogRect(5, 165, 290, 20));

    auto* yes = new QPushButton(QStringLiteral("Yes"), this);
    yes->setObjectName(QStringLiteral("IDOK"));
    yes->setGeometry(DialogRect(80, 190, 50, 14));
    yes->setDefault(true);
    auto* no = new QPushButton(QStringLiteral("No"), this);
    no->setObjectName(QStringLiteral("IDCANCEL"));
    no->setGeometry(DialogRect(160, 190, 50, 14));
    no->setAutoDefault(false);
    connect(yes, &QPushButton::clicked, this, &CAgreementDlg::OnOK);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
}

QString CAgreementDlg::AgreementText() {
    return QStringLiteral(
        "Please read this agreement carefully before you use OSTREL. By pressing Yes you agree to be bound "
        "by "
        "its terms; if you do not agree, press No and the program will close without being used. The "
        "authors grant you a limited, non-exclusive and non-transferable right to install the program and "
        "to use it for designing loudspeaker enclosures, for your own purposes or those of your business. "
        "You may make copies of the program for backup and for your own use, provided every copy carries "
        "this agreement and the notice of rights unchanged. You may not sell, rent or lease the program, "
        "change or take it apart, or hand it on as part of another product, without the written consent of "
        "its authors. All rights not expressly granted here remain with the authors. The program is "
        "provided as is, without warranty of any kind, express or implied, including but not limited to "
        "the warranties of merchantability, of fitness for a particular purpose and of non-infringement. "
        "The results it gives are estimates from simplified models of drivers and boxes; you alone are "
        "responsible for checking them before you build, buy or sell anything made with their help. In no "
        "event shall the authors be liable for any damages whatsoever, direct or indirect, including lost "
        "profits, lost data, damaged equipment or the cost of materials, arising out of the use of or the "
        "inability to use OSTREL, even if they have been told that such damages may occur. Where the law "
        "does not allow these limits, the liability of the authors is limited to the smallest extent the "
        "law permits. This agreement ends when you stop using the program and destroy every copy of it.");
}

QString CAgreementDlg::NoticeText() {
    return QStringLiteral("Ostrel 2.0, Copyright (C) the Ostrel authors. All rights reserved.");
}

void CAgreementDlg::OnInitDialog() {
    m_AgreementText = AgreementText();
    m_NoticeText = NoticeText();
    CDataExchange dx(m_Host, this, false);
    dx.Text(m_NoticeEdit, m_NoticeText);
    dx.Text(m_AgreementEdit, m_AgreementText);
}

void CAgreementDlg::OnOK() {
    m_Accepted = 1;
    CDataExchange dx(m_Host, this, true);
    dx.Text(m_NoticeEdit, m_NoticeText);
    dx.Text(m_AgreementEdit, m_AgreementText);
    accept();
}
