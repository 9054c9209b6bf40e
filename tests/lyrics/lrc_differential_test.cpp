// The production parser against the reference parser: same return value, same fields,
// byte for byte, on generated files and on the fuzzing corpus. (The hand-written edge
// cases run through both parsers in lrc_parser_test.cpp.)

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lyrics/lrc_parser.h"
#include "lyrics/lrc_reference_parser.h"

namespace {

std::string Escaped(const std::string& s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// Returns a description of the first difference, empty when there is none.
std::string Compare(const std::string& text) {
  LyricTimeline got;
  LyricTimeline want;
  const bool gotOk = parseLrc(text, got);
  const bool wantOk = reference::parseLrc(text, want);
  if (gotOk != wantOk) return "result";
  if (got.count != want.count) return "count " + std::to_string(got.count) + " vs " + std::to_string(want.count);
  if (got.title != want.title) return "title";
  if (got.artist != want.artist) return "artist";
  if (got.album != want.album) return "album";
  if (got.maker != want.maker) return "maker";
  if (got.offsetMs != want.offsetMs) return "offset";
  if (got.timesMs.size() != want.timesMs.size() || got.textOf.size() != want.textOf.size()) return "sizes";
  for (size_t i = 0; i < want.timesMs.size(); ++i) {
    if (got.timesMs[i] != want.timesMs[i]) {
      return "time " + std::to_string(i) + ": " + std::to_string(got.timesMs[i]) + " vs " +
             std::to_string(want.timesMs[i]);
    }
    if (got.Text(i) != want.Text(i)) {
      return "text " + std::to_string(i) + ": " + Escaped(got.Text(i)) + " vs " + Escaped(want.Text(i));
    }
  }
  return {};
}

#define EXPECT_SAME_PARSE(text)                                           \
  do {                                                                    \
    const std::string diff_ = Compare(text);                              \
    EXPECT_EQ(diff_, "") << "input: " << Escaped(text);                   \
  } while (0)

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {  // splitmix64: the same sequence with every standard library
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  bool OneIn(size_t n) { return Below(n) == 0; }
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t state_;
};

std::string TwoDigits(size_t v) { return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10); }

// Few distinct times, so that equal times are common, written in many spellings.
std::string RandomTag(Rng& rng, size_t& uniqueId) {
  static const char* const kSeconds[] = {"00", "01", "02", "05", "30", "1", ""};
  static const char* const kOdd[] = {
      "[:x]", "[1:2]]", "[1:23]4]", "[1:23]", "[1:]", "[12]", "[:]", "[00:01\n5]", "[00:01\r5]",
      "[0:1\x81]", "[0:1\x81\x35]", "[", "]", "[1:2", "[00:02|]", "[00:02 ]", "[99999999999:00]",
      "[0:0.99999]", "[[0:1]]", "[00:01]]"};
  switch (rng.Below(10)) {
    case 0: case 1: case 2: case 3:
      return "[0" + std::to_string(rng.Below(2)) + ":" + kSeconds[rng.Below(5)] + "." +
             (rng.OneIn(2) ? "00" : "50") + "]";
    case 4:
      return "[" + std::to_string(rng.Below(2)) + ":" + kSeconds[rng.Below(7)] + "]";
    case 5:
      return "[00:" + std::string(kSeconds[rng.Below(5)]) + ":" + TwoDigits(rng.Below(3)) + "]";
    case 6: case 7:
      return rng.Pick(kOdd);
    default:
      // Digits beyond the third of the fraction do not change the time: equal times
      // with distinct tag texts, which show where the ordering put each of them.
      return "[00:0" + std::to_string(rng.Below(3)) + ".500" + std::to_string(uniqueId++) + "]";
  }
}

std::string RandomPiece(Rng& rng) {
  static const char* const kPieces[] = {
      "la", "word ", " ", "|", " | ", "\t", "中文", "风吹麦浪", "\x81[", "\x81]", "\x81|", "\x81:",
      "\x81\x31", "\xB0", "*****", ":", "[", "]", "12", "\x81\r", "\n", "\r", "\x0B", "\x0C",
      "[ti:x]", "[ar:a b]", "[al:\x81]]", "[by:me][ar:you]", "[offset:-12]", "[offset:+3.5]",
      "[TI:Up]", "[Offset:7]", "[ti:", "ti:", "\xE4\xB8[", "\xF0\x9F", "𠮷"};
  return rng.Pick(kPieces);
}

std::string RandomLrc(Rng& rng) {
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r", "",
                                      "\r\n\r\n", " \r\n", " | \r\n", "\r\r\n", "\t\r\n \r\n", "|\r\n"};
  static const char* const kHeads[] = {"[ti:", "[ar:", "[al:", "[by:", "[offset:", "[Ti", "[BY:", "*****"};
  size_t uniqueId = 0;
  std::string text;
  const size_t lines = rng.Below(25);
  for (size_t l = 0; l < lines; ++l) {
    if (rng.OneIn(8)) text += rng.Pick(kHeads);
    if (rng.OneIn(10)) text += rng.OneIn(2) ? " " : " |";
    for (size_t k = rng.Below(4); k > 0; --k) text += RandomTag(rng, uniqueId);
    for (size_t k = rng.Below(4); k > 0; --k) {
      text += RandomPiece(rng);
      if (rng.OneIn(4)) text += RandomTag(rng, uniqueId);
    }
    text += rng.Pick(kEnds);
  }
  return text;
}

// One tag per line, a handful of times, every tag text distinct: a deep test of where
// the bisection insertion puts equal times.
std::string ManyEqualTimes(Rng& rng) {
  std::string text;
  const size_t lines = 50 + rng.Below(200);
  const size_t times = 1 + rng.Below(6);
  for (size_t i = 0; i < lines; ++i) {
    text += "[00:" + TwoDigits(rng.Below(times)) + ".000" + std::to_string(i) + "]L" + std::to_string(i) + "\r\n";
  }
  return text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return bytes.substr(0, bytes.find('\0'));  // as the lyric loader hands it over
}

size_t CompareDirectory(const std::filesystem::path& dir) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    EXPECT_SAME_PARSE(ReadFile(entry.path()));
    ++files;
  }
  return files;
}

TEST(LrcDifferential, GeneratedFiles) {
  Rng rng(20240601);
  for (int i = 0; i < 4000; ++i) {
    EXPECT_SAME_PARSE(RandomLrc(rng));
    if (HasFailure()) return;  // one printed input is enough to debug
  }
}

TEST(LrcDifferential, GeneratedOrderings) {
  Rng rng(77);
  for (int i = 0; i < 200; ++i) {
    EXPECT_SAME_PARSE(ManyEqualTimes(rng));
    if (HasFailure()) return;
  }
}

TEST(LrcDifferential, FuzzCorpus) {
  EXPECT_GE(CompareDirectory(std::filesystem::path(RAVO_SOURCE_DIR) / "fuzz" / "corpus" / "lrc"), 10u);
  // A corpus grown by a fuzzing run can be checked too: RAVO_LRC_EXTRA_CORPUS=dir.
  if (const char* extra = std::getenv("RAVO_LRC_EXTRA_CORPUS")) CompareDirectory(extra);
}

}  // namespace
