#pragma once
// Hands the main window the calculators: reading a definition into the calculator table, and
// opening a calculator window (or, for number 0, the one plain calculators window).

struct TAppLinks;

void LinkCalculators(TAppLinks& links);
