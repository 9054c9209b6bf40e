#include "lyrics/lyric_loader_win.h"

#include <windows.h>

#include "layout/program_windows.h"
#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_encoding.h"
#include "lyrics/lyric_table.h"
#include "win/file_bytes.h"
#include "win/program.h"

namespace {

// Larger files are no lyrics; the limit keeps the load's working set within reach of a
// 32-bit process whatever a file holds.
constexpr uint64_t kMaxLyricFileBytes = 16u << 20;

}  // namespace

std::string CreditText(std::string_view makerAddress) { return std::string(makerAddress) + "-提供字幕"; }

void LoadLyricFile(const std::string& path, LyricTimeline& timeline, const std::string& creditText) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  lyric_table::Clear();

  unsigned long error = 0;
  const std::string bytes = ReadFileBytes(path, kMaxLyricFileBytes, &error);
  if (error != 0) {
    // Without this the play button would ask for a lyric while one is selected.
    timeline = LyricTimeline();
    const std::string why = error == ERROR_FILE_TOO_LARGE ? "文件超过 16 MB，不是歌词文件。" : SystemErrorText(error);
    ui::ShowMessageBox("无法读取歌词文件“" + name + "”：\r\n" + why, "信息：",
                       MB_ICONINFORMATION | MB_OK);
    return;
  }
  if (!parseLrc(LyricFileText(bytes), timeline)) {
    ui::ShowMessageBox("解析失败,未知原因！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  for (std::string& text : timeline.lineTexts) {
    if (text.empty()) text = creditText;
  }
  lyric_table::ShowTimeline(timeline);
  M<MainCtl::透明标签1>().SetText(name);
}
