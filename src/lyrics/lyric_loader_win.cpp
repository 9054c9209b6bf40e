// Choosing a file in the lyric file list: load it into the lyric table, or, while
// lyrics play, halt playback instead.
//
// The table is a virtual list view drawn from currentTimeline: it stores no rows, so a
// lyric of any length shows at once (filled row by row, Wine's list view spent about
// 10 ms on each row).
#include "lyrics/lyric_loader_win.h"

#include "layout/program_windows.h"
#include "delivery/playback.h"
#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_bytes.h"
#include "lyrics/lyric_state.h"
#include "win/file_bytes.h"
#include "text/gbk_text.h"
#include "win/program.h"

namespace {

// Larger files are no lyrics; the limit keeps the load's working set within reach of a
// 32-bit process whatever a file holds.
constexpr uint64_t kMaxLyricFileBytes = 16u << 20;

bool InTimeline(int row) { return row >= 0 && row < currentTimeline.count; }

std::string LyricCell(int row, int column) {
  if (!InTimeline(row)) return {};
  const size_t i = static_cast<size_t>(row);
  return column == 0 ? gbk::IntToText(currentTimeline.timesMs[i]) : currentTimeline.Text(i);
}

intptr_t LyricRowData(int row) { return InTimeline(row) ? row + 1 : 0; }

const RowSource kLyricRows{LyricCell, LyricRowData};

}  // namespace

void OnLyricFileChosen() {
  ui::ProcessPendingMessages();
  if (M<MainCtl::超级按钮4>().Text() != "播 放") {
    HaltPlayback();
    return;
  }
  const auto files = M<MainCtl::文件框1>();
  const auto table = M<MainCtl::超级列表框_歌词>();
  const std::string path = files.Folder() + "\\" + files.SelectedEntry();
  lyricCursor = 0;
  table.DeleteAllRows();
  table.SetSelectedRow(-1);

  loadedLrcText = LyricFileText(ReadFileBytes(path, kMaxLyricFileBytes));
  if (!parseLrc(loadedLrcText, currentTimeline)) {
    ui::ShowMessageBox("解析失败,未知原因！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  for (std::string& text : currentTimeline.lineTexts) {
    if (text.empty()) text = kCreditText;
  }
  table.ShowRows(kLyricRows, currentTimeline.count);
  M<MainCtl::透明标签1>().SetText(files.SelectedEntry());
}
