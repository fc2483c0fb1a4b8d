#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(RomajiComposition, ConsonantsWaitAndVowelsCompleteSyllables) {
  Lumeta t;
  t.keys("K");
  EXPECT_EQ(t.engine.romaji_text, "Ｋ");
  EXPECT_EQ(t.text(), "Ｋ");
  t.keys("A");
  EXPECT_EQ(t.engine.kana_text, "か");
  EXPECT_EQ(t.engine.romaji_text, "");
  EXPECT_EQ(t.engine.front_fixed, "");
  EXPECT_EQ(t.engine.front_text, "か");

  EXPECT_EQ(Lumeta().keys("K K A").engine.kana_text, "が");
  EXPECT_EQ(Lumeta().keys("K Y A").engine.kana_text, "きゃ");
  EXPECT_EQ(Lumeta().keys("T S U").engine.kana_text, "つ");
  EXPECT_EQ(Lumeta().keys("N K A").engine.kana_text, "んか");
  EXPECT_EQ(Lumeta().keys("N Y A").engine.kana_text, "にゃ");
  EXPECT_EQ(Lumeta().keys("Y Y K A").engine.kana_text, "っか");
  EXPECT_EQ(Lumeta().keys("T T T H O").engine.kana_text, "ちょ");  // T T T is Ｃ
  EXPECT_EQ(Lumeta().keys("H H I").engine.kana_text, "び");
  EXPECT_EQ(Lumeta().keys("M M M U").engine.kana_text, "う゛");
}

TEST(RomajiComposition, RepeatedConsonantDoublesIntoSmallTsu) {
  Lumeta t;
  t.keys("K RIGHT K");  // → resets the tap counts, so the second K is a new Ｋ
  EXPECT_EQ(t.engine.romaji_text, "っＫ");
  t.keys("A");
  EXPECT_EQ(t.engine.kana_text, "っか");
}

TEST(RomajiComposition, VowelKeysCycleKanaSmallKanaAndLetter) {
  Lumeta t;
  t.keys("A A");
  EXPECT_EQ(t.engine.romaji_text, "ぁ");
  t.keys("I");
  EXPECT_EQ(t.engine.kana_text, "ぁ");
  EXPECT_EQ(t.engine.romaji_text, "い");
  EXPECT_EQ(Lumeta().keys("A A A").engine.romaji_text, "Ａ");
  EXPECT_EQ(Lumeta().keys("A A A A").engine.romaji_text, "あ");
  Lumeta small;
  small.keys("CAPS CAPS A A A");  // romaji with small letters
  EXPECT_EQ(small.engine.romaji_text, "ａ");
}

TEST(RomajiComposition, SignsWaitAndJoinTheReading) {
  Lumeta t;
  t.keys("N N A");  // ん, then あ
  EXPECT_EQ(t.engine.kana_text, "ん");
  EXPECT_EQ(t.engine.romaji_text, "あ");
  EXPECT_EQ(Lumeta().keys("Z Z Z Z Z").engine.romaji_text, "、");
  EXPECT_EQ(Lumeta().keys("Z Z Z Z").engine.romaji_text, "！");
  Lumeta dot;
  dot.keys("N N N K A");  // ・ stays in front of the consonant and joins with the syllable
  EXPECT_EQ(dot.engine.kana_text, "・か");
  Lumeta space;
  space.keys("W W W K");
  EXPECT_EQ(space.engine.kana_text, "　");
  EXPECT_EQ(space.engine.romaji_text, "Ｋ");
}

TEST(RomajiComposition, LettersWithoutSyllableVanishWithTheVowel) {
  Lumeta t;
  t.keys("T T T A");  // Ｃ then ａ
  EXPECT_EQ(t.engine.kana_text, "");
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

TEST(AlphabetModes, MultiTapReplacesAndAnotherKeyConfirms) {
  Lumeta t;
  t.keys("MODE A A A");
  EXPECT_EQ(t.text(), "&");
  EXPECT_EQ(t.engine.front_fixed, "");
  const std::vector<Segment> blue = {{0, 1, Colour::letter, Style::bold}};
  EXPECT_EQ(t.view.segments(), blue);
  t.keys("K");
  EXPECT_EQ(t.text(), "&K");
  EXPECT_EQ(t.engine.front_fixed, "&");
  EXPECT_EQ(Lumeta().keys("MODE N N").text(), "N");
  EXPECT_EQ(Lumeta().keys("MODE Y Y").text(), "-");
  EXPECT_EQ(Lumeta().keys("MODE W W W").text(), " ");
  EXPECT_EQ(Lumeta().keys("MODE CAPS CAPS H").text(), "h");  // small letters
}

TEST(AlphabetModes, FullWidthCycles) {
  Lumeta t;
  t.engine.Change_MODE(InputMode::full_alphabet);
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
  EXPECT_EQ(t.engine.front_fixed, "123*0#");
  EXPECT_TRUE(t.view.segments().empty());
}

TEST(NumberModes, FullWidthDigitsWaitUnconfirmed) {
  Lumeta t;
  t.keys("CAPS I S");
  EXPECT_EQ(t.engine.input_mode, InputMode::full_number);
  EXPECT_EQ(t.text(), "１２");
  EXPECT_EQ(t.engine.zenkaku_digits, "１２");
  const std::vector<Segment> red = {{0, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(t.view.segments(), red);
  t.keys("RET");
  EXPECT_EQ(t.engine.front_fixed, "１２");
  EXPECT_EQ(t.engine.zenkaku_digits, "");
}

TEST(SymbolMode, LetterKeysTypeNothing) {
  Lumeta t;
  t.keys("MODE MODE A K W");
  EXPECT_EQ(t.engine.input_mode, InputMode::symbol);
  EXPECT_EQ(t.text(), "");
  EXPECT_EQ(t.engine.key_number, 15);
}

TEST(LetterKeys, ConfirmAConversionOnDisplayFirst) {
  Lumeta t;
  t.keys("K A I DOWN K");
  EXPECT_EQ(t.engine.front_fixed, "回");
  EXPECT_EQ(t.engine.romaji_text, "Ｋ");
  EXPECT_EQ(t.text(), "回Ｋ");
  EXPECT_EQ(t.engine.kanji_converting, 0);
}

}  // namespace
}  // namespace lumeta::testing
