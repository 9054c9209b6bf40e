#include "search/lyric_search_win.h"

#include <windows.h>

#include "build_settings.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_encoding.h"
#include "lyrics/lyrics_folder_win.h"
#include "search/lyric_search.h"
#include "text/utf8_text.h"
#include "win/file_bytes.h"
#include "win/http_get.h"
#include "win/program.h"

std::string EncodeKeyword(std::string_view keyword) {
  // The keyword stops at a zero byte, as the text it came from does.
  return EscapeKeywordBytes(utf8::BytesToText(keyword));
}

std::string DecodePage(std::string_view body) {
  // The site writes UTF-8, the program's own text: bytes that form no character show as
  // U+FFFD wherever the page's text is shown.
  return utf8::BytesToText(body);
}

LyricSearch::LyricSearch() : siteHost(RAVO_LYRICS_HOST) {}

void LyricSearch::OnSearchButton() { StartSearch(SearchUrl(siteHost, EncodeKeyword(M<MainCtl::欲搜索内容>().Text()))); }

void LyricSearch::PreviewSelectedLyric() {
  const int row = SelectedResult();
  if (row >= 0) StartLyricFetch(row, "");
}

void LyricSearch::DownloadSelectedLyric() {
  const int row = SelectedResult();
  if (row < 0) return;
  // The title of the row chosen now: a search that lands before the lyric replaces the rows.
  const std::string name = LyricFileName(M<MainCtl::欲下载列表>().Cell(row, 0));
  const std::string folder = ui::ProgramFolder();
  StartLyricFetch(row, name.empty() || folder.empty() ? std::string() : folder + "\\" + name);
}

void LyricSearch::StartSearch(const std::string& url) {
  const unsigned search = ++newestSearch_;
  ++fetchesUnderWay_;
  HttpGetOnWorker(url, kSitePageMaxBytes, [this, search](HttpResult& fetched) {
    --fetchesUnderWay_;
    OnSearchPage(search, fetched);
  });
}

void LyricSearch::OnSearchPage(unsigned search, const HttpResult& fetched) {
  // A main window closed meanwhile (the update window replaced it) shows nothing more.
  if (search != newestSearch_ || !ui::WindowExists(WindowKind::Main)) return;
  const std::string page = DecodePage(fetched.body);
  if (IsNoResultPage(page)) {
    ui::ShowMessageBox("搜索失败！没有相关歌词,查看歌名是否正确！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  const std::vector<LyricHit> hits = ScrapeResultPage(page);
  const auto list = M<MainCtl::欲下载列表>();
  list.DeleteAllRows();
  resultLinks_.clear();
  for (const LyricHit& hit : hits) {
    resultLinks_.push_back(hit.link);
    const int row = list.InsertRow(hit.song, 0);
    list.SetCell(row, 1, hit.singer);
  }
}

void LyricSearch::StartLyricFetch(int row, const std::string& savePath) {
  const unsigned lyric = ++newestLyric_;
  const unsigned save = savePath.empty() ? 0 : (newestSaveOf_[savePath] = ++saves_);
  ++fetchesUnderWay_;
  HttpGetOnWorker(resultLinks_[static_cast<size_t>(row)], kLyricFileMaxBytes,
                  [this, lyric, savePath, save](HttpResult& fetched) {
                    --fetchesUnderWay_;
                    OnLyricFetched(lyric, savePath, save, fetched);
                  });
}

void LyricSearch::OnLyricFetched(unsigned lyric, const std::string& savePath, unsigned save,
                                 const HttpResult& fetched) {
  FetchedLyric got{utf8::BytesToText(fetched.body), LyricFileText(fetched.body),
                   fetched.complete && fetched.status >= 200 && fetched.status < 300};
  if (save) {
    const auto newest = newestSaveOf_.find(savePath);
    if (newest != newestSaveOf_.end() && newest->second == save) {
      newestSaveOf_.erase(newest);
      if (!got.bytes.empty() && got.whole) WriteFileBytes(savePath, got.bytes);
    }
  }
  if (!ui::WindowExists(WindowKind::Main)) return;
  if (lyric == newestLyric_) {
    shown_ = std::move(got);
    FillPreviewList();
  } else if (!save) {
    return;  // a newer lyric is on its way; nothing of this one is kept
  }
  RefreshLyricFileList();
}

void LyricSearch::FillPreviewList() {
  const auto preview = M<MainCtl::歌词预览>();
  preview.DeleteAllRows();
  for (const PreviewRow& line : SplitPreviewRows(shown_.text)) {
    const int row = preview.InsertRow(line.time, 0);
    preview.SetCell(row, 1, line.text);
  }
}

int LyricSearch::SelectedResult() const {
  const int row = M<MainCtl::欲下载列表>().SelectedRow();
  return row >= 0 && static_cast<size_t>(row) < resultLinks_.size() ? row : -1;
}
