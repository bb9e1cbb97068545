#include "shell/DriverParameterErrors.h"

#include "platform/Dialogs.h"
#include "platform/MdiFrame.h"
#include "shell/AppLinks.h"

#include "help/HelpContexts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

TfrmParErrors* frmParErrors = nullptr;

namespace {
constexpr const char* HelpTopicNewDriver = "usingborvik/newdriver.html";
}

TfrmParErrors::TfrmParErrors(QWidget* parent) : QWidget(parent) {
    setObjectName("frmParErrors");
    setWindowTitle(tr("Parameter error list"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(tr("Consistency check on following parameter groups failed."), this));
    m_List = new QListWidget(this);
    m_List->setObjectName("lbxErrors");
    m_List->setAccessibleName(tr("Failed parameter groups"));
    top->addWidget(m_List, 1);
    top->addWidget(new QLabel(tr("See the help file for recommended data entry procedure."), this));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    ok->setAutoDefault(true);
    auto* help = new QPushButton(tr("H&elp"), this);
    help->setObjectName("btnHelpPE");
    buttons->addWidget(ok);
    buttons->addWidget(help);
    buttons->addStretch(1);
    top->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TfrmParErrors::btnOKClick);
    connect(help, &QPushButton::clicked, this, &TfrmParErrors::btnHelpPEClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TfrmParErrors::btnOKClick);
    // F1 reaches the same page as "Help" through the help system (a shortcut here would clash with
    // the main window's F1).
    setProperty("helpContext", HelpContext::DriverErrors);

    // Room for every label of the list without a scroll bar.
    m_List->setMinimumSize(
        m_List->fontMetrics().horizontalAdvance(QStringLiteral("Mcost, Rme, Hc, Hg, Xmax")) + 40,
        m_List->fontMetrics().height() * 8);
    frmParErrors = this;
}

TfrmParErrors::~TfrmParErrors() {
    if (frmParErrors == this)
        frmParErrors = nullptr;
}

bool TfrmParErrors::event(QEvent* event) {
    // In the main window's workspace: a fixed frame, set up when the frame takes the window and
    // before it is shown.
    if (event->type() == QEvent::ParentChange)
        MakeFixedFrame(*this);
    return QWidget::event(event);
}

TfrmParErrors* TfrmParErrors::Instance() {
    return frmParErrors != nullptr ? frmParErrors : new TfrmParErrors;
}

void TfrmParErrors::SetErrors(const std::vector<std::string>& labels) {
    m_List->clear();
    for (const std::string& label : labels)
        m_List->addItem(QString::fromStdString(label));
    if (m_List->count() > 0)
        m_List->setCurrentRow(0);
}

QStringList TfrmParErrors::Errors() const {
    QStringList labels;
    for (int i = 0; i < m_List->count(); ++i)
        labels << m_List->item(i)->text();
    return labels;
}

void TfrmParErrors::btnOKClick() {
    close();
}

void TfrmParErrors::btnHelpPEClick() {
    IMainWindow* main = MainWindow();
    if (main != nullptr && main->Help() != nullptr) {
        main->Help()->HelpTopic(HelpTopicNewDriver);
        return;
    }
    platform::AppDialogs().MessageDlg("Help is not part of this build.", platform::MessageKind::Information,
                                      platform::ButtonOk);
}
