#include "shell/DriverEditorLinks.h"

#include "shell/DBFilterF.h"
#include "shell/DrvEdit.h"

void LinkDriverEditor(TAppLinks& links) {
    links.createDriverEditor = [](IMainWindow&) -> IDriverEditor* {
        if (frmDriverEditor != nullptr)
            return frmDriverEditor;
        return new TfrmDriverEditor;
    };
    links.createDatabaseFilter = [](IMainWindow& main) -> QWidget* {
        auto* window = new TfrmDatabaseFilter(main.Widget());
        window->hide();
        return window;
    };
}
