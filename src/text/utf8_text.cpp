#include "text/utf8_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "text/encoding.h"

namespace utf8 {

namespace {

// Byte width of the character that starts at i; a byte that starts no valid sequence
// stands alone, so that no scan runs past the text.
size_t CharWidth(std::string_view s, size_t i) { return enc::CharLengthAt(s, i); }

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares needle with hay at i, where i is a character start. Every byte of a UTF-8
// multi-byte character is 0x80 or above, so folding the ASCII letters never touches one.
bool MatchesAt(std::string_view hay, size_t i, std::string_view needle, bool ignoreAsciiCase) {
  if (needle.size() > hay.size() - i) return false;
  if (!ignoreAsciiCase) return hay.compare(i, needle.size(), needle) == 0;
  for (size_t k = 0; k < needle.size(); ++k) {
    if (FoldAscii(hay[i + k]) != FoldAscii(needle[k])) return false;
  }
  return true;
}

std::string MapAsciiLetters(std::string_view s, char from, char to, int shift) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    const size_t w = CharWidth(out, i);
    if (w == 1 && out[i] >= from && out[i] <= to) out[i] = static_cast<char>(out[i] + shift);
    i += w;
  }
  return out;
}

int32_t ClampSize(size_t n) {
  constexpr size_t kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(n < kMax ? n : kMax);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code point of the character of w bytes at i; a byte that starts no valid sequence
// stands for itself.
char32_t CodePointAt(std::string_view s, size_t i, size_t w) {
  const auto b = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
  switch (w) {
    case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default: return b(0) < 0x80 ? b(0) : 0xFFFD;
  }
}

// Control characters (Unicode category Cc), format characters (Cf: invisible, or
// turning the direction of what follows) and the line and paragraph separators.
bool IsUntypeable(char32_t c) {
  static constexpr struct {
    char32_t first, last;
  } kRanges[] = {
      {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
      {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
      {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
      {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
      {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
  };
  for (const auto& r : kRanges)
    if (c >= r.first && c <= r.last) return true;
  return false;
}

// Power of ten of the leading non-zero digit of a validated decimal number
// ("123e5" gives 7, "0.004" gives -3); only its sign matters, so it saturates.
int64_t DecimalMagnitude(const char* first, const char* last) {
  int64_t magnitude = 0;
  bool seenNonZero = false;
  bool inFraction = false;
  const char* p = first;
  for (; p != last && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      inFraction = true;
    } else if (!inFraction) {
      if (seenNonZero) ++magnitude;
      else if (*p != '0') seenNonZero = true;
    } else if (!seenNonZero) {
      --magnitude;
      if (*p != '0') seenNonZero = true;
    }
  }
  if (p != last) {  // exponent
    ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t exponent = 0;
    for (; p != last; ++p) {
      exponent = exponent * 10 + (*p - '0');
      if (exponent > 1000000000) exponent = 1000000000;
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

}  // namespace

int32_t Len(std::string_view s) { return ClampSize(s.size()); }

std::string Left(std::string_view s, int32_t n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view s, int32_t n) {
  if (n <= 0) return {};
  const size_t k = static_cast<size_t>(n);
  return std::string(k >= s.size() ? s : s.substr(s.size() - k));
}

std::string Mid(std::string_view s, int32_t start, int32_t n) {
  if (start < 1 || n <= 0 || static_cast<size_t>(start) > s.size()) return {};
  return std::string(s.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(n)));
}

int32_t Find(std::string_view hay, std::string_view needle, int32_t start, bool ignoreAsciiCase) {
  if (needle.empty() || start < 1 || static_cast<size_t>(start) > hay.size()) return -1;
  const size_t from = static_cast<size_t>(start) - 1;
  for (size_t i = 0; i < hay.size(); i += CharWidth(hay, i)) {
    if (i >= from && MatchesAt(hay, i, needle, ignoreAsciiCase)) return ClampSize(i + 1);
  }
  return -1;
}

int32_t FindBackwards(std::string_view hay, std::string_view needle, int32_t start,
                      bool ignoreAsciiCase) {
  if (needle.empty() || hay.empty()) return -1;
  size_t last = hay.size() - 1;  // 0-based: the latest position a match may start at
  if (start >= 1 && static_cast<size_t>(start) <= hay.size()) last = static_cast<size_t>(start) - 1;
  int32_t found = -1;
  for (size_t i = 0; i <= last; i += CharWidth(hay, i)) {
    if (MatchesAt(hay, i, needle, ignoreAsciiCase)) found = ClampSize(i + 1);
  }
  return found;
}

std::string ToUpperAscii(std::string_view s) { return MapAsciiLetters(s, 'a', 'z', 'A' - 'a'); }

std::string ToLowerAscii(std::string_view s) { return MapAsciiLetters(s, 'A', 'Z', 'a' - 'A'); }

std::vector<std::string> Split(std::string_view s, std::string_view delim) {
  std::vector<std::string> pieces;
  if (s.empty()) return pieces;
  if (delim.empty()) {
    pieces.emplace_back(s);
    return pieces;
  }
  size_t pieceStart = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, delim.size(), delim) == 0) {
      pieces.emplace_back(s.substr(pieceStart, i - pieceStart));
      i += delim.size();
      pieceStart = i;
    } else {
      i += CharWidth(s, i);
    }
  }
  if (pieceStart < s.size()) pieces.emplace_back(s.substr(pieceStart));
  return pieces;
}

double ToNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  // Accept exactly [digits][.digits] with at least one digit, then an exponent only
  // when it has digits; from_chars then reads that span without locale or hex forms.
  const size_t numberStart = i;
  size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }

  const char* first = s.data() + numberStart;
  const char* last = s.data() + i;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves value untouched then: the decimal magnitude says which way.
    value = DecimalMagnitude(first, last) > 0 ? HUGE_VAL : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

int32_t ToInt32(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;  // saturated; later digits change nothing
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

std::string IntToText(int64_t v) { return std::to_string(v); }

std::string DoubleToText(double v) {
  // to_chars formats like printf("%.13g") in the "C" locale on every platform, without
  // the three-digit exponents of the Windows C runtime.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 13);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

std::string BytesToText(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string TypeableText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t w = CharWidth(s, i);
    const char32_t c = CodePointAt(s, i, w);
    if (c == '\t') {
      out += ' ';
    } else if (!IsUntypeable(c)) {
      out.append(s, i, w);
    }
    i += w;
  }
  return out;
}

std::string CutToUtf16Units(std::string_view s, size_t maxUnits) {
  size_t units = 0;
  size_t i = 0;
  while (i < s.size()) {
    const size_t w = CharWidth(s, i);
    const size_t needed = w == 4 ? 2 : 1;  // beyond the BMP: a surrogate pair
    if (units + needed > maxUnits) break;
    units += needed;
    i += w;
  }
  return std::string(s.substr(0, i));
}

}  // namespace utf8
