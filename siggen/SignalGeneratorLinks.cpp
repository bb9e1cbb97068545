#include "siggen/SignalGeneratorLinks.h"

#include "siggen/SGener.h"

void LinkSignalGenerator(TAppLinks& links) {
    // The main window puts the window into its MDI area; it frees itself when closed.
    links.createSignalGenerator = [](IMainWindow&) -> ISignalGenerator* { return new TfrmSGenerator(); };
}
