#include "text/regex.h"

#include <limits>
#include <locale>

#include <boost/regex.hpp>

#include "text/encoding.h"
#include "text/utf8_text.h"

namespace utf8 {

namespace {

// Character classes of the "C" locale on every platform, whatever the process locale
// or the Windows code page: \s is space, \t, \n, \v, \f, \r, and no byte of 0x80 or
// above belongs to any class (those bytes are parts of UTF-8 multi-byte characters,
// never blanks, letters or digits).
class CLocaleTraits : public boost::cpp_regex_traits<char> {
 public:
  CLocaleTraits() { imbue(std::locale::classic()); }

  bool isctype(char c, char_class_type f) const {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
    return boost::cpp_regex_traits<char>::isctype(c, f);
  }
};

using Engine = boost::basic_regex<char, CLocaleTraits>;
using Matches = boost::match_results<const char*>;

// Boost's own "^" and "$" also break lines at \f, and would treat the bytes of UTF-8
// characters one by one; the pattern is rewritten so that lines end only at LF, CR LF
// and a lone CR, and so that a multi-byte character stays one literal character.
const char kLineStart[] = R"((?:\A|(?<=\n)|(?<=\r)(?!\n)))";
const char kLineEnd[] = R"((?:\z|(?=\r)|(?<!\r)(?=\n)))";

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class PatternRewriter {
 public:
  explicit PatternRewriter(std::string_view p) : p_(p) {}

  std::string Run() {
    while (i_ < p_.size()) {
      const char c = p_[i_];
      if (MultiByteCharAt(i_)) {
        EmitMultiByteChar();
      } else if (c == '\\') {
        Escape();
      } else if (c == '[') {
        BracketExpression();
      } else if (p_.compare(i_, 3, "(?#") == 0) {
        CopyThrough(')');
      } else if (c == '^') {
        out_ += kLineStart;
        ++i_;
      } else if (c == '$') {
        out_ += kLineEnd;
        ++i_;
      } else {
        out_ += c;
        ++i_;
      }
    }
    return std::move(out_);
  }

 private:
  bool MultiByteCharAt(size_t i) const { return i < p_.size() && enc::CharLengthAt(p_, i) > 1; }

  // A quantifier after a multi-byte character repeats the whole character.
  void EmitMultiByteChar() {
    const size_t next = i_ + enc::CharLengthAt(p_, i_);
    const bool quantified =
        next < p_.size() && (p_[next] == '*' || p_[next] == '+' || p_[next] == '?' || p_[next] == '{');
    if (quantified) out_ += "(?:";
    out_.append(p_, i_, next - i_);
    if (quantified) out_ += ')';
    i_ = next;
  }

  void Escape() {
    if (i_ + 1 >= p_.size()) {  // a trailing backslash: let the engine reject it
      out_ += p_[i_++];
      return;
    }
    const char e = p_[i_ + 1];
    if (e == 'Q') {
      QuotedRun();
      return;
    }
    if (MultiByteCharAt(i_ + 1)) {  // an escaped multi-byte character is just that character
      ++i_;
      EmitMultiByteChar();
      return;
    }
    out_.append(p_, i_, 2);
    i_ += 2;
    if (e == 'c' && i_ < p_.size()) {  // \cX: X is the control letter, whatever it is
      out_ += p_[i_++];
    } else if (IsAsciiAlnum(e) && i_ < p_.size() && p_[i_] == '{') {
      CopyThrough('}');  // \x{..}, \p{..}, \g{..}: "^" inside the braces is no anchor
    }
  }

  // \Q...\E: every byte literal, written out as escapes; a multi-byte character as a
  // group of its own.
  void QuotedRun() {
    i_ += 2;
    while (i_ < p_.size()) {
      if (p_.compare(i_, 2, "\\E") == 0) {
        i_ += 2;
        return;
      }
      if (MultiByteCharAt(i_)) {
        const size_t n = enc::CharLengthAt(p_, i_);
        out_ += "(?:";
        out_.append(p_, i_, n);
        out_ += ')';
        i_ += n;
        continue;
      }
      const char c = p_[i_++];
      if (c > ' ' && c < 0x7F && !IsAsciiAlnum(c)) out_ += '\\';
      out_ += c;
    }
  }

  // [...] is copied as it is: "^" and "$" in it are members or the negation, and its
  // bytes are members one by one (so "[\x80-\xFF]" written with raw bytes keeps working).
  void BracketExpression() {
    out_ += p_[i_++];
    if (i_ < p_.size() && p_[i_] == '^') out_ += p_[i_++];
    if (i_ < p_.size() && p_[i_] == ']') out_ += p_[i_++];
    while (i_ < p_.size()) {
      const char c = p_[i_];
      if (c == '\\') {
        out_.append(p_, i_, 2);
        i_ += 2;
      } else if (c == '[' && i_ + 1 < p_.size() &&
                 (p_[i_ + 1] == ':' || p_[i_ + 1] == '=' || p_[i_ + 1] == '.')) {
        const char closer[] = {p_[i_ + 1], ']', '\0'};
        const size_t end = p_.find(closer, i_ + 2);
        const size_t stop = end == std::string_view::npos ? i_ + 1 : end + 2;
        out_.append(p_, i_, stop - i_);
        i_ = stop;
      } else {
        out_ += c;
        ++i_;
        if (c == ']') return;
      }
    }
  }

  void CopyThrough(char closer) {
    const size_t end = p_.find(closer, i_);
    const size_t stop = end == std::string_view::npos ? p_.size() : end + 1;
    out_.append(p_, i_, stop - i_);
    i_ = stop;
  }

  std::string_view p_;
  size_t i_ = 0;
  std::string out_;
};

int32_t ToPosition(std::ptrdiff_t offset) {
  constexpr std::ptrdiff_t kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(offset < kMax ? offset + 1 : kMax);
}

// A string_view may hold no buffer at all; the engine wants real iterators.
const char* TextBegin(std::string_view text) { return text.data() ? text.data() : ""; }

RegexMatch ToMatch(const Matches& m, const char* textBegin) {
  RegexMatch match;
  match.position = ToPosition(m[0].first - textBegin);
  match.text = m[0].str();
  for (size_t g = 1; g < m.size(); ++g) match.groups.push_back(m[g].matched ? m[g].str() : std::string());
  return match;
}

}  // namespace

std::string RegexMatch::Group(int n) const {
  if (n == 0) return text;
  if (n < 0 || static_cast<size_t>(n) > groups.size()) return {};
  return groups[static_cast<size_t>(n) - 1];
}

struct Regex::Impl {
  Engine engine;

  // One search from `from`; `textBegin` stays the engine's backstop so that anchors
  // and look-behinds see the bytes before `from`. Without match_prev_avail the engine
  // never reads before textBegin. Any engine failure (complexity or memory bounds)
  // counts as no match.
  bool Search(const char* textBegin, const char* from, const char* textEnd, Matches& m,
              boost::regex_constants::match_flag_type flags) const {
    try {
      return boost::regex_search(from, textEnd, m, engine, flags, textBegin);
    } catch (...) {
      return false;
    }
  }

  // Successive non-overlapping matches, as Perl's //g: after an empty match the next
  // one may not be empty at the same place, so every round consumes a byte or moves on.
  // A failure of the engine, or of onMatch, ends the walk with what was found so far.
  template <typename OnMatch>
  void ForEachMatch(const char* begin, const char* end, OnMatch onMatch) const {
    const char* from = begin;
    auto flags = boost::regex_constants::match_default;
    Matches m;
    while (Search(begin, from, end, m, flags)) {
      try {
        onMatch(m);
      } catch (...) {
        return;
      }
      from = m[0].second;
      flags = m[0].first == m[0].second ? boost::regex_constants::match_not_initial_null
                                        : boost::regex_constants::match_default;
    }
  }
};

Regex::Regex(std::string_view pattern) {
  try {
    auto impl = std::make_unique<Impl>();
    const std::string rewritten = PatternRewriter(pattern).Run();
    impl->engine.assign(rewritten, boost::regex_constants::perl | boost::regex_constants::mod_s |
                                       boost::regex_constants::no_mod_m);
    impl_ = std::move(impl);
  } catch (...) {
    impl_.reset();
  }
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Valid() const { return impl_ != nullptr; }

std::optional<RegexMatch> Regex::FindFirst(std::string_view text, int32_t start) const {
  if (!impl_ || start < 1 || static_cast<size_t>(start) > text.size() + 1) return std::nullopt;
  const char* begin = TextBegin(text);
  Matches m;
  if (!impl_->Search(begin, begin + (start - 1), begin + text.size(), m,
                     boost::regex_constants::match_default)) {
    return std::nullopt;
  }
  try {
    return ToMatch(m, begin);
  } catch (...) {
    return std::nullopt;
  }
}

std::vector<RegexMatch> Regex::FindAll(std::string_view text) const {
  std::vector<RegexMatch> all;
  if (!impl_) return all;
  const char* begin = TextBegin(text);
  impl_->ForEachMatch(begin, begin + text.size(), [&](const Matches& m) {
    all.push_back(ToMatch(m, begin));
  });
  return all;
}

std::string Regex::ReplaceAll(std::string_view text, std::string_view replacement) const {
  if (!impl_) return std::string(text);
  const char* begin = TextBegin(text);
  std::string out;
  const char* copied = begin;
  impl_->ForEachMatch(begin, begin + text.size(), [&](const Matches& m) {
    out.append(copied, m[0].first);
    out.append(replacement);
    copied = m[0].second;
  });
  out.append(copied, begin + text.size());
  return out;
}

}  // namespace utf8
