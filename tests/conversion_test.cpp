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
  EXPECT_EQ(t.engine.state().candidate_count, 16);
  const std::vector<Segment> maroon = {{0, 2, Colour::kanji, Style::plain}};
  EXPECT_EQ(t.view.segments(), maroon);
  for (int i = 2; i <= 16; ++i)
    t.keys("DOWN");
  EXPECT_EQ(t.text(), t.engine.state().candidate[16]);
  t.keys("DOWN");  // the 17th press: the reading again
  EXPECT_EQ(t.text(), "あい");
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "愛");
}

// ↓ counts its presses for one reading: going round a reading's candidates and back leaves the
// count behind, but the first ↓ on another reading shows that reading's first candidate.
TEST(Conversion, TheFirstDownOnANewReadingShowsItsFirstCandidate) {
  Lumeta t;
  t.keys("K A I");
  for (int i = 0; i < 11; ++i)
    t.keys("DOWN");  // 回 .. and back to かい: index 11
  EXPECT_EQ(t.text(), "かい");
  t.keys("BS BS A I DOWN");  // a new reading あい, not candidate (11 + 1) mod 17
  EXPECT_EQ(t.text(), "愛");
  EXPECT_EQ(t.engine.state().candidate_index, 1);
  t.keys("RET A I DOWN");
  EXPECT_EQ(t.text(), "愛愛");
  Lumeta n;  // round ん's list, クリア, ←, then あき
  n.keys("N N N DOWN DOWN DOWN BS LEFT A K I DOWN");
  EXPECT_EQ(n.text(), "秋");
  Lumeta click;  // the same with a click in the text for ←
  click.keys("A RET N N N DOWN DOWN DOWN BS CARET:0 A K I DOWN");
  EXPECT_EQ(click.text(), "秋あ");
  // ↑ twice takes the candidate off display and ends the count, as クリア does: the next ↓ on
  // the reading, typed again or not, shows its first candidate.
  Lumeta same;
  same.keys("K A I DOWN DOWN UP UP DOWN");
  EXPECT_EQ(same.text(), "回");
  EXPECT_EQ(same.engine.state().candidate_index, 1);
  Lumeta comma;
  comma.keys("Z DOWN UP UP BS Z DOWN");
  EXPECT_EQ(comma.text(), "，");
  Lumeta again;
  again.keys("K A I DOWN UP UP BS BS K A I DOWN");
  EXPECT_EQ(again.text(), "回");
}

TEST(Conversion, LoneNAndVowelAndCursorJoinTheReading) {
  Lumeta t;
  t.keys("S A N DOWN");
  EXPECT_EQ(t.engine.state().kana_text, "さん");
  EXPECT_TRUE(t.engine.state().candidate_shown);
  Lumeta small;  // the same with small letters
  small.keys("CAPS CAPS S A N DOWN");
  EXPECT_EQ(small.engine.state().kana_text, "さん");
  EXPECT_EQ(small.text(), "三");
  Lumeta cursor;
  cursor.keys("A I U LEFT");
  ASSERT_EQ(cursor.engine.state().kana_after_caret, "う");
  cursor.keys("DOWN");
  EXPECT_EQ(cursor.engine.state().kana_text, "あいう");
  EXPECT_EQ(cursor.engine.state().kana_after_caret, "");
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
  EXPECT_EQ(t.engine.state().katakana_shown, 0);
  t.keys("UP DOWN UP");  // ↓ resets the tap counts, so both ↑ presses show katakana
  EXPECT_EQ(t.text(), "トウキョウ");
  t.keys("RET");
  EXPECT_EQ(t.engine.state().front_fixed, "トウキョウ");
  Lumeta n;  // a lone Ｎ is ん here too
  n.keys("S A N UP");
  EXPECT_EQ(n.text(), "サン");
  EXPECT_EQ(n.engine.state().romaji_text, "");
}

TEST(Conversion, ReadingBackAfterKatakanaThenCandidatesIsStillComposed) {
  Lumeta t;
  t.keys("K A I UP DOWN");  // カイ, then 回
  ASSERT_EQ(t.text(), "回");
  for (int i = 0; i < 10; ++i)
    t.keys("DOWN");  // round to the reading
  ASSERT_EQ(t.text(), "かい");
  EXPECT_EQ(t.engine.state().katakana_shown, 0);
  t.keys("BS");  // the clear key takes a character off the reading, as after ↓ alone
  EXPECT_EQ(t.text(), "か");
  t.keys("K A");  // and typing goes on composing the same reading
  EXPECT_EQ(t.engine.reading(), "かか");
  EXPECT_EQ(t.engine.state().front_fixed, "");
}

TEST(Conversion, FullWidthDigitsToHalfWidthAndBack) {
  Lumeta t;
  t.keys("CAPS I S DOWN");
  EXPECT_EQ(t.text(), "12");
  EXPECT_EQ(t.engine.state().half_width_digits, "12");
  const std::vector<Segment> maroon = {{0, 2, Colour::kanji, Style::underline}};
  EXPECT_EQ(t.view.segments(), maroon);
  EXPECT_EQ(t.caret(), 2);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "１２");
  t.keys("DOWN RET");
  EXPECT_EQ(t.engine.state().front_fixed, "12");
  EXPECT_EQ(t.engine.state().kana_text, "");
}

TEST(Conversion, DownExtendsTheLastLine) {
  Lumeta t;
  t.keys("A I RET LEFT DOWN");  // caret in the middle of the only line
  EXPECT_EQ(t.text(), "あい\r\n");
  EXPECT_EQ(t.caret(), 6);
  Lumeta full;
  full.engine.change_mode(InputMode::full_alphabet);
  full.keys("DOWN");
  EXPECT_EQ(full.text(), "　");
  full.keys("K DOWN K");  // the space ends the letter's cycle: the next tap starts anew
  EXPECT_EQ(full.text(), "　Ｋ　Ｋ");
  EXPECT_EQ(Lumeta().keys("MODE DOWN").text(), " ");
  EXPECT_EQ(Lumeta().keys("MODE CAPS I DOWN").text(), "1 ");
}

TEST(Conversion, VerticalMovesKeepTheGoalColumn) {
  Lumeta t;
  // Lines: "あいう" / "a" / "ぁい"
  t.engine.load_text("", "あいう\r\na\r\nぁい");
  t.keys("RIGHT RIGHT");  // column 4 on line 1
  ASSERT_EQ(t.engine.state().caret_column, 4);
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
  t.engine.load_text("", "ab\r\nぁい");
  t.keys("RIGHT RIGHT DOWN");  // goal column 2: between ぁ and い
  EXPECT_EQ(t.caret(), 6);
  Lumeta odd;
  odd.engine.load_text("", "abc\r\nぁい");
  odd.keys("RIGHT RIGHT RIGHT DOWN");  // goal column 3: inside い, so after it
  EXPECT_EQ(odd.caret(), 9);
}

TEST(Conversion, CycleBackToTheReadingKeepsTheWholeReading) {
  Lumeta t;
  t.keys("M E R U LEFT Y Y Y DOWN");
  const int count = t.engine.state().candidate_count;
  for (int i = 0; i < count; ++i)
    t.keys("DOWN");
  EXPECT_EQ(t.text(), "めーる");
  EXPECT_EQ(t.engine.reading(), "めーる");
  t.keys("A");
  EXPECT_EQ(t.text(), "めーるあ");
}

TEST(Conversion, ReadingWithoutCandidatesIsShownAsItStands) {
  Lumeta t;
  t.keys("K A N DOWN");  // かん is not in the dictionary
  EXPECT_EQ(t.engine.state().kana_text, "かん");
  EXPECT_EQ(t.text(), "かん");
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
}

TEST(CandidateStrip, FollowsTheReadingAndTheDownKey) {
  Lumeta t;
  EXPECT_FALSE(t.strip().active);
  t.keys("K A");
  CandidateStrip strip = t.strip();
  EXPECT_TRUE(strip.active);
  EXPECT_EQ(strip.shown, 0);
  t.keys("I");
  strip = t.strip();
  ASSERT_EQ(strip.candidates.size(), 10u);
  EXPECT_EQ(strip.candidates[0], "回");
  EXPECT_EQ(strip.shown, 0);
  t.keys("DOWN DOWN");
  EXPECT_EQ(t.strip().shown, 2);
  Lumeta n;
  n.keys("S A N");  // a lone Ｎ counts as ん, as ↓ would take it
  EXPECT_FALSE(n.strip().candidates.empty());
  EXPECT_EQ(n.engine.state().romaji_text, "Ｎ");  // looking changes nothing
  Lumeta small_n;
  small_n.keys("CAPS CAPS S A N");
  EXPECT_EQ(small_n.strip().candidates.at(0), "三");
  EXPECT_EQ(small_n.engine.state().romaji_text, "ｎ");
  Lumeta alphabet;
  alphabet.keys("MODE A");
  EXPECT_FALSE(alphabet.strip().active);
  // Consonants alone are no reading yet: the strip says nothing, not even that the dictionary
  // has no candidates, until the first kana.
  Lumeta consonant;
  consonant.keys("K");
  EXPECT_FALSE(consonant.strip().active);
  consonant.keys("Y");
  EXPECT_FALSE(consonant.strip().active);
  consonant.keys("A K");  // きゃ, then Ｋ after it
  EXPECT_TRUE(consonant.strip().active);
}

TEST(CandidateStrip, ClickShowsAndConfirms) {
  Lumeta t;
  t.keys("A RET K A I");
  t.keypad.choose_candidate(3);
  EXPECT_EQ(t.text(), "あ" + t.engine.state().candidate[3]);
  EXPECT_EQ(t.engine.state().front_fixed, t.text());
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  EXPECT_EQ(t.engine.state().kana_text, "");
  EXPECT_EQ(t.view.face(key::centre), centre_face(KeyCaption::confirm, false));
  // The same as ↓ three times and the centre key.
  Lumeta keys;
  keys.keys("A RET K A I DOWN DOWN DOWN RET");
  EXPECT_EQ(keys.text(), t.text());
  EXPECT_EQ(keys.engine.state().front_fixed, t.engine.state().front_fixed);
  Lumeta none;
  none.keys("K A N");
  none.keypad.choose_candidate(1);  // no candidates: nothing is confirmed
  EXPECT_EQ(none.engine.state().front_fixed, "");
}

TEST(CandidateStrip, OnlyItsOwnCandidatesCanBeChosen) {
  Lumeta last;  // the tenth and last candidate of かい
  last.keys("K A I");
  last.keypad.choose_candidate(10);
  EXPECT_EQ(last.text(), "快");
  EXPECT_EQ(last.engine.state().front_fixed, "快");
  for (int outside : {0, 11, -1}) {
    Lumeta t;
    t.keys("K A I");
    t.keypad.choose_candidate(outside);
    EXPECT_EQ(t.text(), "かい") << outside;
    EXPECT_EQ(t.engine.state().front_fixed, "") << outside;
    EXPECT_EQ(t.engine.state().candidate_shown, 0) << outside;
  }
}

TEST(CandidateStrip, MarksNoCandidateWhileTheKatakanaIsShown) {
  Lumeta t;
  t.keys("K A I");
  for (int i = 0; i < 11; ++i)
    t.keys("DOWN");  // through the ten candidates and back to かい; the count carries over
  t.keys("BS BS A I UP");
  ASSERT_EQ(t.text(), "アイ");
  EXPECT_TRUE(t.strip().active);
  EXPECT_EQ(t.strip().shown, 0);
  Lumeta back;  // ↑ twice over a conversion: the reading again, no candidate marked
  back.keys("K A I DOWN UP UP");
  ASSERT_EQ(back.text(), "かい");
  EXPECT_EQ(back.strip().shown, 0);
}

TEST(CandidateStrip, MarksNoCandidateForTheKatakanaOfAConversion) {
  Lumeta t;
  t.keys("K A I DOWN DOWN UP");
  ASSERT_EQ(t.text(), "カイ");
  EXPECT_EQ(t.strip().shown, 0);
}

TEST(NumberConversion, HalfWidthFormLeavesNoMarkerAndNoReading) {
  Lumeta left;
  left.keys("CAPS I S DOWN LEFT");
  EXPECT_EQ(left.text(), "12");
  EXPECT_EQ(left.caret(), 1);
  EXPECT_EQ(left.engine.state().kana_text, "");
  EXPECT_EQ(left.engine.state().front_fixed, "1");  // the release re-divided at the caret
  Lumeta up;
  up.keys("CAPS I S DOWN UP");
  EXPECT_EQ(up.text(), "12");
  EXPECT_EQ(up.engine.state().kana_text, "");
  EXPECT_EQ(up.engine.state().half_width_shown, 0);
  Lumeta back;
  back.keys("CAPS I S DOWN DOWN LEFT");  // the marker stays when the full width returns
  EXPECT_EQ(back.text(), "１２");
  EXPECT_EQ(back.caret(), 2);
  Lumeta cleared;
  cleared.keys("CAPS I S DOWN BS LEFT");
  EXPECT_EQ(cleared.text(), "１２");
  EXPECT_EQ(cleared.text().find("XXX"), std::string::npos);
}

TEST(NumberConversion, DigitTypedOverTheHalfWidthFormGoesBackToFullWidth) {
  Lumeta t;
  t.keys("CAPS I S DOWN M");
  EXPECT_EQ(t.text(), "１２３");
  EXPECT_EQ(t.engine.state().half_width_shown, 0);
  EXPECT_EQ(t.engine.state().half_width_digits, "");
  const std::vector<Segment> red = {{0, 6, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "123");
}

}  // namespace
}  // namespace lumeta::testing
