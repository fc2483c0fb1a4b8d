// Dwell: resting presses once per dwell time, leaving cancels, tremors do not, nothing happens
// off the keys, and the pause; then the same through the replay's DWELL:n with key tokens as
// pointer moves.
#include "dwell.h"

#include <gtest/gtest.h>

#include "replay_run.h"

namespace lumeta {
namespace {

using testing::replay;
using testing::u;

constexpr int kWidth = 677, kHeight = 556;

struct Point {
  int x, y;
};
Point centre(int number) {
  const KeyPlace p = find_key(number)->place;
  return {p.left + p.width / 2, p.top + p.height / 2};
}

// Rests the pointer at `at` from `from` to `to`, a report every 10 ms as the window's timer
// gives; returns the keys pressed, by number.
std::vector<int> rest(Dwell& dwell, Point at, int64_t from, int64_t to) {
  std::vector<int> pressed;
  for (int64_t t = from; t <= to; t += 10) {
    if (const std::optional<Target> target = dwell.pointer(at.x, at.y, t)) {
      pressed.push_back(target->number);
    }
  }
  return pressed;
}

TEST(Dwell, RestingPressesOncePerDwellAndSweepingPressesNothing) {
  Dwell dwell(800, kWidth, kHeight);
  EXPECT_EQ(rest(dwell, centre(key::A), 0, 1300), std::vector<int>{key::A});
  EXPECT_GT(dwell.progress(1300), 0.6);  // the next press is on its way
  // Six keys, 0.3 s each: nothing.
  int64_t t = 2000;
  for (int number : {key::K, key::H, key::S, key::M, key::T, key::Y}) {
    EXPECT_TRUE(rest(dwell, centre(number), t, t + 290).empty());
    t += 300;
  }
  // Three dwell periods on K: three presses, the third letter of its cycle.
  EXPECT_EQ(rest(dwell, centre(key::K), 5000, 7400), (std::vector<int>{key::K, key::K, key::K}));
  // Ticks alone (the pointer still) press as well; a late tick presses once.
  dwell.pointer(centre(key::H).x, centre(key::H).y, 8000);
  EXPECT_FALSE(dwell.tick(8790));
  EXPECT_EQ(dwell.tick(10'000)->number, key::H);
  EXPECT_FALSE(dwell.tick(10'010));
}

TEST(Dwell, TremorsKeepTheDwellLeavingCancelsItAndEmptySpaceDoesNothing) {
  Dwell dwell(800, kWidth, kHeight);
  const KeyPlace a = find_key(key::A)->place;
  dwell.pointer(a.left + 5, a.top + 5, 0);
  // Four pixels past the left edge and back: the same dwell goes on.
  EXPECT_FALSE(dwell.pointer(a.left - 4, a.top + 5, 400));
  ASSERT_NE(dwell.current(), nullptr);
  EXPECT_NEAR(dwell.progress(400), 0.5, 0.01);
  EXPECT_EQ(dwell.pointer(a.left + 2, a.top + 6, 800)->number, key::A);
  // Leaving for the gap between keys and coming back starts from nothing.
  dwell.pointer(a.left + 5, a.top + 5, 1000);
  dwell.pointer(a.left + a.width + Dwell::kTremor, a.top + 5, 1500);  // short of K
  EXPECT_EQ(dwell.current(), nullptr);
  EXPECT_FALSE(dwell.pointer(a.left + 5, a.top + 5, 1600));
  EXPECT_FALSE(dwell.pointer(a.left + 5, a.top + 5, 2390));
  EXPECT_TRUE(dwell.pointer(a.left + 5, a.top + 5, 2400));
  // The text, the handset picture: nothing, however long.
  EXPECT_TRUE(rest(dwell, {200, 250}, 3000, 6000).empty());
  // A strip entry given by the window is dwelt on like a key.
  std::vector<Target> targets = key_targets();
  targets.push_back({TargetKind::candidate, 2, "2", {60, 50, 40, 30}});
  dwell.set_targets(targets);
  const std::vector<int> picked = rest(dwell, {70, 60}, 7000, 7800);
  EXPECT_EQ(picked, std::vector<int>{2});
  // Off: nothing at all.
  dwell.set_dwell(0);
  EXPECT_TRUE(rest(dwell, centre(key::A), 9000, 12'000).empty());
}

TEST(Dwell, PauseKeyAndCornersStopAndResume) {
  Dwell dwell(500, kWidth, kHeight);
  EXPECT_EQ(rest(dwell, centre(key::pause), 0, 500), std::vector<int>{key::pause});
  dwell.toggle_pause();  // the window's pause key, as its click does
  EXPECT_TRUE(dwell.paused());
  EXPECT_TRUE(rest(dwell, centre(key::A), 1000, 3000).empty());
  // Only the pause key counts meanwhile.
  EXPECT_EQ(rest(dwell, centre(key::pause), 4000, 4500), std::vector<int>{key::pause});
  dwell.toggle_pause();
  EXPECT_FALSE(dwell.paused());
  // Into a corner and out: paused; again: resumed. Resting there does not toggle again.
  dwell.pointer(2, 2, 5000);
  EXPECT_TRUE(dwell.paused());
  dwell.pointer(3, 3, 5500);
  EXPECT_TRUE(dwell.paused());
  dwell.pointer(200, 200, 5600);
  dwell.pointer(kWidth - 2, kHeight - 2, 5700);
  EXPECT_FALSE(dwell.paused());
  EXPECT_EQ(rest(dwell, centre(key::A), 6000, 6500), std::vector<int>{key::A});
}

TEST(DwellReplay, KeyTokensMoveThePointerAndDwellTokensLetTimePass) {
  auto text_after = [](std::vector<std::string> args) {
    const testing::Outcome run = replay(std::move(args));
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out)["text"].get<std::string>();
  };
  EXPECT_EQ(text_after({"--dwell=0.8", "A", "DWELL:1300"}), u(u8"あ"));
  EXPECT_EQ(text_after({"--dwell=0.8", "A", "DWELL:300", "K", "DWELL:300", "H", "DWELL:300", "S",
                        "DWELL:300", "M", "DWELL:300", "T", "DWELL:300"}),
            "");
  EXPECT_EQ(text_after({"--dwell=0.8", "K", "DWELL:2400"}), u(u8"Ｑ"));
  // The pause key rests dwell until it is dwelt on again.
  EXPECT_EQ(text_after({"--dwell=0.5", "PAUSE", "DWELL:500", "A", "DWELL:2000"}), "");
  EXPECT_EQ(text_after({"--dwell=0.5", "PAUSE", "DWELL:500", "DWELL:600", "A", "DWELL:500"}),
            u(u8"あ"));
  // The state tells how far the dwell has run.
  const testing::Outcome run = replay({"--dwell=0.8", "A", "DWELL:400"});
  EXPECT_EQ(nlohmann::json::parse(run.out)["dwell"],
            nlohmann::json({{"on", "A"}, {"progress", 0.5}}));
  EXPECT_EQ(replay({"--dwell=-1", "A"}).status, 2);
}

}  // namespace
}  // namespace lumeta
