#include "online/lyric_search_win.h"

#include <windows.h>

#include <climits>

#include "lyrics/lyrics_folder_win.h"
#include "layout/program_windows.h"
#include "build_settings.h"
#include "lyrics/lyric_encoding.h"
#include "online/lyric_search.h"
#include "win/file_bytes.h"
#include "text/utf8_text.h"
#include "win/http_get.h"
#include "win/program.h"

std::string lyricsSiteHost = RAVO_LYRICS_HOST;
std::vector<std::string> resultLinks;

namespace {

// The last fetched lyric, as received (cut at its first zero byte): what is saved,
// byte for byte, whatever its encoding.
std::string fetchedLyric;
// The same lyric as the loader would read it (decoded, every line end CR LF): what
// 预备下载内容 and the preview show.
std::string fetchedLyricText;
// Whether that fetch brought a whole successful answer: only such a lyric may replace
// a file, or an error page or half a file would overwrite a good lyric.
bool fetchedLyricWhole = false;

}  // namespace

std::string EncodeKeyword(std::string_view keyword) {
  // The keyword stops at a zero byte, as the text it came from does.
  return EscapeKeywordBytes(utf8::BytesToText(keyword));
}

std::string DecodePage(std::string_view body) {
  // The site writes UTF-8, the program's own text: bytes that form no character show as
  // U+FFFD wherever the page's text is shown.
  return utf8::BytesToText(body);
}

void SearchLyrics(std::string_view url) {
  const std::string page = DecodePage(HttpGetBytes(url, kSitePageMaxBytes));
  if (IsNoResultPage(page)) {
    ui::ShowMessageBox("搜索失败！没有相关歌词,查看歌名是否正确！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  const std::vector<LyricHit> hits = ScrapeResultPage(page);
  const auto list = M<MainCtl::欲下载列表>();
  list.DeleteAllRows();
  resultLinks.clear();
  for (const LyricHit& hit : hits) {
    resultLinks.push_back(hit.link);
    const int row = list.InsertRow(hit.song, 0);
    list.SetCell(row, 1, hit.singer);
  }
}

namespace {

// The selected result row with its link, or -1 when none is selected.
int SelectedResult() {
  const int row = M<MainCtl::欲下载列表>().SelectedRow();
  return row >= 0 && static_cast<size_t>(row) < resultLinks.size() ? row : -1;
}

void FetchLyric(const std::string& link) {
  const HttpResult fetched = HttpGet(link, kLyricFileMaxBytes);
  fetchedLyric = utf8::BytesToText(fetched.body);
  fetchedLyricText = LyricFileText(fetched.body);
  fetchedLyricWhole = fetched.complete && fetched.status >= 200 && fetched.status < 300;
  M<MainCtl::预备下载内容>().SetText(fetchedLyricText);
  FillPreviewList();
}

}  // namespace

int FetchSelectedLyric() {
  const int row = SelectedResult();
  if (row >= 0) FetchLyric(std::string(resultLinks[static_cast<size_t>(row)]));
  return row;
}

void FillPreviewList() {
  const auto preview = M<MainCtl::歌词预览>();
  preview.DeleteAllRows();
  for (const PreviewRow& line : SplitPreviewRows(fetchedLyricText)) {
    const int row = preview.InsertRow(line.time, 0);
    preview.SetCell(row, 1, line.text);
  }
}

void OnSearchButton() { SearchLyrics(SearchUrl(lyricsSiteHost, EncodeKeyword(M<MainCtl::欲搜索内容>().Text()))); }

void PreviewSelectedLyric() {
  if (FetchSelectedLyric() < 0) return;
  RefreshLyricFileList();
}

void DownloadSelectedLyric() {
  const int row = SelectedResult();
  if (row < 0) return;
  // Taken before the fetch: its wait dispatches messages, and a search started meanwhile
  // replaces the rows.
  const std::string name = LyricFileName(M<MainCtl::欲下载列表>().Cell(row, 0));
  FetchLyric(std::string(resultLinks[static_cast<size_t>(row)]));
  const std::string folder = ui::ProgramFolder();
  if (!name.empty() && !folder.empty() && !fetchedLyric.empty() && fetchedLyricWhole)
    WriteFileBytes(folder + "\\" + name, fetchedLyric);
  RefreshLyricFileList();
}
