#include "update/page_values.h"

#include "text/utf8_text.h"

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  // A missing start marker gives nothing: a page without the section must not offer an
  // update from keys that happen to stand in it elsewhere.
  const int32_t p = utf8::Find(text, startMarker);
  if (p < 1) return {};
  const std::string_view rest = text.substr(static_cast<size_t>(p - 1) + startMarker.size());
  const int32_t q = utf8::Find(rest, endMarker);
  if (q <= 1) return {};
  return std::string(rest.substr(0, static_cast<size_t>(q - 1)));
}

namespace update_page {

std::string ValueOf(std::string_view section, std::string_view key) { return TextBetween(section, key, kValueEnd); }

}  // namespace update_page
