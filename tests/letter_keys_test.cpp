#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(RomajiComposition, ConsonantsWaitAndVowelsCompleteSyllables) {
  Lumeta t;
  t.keys("K");
  EXPECT_EQ(t.engine.state().romaji_text, "Ｋ");
  EXPECT_EQ(t.text(), "Ｋ");
  t.keys("A");
  EXPECT_EQ(t.engine.state().kana_text, "か");
  EXPECT_EQ(t.engine.state().romaji_text, "");
  EXPECT_EQ(t.engine.state().front_fixed, "");
  EXPECT_EQ(t.engine.state().front_text, "か");

  EXPECT_EQ(Lumeta().keys("K K A").engine.state().kana_text, "が");
  EXPECT_EQ(Lumeta().keys("K Y A").engine.state().kana_text, "きゃ");
  EXPECT_EQ(Lumeta().keys("T S U").engine.state().kana_text, "つ");
  EXPECT_EQ(Lumeta().keys("N K A").engine.state().kana_text, "んか");
  EXPECT_EQ(Lumeta().keys("N Y A").engine.state().kana_text, "にゃ");
  EXPECT_EQ(Lumeta().keys("CAPS CAPS N Y A").engine.state().kana_text, "にゃ");
  EXPECT_EQ(Lumeta().keys("Y Y K A").engine.state().kana_text, "っか");
  EXPECT_EQ(Lumeta().keys("T T T H O").engine.state().kana_text, "ちょ");  // T T T is Ｃ
  EXPECT_EQ(Lumeta().keys("H H I").engine.state().kana_text, "び");
  EXPECT_EQ(Lumeta().keys("M M M U").engine.state().kana_text, "う゛");
}

TEST(RomajiComposition, RepeatedConsonantDoublesIntoSmallTsu) {
  Lumeta t;
  t.keys("K RIGHT K");  // → resets the tap counts, so the second K is a new Ｋ
  EXPECT_EQ(t.engine.state().romaji_text, "っＫ");
  t.keys("A");
  EXPECT_EQ(t.engine.state().kana_text, "っか");
  Lumeta small;  // the same with small letters
  small.keys("CAPS CAPS K RIGHT K");
  EXPECT_EQ(small.engine.state().romaji_text, "っｋ");
  small.keys("A");
  EXPECT_EQ(small.engine.state().kana_text, "っか");
}

TEST(RomajiComposition, VowelKeysCycleKanaSmallKanaAndLetter) {
  Lumeta t;
  t.keys("A A");
  EXPECT_EQ(t.engine.state().romaji_text, "ぁ");
  t.keys("I");
  EXPECT_EQ(t.engine.state().kana_text, "ぁ");
  EXPECT_EQ(t.engine.state().romaji_text, "い");
  EXPECT_EQ(Lumeta().keys("A A A").engine.state().romaji_text, "Ａ");
  EXPECT_EQ(Lumeta().keys("A A A A").engine.state().romaji_text, "あ");
  Lumeta small;
  small.keys("CAPS CAPS A A A");  // romaji with small letters
  EXPECT_EQ(small.engine.state().romaji_text, "ａ");
}

TEST(RomajiComposition, SignsWaitAndJoinTheReading) {
  Lumeta t;
  t.keys("N N A");  // ん, then あ
  EXPECT_EQ(t.engine.state().kana_text, "ん");
  EXPECT_EQ(t.engine.state().romaji_text, "あ");
  EXPECT_EQ(Lumeta().keys("Z Z Z Z Z").engine.state().romaji_text, "、");
  EXPECT_EQ(Lumeta().keys("Z Z Z Z").engine.state().romaji_text, "！");
  Lumeta dot;
  dot.keys("N N N K A");  // ・ stays in front of the consonant and joins with the syllable
  EXPECT_EQ(dot.engine.state().kana_text, "・か");
  Lumeta space;
  space.keys("W W W K");
  EXPECT_EQ(space.engine.state().kana_text, "　");
  EXPECT_EQ(space.engine.state().romaji_text, "Ｋ");
}

TEST(RomajiComposition, LettersWithoutSyllableVanishWithTheVowel) {
  Lumeta t;
  t.keys("T T T A");  // Ｃ then ａ
  EXPECT_EQ(t.engine.state().kana_text, "");
  EXPECT_EQ(t.text(), "");
}

TEST(RomajiComposition, ReadingIsColouredAndCaretFollowsTheRomaji) {
  Lumeta t;
  t.keys("A RET K A K");
  EXPECT_EQ(t.text(), "あかＫ");
  const std::vector<Segment> expected = {{2, 4, Colour::kana, Style::underline},
                                         {4, 6, Colour::romaji, Style::underline}};
  EXPECT_EQ(t.view.segments(), expected);
  EXPECT_EQ(t.caret(), 6);
  EXPECT_EQ(t.label(), "1行 6列");
}

TEST(RomajiComposition, OnlyLettersDoubleIntoSmallTsu) {
  Lumeta t;
  t.keys("N N N RIGHT N N N");
  EXPECT_EQ(t.text(), "・・");
  Lumeta letters;  // a letter typed twice still doubles into っ
  letters.keys("K RIGHT K A");
  EXPECT_EQ(letters.text(), "っか");
  Lumeta n;
  n.keys("N N RIGHT N N");
  EXPECT_EQ(n.text(), "んん");
}

TEST(AlphabetModes, MultiTapReplacesAndAnotherKeyConfirms) {
  Lumeta t;
  t.keys("MODE A A A");
  EXPECT_EQ(t.text(), "&");
  EXPECT_EQ(t.engine.state().front_fixed, "");
  const std::vector<Segment> blue = {{0, 1, Colour::letter, Style::bold}};
  EXPECT_EQ(t.view.segments(), blue);
  t.keys("K");
  EXPECT_EQ(t.text(), "&K");
  EXPECT_EQ(t.engine.state().front_fixed, "&");
  EXPECT_EQ(Lumeta().keys("MODE N N").text(), "N");
  EXPECT_EQ(Lumeta().keys("MODE Y Y").text(), "-");
  EXPECT_EQ(Lumeta().keys("MODE W W W").text(), " ");
  EXPECT_EQ(Lumeta().keys("MODE CAPS CAPS H").text(), "h");  // small letters
}

TEST(AlphabetModes, FullWidthCycles) {
  Lumeta t;
  t.engine.change_mode(InputMode::full_alphabet);
  t.keys("R R");
  EXPECT_EQ(t.text(), "Ｌ");
  t.keys("R");
  EXPECT_EQ(t.text(), "～");
  t.keys("N N");
  EXPECT_EQ(t.text(), "～・");
  t.keys("Y Y Z Z");
  EXPECT_EQ(t.text(), "～・－．");
}

TEST(NumberModes, HalfWidthDigitsAreConfirmedAtOnce) {
  Lumeta t;
  t.keys("MODE CAPS I S M A K H O Z W");
  EXPECT_EQ(t.text(), "123*0#");
  EXPECT_EQ(t.engine.state().front_fixed, "123*0#");
  EXPECT_TRUE(t.view.segments().empty());
}

TEST(NumberModes, FullWidthDigitsWaitUnconfirmed) {
  Lumeta t;
  t.keys("CAPS I S");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::full_number);
  EXPECT_EQ(t.text(), "１２");
  EXPECT_EQ(t.engine.state().full_width_digits, "１２");
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("RET");
  EXPECT_EQ(t.engine.state().front_fixed, "１２");
  EXPECT_EQ(t.engine.state().full_width_digits, "");
}

TEST(NumberModes, LongRunsOfDigitsAreKeptWhole) {
  Lumeta t;
  t.keys("CAPS");
  for (int i = 0; i < 130; ++i)
    t.keys("I");
  EXPECT_EQ(t.engine.state().full_width_digits.size(), 260u);
  EXPECT_EQ(t.text().size(), 260u);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), std::string(130, '1'));
}

TEST(SymbolMode, LetterKeysTypeNothing) {
  Lumeta t;
  t.keys("MODE MODE A K W");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::symbol);
  EXPECT_EQ(t.text(), "");
  EXPECT_EQ(t.engine.state().key_number, key::W);
}

TEST(LetterKeys, ConfirmAConversionOnDisplayFirst) {
  Lumeta t;
  t.keys("K A I DOWN K");
  EXPECT_EQ(t.engine.state().front_fixed, "回");
  EXPECT_EQ(t.engine.state().romaji_text, "Ｋ");
  EXPECT_EQ(t.text(), "回Ｋ");
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
}

TEST(TextLimit, StopsGrowingAtOneMillionCharacters) {
  Lumeta t;
  std::string big;
  for (std::size_t i = 0; i + 1 < kMaxDisplayChars; ++i)
    big += "あ";
  t.engine.load_text(big, "");
  ASSERT_EQ(t.engine.display().chars(), kMaxDisplayChars - 1);
  t.keys("K");  // one more character: the limit itself
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  t.keys("A");  // Ｋ becomes か: no growth
  EXPECT_EQ(t.engine.state().kana_text, "か");
  EXPECT_EQ(t.view.refused_count(), 0);
  t.keys("K");  // would be one too many: nothing changes, and the view is told
  EXPECT_EQ(t.engine.state().romaji_text, "");
  EXPECT_EQ(t.view.refused_count(), 1);
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  EXPECT_EQ(t.text().size(), 2 * kMaxDisplayChars);
  t.keys("RET RET DOWN RIGHT");
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  EXPECT_EQ(t.text().substr(t.text().size() - 4), "あか");
  t.keys("BS BS");  // shrinking is always allowed
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars - 2);
  EXPECT_TRUE(sjis::is_valid(t.text().substr(t.text().size() - 100)));
  // Undoing a delete-all that would pass the limit is refused too, and stays available.
  const int refused = t.view.refused_count();
  t.keys("DELALL K A K A K A");
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "かかか");
  EXPECT_EQ(t.view.refused_count(), refused + 1);
  EXPECT_TRUE(t.engine.can_undo_delete_all());
  t.keys("BS");  // reaching the limit itself is allowed
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.engine.display().chars(), kMaxDisplayChars);
  EXPECT_EQ(t.view.refused_count(), refused + 1);
}

// A key refused at the limit is taken back whole: the text, its styling, the caret and every
// field of the engine are as they were, typing at the end or in the middle.
TEST(TextLimit, ARefusedKeyLeavesEverythingAsItWas) {
  for (const bool middle : {false, true}) {
    Lumeta t;
    std::string big;
    for (std::size_t i = 0; i + 1 < kMaxDisplayChars; ++i)
      big += i % 40 == 39 ? "\r\n" : "あ";
    const std::size_t split = middle ? big.size() / 4 * 2 : big.size();  // on a boundary
    t.engine.load_text(big.substr(0, split), big.substr(split));
    t.keys("K A");  // か: the text holds 1,000,000 characters
    ASSERT_EQ(t.engine.display().chars(), kMaxDisplayChars);
    const std::string text(t.text());
    const std::vector<Segment> segments = t.view.segments();
    const int caret = t.caret();
    const std::string label = t.label();
    const std::string front_fixed(t.engine.state().front_fixed.view());
    const std::string front_text(t.engine.state().front_text.view());
    const EngineState& e = t.engine.state();
    const std::string kana = e.kana_text, romaji = e.romaji_text;
    const auto taps = e.tap_count;
    const int line = e.caret_line, column = e.caret_column, goal = e.goal_column;
    t.keys("I");  // い would be the 1,000,001st character
    EXPECT_EQ(t.view.refused_count(), 1);
    EXPECT_TRUE(t.text() == text) << middle;
    EXPECT_EQ(t.view.segments(), segments);
    EXPECT_EQ(t.caret(), caret);
    EXPECT_EQ(t.label(), label);
    EXPECT_TRUE(t.engine.state().front_fixed == front_fixed);
    EXPECT_TRUE(t.engine.state().front_text == front_text);
    EXPECT_TRUE(t.engine.state().back_text == big.substr(split));
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
