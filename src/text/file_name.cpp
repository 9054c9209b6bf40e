#include "text/file_name.h"

#include <array>
#include <vector>

#include "text/gbk_text.h"

namespace file_name {

namespace {

bool IsForbiddenAscii(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Width of the character at i: 2 for a whole two-byte character, 1 for any other byte.
size_t WidthAt(std::string_view s, size_t i) {
  return IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() && IsTrail(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

// A single byte that may stand in a name: printable ASCII other than the forbidden
// characters, or the euro sign 0x80. Lone lead bytes and 0xFF are no characters.
bool IsAllowedSingle(unsigned char b) { return b < 0x80 ? !IsForbiddenAscii(b) : b == 0x80; }

bool OnlyDotsAndSpaces(std::string_view name) { return name.find_first_not_of(". ") == std::string_view::npos; }

}  // namespace

bool NamesDevice(std::string_view name) {
  std::string stem = gbk::ToUpperAscii(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  static constexpr std::array<std::string_view, 7> kDevices = {"CON", "PRN", "AUX", "NUL",
                                                               "CONIN$", "CONOUT$", "CLOCK$"};
  for (std::string_view device : kDevices)
    if (stem == device) return true;
  const bool numbered = stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
  return numbered && stem[3] >= '0' && stem[3] <= '9';
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  for (size_t i = 0; i < name.size();) {
    const size_t w = WidthAt(name, i);
    if (w == 1 && !IsAllowedSingle(static_cast<unsigned char>(name[i]))) return false;
    i += w;
  }
  // Windows drops trailing dots and spaces, so a name of nothing else names the folder.
  if (OnlyDotsAndSpaces(name)) return false;
  return !NamesDevice(name);
}

std::string SafeFileName(std::string_view text, std::string_view extension) {
  std::string stem;
  std::vector<size_t> starts;  // where each character of stem starts
  stem.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t w = WidthAt(text, i);
    starts.push_back(stem.size());
    if (w == 1 && !IsAllowedSingle(static_cast<unsigned char>(text[i])))
      stem += '_';
    else
      stem.append(text.substr(i, w));
    i += w;
  }
  // Cuts whole characters off the end until the name fits with `extra` bytes before it.
  const auto fit = [&](size_t extra) {
    while (!starts.empty() && stem.size() + extension.size() + extra > kMaxNameBytes) {
      stem.resize(starts.back());
      starts.pop_back();
    }
  };
  fit(0);
  if (OnlyDotsAndSpaces(stem)) return {};
  if (NamesDevice(std::string(stem).append(extension))) {
    fit(1);
    stem.insert(0, "_");
  }
  return stem.append(extension);
}

}  // namespace file_name
