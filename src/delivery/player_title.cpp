#include "delivery/player_title.h"

#include <string>

#include "text/trim_blanks.h"

namespace {

bool CutSuffix(std::string_view& text, std::string_view suffix) {
  if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix) return false;
  text.remove_suffix(suffix.size());
  return true;
}

}  // namespace

PlayerTrack TrackOfPlayerTitle(std::string_view windowTitle) {
  std::string_view text = windowTitle;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  if (!CutSuffix(text, " [Paused]")) CutSuffix(text, " [Stopped]");
  if (!CutSuffix(text, " - Winamp")) return {};
  // The playlist number: digits, a dot and a blank; digits without the dot are the title's.
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits > 0 && digits + 1 < text.size() && text[digits] == '.' && text[digits + 1] == ' ') text.remove_prefix(digits + 2);
  PlayerTrack track;
  const size_t dash = text.find(" - ");
  if (dash == std::string_view::npos) {
    track.title = TrimBlanks(text);
  } else {
    track.artist = TrimBlanks(text.substr(0, dash));
    track.title = TrimBlanks(text.substr(dash + 3));
  }
  return track;
}
