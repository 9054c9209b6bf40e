// The insertion order on its own against the naive bisection insertion of the reference
// parser, on random time lists with few distinct times (where the bisection's place among
// equal times matters) from a fixed seed.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "lyrics/lrc_order.h"
#include "lyrics/lrc_reference_parser.h"

namespace {

// Index of every entry after inserting them one by one into a list.
std::vector<size_t> NaiveOrder(const std::vector<int32_t>& times) {
  std::vector<reference::LyricPair> pairs;
  for (size_t k = 0; k < times.size(); ++k) pairs.push_back({times[k], std::to_string(k)});
  LyricTimeline timeline;
  timeline.timesMs.assign(times.size(), 0);
  timeline.textOf.assign(times.size(), 0);
  reference::orderTimeline(pairs, timeline);
  std::vector<size_t> slot(times.size());
  for (size_t i = 0; i < times.size(); ++i) slot[std::stoul(timeline.Text(i))] = i;
  return slot;
}

TEST(LrcOrder, MatchesTheNaiveBisectionInsertion) {
  std::mt19937 rng(20261208);  // the engine's sequence is fixed by the standard
  for (int round = 0; round < 3000; ++round) {
    const size_t n = rng() % 48;
    const uint32_t distinct = 1 + rng() % 7;
    std::vector<int32_t> times(n);
    std::string shown;
    for (int32_t& t : times) {
      t = static_cast<int32_t>(rng() % distinct) * 1000;
      shown += std::to_string(t) + " ";
    }
    ASSERT_EQ(lrc::InsertionOrder(times), NaiveOrder(times)) << "times: " << shown;
  }
}

}  // namespace
