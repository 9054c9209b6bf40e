// Regular expressions on GBK byte strings (Boost.Regex, Perl syntax, case-sensitive).
//
// "^" matches at the start of the text, after a line feed, and after a carriage return
// that is not followed by a line feed; "." matches every byte, CR and LF included.
// Matching works on bytes, so a match may start on the trail byte of a two-byte
// character. Positions are 1-based. Nothing throws: a pattern that does not compile
// matches nothing, and a search that exceeds the engine's complexity bounds counts as
// no match.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gbk {

struct RegexMatch {
  int32_t position = 0;             // 1-based start of the match
  std::string text;                 // the matched text
  std::vector<std::string> groups;  // capture groups 1..n ("" when a group did not take part)

  // Text of capture group n (0 = the whole match); empty when there is no such group.
  std::string Group(int n) const;
};

class Regex {
 public:
  explicit Regex(std::string_view pattern);
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  bool Valid() const;

  // First match at or after the 1-based position start; the text before start is
  // still seen by "^" and look-behinds.
  std::optional<RegexMatch> FindFirst(std::string_view text, int32_t start = 1) const;
  // All successive non-overlapping matches from the start of the text, in text order.
  std::vector<RegexMatch> FindAll(std::string_view text) const;
  // Every match replaced by the fixed text replacement (no format escapes).
  std::string ReplaceAll(std::string_view text, std::string_view replacement) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gbk
