#pragma once
// Hands the main window the factory of project windows.

#include "shell/AppLinks.h"

void LinkProjectWindows(TAppLinks& links);
