// Every handler the event table binds, named after the event it reacts to.
#pragma once

// Main window
void OnMainWindowCreated();
void OnMainWindowActivated();
void OnCaptureBoardMouseDown();
void OnLyricFileChosen();
void OnPlayButton();
void OnLyricRowDoubleClick();
void PlaybackTick();
void ChooseLyricsFolder();
void RefreshLyricFileList();
void OnSearchButton();
void PreviewSelectedLyric();
void DownloadSelectedLyric();
void OnScrollerButton();
void OnAddBillboardLine();
void OnDeleteBillboardLine();
void OnBillboardButton();
void OpenHomePage();
void DoNothing();

// Update window
void OnUpdateWindowCreated();
void OnProgressTick();
void StartUpdateDownload();

// Picker window
void OnPickerWindowCreated();
void FollowCursorTick();
void DetectTick();
