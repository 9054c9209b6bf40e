// The parts of the online lyric search that need no window system: the keyword's
// escaping for the search address, reading the site's result page, splitting a fetched
// lyric into preview rows, and the file name a downloaded lyric is saved under.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The site's page for a title it does not know carries this text.
constexpr const char kNoResultMarker[] = "没有找到相关";

// "http://" host "/?keyword=" keyword "&field=all" (a host given as "https://host" keeps
// its scheme); the keyword is already escaped.
std::string SearchUrl(std::string_view host, std::string_view escapedKeyword);

// Each byte of a UTF-8 keyword as the query takes it: the letters, digits and "*,-./@_"
// as they are, every other byte as "%" and two upper-case hexadecimal digits.
std::string EscapeKeywordBytes(std::string_view utf8);

bool IsNoResultPage(std::string_view page);

struct LyricHit {
  std::string song;
  std::string singer;
  std::string link;  // the address of the lyric file; empty when the hit carries none

  bool operator==(const LyricHit& o) const { return song == o.song && singer == o.singer && link == o.link; }
};

// The most hits a result page gives: more than anyone reads, few enough that the results
// table fills at once.
inline constexpr size_t kMaxResultHits = 500;

// The hits of a result page (UTF-8 text), in page order, the first kMaxResultHits of them.
// A hit's name reads "singer song"; a name without a second piece gives the whole name as
// the song and no singer.
std::vector<LyricHit> ScrapeResultPage(std::string_view page);

struct PreviewRow {
  std::string time;  // the text before the line's first "]"
  std::string text;  // the text between the first and the second "]"

  bool operator==(const PreviewRow& o) const { return time == o.time && text == o.text; }
};

// The preview rows of a lyric: one per CR LF line that holds a "]" with text after it,
// the first maxRows of them; cut, when given, tells whether rows were left out.
std::vector<PreviewRow> SplitPreviewRows(std::string_view lyric, size_t maxRows = SIZE_MAX, bool* cut = nullptr);

// The most rows a preview shows: a lyric is read long before them, and a file of
// millions of lines neither fills the memory nor holds up the window.
inline constexpr size_t kMaxPreviewRows = 1000;

// The name a lyric titled song is saved under in the program's folder ("song.lrc"), or
// empty when the title gives no name that can be saved: the title comes from a web page,
// so it goes through the file-name rule of text/file_name.h (forbidden bytes become "_",
// a device name gets a leading "_", a long title is shortened before ".lrc").
std::string LyricFileName(std::string_view song);
