#include "workspace/NewProjectLinks.h"

#include "workspace/NewDesign.h"

void LinkNewProjectWizard(TAppLinks& links) {
    links.createNewProjectWizard = [](IMainWindow& main) -> QWidget* {
        auto* wizard = new TfrmNewProject(main.Widget());
        wizard->hide();
        return wizard;
    };
}
