#pragma once
// Hands the main window the factory of the plot window.

#include "shell/AppLinks.h"

void LinkPlotWindow(TAppLinks& links);
