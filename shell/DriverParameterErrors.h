#pragma once
// The list of consistency relations a driver failed, shown when the driver editor refuses to
// save. At most one exists; frmParErrors names it while it is open.

#include <QWidget>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;

class TfrmParErrors : public QWidget {
    Q_OBJECT
public:
    explicit TfrmParErrors(QWidget* parent = nullptr);
    ~TfrmParErrors() override;

    // The open list, or a new one (not yet shown) when none is open.
    static TfrmParErrors* Instance();

    void SetErrors(const std::vector<std::string>& labels);
    QStringList Errors() const;

    void btnOKClick();
    void btnHelpPEClick();

protected:
    bool event(QEvent* event) override;

private:
    QListWidget* m_List = nullptr;
};

// The open parameter-error list; null when none is open.
extern TfrmParErrors* frmParErrors;
