// Choosing a file in the lyric file list: load it into the lyric table, or, while
// lyrics play, halt playback instead.
#include "app/handlers.h"
#include "app/window_layer.h"
#include "delivery/playback.h"
#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_bytes.h"
#include "lyrics/lyric_state.h"
#include "text/file_bytes.h"
#include "text/gbk_text.h"

void OnLyricFileChosen() {
  ui::ProcessPendingMessages();
  if (M(MainCtl::超级按钮4).Text() != "播 放") {
    HaltPlayback();
    return;
  }
  const Control files = M(MainCtl::文件框1);
  const Control table = M(MainCtl::超级列表框_歌词);
  const std::string path = files.Folder() + "\\" + files.SelectedEntry();
  lyricCursor = 0;
  table.DeleteAllRows();
  table.SetSelectedRow(-1);

  loadedLrcText = LyricBytesToText(ReadFileBytes(path));
  if (!parseLrc(loadedLrcText, currentTimeline)) {
    ui::ShowMessageBox("解析失败,未知原因！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  for (int32_t i = 0; i < currentTimeline.count; ++i) {
    std::string& text = currentTimeline.texts[i];
    if (text.empty()) text = kCreditText;
    const int row = table.InsertRow(gbk::IntToText(currentTimeline.timesMs[i]), i + 1);
    table.SetCell(row, 1, text);
  }
  M(MainCtl::透明标签1).SetText(files.SelectedEntry());
}
