// Regular expressions on the program's UTF-8 text (Boost.Regex, Perl syntax,
// case-sensitive).
//
// Lines break at LF, CR LF and a lone CR (not at form feed or any other byte): "^"
// matches at the start of the text and after each line break, "$" before each line
// break and at the end of the text. "." matches every byte, CR, LF and NUL included.
// Character classes are those of the "C" locale: \s is space, \t, \n, \v, \f, \r, and
// no byte of 0x80 or above is in any class.
//
// Matching works on bytes. In the pattern, a multi-byte character outside [...] is one
// literal character (a quantifier after it repeats the whole character); inside [...]
// every byte is a member on its own.
//
// Positions are 1-based. Nothing throws: a pattern that does not compile matches nothing,
// and a search that exceeds the engine's complexity or memory bounds counts as no match
// (FindAll and ReplaceAll keep the matches found before it).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace utf8 {

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
  // still seen by "^", "\b" and look-behinds. start may be Len(text) + 1 (an empty
  // match at the end); a start outside 1 .. Len(text) + 1 gives no match.
  std::optional<RegexMatch> FindFirst(std::string_view text, int32_t start = 1) const;
  // All successive non-overlapping matches from the start of the text, in text order;
  // after an empty match the next match may not be empty at the same place (Perl's //g).
  std::vector<RegexMatch> FindAll(std::string_view text) const;
  // Every match of FindAll replaced by the fixed text replacement (no format escapes).
  std::string ReplaceAll(std::string_view text, std::string_view replacement) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace utf8
