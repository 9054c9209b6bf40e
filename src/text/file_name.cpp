#include "text/file_name.h"

#include <array>
#include <vector>

#include "text/encoding.h"
#include "text/utf8_text.h"

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

// Width of the character at i in bytes; 1 for a byte that starts no valid sequence.
size_t WidthAt(std::string_view s, size_t i) { return enc::CharLengthAt(s, i); }

// Whether the character of width w at i may stand in a name: printable ASCII other than
// the forbidden characters, or any valid multi-byte character. A byte that starts no
// valid sequence is no character.
bool IsAllowedAt(std::string_view s, size_t i, size_t w) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return !IsForbiddenAscii(b);
  return w > 1;
}

// UTF-16 units of the character of width w: two for one beyond the BMP (4 bytes).
size_t UnitsOf(size_t w) { return w == 4 ? 2 : 1; }

bool OnlyDotsAndSpaces(std::string_view name) { return name.find_first_not_of(". ") == std::string_view::npos; }

}  // namespace

bool NamesDevice(std::string_view name) {
  std::string stem = utf8::ToUpperAscii(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  static constexpr std::array<std::string_view, 7> kDevices = {"CON", "PRN", "AUX", "NUL",
                                                               "CONIN$", "CONOUT$", "CLOCK$"};
  for (std::string_view device : kDevices)
    if (stem == device) return true;
  const bool numberedPort = stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0;
  if (!numberedPort) return false;
  // COM0-9 and LPT0-9, and with the superscript digits ¹ ² ³, which Windows takes too.
  const std::string_view number = std::string_view(stem).substr(3);
  if (number.size() == 1) return number[0] >= '0' && number[0] <= '9';
  return number == "\u00B9" || number == "\u00B2" || number == "\u00B3";
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty()) return false;
  size_t units = 0;
  for (size_t i = 0; i < name.size();) {
    const size_t w = WidthAt(name, i);
    if (!IsAllowedAt(name, i, w)) return false;
    units += UnitsOf(w);
    i += w;
  }
  if (units > kMaxNameUnits) return false;
  // Windows drops trailing dots and spaces, so a name of nothing else names the folder.
  if (OnlyDotsAndSpaces(name)) return false;
  return !NamesDevice(name);
}

std::string SafeFileName(std::string_view text, std::string_view extension) {
  std::string stem;
  std::vector<size_t> starts;  // where each character of stem starts
  size_t units = 0;            // UTF-16 units of stem
  stem.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t w = WidthAt(text, i);
    starts.push_back(stem.size());
    if (!IsAllowedAt(text, i, w)) {
      stem += '_';
      units += 1;
    } else {
      stem.append(text.substr(i, w));
      units += UnitsOf(w);
    }
    i += w;
  }
  const size_t extensionUnits = enc::Utf8ToUtf16(extension).size();
  // Cuts whole characters off the end until the name fits with `extra` units before it.
  const auto fit = [&](size_t extra) {
    while (!starts.empty() && units + extensionUnits + extra > kMaxNameUnits) {
      units -= UnitsOf(stem.size() - starts.back() == 4 ? 4 : 1);
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
