#include "search/lyric_search_win.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "text/encoding.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_encoding.h"
#include "lyrics/lyrics_folder_win.h"
#include "search/lyric_search.h"
#include "text/utf8_text.h"
#include "win/file_bytes.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

constexpr char kCutNotice[] = "（歌词太长，预览只显示前 1000 行）";
static_assert(kMaxPreviewRows == 1000, "the notice names the bound");

// The preview list's rows read the lyric the search keeps for as long as the list shows it.
std::string CellOfPreview(const void* context, int row, int column) {
  const auto& preview = *static_cast<const LyricSearch::FetchedLyric*>(context);
  if (row < 0) return {};
  const size_t i = static_cast<size_t>(row);
  if (i < preview.rows.size()) return column == 0 ? preview.rows[i].time : preview.rows[i].text;
  return i == preview.rows.size() && preview.cut && column == 1 ? kCutNotice : std::string();
}

RowSource PreviewRows(const LyricSearch::FetchedLyric& lyric) { return {&lyric, CellOfPreview, nullptr}; }

// Windows names differ in case only as spellings of one file.
std::string FoldedPath(const std::string& path) {
  std::wstring wide = enc::Wide(path);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return enc::Narrow(wide);
}

// What the worker makes of a fetched lyric, so that the GUI thread only shows it.
LyricSearch::FetchedLyric ReadFetchedLyric(HttpResult& fetched) {
  LyricSearch::FetchedLyric got;
  got.whole = fetched.complete && fetched.status >= 200 && fetched.status < 300;
  got.text = LyricFileText(fetched.body);
  got.rows = SplitPreviewRows(got.text, kMaxPreviewRows, &got.cut);
  got.bytes = std::move(fetched.body);
  return got;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

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
  if (row >= 0 && ui::WindowExists(WindowKind::Main)) StartLyricFetch(row, "");
}

void LyricSearch::DownloadSelectedLyric(const UiEventData& chosen) {
  const int row = ResultRow(chosen.row);
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

void LyricSearch::ShowSearchFailure(const std::string& why) {
  const auto list = M<MainCtl::欲下载列表>();
  list.DeleteAllRows();
  resultLinks_.clear();
  list.InsertRow(why, 0);
  shown_ = FetchedLyric();
  ++newestLyric_;  // a preview still on its way belongs to the old results
  M<MainCtl::歌词预览>().ShowRows(PreviewRows(shown_), 0);
}

void LyricSearch::OnSearchPage(unsigned search, const HttpResult& fetched) {
  // A main window closed meanwhile (the update window replaced it) shows nothing more.
  if (search != newestSearch_ || !ui::WindowExists(WindowKind::Main)) return;
  if (fetched.status == 0) {
    ShowSearchFailure("搜索失败：歌词网站没有回应（连不上或超时）");
    return;
  }
  if (fetched.status < 200 || fetched.status >= 300) {
    ShowSearchFailure("搜索失败：歌词网站拒绝了请求（HTTP " + std::to_string(fetched.status) + "）");
    return;
  }
  if (fetched.body.empty()) {
    ShowSearchFailure("搜索失败：歌词网站没有送来页面");
    return;
  }
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
  const unsigned save = savePath.empty() ? 0 : (newestSaveOf_[FoldedPath(savePath)] = ++saves_);
  // A newer lyric ends the preview fetch under way; a save is never cut short.
  if (previewCancel_) SetEvent(previewCancel_.get());
  previewCancel_.reset();
  std::shared_ptr<void> cancel;
  if (!save) {
    cancel = std::shared_ptr<void>(CreateEventW(nullptr, TRUE, FALSE, nullptr), [](void* h) {
      if (h) CloseHandle(h);
    });
    if (cancel) previewCancel_ = cancel;
  }
  ++fetchesUnderWay_;
  auto landed = [this, lyric, savePath, save](std::shared_ptr<FetchedLyric> got) {
    --fetchesUnderWay_;
    OnLyricFetched(lyric, savePath, save, *got);
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
    }
    RunOnGuiThread([landed, got] { landed(got); });
  });
  if (!started) landed(std::make_shared<FetchedLyric>());
}

void LyricSearch::OnLyricFetched(unsigned lyric, const std::string& savePath, unsigned save, FetchedLyric& got) {
  if (save) {
    const auto newest = newestSaveOf_.find(FoldedPath(savePath));
    if (newest != newestSaveOf_.end() && newest->second == save) {
      newestSaveOf_.erase(newest);
      if (!got.bytes.empty() && got.whole) SaveLyric(savePath, got.bytes);
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

// Another song of the same title (two singers' songs share a name) is replaced only
// when the user says so; a failed save says why and leaves the old file.
void LyricSearch::SaveLyric(const std::string& savePath, const std::string& bytes) {
  const std::string name = FileNameOf(savePath);
  if (name.size() < savePath.size()) RemoveTemporaryLeftovers(savePath.substr(0, savePath.size() - name.size() - 1), kWriteTempPrefix);
  if (FileExists(savePath)) {
    const std::string old = ReadFileBytes(savePath);
    if (old == bytes) return;
    const int answer = ui::ShowMessageBox("“" + name + "”已有另一首歌词，要用下载的歌词替换它吗？\r\n选“否”保留原来的文件。",
                                          "信息：", MB_ICONQUESTION | MB_YESNO);
    if (answer != IDYES) return;
  }
  if (WriteFileBytes(savePath, bytes) && ReadFileBytes(savePath) == bytes) return;
  const unsigned long error = GetLastError();
  ui::ShowMessageBox("歌词没有保存，原来的文件没有改动：\r\n" + savePath + "\r\n" + SystemErrorText(error), "保存失败",
                     MB_ICONWARNING | MB_OK);
}

void LyricSearch::FillPreviewList() {
  M<MainCtl::歌词预览>().ShowRows(PreviewRows(shown_), static_cast<int>(shown_.rows.size() + (shown_.cut ? 1 : 0)));
}

int LyricSearch::SelectedResult() const { return ResultRow(M<MainCtl::欲下载列表>().SelectedRow()); }

int LyricSearch::ResultRow(int row) const {
  return row >= 0 && static_cast<size_t>(row) < resultLinks_.size() ? row : -1;
}
