#pragma once
// Hands the main window the signal generator's factory.

#include "shell/AppLinks.h"

void LinkSignalGenerator(TAppLinks& links);
