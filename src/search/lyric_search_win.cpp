#include "search/lyric_search_win.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "text/encoding.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_encoding.h"
#include "lyrics/lyrics_folder_win.h"
#include "search/lyric_search.h"
#include "text/utf8_text.h"
#include "win/failure_record.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

constexpr char kSavedNote[] = "已保存到 ";

// Where a saved lyric goes: the folder the path box names, which the list shows once
// refreshed (at start-up the program's folder).
std::string SaveFolder() {
  std::string folder = M<MainCtl::编辑框1>().Text();
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ' ')) folder.pop_back();
  return folder.empty() ? ui::ProgramFolder() : folder;
}

bool SameFileName(const std::string& a, const std::string& b) {
  return CompareStringOrdinal(enc::Wide(a).c_str(), -1, enc::Wide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The saved file selected in the list, which shows the folder it went to once refreshed.
void SelectSavedFile(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  const auto files = M<MainCtl::文件框1>();
  const std::vector<std::string> entries = files.Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (SameFileName(entries[i], name)) {
      files.SetSelectedEntry(static_cast<int>(i));
      return;
    }
}

constexpr char kCutNotice[] = "（歌词太长，预览只显示前 1000 行）";
static_assert(kMaxPreviewRows == 1000, "the notice names the bound");

// The preview list's rows read the lyric the search keeps for as long as the list shows it.
std::string CellOfPreview(const void* context, int row, int column, size_t maxUnits) {
  const auto& preview = *static_cast<const LyricSearch::FetchedLyric*>(context);
  if (row < 0) return {};
  const size_t i = static_cast<size_t>(row);
  if (i < preview.rows.size())
    return utf8::CutToUtf16Units(column == 0 ? preview.rows[i].time : preview.rows[i].text, maxUnits);
  if (i == 0 && !preview.failure.empty()) return column == 1 ? utf8::CutToUtf16Units("预览失败：" + preview.failure, maxUnits) : std::string();
  return i == preview.rows.size() && preview.cut && column == 1 ? kCutNotice : std::string();
}

RowSource PreviewRows(const LyricSearch::FetchedLyric& lyric) { return {&lyric, CellOfPreview, nullptr}; }

int PreviewRowCount(const LyricSearch::FetchedLyric& lyric) {
  if (!lyric.failure.empty()) return 1;
  return static_cast<int>(lyric.rows.size() + (lyric.cut ? 1 : 0));
}

// What the worker makes of a fetched lyric, so that the GUI thread only shows it.
LyricSearch::FetchedLyric ReadFetchedLyric(HttpResult& fetched) {
  LyricSearch::FetchedLyric got;
  if (fetched.failure) {
    got.failure = CauseInWords(*fetched.failure);
    return got;
  }
  got.text = LyricFileText(fetched.body);
  fetched.body = std::string();
  got.rows = SplitPreviewRows(got.text, kMaxPreviewRows, &got.cut);
  return got;
}

// What the worker makes of a result page, so that the GUI thread only fills in the hits.
LyricSearch::ResultPage ReadResultPage(const HttpResult& fetched) {
  LyricSearch::ResultPage page;
  if (fetched.status == 0 || (fetched.status >= 200 && fetched.status < 300 && fetched.body.empty())) {
    page.failure = fetched.status == 0 && fetched.failure ? CauseInWords(*fetched.failure) : "歌词网站没有送来页面";
    return page;
  }
  if (fetched.status < 200 || fetched.status >= 300) {
    page.failure = "歌词网站拒绝了请求（HTTP " + std::to_string(fetched.status) + "）";
    return page;
  }
  const std::string text = DecodePage(fetched.body);
  page.noResult = IsNoResultPage(text);
  if (!page.noResult) page.hits = ScrapeResultPage(text);
  return page;
}

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

LyricSearch::LyricSearch(std::string host) : siteHost(std::move(host)) {}

void LyricSearch::OnSearchButton() { StartSearch(SearchUrl(siteHost, EncodeKeyword(M<MainCtl::欲搜索内容>().Text()))); }

// Every focus change restarts the wait; the preview starts once the focus has rested.
void LyricSearch::PreviewSelectedLyric(const UiEventData& focused) {
  if (ResultRow(focused.row) < 0) return;
  if (!settling_) {
    settling_ = true;
    ++fetchesUnderWay_;
  }
  // Only the wait of the newest focus change ends in a preview.
  const unsigned change = ++focusChanges_;
  const bool timed = RunOnGuiThreadAfter(kPreviewSettleMs, [this, change] {
    if (change == focusChanges_) StartSettledPreview();
  });
  if (!timed) StartSettledPreview();  // no timer to be had: at once
}

void LyricSearch::StartSettledPreview() {
  if (!settling_) return;
  settling_ = false;
  --fetchesUnderWay_;
  const int row = SelectedResult();
  if (row >= 0 && ui::WindowExists(WindowKind::Main)) StartLyricFetch(row);
}

void LyricSearch::DownloadSelectedLyric(const UiEventData& chosen) {
  const int row = ResultRow(chosen.row);
  if (row < 0) return;
  // The title of the row chosen now: a search that lands before the lyric replaces the rows.
  const std::string name = LyricFileName(M<MainCtl::欲下载列表>().Cell(row, 0));
  const std::string folder = SaveFolder();
  if (name.empty() || folder.empty()) return;  // a title that names no file is not saved
  saves_.landed = [this](const std::string& path, bool saved) {
    if (!ui::WindowExists(WindowKind::Main)) return;
    RefreshLyricFileList();
    if (!saved) return;
    SelectSavedFile(path);
    ShowResultNote(kSavedNote + path);
  };
  saves_.Save(resultLinks_[static_cast<size_t>(row)], folder + "\\" + name);
}

void LyricSearch::StartSearch(const std::string& url) {
  const unsigned search = ++newestSearch_;
  ++fetchesUnderWay_;
  ReadOnWorker(url, kSitePageMaxBytes, [this, search](HttpResult& fetched) -> std::function<void()> {
    auto page = std::make_shared<ResultPage>();
    try {
      *page = ReadResultPage(fetched);
    } catch (...) {
      *page = ResultPage();
      page->failure = "系统错误 " + std::to_string(ERROR_NOT_ENOUGH_MEMORY);
    }
    fetched.body = std::string();
    return [this, search, page] {
      --fetchesUnderWay_;
      OnSearchPage(search, *page);
    };
  });
}

void LyricSearch::ShowSearchFailure(const std::string& why) {
  const auto list = M<MainCtl::欲下载列表>();
  list.DeleteAllRows();
  resultLinks_.clear();
  list.InsertRow(why, 0);
  list.SetToolTip(why);  // the whole of a cause its column cuts
  shown_ = FetchedLyric();
  ++newestLyric_;  // a preview still on its way belongs to the old results
  M<MainCtl::歌词预览>().ShowRows(PreviewRows(shown_), 0);
}

void LyricSearch::OnSearchPage(unsigned search, ResultPage& page) {
  // A main window closed meanwhile (the update window replaced it) shows nothing more.
  if (search != newestSearch_ || !ui::WindowExists(WindowKind::Main)) return;
  if (!page.failure.empty()) {
    ShowSearchFailure("搜索失败：" + page.failure);
    return;
  }
  if (page.noResult) {
    ui::ShowMessageBox("搜索失败！没有相关歌词,查看歌名是否正确！", "信息：", MB_ICONINFORMATION | MB_OK);
    return;
  }
  const std::vector<LyricHit>& hits = page.hits;
  const auto list = M<MainCtl::欲下载列表>();
  // Drawn once when filled, not once for each of up to kMaxResultHits rows.
  const HWND view = list.Handle();
  if (view) SendMessageW(view, WM_SETREDRAW, FALSE, 0);
  list.DeleteAllRows();
  list.SetToolTip("");
  resultLinks_.clear();
  resultLinks_.reserve(hits.size());
  for (const LyricHit& hit : hits) {
    resultLinks_.push_back(hit.link);
    const int row = list.InsertRow(hit.song, 0);
    list.SetCell(row, 1, hit.singer);
  }
  if (view) {
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view, nullptr, TRUE);
  }
}

void LyricSearch::StartLyricFetch(int row) {
  const unsigned lyric = ++newestLyric_;
  // A newer lyric ends the preview fetch under way.
  if (previewCancel_) SetEvent(previewCancel_.get());
  previewCancel_.reset();
  std::shared_ptr<void> cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr), [](void* h) {
    if (h) CloseHandle(h);
  });
  if (cancel) previewCancel_ = cancel;
  ++fetchesUnderWay_;
  auto landed = [this, lyric](std::shared_ptr<FetchedLyric> got) {
    --fetchesUnderWay_;
    OnLyricFetched(lyric, *got);
  };
  EnsureGuiCourier();
  const std::string url = resultLinks_[static_cast<size_t>(row)];
  const bool started = StartWorkerThread([url, cancel, landed] {
    auto got = std::make_shared<FetchedLyric>();
    try {
      HttpResult fetched = HttpGet(url, kLyricFileMaxBytes, kHttpDeadlineMs, cancel.get());
      *got = ReadFetchedLyric(fetched);
    } catch (...) {
      *got = FetchedLyric();  // out of memory: a failed fetch
      got->failure = "系统错误 " + std::to_string(ERROR_NOT_ENOUGH_MEMORY);
    }
    RunOnGuiThread([landed, got] { landed(got); });
  });
  if (!started) landed(std::make_shared<FetchedLyric>());
}

void LyricSearch::OnLyricFetched(unsigned lyric, FetchedLyric& got) {
  if (!ui::WindowExists(WindowKind::Main) || lyric != newestLyric_) return;
  shown_ = std::move(got);
  FillPreviewList();
  RefreshLyricFileList();
}

void LyricSearch::FillPreviewList() {
  M<MainCtl::歌词预览>().ShowRows(PreviewRows(shown_), PreviewRowCount(shown_));
}

int LyricSearch::SelectedResult() const { return ResultRow(M<MainCtl::欲下载列表>().SelectedRow()); }

int LyricSearch::ResultRow(int row) const {
  return row >= 0 && static_cast<size_t>(row) < resultLinks_.size() ? row : -1;
}

// A note below the hits (a row with no link, which no click saves or previews), the last
// one replacing the one before; the list's tip holds its whole text, which the column cuts.
void LyricSearch::ShowResultNote(const std::string& note) {
  const auto list = M<MainCtl::欲下载列表>();
  const int hits = static_cast<int>(resultLinks_.size());
  for (int row = list.RowCount() - 1; row >= hits; --row)
    if (list.Cell(row, 0).rfind(kSavedNote, 0) == 0) list.DeleteRow(row);
  list.InsertRow(note, 0);
  list.SetToolTip(note);
}
