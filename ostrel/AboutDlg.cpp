#include "ostrel/AboutDlg.h"

#include "ostrel/DialogUnits.h"
#include "ostrel/OstrelIcon.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel* MakeText(QWidget* parent, const QString& text, const QRect& rect, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IDD_ABOUTBOX"));
    setWindowTitle(QStringLiteral("About Ostrel 2.0"));
    UseDialogFont(*this);
    setFixedSize(DialogUnitsX(217), DialogUnitsY(130));

    auto* icon = new QLabel(this);
    icon->setGeometry(DialogRect(11, 17, 20, 20));
    icon->setPixmap(OstrelIcon().pixmap(32, 32));

    MakeText(this, QStringLiteral("Ostrel Version 2.0"), DialogRect(40, 10, 119, 10), false);
    MakeText(this, QStringLiteral("Copyright (C) 2026 the Ostrel authors"), DialogRect(40, 25, 165, 10),
             false);
    MakeText(this, QStringLiteral("Copyright Notice:"), DialogRect(5, 50, 190, 10), false);
    MakeText(this,
             QStringLiteral("This program is protected by copyright. You may copy it for your own use; you "
                            "may not sell it or hand it on as part of another product without the consent "
                            "of its authors."),
             DialogRect(5, 60, 200, 35), true);
    MakeText(this, QStringLiteral("Use is subject to the license agreement shown at start."),
             DialogRect(5, 100, 210, 15), true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setGeometry(DialogRect(178, 7, 32, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
