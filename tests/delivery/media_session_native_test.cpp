// The media session's timeline carried forward, and the choice of the player followed.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "delivery/media_timeline.h"
#include "delivery/player_choice.h"

namespace {

constexpr int64_t kMs = 10000;                      // 100 ns units in a ms
constexpr int64_t kNow = 133000000000000000 + 7;    // some moment of 2022, as a FILETIME

TEST(MediaTimeline, PositionIsCarriedForwardOnlyWhilePlaying) {
  struct Case {
    const char* what;
    MediaTimeline timeline;
    bool playing;
    int64_t positionMs;
  };
  const Case cases[] = {
      {"updated 2.5 s ago, playing", {240000 * kMs, 10000 * kMs, kNow - 2500 * kMs}, true, 12500},
      {"updated 2.5 s ago, paused", {240000 * kMs, 10000 * kMs, kNow - 2500 * kMs}, false, 10000},
      {"updated now", {240000 * kMs, 10000 * kMs, kNow}, true, 10000},
      {"updated an hour ago, no end known", {0, 0, kNow - 3600000 * kMs}, true, 3600000},
      {"player's clock 40 ms ahead", {240000 * kMs, 10000 * kMs, kNow + 40 * kMs}, true, 10000},
      {"player's clock far ahead", {240000 * kMs, 10000 * kMs, kNow + 90000 * kMs}, true, 10000},
      {"carried past the end", {240000 * kMs, 239000 * kMs, kNow - 5000 * kMs}, true, 240000},
      {"reported past the end, paused", {240000 * kMs, 250000 * kMs, kNow}, false, 240000},
      {"never updated", {240000 * kMs, 10000 * kMs, 0}, true, 10000},
      {"a negative position", {240000 * kMs, -30 * kMs, kNow}, false, 0},
      {"sub-ms units are cut", {240000 * kMs, 10000 * kMs + 9999, kNow}, false, 10000},
  };
  for (const Case& c : cases) EXPECT_EQ(CarriedPositionMs(c.timeline, c.playing, kNow), c.positionMs) << c.what;
  EXPECT_EQ(TimelineLengthMs({240000 * kMs, 0, 0}), 240000);
  EXPECT_EQ(TimelineLengthMs({}), 0);
}

PlayerReading In(PlayerState state, const char* title = "") {
  PlayerReading reading;
  reading.state = state;
  reading.track.title = title;
  return reading;
}

TEST(PlayerChoice, ClassicPlayingFirstThenSessionPlayingThenTheOneThatPlayedLast) {
  using S = PlayerState;
  using K = PlayerKind;
  struct Case {
    S classic, session;
    K playedLast, followed;
  };
  const Case cases[] = {
      {S::Playing, S::Playing, K::MediaSession, K::Classic},
      {S::Playing, S::Absent, K::MediaSession, K::Classic},
      {S::Paused, S::Playing, K::Classic, K::MediaSession},
      {S::Stopped, S::Playing, K::Classic, K::MediaSession},
      {S::Absent, S::Playing, K::Classic, K::MediaSession},
      {S::Paused, S::Paused, K::MediaSession, K::MediaSession},  // a pause keeps the one paused
      {S::Paused, S::Paused, K::Classic, K::Classic},
      {S::Stopped, S::Paused, K::Classic, K::Classic},
      {S::Absent, S::Absent, K::Classic, K::Classic},
      {S::Absent, S::Paused, K::Classic, K::MediaSession},      // the one that played has gone
      {S::Stopped, S::Absent, K::MediaSession, K::Classic},     // the session closed
      {S::Absent, S::Absent, K::MediaSession, K::MediaSession},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChoosePlayer(In(c.classic), In(c.session), c.playedLast), c.followed)
        << int(c.classic) << " " << int(c.session) << " last " << int(c.playedLast);
}

// A source that hands out scripted readings, one a call.
class Scripted : public PlayerSource {
 public:
  explicit Scripted(std::vector<PlayerReading> readings) : readings_(std::move(readings)) {}
  PlayerReading Read(int64_t) override { return readings_.at(next_++); }

 private:
  std::vector<PlayerReading> readings_;
  size_t next_ = 0;
};

TEST(PlayerChoice, RemembersWhichPlayedLastAcrossReadings) {
  using S = PlayerState;
  auto classic = std::make_unique<Scripted>(std::vector<PlayerReading>{
      In(S::Stopped, "c"), In(S::Paused, "c"), In(S::Paused, "c"), In(S::Playing, "c"), In(S::Paused, "c"), In(S::Paused, "c")});
  auto session = std::make_unique<Scripted>(std::vector<PlayerReading>{
      In(S::Absent), In(S::Playing, "s"), In(S::Paused, "s"), In(S::Paused, "s"), In(S::Paused, "s"), In(S::Absent)});
  PlayerChoice choice(std::move(classic), std::move(session));
  const char* followed[] = {"c", "s", "s", "c", "c", "c"};
  for (const char* title : followed) EXPECT_EQ(choice.Read(0).track.title, title);

  PlayerChoice withoutSession(std::make_unique<Scripted>(std::vector<PlayerReading>{In(S::Paused, "c")}), nullptr);
  EXPECT_EQ(withoutSession.Read(0).track.title, "c");
  EXPECT_EQ(withoutSession.Followed(), PlayerKind::Classic);
}

}  // namespace
