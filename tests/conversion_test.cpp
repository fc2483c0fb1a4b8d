#include "conversion.h"

#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(Conversion, DownCyclesTheCandidatesAndBackToTheReading) {
  Lumeta t;
  t.keys("A I");
  ASSERT_EQ(t.engine.reading(), "あい");
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "愛");
  EXPECT_EQ(t.engine.candidate_count, 16);
  const std::vector<Segment> maroon = {{0, 2, Colour::kanji, Style::plain}};
  EXPECT_EQ(t.view.segments(), maroon);
  for (int i = 2; i <= 16; ++i)
    t.keys("DOWN");
  EXPECT_EQ(t.text(), t.engine.candidate[16]);
  t.keys("DOWN");  // the 17th press: the reading again
  EXPECT_EQ(t.text(), "あい");
  EXPECT_EQ(t.engine.kanji_converting, 0);
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "愛");
}

TEST(Conversion, CandidateIndexCarriesOverUntilConfirmed) {
  Lumeta t;
  t.keys("K A I");
  for (int i = 0; i < 11; ++i)
    t.keys("DOWN");  // 回 .. and back to かい: index 11
  EXPECT_EQ(t.text(), "かい");
  t.keys("BS BS A I DOWN");  // a new reading あい starts at (11 + 1) mod 17
  EXPECT_EQ(t.text(), t.engine.candidate[12]);
  t.keys("RET A I DOWN");
  EXPECT_EQ(t.engine.front_fixed, t.engine.candidate[12]);
  EXPECT_EQ(t.text(), std::string(t.engine.candidate[12]) + "愛");
}

TEST(Conversion, LoneNAndVowelAndCursorJoinTheReading) {
  Lumeta t;
  t.keys("S A N DOWN");
  EXPECT_EQ(t.engine.kana_text, "さん");
  EXPECT_TRUE(t.engine.kanji_converting);
  Lumeta cursor;
  cursor.keys("A I U LEFT");
  ASSERT_EQ(cursor.engine.kana_after_caret, "う");
  cursor.keys("DOWN");
  EXPECT_EQ(cursor.engine.kana_text, "あいう");
  EXPECT_EQ(cursor.engine.kana_after_caret, "");
}

TEST(Conversion, UpShowsKatakanaAndBack) {
  Lumeta t;
  t.keys("T O U K Y O U");
  ASSERT_EQ(t.engine.reading(), "とうきょう");
  t.keys("UP");
  EXPECT_EQ(t.text(), "トウキョウ");
  const std::vector<Segment> orange = {{0, 10, Colour::katakana, Style::plain}};
  EXPECT_EQ(t.view.segments(), orange);
  EXPECT_EQ(t.engine.reading(), "とうきょう");
  t.keys("UP");
  EXPECT_EQ(t.text(), "とうきょう");
  EXPECT_EQ(t.engine.katakana_shown, 0);
  t.keys("UP DOWN UP");  // ↓ resets the tap counts, so both ↑ presses show katakana
  EXPECT_EQ(t.text(), "トウキョウ");
  t.keys("RET");
  EXPECT_EQ(t.engine.front_fixed, "トウキョウ");
}

TEST(Conversion, ReadingBackAfterKatakanaThenCandidatesIsStillComposed) {
  Lumeta t;
  t.keys("K A I UP DOWN");  // カイ, then 回
  ASSERT_EQ(t.text(), "回");
  for (int i = 0; i < 10; ++i)
    t.keys("DOWN");  // round to the reading
  ASSERT_EQ(t.text(), "かい");
  EXPECT_EQ(t.engine.katakana_shown, 0);
  t.keys("BS");  // the clear key takes a character off the reading, as after ↓ alone
  EXPECT_EQ(t.text(), "か");
  t.keys("K A");  // and typing goes on composing the same reading
  EXPECT_EQ(t.engine.reading(), "かか");
  EXPECT_EQ(t.engine.front_fixed, "");
}

TEST(Conversion, FullWidthDigitsToHalfWidthAndBack) {
  Lumeta t;
  t.keys("CAPS I S DOWN");
  EXPECT_EQ(t.text(), "12");
  EXPECT_EQ(t.engine.number_conversion, "12");
  const std::vector<Segment> maroon = {{0, 2, Colour::kanji, Style::underline}};
  EXPECT_EQ(t.view.segments(), maroon);
  EXPECT_EQ(t.caret(), 2);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "１２");
  t.keys("DOWN RET");
  EXPECT_EQ(t.engine.front_fixed, "12");
  EXPECT_EQ(t.engine.kana_text, "");
}

TEST(Conversion, DownExtendsTheLastLine) {
  Lumeta t;
  t.keys("A I RET LEFT DOWN");  // caret in the middle of the only line
  EXPECT_EQ(t.text(), "あい\r\n");
  EXPECT_EQ(t.caret(), 6);
  Lumeta full;
  full.engine.Change_MODE(InputMode::full_alphabet);
  full.keys("DOWN");
  EXPECT_EQ(full.text(), "　");
  EXPECT_EQ(Lumeta().keys("MODE DOWN").text(), " ");
  EXPECT_EQ(Lumeta().keys("MODE CAPS I DOWN").text(), "1 ");
}

TEST(Conversion, VerticalMovesKeepTheGoalColumn) {
  Lumeta t;
  // Lines: "あいう" / "a" / "ぁい"
  t.engine.back_text = "あいう\r\na\r\nぁい";
  t.engine.mode_romaji_Show();
  t.keys("RIGHT RIGHT");  // column 4 on line 1
  ASSERT_EQ(t.engine.caret_column, 4);
  t.keys("DOWN");  // line 2 is shorter: its end
  EXPECT_EQ(t.caret(), 9);
  EXPECT_EQ(t.label(), "2行 1列");
  t.keys("DOWN");  // the goal column is kept: column 4 of line 3
  EXPECT_EQ(t.label(), "3行 4列");
  EXPECT_EQ(t.caret(), 15);
  t.keys("UP UP");
  EXPECT_EQ(t.label(), "1行 4列");
  t.keys("UP");  // the first line: nothing moves
  EXPECT_EQ(t.label(), "1行 4列");
  EXPECT_EQ(t.caret(), 4);
}

TEST(Conversion, GoalColumnInsideATwoByteCharacter) {
  Lumeta t;
  t.engine.back_text = "ab\r\nぁい";
  t.engine.mode_romaji_Show();
  t.keys("RIGHT RIGHT DOWN");  // goal column 2: between ぁ and い
  EXPECT_EQ(t.caret(), 6);
  Lumeta odd;
  odd.engine.back_text = "abc\r\nぁい";
  odd.engine.mode_romaji_Show();
  odd.keys("RIGHT RIGHT RIGHT DOWN");  // goal column 3: inside い, so after it
  EXPECT_EQ(odd.caret(), 9);
}

}  // namespace
}  // namespace lumeta::testing

namespace lumeta::testing {
namespace {

TEST(CandidateStrip, FollowsTheReadingAndTheDownKey) {
  Lumeta t;
  EXPECT_FALSE(candidate_strip(t.engine).active);
  t.keys("K A");
  CandidateStrip strip = candidate_strip(t.engine);
  EXPECT_TRUE(strip.active);
  EXPECT_TRUE(strip.candidates.empty() || strip.candidates[0] != "");
  t.keys("I");
  strip = candidate_strip(t.engine);
  ASSERT_EQ(strip.candidates.size(), 10u);
  EXPECT_EQ(strip.candidates[0], "回");
  EXPECT_EQ(strip.shown, 0);
  t.keys("DOWN DOWN");
  EXPECT_EQ(candidate_strip(t.engine).shown, 2);
  Lumeta n;
  n.keys("S A N");  // a lone Ｎ counts as ん, as ↓ would take it
  EXPECT_FALSE(candidate_strip(n.engine).candidates.empty());
  EXPECT_EQ(n.engine.romaji_text, "Ｎ");  // looking changes nothing
  Lumeta alphabet;
  alphabet.keys("MODE A");
  EXPECT_FALSE(candidate_strip(alphabet.engine).active);
}

TEST(CandidateStrip, ClickShowsAndConfirms) {
  Lumeta t;
  t.keys("A RET K A I");
  t.keypad.choose_candidate(3);
  EXPECT_EQ(t.text(), "あ" + t.engine.candidate[3]);
  EXPECT_EQ(t.engine.front_fixed, t.text());
  EXPECT_EQ(t.engine.kanji_converting, 0);
  EXPECT_EQ(t.engine.kana_text, "");
  EXPECT_EQ(t.view.face(18), centre_face(KeyCaption::confirm, false));
  // The same as ↓ three times and the centre key.
  Lumeta keys;
  keys.keys("A RET K A I DOWN DOWN DOWN RET");
  EXPECT_EQ(keys.text(), t.text());
  EXPECT_EQ(keys.engine.front_fixed, t.engine.front_fixed);
  Lumeta none;
  none.keys("K A N");
  none.keypad.choose_candidate(1);  // no candidates: nothing is confirmed
  EXPECT_EQ(none.engine.front_fixed, "");
}

}  // namespace
}  // namespace lumeta::testing
