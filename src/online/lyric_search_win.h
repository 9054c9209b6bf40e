// The online lyric search on the second page: search by song title, preview a hit,
// save it as "<song>.lrc" in the program's folder. The handlers OnSearchButton,
// PreviewSelectedLyric and DownloadSelectedLyric are bound in the event table; every
// fetch is synchronous on the GUI thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// host[:port] of the lyrics site: the build setting, kept in a variable so that the
// tests can point the search at a site of their own.
extern std::string lyricsSiteHost;

// The lyric file's address of each row of 欲下载列表, in row order.
extern std::vector<std::string> resultLinks;

// The keyword as it goes into the search address: UTF-8, escaped byte by byte.
std::string EncodeKeyword(std::string_view keyword);
// A UTF-8 page body as text, cut at its first zero byte.
std::string DecodePage(std::string_view body);
// Fetches one result page and lists its hits in 欲下载列表 (or says there are none).
void SearchLyrics(std::string_view url);
// Fetches the lyric of the first selected row into 预备下载内容 and rebuilds the preview.
// Returns the row, or -1 when no row is selected (then nothing is fetched).
int FetchSelectedLyric();
// Rebuilds 歌词预览 from the lyric last fetched.
void FillPreviewList();

// The handlers bound in the event table: 搜索歌词 (and Enter in 欲搜索内容), a click on a
// row of 欲下载列表 (preview) and a double click on it (save).
void OnSearchButton();
void PreviewSelectedLyric();
void DownloadSelectedLyric();
