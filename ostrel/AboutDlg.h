#pragma once

#include <QDialog>

// The About box: name, version and notices; created for each showing.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 100 };
    explicit CAboutDlg(QWidget* parent = nullptr);
};
