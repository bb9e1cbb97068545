#pragma once
// Hands the main window the factories of the driver editor and of the database filter window.

#include "shell/AppLinks.h"

// createDriverEditor: the open editor, or a new one (not yet shown; the main window puts it into
// its MDI area). createDatabaseFilter: a new, hidden filter window owned by the main window.
void LinkDriverEditor(TAppLinks& links);
