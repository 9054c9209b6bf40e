// Code pages for the native test build, by iconv's tables of the same code pages (the
// program itself uses the system's, encoding_win.cpp).
#include <iconv.h>

#include <algorithm>
#include <string>

#include "text/encoding.h"

namespace enc {

namespace {

// iconv knows the Windows code pages by their number; kSystem stands for SystemCodePage.
std::string IconvName(unsigned codePage) {
  if (codePage == kUtf8) return "UTF-8";
  return "CP" + std::to_string(codePage == kSystem ? SystemCodePage() : codePage);
}

// Converts through iconv; a sequence it cannot take becomes replacement (when given)
// and the conversion goes on one byte later; *clean tells whether none was met.
// A code page iconv does not know converts nothing: every byte is replaced.
std::string Convert(std::string_view in, const std::string& to, const std::string& from, std::string_view replacement,
                    size_t unitSize, bool* clean) {
  if (clean) *clean = true;
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (clean) *clean = in.empty();
    std::string out;
    for (char c : in) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string(replacement);
    return out;
  }
  std::string out;
  std::string buffer(4 * in.size() + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer.data(), buffer.size() - dstLeft);
    if (r == static_cast<size_t>(-1)) {
      if (clean) *clean = false;
      out += replacement;
      const size_t skip = std::min(unitSize, srcLeft);
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

unsigned SystemCodePage() { return kGbk; }

bool IsDoubleByteCodePage(unsigned codePage) {
  if (codePage == kSystem) codePage = SystemCodePage();
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

std::string DecodeCodePage(std::string_view bytes, unsigned codePage) {
  return Convert(bytes, "UTF-8", IconvName(codePage), "\xEF\xBF\xBD", 1, nullptr);
}

bool IsValidInCodePage(std::string_view bytes, unsigned codePage) {
  bool clean = true;
  Convert(bytes, "UTF-8", IconvName(codePage), "", 1, &clean);
  return clean;
}

std::string EncodeCodePage(std::string_view utf8, unsigned codePage, bool* complete) {
  // Character by character, so that a lacking one becomes exactly one "?".
  bool all = true;
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t len = CharLengthAt(utf8, i);
    bool clean = true;
    const std::string piece = Convert(utf8.substr(i, len), IconvName(codePage), "UTF-8", "?", len, &clean);
    out += clean ? piece : "?";
    all = all && clean;
    i += len;
  }
  if (complete) *complete = all;
  return out;
}

}  // namespace enc
