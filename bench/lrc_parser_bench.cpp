// Parse time of generated lyric files, production parser and (small sizes only, it is
// quadratic) the reference parser. bench/run-benchmarks.sh builds and runs this.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "lyrics/lrc_parser.h"
#include "lyrics/lrc_reference_parser.h"

namespace {

std::string Stamp(int64_t cs) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "[%02lld:%02lld.%02lld]", static_cast<long long>(cs / 6000),
                static_cast<long long>(cs / 100 % 60), static_cast<long long>(cs % 100));
  return buf;
}

// A lyric file of about `lines` lines as users have them: a header block, one tag per
// line, every seventh line a chorus line with a second, later tag, a blank line now and
// then, text mixing Chinese and English.
std::string GeneratedLrc(int64_t lines) {
  static const char* const kPhrases[] = {
      "月亮爬上老城墙", "Walking down the morning road", "风吹过麦田 一浪又一浪",
      "I kept the letter in my coat", "灯下的影子 慢慢变长", "河水流到很远的地方",
      "Sing it low, sing it slow", "等你回来 我们再唱"};
  std::string text = "[ti:生成的歌]\r\n[ar:测试]\r\n[al:Bench]\r\n[by:ravo]\r\n[offset:0]\r\n";
  int64_t cs = 100;
  for (int64_t i = 0; i < lines; ++i) {
    if (i % 25 == 24) {
      text += "\r\n";
      continue;
    }
    text += Stamp(cs);
    if (i % 7 == 3) text += Stamp(cs + 360000);
    text += kPhrases[i % 8];
    text += " ";
    text += std::to_string(i);
    text += "\r\n";
    cs += 250 + (i * 37) % 300;
  }
  return text;
}

// Tags out of order with only a few distinct times: the ordering's hardest shape.
std::string ShuffledEqualTimes(int64_t lines) {
  std::string text;
  uint64_t x = 12345;
  for (int64_t i = 0; i < lines; ++i) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    text += "[00:0" + std::to_string((x >> 33) % 8) + ".000" + std::to_string(i) + "]line\r\n";
  }
  return text;
}

template <std::string (*Make)(int64_t), bool (*Parse)(std::string_view, LyricTimeline&)>
void BM_Parse(benchmark::State& state) {
  const std::string text = Make(state.range(0));
  for (auto _ : state) {
    LyricTimeline timeline;
    benchmark::DoNotOptimize(Parse(text, timeline));
    benchmark::DoNotOptimize(timeline.timesMs.data());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK_TEMPLATE(BM_Parse, GeneratedLrc, parseLrc)
    ->Name("ParseLrc/lines")
    ->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_TEMPLATE(BM_Parse, ShuffledEqualTimes, parseLrc)
    ->Name("ParseLrcShuffledEqualTimes/lines")
    ->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

BENCHMARK_TEMPLATE(BM_Parse, GeneratedLrc, reference::parseLrc)
    ->Name("ReferenceParseLrc/lines")
    ->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

}  // namespace
