// Handlers bound in the event table whose features are not in the program yet.
#include "app/handlers.h"
#include "online/update_check.h"

void ChooseLyricsFolder() {}        // not built yet: the lyrics folder
void RefreshLyricFileList() {}      // not built yet: the lyrics folder
void OnSearchButton() {}            // not built yet: online lyric search
void PreviewSelectedLyric() {}      // not built yet: online lyric search
void DownloadSelectedLyric() {}     // not built yet: online lyric search
void OnScrollerButton() {}          // not built yet: the scroller
void OnAddBillboardLine() {}        // not built yet: the billboard
void OnDeleteBillboardLine() {}     // not built yet: the billboard
void OnBillboardButton() {}         // not built yet: the billboard
void OpenHomePage() {}              // not built yet: self-update
void OnUpdateWindowCreated() {}     // not built yet: self-update
void OnProgressTick() {}            // not built yet: self-update
void StartUpdateDownload() {}       // not built yet: self-update
void CheckForUpdate() {}            // not built yet: the update check
