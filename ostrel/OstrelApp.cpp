#include "ostrel/OstrelApp.h"

#include "ostrel/OstrelDlg.h"

int COstrelApp::InitInstance(COstrelHost& host) {
    COstrelDlg dialog(host);
    // Declining the agreement ends the program before the dialog is ever shown.
    if (!dialog.OnInitDialog())
        return 0;
    dialog.exec();
    return 0;
}
