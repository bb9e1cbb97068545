#include "net/UpdateCheckLinks.h"

#include "net/CheckUpdates.h"
#include "platform/Folders.h"
#include "platform/SettingsStore.h"

void LinkUpdateCheck(TAppLinks& links) {
    links.createUpdateCheck = [](IMainWindow& main) -> QWidget* {
        const platform::QtSettingsStore store;
        return new TfrmCheckWebUpdate(ReadUpdateServerSetting(store), platform::DocumentsFolder(),
                                      main.Widget());
    };
}
