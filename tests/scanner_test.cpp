// Scanning: which groups and keys the highlight visits, what the switches do, the one-switch
// timing and its pause, and the same driven through the replay's SWITCH and STEP tokens.
#include "scanner.h"

#include <gtest/gtest.h>

#include <set>

#include "replay_run.h"

namespace lumeta {
namespace {

using testing::replay;
using testing::u;

std::string names(const std::vector<ScanItem>& items) {
  std::string out;
  for (const ScanItem& item : items) {
    if (!out.empty()) out += " | ";
    out += item.name;
  }
  return out;
}

Target strip_entry(TargetKind kind, int number, const char8_t* name) {
  return {kind, number, u(name), {}};
}

TEST(Scanner, GroupsAreRowsWithAKHFirstAndEveryKeyReachable) {
  Scanner scanner(ScanMode::two_switch, 1000);
  EXPECT_EQ(names(scanner.groups()),
            u(u8"A K H | I S M | U T Y | E N R | O Z W | 操作キー | ウィンドウのキー"));
  EXPECT_EQ(scanner.spoken(), u(u8"グループ A K H"));
  // Every key of the key list stands in exactly one group, 送る, 元に戻す, 終了, 休止 and 設定
  // among them; each group ends with 戻る.
  std::multiset<int> reached;
  for (const ScanItem& group : scanner.groups()) {
    ASSERT_FALSE(group.items.empty());
    EXPECT_EQ(group.items.back().name, u(u8"戻る"));
    for (const ScanItem& item : group.items) {
      if (item.target) reached.insert(item.target->number);
    }
  }
  for (const KeyInfo& key : key_list())
    EXPECT_EQ(reached.count(key.number), 1u) << key.token;
  EXPECT_EQ(reached.size(), key_list().size());
}

TEST(Scanner, StripComesFirstWhileItOffersAndAfterTheRowsWithCandidates) {
  Scanner scanner(ScanMode::two_switch, 1000);
  ScanScene scene;
  scene.strip = {strip_entry(TargetKind::offer, 1, u8"を"),
                 strip_entry(TargetKind::offer, 2, u8"が")};
  scene.strip_offers = true;
  scanner.set_scene(scene, 0);
  EXPECT_EQ(scanner.groups().front().name, u(u8"候補"));
  // An offer is two picks away.
  EXPECT_FALSE(scanner.pick(0));
  const std::optional<Target> picked = scanner.pick(0);
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->kind, TargetKind::offer);
  EXPECT_EQ(picked->number, 1);

  scene.strip = {strip_entry(TargetKind::candidate, 1, u8"1 回")};
  scene.strip_offers = false;
  scanner.set_scene(scene, 0);
  EXPECT_EQ(names(scanner.groups()),
            u(u8"A K H | I S M | U T Y | E N R | O Z W | 候補 | 操作キー | ウィンドウのキー"));

  // The picker comes first while shown, each row of its grid a group of its own; the settings
  // panel's items stand alone.
  scene.picker_rows = {{strip_entry(TargetKind::symbol, 0, u8"、")},
                       {strip_entry(TargetKind::symbol, 10, u8"★")}};
  scanner.set_scene(scene, 0);
  EXPECT_EQ(scanner.groups().front().name, u(u8"記号"));
  EXPECT_EQ(names(scanner.groups().front().items), u(u8"記号の1行目 | 記号の2行目 | 戻る"));
  scene.panel = {strip_entry(TargetKind::setting, 0, u8"停留時間"),
                 strip_entry(TargetKind::setting, 1, u8"閉じる")};
  scanner.set_scene(scene, 0);
  EXPECT_EQ(names(scanner.groups()), u(u8"停留時間 | 閉じる"));
  scanner.step(0);
  EXPECT_EQ(scanner.pick(0)->number, 1);
}

TEST(Scanner, TwoSwitchesStepAndPickAndLeaveAGroupByBackOrAFullRound) {
  Scanner scanner(ScanMode::two_switch, 1000);
  // Enter Enter: the row A K H, then A.
  EXPECT_FALSE(scanner.pick(0));
  EXPECT_TRUE(scanner.inside_group());
  EXPECT_EQ(scanner.spoken(), u(u8"キー A"));
  EXPECT_EQ(scanner.pick(0)->number, key::A);
  EXPECT_FALSE(scanner.inside_group());
  EXPECT_EQ(scanner.highlighted().name, "A K H");

  // Space steps; nothing moves by itself with two switches.
  scanner.step(0);
  EXPECT_EQ(scanner.highlighted().name, "I S M");
  EXPECT_FALSE(scanner.tick(60'000));
  scanner.pick(0);
  scanner.step(0);
  scanner.step(0);
  scanner.step(0);
  EXPECT_EQ(scanner.highlighted().name, u(u8"戻る"));
  scanner.pick(0);  // 戻る
  EXPECT_FALSE(scanner.inside_group());
  EXPECT_EQ(scanner.highlighted().name, "I S M");
  scanner.pick(0);
  for (int i = 0; i < 4; ++i)
    scanner.step(0);  // past 戻る
  EXPECT_FALSE(scanner.inside_group());
  EXPECT_EQ(scanner.highlighted().name, "I S M");

  // The last group wraps round to the first.
  for (std::size_t i = 1; i < scanner.groups().size(); ++i)
    scanner.step(0);
  EXPECT_EQ(scanner.highlighted().name, "A K H");
}

TEST(Scanner, OneSwitchMovesEachIntervalAndPausesAfterTwoIdleRounds) {
  Scanner scanner(ScanMode::one_switch, 500);
  EXPECT_FALSE(scanner.tick(499));
  EXPECT_TRUE(scanner.tick(500));
  EXPECT_EQ(scanner.highlighted().name, "I S M");
  // A pick starts the interval over: the first key is there for a whole interval.
  scanner.pick(700);
  EXPECT_FALSE(scanner.tick(1199));
  EXPECT_TRUE(scanner.tick(1200));
  EXPECT_EQ(scanner.highlighted().name, u(u8"キー S"));
  // Past 戻る the group is left; then two idle rounds over the groups, and the scan rests.
  int64_t now = 1200;
  while (scanner.inside_group())
    scanner.tick(now += 500);
  const std::size_t groups = scanner.groups().size();
  for (std::size_t i = 0; i < 2 * groups + 2 && !scanner.paused(); ++i)
    scanner.tick(now += 500);
  EXPECT_TRUE(scanner.paused());
  EXPECT_EQ(scanner.spoken(), u(u8"走査を休止中"));
  EXPECT_FALSE(scanner.tick(now += 5000));
  // The switch only wakes it, on the first group.
  EXPECT_FALSE(scanner.pick(now));
  EXPECT_FALSE(scanner.paused());
  EXPECT_EQ(scanner.highlighted().name, "A K H");
  EXPECT_EQ(scanner.pick(now), std::nullopt);
  EXPECT_EQ(scanner.pick(now)->number, key::A);
}

TEST(ScannerReplay, SwitchAndStepTokensTypeWithTheSimulatedClock) {
  // Two switches: Enter Enter types あ; Space Enter Space Enter types い (the row I S M, then I).
  auto text_after = [](std::vector<std::string> args) {
    const testing::Outcome run = replay(std::move(args));
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out)["text"].get<std::string>();
  };
  EXPECT_EQ(text_after({"--scan=two-switch", "SWITCH", "SWITCH"}), u(u8"あ"));
  EXPECT_EQ(text_after({"--scan=two-switch", "STEP", "SWITCH", "SWITCH"}), u(u8"い"));
  // One switch at 0.5 s: the highlight moves by itself; STEP is one interval passing, DWELL:n
  // n milliseconds. After the row is picked, 600 ms take the highlight from A to K.
  EXPECT_EQ(text_after({"--scan=one-switch", "--scan-interval=0.5", "SWITCH", "SWITCH"}),
            u(u8"あ"));
  EXPECT_EQ(text_after({"--scan=one-switch", "--scan-interval=0.5", "SWITCH", "DWELL:600", "SWITCH",
                        "SWITCH", "SWITCH"}),
            u(u8"か"));
  // With --trace each state says what the highlight is on, as a screen reader hears it.
  const testing::Outcome traced =
      replay({"--scan=two-switch", "--trace", "SWITCH", "STEP", "SWITCH"});
  ASSERT_EQ(traced.status, 0);
  std::istringstream lines(traced.out);
  std::string line;
  std::vector<std::string> spoken;
  while (std::getline(lines, line))
    spoken.push_back(nlohmann::json::parse(line)["scan"].get<std::string>());
  EXPECT_EQ(spoken,
            (std::vector<std::string>{u(u8"キー A"), u(u8"キー K"), u(u8"グループ A K H")}));
  // Unknown modes and intervals are refused.
  EXPECT_EQ(replay({"--scan=three-switch", "SWITCH"}).status, 2);
  EXPECT_EQ(replay({"--scan-interval=fast", "SWITCH"}).status, 2);
}

}  // namespace
}  // namespace lumeta
