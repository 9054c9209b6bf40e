// The online lyric search on the second page: search by song title, preview a hit, save
// it as "<song>.lrc" in the folder the path box 编辑框1 names (at start-up the program's
// folder), where the list looks: the list is refreshed, the saved file selected, and a
// row below the hits says "已保存到 <path>". A failed search's row and the saved note
// give their whole text in the list's tip. One LyricSearch, held by the roof, owns
// what the search knows; its handlers are bound in the event table. Every fetch runs on a
// worker thread and lands on the GUI thread (win/gui_courier.h), which keeps running its
// message loop meanwhile.
//
// A search that brings no page (the site does not answer, refuses, or sends nothing)
// says why in one row of the result list, which then holds no hit. The result page is
// decoded and read on its worker, so the GUI thread only fills in the hits (at most
// kMaxResultHits). A lyric is decoded and split into preview rows on its worker; the
// preview shows at most kMaxPreviewRows rows and says when it is cut, and a preview
// whose fetch failed shows why in its one row. The focus moving over the hits starts a
// preview only once it has rested for kPreviewSettleMs, and a newer preview ends the
// fetch of the older one. Saves: search/lyric_save_win.h.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/lyric_save_win.h"
#include "search/lyric_search.h"
#include "win/ui_event.h"

struct HttpResult;

// How long the focus rests on a hit before its preview is fetched.
inline constexpr unsigned kPreviewSettleMs = 200;

// The keyword as it goes into the search address: UTF-8, escaped byte by byte.
std::string EncodeKeyword(std::string_view keyword);
// A UTF-8 page body as text, cut at its first zero byte.
std::string DecodePage(std::string_view body);

class LyricSearch {
 public:
  explicit LyricSearch(std::string host);
  LyricSearch(const LyricSearch&) = delete;
  LyricSearch& operator=(const LyricSearch&) = delete;

  // host[:port] of the lyrics site: the build's, as the roof hands it in, unless set
  // otherwise (the tests point the search at a site of their own).
  std::string siteHost;

  // The handlers: 搜索歌词 (and Enter in 欲搜索内容) searches for the title in 欲搜索内容; a
  // row of 欲下载列表 that gains the focus is previewed; a double click on one saves it
  // (the event's row: the one selected).
  void OnSearchButton();
  void PreviewSelectedLyric(const UiEventData& focused);
  void DownloadSelectedLyric(const UiEventData& chosen);
  // The focus has rested: the preview of the hit it rests on is fetched.
  void StartSettledPreview();

  // The lyric file's address of each row of 欲下载列表, in row order.
  const std::vector<std::string>& ResultLinks() const { return resultLinks_; }
  // The lyric last shown in the preview, as the loader would read it (decoded, every line
  // end CR LF).
  const std::string& FetchedLyricText() const { return shown_.text; }
  // Fetches started whose results have not landed yet (dropped ones included), and a
  // preview waiting for the focus to settle.
  int FetchesUnderWay() const { return fetchesUnderWay_ + saves_.Fetching() + saves_.Waiting(); }
  // Saves fetching now (ended ones until they land).
  int SavesFetching() const { return saves_.Fetching(); }
  // Ends every save (the program is ending).
  void CancelSaves() { saves_.CancelAll(); }

  // A fetched lyric for the preview: as the loader would read it (decoded, every line end
  // CR LF); the preview's rows (the first kMaxPreviewRows, cut telling whether there were
  // more); or, when the fetch failed, why (in the user's words).
  struct FetchedLyric {
    std::string text;
    std::vector<PreviewRow> rows;
    bool cut = false;
    std::string failure;
  };
  // What the worker makes of a result page: why it failed, or whether it is the site's
  // page for a title it does not know, or its hits.
  struct ResultPage {
    std::string failure;
    bool noResult = false;
    std::vector<LyricHit> hits;
  };

 private:
  // The search page for keyword and what it brings: the hits replace the rows and links,
  // a page that knows no such title says so and keeps them.
  void StartSearch(const std::string& url);
  void OnSearchPage(unsigned search, ResultPage& page);
  // Fetches the lyric of row for the preview.
  void StartLyricFetch(int row);
  void OnLyricFetched(unsigned lyric, FetchedLyric& got);
  void FillPreviewList();
  void ShowSearchFailure(const std::string& why);
  void ShowResultNote(const std::string& note);
  // The selected result row with its link, or -1 when none is selected; row, when it
  // has a link, or -1.
  int SelectedResult() const;
  int ResultRow(int row) const;

  std::vector<std::string> resultLinks_;
  FetchedLyric shown_;  // the lyric of the newest lyric fetch that has landed
  // A result that lands after a newer request of its kind has started is dropped: the
  // number of the newest search and of the newest lyric fetch (whose lyric the preview
  // shows).
  unsigned newestSearch_ = 0;
  unsigned newestLyric_ = 0;
  LyricSaves saves_;
  int fetchesUnderWay_ = 0;
  // Set to end the preview fetch under way (a newer preview has started).
  std::shared_ptr<void> previewCancel_;
  bool settling_ = false;
  unsigned focusChanges_ = 0;  // the newest change's number ends the settling
};
