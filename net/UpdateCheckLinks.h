#pragma once
// Hands the main window the factory of the update-check window.

#include "shell/AppLinks.h"

void LinkUpdateCheck(TAppLinks& links);
