// Places where the straightforward reading of the key rules would lose or garble text, and
// what the keys do instead.
#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(Mended, ClearKeyWithReadingBehindTheCursorKeepsIt) {
  Lumeta t;
  t.keys("A I U LEFT LEFT");
  ASSERT_EQ(t.engine.kana_after_caret, "いう");
  t.keys("BS");
  EXPECT_EQ(t.engine.kana_text, "");
  EXPECT_EQ(t.engine.kana_after_caret, "いう");
  EXPECT_EQ(t.text(), "いう");
  EXPECT_EQ(t.caret(), 0);
  t.keys("BS");  // at the start of the reading: nothing to remove
  EXPECT_EQ(t.text(), "いう");
  t.keys("K A");
  EXPECT_EQ(t.text(), "かいう");
  EXPECT_EQ(t.caret(), 2);

  Lumeta romaji;
  romaji.keys("A I LEFT K BS");
  EXPECT_EQ(romaji.text(), "あい");
  EXPECT_EQ(romaji.engine.kana_after_caret, "い");
}

TEST(Mended, CancellingAConversionKeepsTheWholeReading) {
  Lumeta t;
  t.keys("M E R U LEFT Y Y Y");  // め, ー being cycled, る behind the cursor
  ASSERT_EQ(t.engine.reading(), "めーる");
  ASSERT_EQ(t.engine.kana_after_caret, "る");
  t.keys("DOWN");
  ASSERT_TRUE(t.engine.kanji_converting);
  t.keys("BS");
  EXPECT_EQ(t.text(), "めーる");
  EXPECT_EQ(t.engine.kana_text, "めーる");
  t.keys("K A");
  EXPECT_EQ(t.text(), "めーるか");
}

TEST(Mended, CandidateCycleBackToTheReadingKeepsTheWholeReading) {
  Lumeta t;
  t.keys("M E R U LEFT Y Y Y DOWN");
  const int count = t.engine.candidate_count;
  for (int i = 0; i < count; ++i)
    t.keys("DOWN");
  EXPECT_EQ(t.text(), "めーる");
  EXPECT_EQ(t.engine.reading(), "めーる");
  t.keys("A");
  EXPECT_EQ(t.text(), "めーるあ");
}

TEST(Mended, NumberMarkerNeverShowsAndIsNoReading) {
  Lumeta left;
  left.keys("CAPS I S DOWN LEFT");
  EXPECT_EQ(left.text(), "12");
  EXPECT_EQ(left.caret(), 1);
  EXPECT_EQ(left.engine.kana_text, "");
  EXPECT_EQ(left.engine.front_fixed, "1");  // the release re-divided at the caret
  Lumeta up;
  up.keys("CAPS I S DOWN UP");
  EXPECT_EQ(up.text(), "12");
  EXPECT_EQ(up.engine.kana_text, "");
  EXPECT_EQ(up.engine.number_converting, 0);
  Lumeta back;
  back.keys("CAPS I S DOWN DOWN LEFT");  // the marker stays when the full width returns
  EXPECT_EQ(back.text(), "１２");
  EXPECT_EQ(back.caret(), 2);
  Lumeta cleared;
  cleared.keys("CAPS I S DOWN BS LEFT");
  EXPECT_EQ(cleared.text(), "１２");
  EXPECT_EQ(cleared.text().find("XXX"), std::string::npos);
}

TEST(Mended, LongRunsOfDigitsAreKeptWhole) {
  Lumeta t;
  t.keys("CAPS");
  for (int i = 0; i < 130; ++i)
    t.keys("I");
  EXPECT_EQ(t.engine.zenkaku_digits.size(), 260u);
  EXPECT_EQ(t.text().size(), 260u);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), std::string(130, '1'));
}

TEST(Mended, DigitTypedOverTheHalfWidthFormGoesBackToFullWidth) {
  Lumeta t;
  t.keys("CAPS I S DOWN M");
  EXPECT_EQ(t.text(), "１２３");
  EXPECT_EQ(t.engine.number_converting, 0);
  EXPECT_EQ(t.engine.number_conversion, "");
  const std::vector<Segment> red = {{0, 6, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "123");
}

TEST(Mended, ClearKeyAfterOneByteBehindATwoByteCharacter) {
  Lumeta t;
  t.keys("N N RET MODE CAPS I");  // ん, then 1 in half-width number mode
  ASSERT_EQ(t.text(), "ん1");
  t.keys("BS");
  EXPECT_EQ(t.text(), "ん");
  t.keys("BS");
  EXPECT_EQ(t.text(), "");
}

TEST(Mended, ReadingWithoutCandidatesIsShownAsItNowStands) {
  Lumeta t;
  t.keys("K A N DOWN");  // かん is not in the dictionary
  EXPECT_EQ(t.engine.kana_text, "かん");
  EXPECT_EQ(t.text(), "かん");
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  EXPECT_EQ(t.engine.kanji_converting, 0);
}

TEST(Mended, ArrowsOnACandidateActOnTheReading) {
  Lumeta left;
  left.keys("K A I DOWN LEFT");
  EXPECT_EQ(left.text(), "かい");
  EXPECT_EQ(left.engine.kana_text, "か");
  EXPECT_EQ(left.engine.kana_after_caret, "い");
  EXPECT_EQ(left.caret(), 2);
  const std::vector<Segment> red = {{0, 2, Colour::kana, Style::underline},
                                    {2, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(left.view.segments(), red);
  Lumeta right;
  right.keys("K A I DOWN RIGHT");
  EXPECT_EQ(right.text(), "かい");
  EXPECT_EQ(right.engine.kanji_converting, 0);
  Lumeta katakana;
  katakana.keys("K A I UP LEFT");
  EXPECT_EQ(katakana.text(), "かい");
  EXPECT_EQ(katakana.engine.katakana_shown, 0);
  EXPECT_EQ(katakana.engine.kana_after_caret, "い");
}

TEST(Mended, TextStopsGrowingAtOneMillionCharacters) {
  Lumeta t;
  std::string big;
  for (std::size_t i = 0; i + 1 < kMaxDisplayChars; ++i)
    big += "あ";
  t.engine.front_fixed = t.engine.front_text = big;
  t.engine.mode_romaji_Show();
  ASSERT_EQ(t.engine.display().chars(), kMaxDisplayChars - 1);
  t.keys("K");  // one more character: the limit itself
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  t.keys("A");  // Ｋ becomes か: no growth
  EXPECT_EQ(t.engine.kana_text, "か");
  t.keys("K");  // would be one too many: nothing changes
  EXPECT_EQ(t.engine.romaji_text, "");
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  EXPECT_EQ(t.text().size(), 2 * kMaxDisplayChars);
  t.keys("RET RET DOWN RIGHT");
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  EXPECT_EQ(t.text().substr(t.text().size() - 4), "あか");
  t.keys("BS BS");  // shrinking is always allowed
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars - 2);
  EXPECT_TRUE(sjis::is_valid(t.text().substr(t.text().size() - 100)));
}

// A key refused at the limit is taken back whole: the text, its styling, the caret and every
// field of the engine are as they were, typing at the end or in the middle.
TEST(Mended, ARefusedKeyLeavesEverythingAsItWas) {
  for (const bool middle : {false, true}) {
    Lumeta t;
    std::string big;
    for (std::size_t i = 0; i + 1 < kMaxDisplayChars; ++i)
      big += i % 40 == 39 ? "\r\n" : "あ";
    const std::size_t split = middle ? big.size() / 4 * 2 : big.size();  // on a boundary
    t.engine.front_fixed = t.engine.front_text = big.substr(0, split);
    t.engine.back_text = big.substr(split);
    t.engine.mode_romaji_Show();
    t.keys("K A");  // か: the text holds 1,000,000 characters
    ASSERT_EQ(t.engine.display().chars(), kMaxDisplayChars);
    const std::string text(t.text());
    const std::vector<Segment> segments = t.view.segments();
    const int caret = t.caret();
    const std::string label = t.label();
    const std::string front_fixed(t.engine.front_fixed.view());
    const std::string front_text(t.engine.front_text.view());
    const EngineState& e = t.engine;
    const std::string kana = e.kana_text, romaji = e.romaji_text;
    const auto taps = e.tap_count;
    const int line = e.caret_line, column = e.caret_column, goal = e.goal_column;
    t.keys("I");  // い would be the 1,000,001st character
    EXPECT_TRUE(t.text() == text) << middle;
    EXPECT_EQ(t.view.segments(), segments);
    EXPECT_EQ(t.caret(), caret);
    EXPECT_EQ(t.label(), label);
    EXPECT_TRUE(t.engine.front_fixed == front_fixed);
    EXPECT_TRUE(t.engine.front_text == front_text);
    EXPECT_TRUE(t.engine.back_text == big.substr(split));
    EXPECT_EQ(e.kana_text, kana);
    EXPECT_EQ(e.romaji_text, romaji);
    EXPECT_EQ(e.tap_count, taps);
    EXPECT_EQ(e.caret_line, line);
    EXPECT_EQ(e.caret_column, column);
    EXPECT_EQ(e.goal_column, goal);
    EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
    t.keys("DOWN RET BS");  // 下 confirmed and cleared again
    EXPECT_TRUE(t.text() == big) << middle;
  }
}

}  // namespace
}  // namespace lumeta::testing
