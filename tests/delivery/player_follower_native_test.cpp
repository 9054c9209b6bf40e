// Following a music player: scripted readings against a lyric, and what is written when;
// the classic player's window title read as a track; a moment's lines as one text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delivery/lyric_moment.h"
#include "delivery/player_follower.h"
#include "delivery/player_title.h"

namespace {

constexpr PlayerState P = PlayerState::Playing;
constexpr PlayerState H = PlayerState::Paused;
constexpr PlayerState S = PlayerState::Stopped;
constexpr PlayerState A = PlayerState::Absent;

// One step of a script: a reading (state, position, taken at clock), the clock moving on
// (At), a shift, or the next line now; and the line written then (0: none).
struct Step {
  enum Kind { Read, At, Shift, Next } kind;
  PlayerState state;
  int64_t a;  // Read: position; Shift: earlier ms
  int64_t clock;
  int32_t writes;
};
Step R(PlayerState s, int64_t position, int64_t clock, int32_t writes) { return {Step::Read, s, position, clock, writes}; }
Step T(int64_t clock, int32_t writes) { return {Step::At, P, 0, clock, writes}; }
Step Sh(int64_t earlier) { return {Step::Shift, P, earlier, 0, 0}; }
Step N(int64_t clock, int32_t writes) { return {Step::Next, P, 0, clock, writes}; }

struct Script {
  const char* name;
  std::vector<Step> steps;
  std::vector<int32_t> due = {};  // empty: the table's lyric
};

TEST(PlayerFollower, WritesEachLineOnceWhenThePlayerReachesIt) {
  // Lines 1..6 due at 1, 2, 3, 3 (a translation under the same stamp), 5 and 8 s.
  const std::vector<int32_t> due = {1000, 2000, 3000, 3000, 5000, 8000};
  const Script scripts[] = {
      {"played through, timed between readings",
       {R(P, 0, 10000, 0), T(10999, 0), T(11000, 1), T(11500, 0), R(P, 1600, 11600, 0), T(12000, 2), T(13000, 3),
        T(13100, 0), T(15000, 5), R(P, 7990, 17990, 0), T(18000, 6), T(30000, 0)}},
      {"a pause writes nothing, the resume nothing again",
       {R(P, 1500, 0, 1), R(H, 1700, 200, 0), T(5000, 0), R(H, 1700, 5000, 0), R(P, 1700, 6000, 0), T(6300, 2)}},
      {"a seek forward writes the line landed on, none jumped over",
       {R(P, 1000, 0, 1), R(P, 5500, 100, 5), T(2000, 0), T(2600, 6)}},
      {"a seek back writes the line landed on once",
       {R(P, 5200, 0, 5), R(P, 2100, 100, 2), T(200, 0), T(1000, 3), R(P, 3200, 1100, 0)}},
      {"a seek back within a second is a wobble: nothing twice",
       {R(P, 1950, 0, 1), T(60, 2), R(P, 1900, 100, 0), R(P, 2050, 250, 0), T(1200, 3), R(P, 2990, 1250, 0)}},
      {"a seek back to before the first line forgets, and writes the first line again",
       {R(P, 2500, 0, 2), R(P, 200, 100, 0), T(900, 1)}},
      {"a seek while paused: the line landed on when it plays",
       {R(P, 5100, 0, 5), R(H, 5200, 100, 0), R(H, 1200, 300, 0), R(P, 1200, 400, 1)}},
      {"before the first line nothing; a stop starts over",
       {R(P, 0, 0, 0), T(999, 0), T(1000, 1), R(S, 0, 1100, 0), R(P, 10, 1200, 0), T(2190, 1)}},
      {"no player writes nothing and forgets",
       {R(P, 2500, 0, 2), R(A, 0, 100, 0), R(P, 2500, 5000, 2)}},
      {"shifted earlier and later against the player",
       {R(P, 0, 0, 0), Sh(500), T(499, 0), T(500, 1), Sh(-1000), T(1600, 0), T(2500, 2)}},
      {"the next line now, the rest keeping their spacing",
       {R(P, 1200, 0, 1), N(100, 2), T(1099, 0), T(1100, 3), T(3100, 5)}},
      {"the last line written, nothing is next", {R(P, 9000, 0, 6), N(100, 0), T(9000, 0)}},
      {"a first line at 0 is written at once", {R(P, 0, 0, 1), T(999, 0), T(1000, 2)}, {0, 1000}},
  };
  for (const Script& script : scripts) {
    PlayerFollower follower;
    follower.SetLines(script.due.empty() ? due : script.due);
    int n = 0;
    for (const Step& step : script.steps) {
      int32_t line = 0;
      switch (step.kind) {
        case Step::Read: {
          PlayerReading reading;
          reading.state = step.state;
          reading.positionMs = step.a;
          reading.takenMs = step.clock;
          line = follower.Take(reading);
          break;
        }
        case Step::At:
          line = follower.At(step.clock);
          break;
        case Step::Shift:
          follower.Shift(static_cast<int32_t>(step.a));
          break;
        case Step::Next:
          line = follower.NextLineNow(step.clock);
          break;
      }
      EXPECT_EQ(line, step.writes) << script.name << ", step " << n;
      ++n;
    }
  }
}

TEST(PlayerFollower, TheNextLookIsWhenTheNextLineFallsDue) {
  PlayerFollower follower;
  follower.SetLines({1000, 2000, 2000, 4000});
  EXPECT_EQ(follower.NextDueMs(), INT64_MAX);  // no reading yet
  PlayerReading reading;
  reading.state = PlayerState::Playing;
  reading.positionMs = 500;
  reading.takenMs = 10000;
  EXPECT_EQ(follower.Take(reading), 0);
  EXPECT_EQ(follower.NextDueMs(), 10500);
  EXPECT_EQ(follower.At(10500), 1);
  EXPECT_EQ(follower.NextDueMs(), 11500);  // the moment of lines 2 and 3
  EXPECT_EQ(follower.At(11500), 2);
  EXPECT_EQ(follower.NextDueMs(), 13500);
  follower.Shift(500);
  EXPECT_EQ(follower.NextDueMs(), 13000);
  reading.state = PlayerState::Paused;
  follower.Take(reading);
  EXPECT_EQ(follower.NextDueMs(), INT64_MAX);
}

TEST(PlayerTitle, ReadsTheTrackOfTheClassicPlayersTitle) {
  struct Row {
    const char* title;
    const char* artist;
    const char* track;
  };
  const Row rows[] = {
      {"1. Folk Band - Green Sleeves - Winamp", "Folk Band", "Green Sleeves"},
      {"12. Folk Band - Green Sleeves - Winamp [Paused]", "Folk Band", "Green Sleeves"},
      {"3. 茉莉 - 茉莉花 - Winamp [Stopped]", "茉莉", "茉莉花"},
      {"Folk Band - Green Sleeves - Winamp", "Folk Band", "Green Sleeves"},   // no number
      {"7. Green Sleeves - Winamp", "", "Green Sleeves"},                      // no artist
      {"7. Band - Song - Part Two - Winamp", "Band", "Song - Part Two"},       // " - " inside
      {"99. 1999 - 24. 7 Days - Winamp", "1999", "24. 7 Days"},                 // numbers inside
      {"5.Song - Winamp", "", "5.Song"},                                        // no blank: no number
      {"Winamp 5.666 Build 3516", "", ""},                                      // nothing named
      {"", "", ""},
  };
  for (const Row& row : rows) {
    const PlayerTrack track = TrackOfPlayerTitle(row.title);
    EXPECT_EQ(track.artist, row.artist) << row.title;
    EXPECT_EQ(track.title, row.track) << row.title;
  }
}

TEST(LyricMoment, LinesOfOneStampAreOneText) {
  LyricTimeline timeline;
  timeline.count = 4;
  timeline.timesMs = {1000, 2000, 2000, 3000};
  timeline.lineTexts = {"one", "river", "河水", "end"};
  timeline.textOf = {0, 2, 1, 3};  // the tags in time order; the texts in file order
  EXPECT_EQ(FirstOfMoment(timeline, 3), 2);
  EXPECT_EQ(LastOfMoment(timeline, 2), 3);
  EXPECT_EQ(TextOfMoment(timeline, 2, 3), "river / 河水");
  EXPECT_EQ(TextOfMoment(timeline, 4, 4), "end");
}

}  // namespace
