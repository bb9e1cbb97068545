#pragma once
// Hands the main window the factory of the new-project wizard.

#include "shell/AppLinks.h"

// createNewProjectWizard: the one wizard, created hidden with the main window as its owner.
void LinkNewProjectWizard(TAppLinks& links);
