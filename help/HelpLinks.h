#pragma once
// Hands the main window the help system. Linking also settles the help debug log and installs the
// help viewer, as the program's start-up does before any window exists.

struct TAppLinks;

void LinkHelp(TAppLinks& links);
