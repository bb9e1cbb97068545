#include "workspace/ProjectLinks.h"

#include "workspace/ProjectForm.h"

void LinkProjectWindows(TAppLinks& links) {
    links.createProjectWindow = [](IMainWindow& main, int slot) -> IProjectWindow* {
        return new TfrmProject(slot, main.Widget());
    };
}
