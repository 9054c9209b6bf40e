// Peak memory of loading a 16 MB lyric file (the loader's limit) of the worst shapes:
// decode, line-end normalisation and parse, as the program does. Prints the parse's
// entries and the process's peak resident set for each shape, one process per shape
// (run with the shape's number), so that each peak is its own.
//
// Usage: lyric_load_memory [1-4]   (no argument: runs every shape in a child each)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_encoding.h"

namespace {

constexpr size_t kSize = 16u << 20;

std::string Shape(int which) {
  std::string s;
  s.reserve(kSize + 64);
  switch (which) {
    case 1:  // one enormous line: thousands of tags, then text
      while (s.size() < kSize / 2) s += "[00:01.00]";
      while (s.size() < kSize) s += "la la la ";
      break;
    case 2:  // nothing but the shortest tags
      while (s.size() < kSize) s += "[:0]";
      break;
    case 3:  // bare line feeds, a tag and text on each line
      while (s.size() < kSize) s += "[00:01.00]a\n";
      break;
    default:  // bare CRs only (each becomes CR LF)
      s.assign(kSize, '\r');
      break;
  }
  return s;
}


}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    for (int i = 1; i <= 4; ++i) {
      const std::string cmd = std::string(argv[0]) + " " + std::to_string(i);
      if (std::system(cmd.c_str()) != 0) return 1;
    }
    return 0;
  }
  const int which = std::atoi(argv[1]);
  const char* names[] = {"", "one line, tags then text", "shortest tags only", "bare LF lines", "bare CRs only"};
  LyricTimeline timeline;
  {
    const std::string text = LyricFileText(Shape(which));
    parseLrc(text, timeline);
  }
  size_t textBytes = 0;
  for (const std::string& t : timeline.lineTexts) textBytes += t.size();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-26s %9d entries  %9zu text bytes  peak %6ld MB\n", names[which < 1 || which > 4 ? 4 : which],
              timeline.count, textBytes, usage.ru_maxrss / 1024);
  return 0;
}
