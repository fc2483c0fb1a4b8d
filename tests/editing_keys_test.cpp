#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(ClearKey, EmptyTextStaysEmpty) {
  Lumeta t;
  t.keys("BS");
  EXPECT_EQ(t.text(), "");
  EXPECT_EQ(t.label(), "1行 0列");
}

TEST(ClearKey, StepsBackInTheReadingThenDeletesConfirmedText) {
  Lumeta t;
  t.keys("K A N A BS");
  EXPECT_EQ(t.engine.state().kana_text, "か");
  EXPECT_EQ(t.text(), "か");
  t.keys("RET BS");
  EXPECT_EQ(t.text(), "");
  EXPECT_EQ(t.engine.state().front_fixed, "");
  Lumeta romaji;
  romaji.keys("K A K BS");
  EXPECT_EQ(romaji.engine.state().romaji_text, "");
  EXPECT_EQ(romaji.text(), "か");
}

TEST(ClearKey, CancelsAConversion) {
  Lumeta t;
  t.keys("K A I DOWN BS");
  EXPECT_EQ(t.text(), "かい");
  EXPECT_EQ(t.engine.state().kana_text, "かい");
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  EXPECT_EQ(t.engine.state().candidate_index, 0);
}

TEST(ClearKey, AlphabetAndNumberModes) {
  Lumeta t;
  t.keys("MODE H H BS");  // pending b removed
  EXPECT_EQ(t.text(), "");
  t.keys("A K BS BS");
  EXPECT_EQ(t.text(), "");
  Lumeta digits;
  digits.keys("CAPS I S BS");
  EXPECT_EQ(digits.text(), "１");
  EXPECT_EQ(digits.engine.state().full_width_digits, "１");
}

TEST(ClearKey, KeepsTheReadingBehindTheCursor) {
  Lumeta t;
  t.keys("A I U LEFT LEFT");
  ASSERT_EQ(t.engine.state().kana_after_caret, "いう");
  t.keys("BS");
  EXPECT_EQ(t.engine.state().kana_text, "");
  EXPECT_EQ(t.engine.state().kana_after_caret, "いう");
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
  EXPECT_EQ(romaji.engine.state().kana_after_caret, "い");
}

TEST(ClearKey, CancellingAConversionKeepsTheWholeReading) {
  Lumeta t;
  t.keys("M E R U LEFT Y Y Y");  // め, ー being cycled, る behind the cursor
  ASSERT_EQ(t.engine.reading(), "めーる");
  ASSERT_EQ(t.engine.state().kana_after_caret, "る");
  t.keys("DOWN");
  ASSERT_TRUE(t.engine.state().candidate_shown);
  t.keys("BS");
  EXPECT_EQ(t.text(), "めーる");
  EXPECT_EQ(t.engine.state().kana_text, "めーる");
  t.keys("K A");
  EXPECT_EQ(t.text(), "めーるか");
}

TEST(ClearKey, RemovesAOneByteCharacterAfterATwoByteOne) {
  Lumeta t;
  t.keys("N N RET MODE CAPS I");  // ん, then 1 in half-width number mode
  ASSERT_EQ(t.text(), "ん1");
  t.keys("BS");
  EXPECT_EQ(t.text(), "ん");
  t.keys("BS");
  EXPECT_EQ(t.text(), "");
}

TEST(CentreKey, ConfirmsOrBreaksTheLine) {
  Lumeta t;
  t.keys("RET");
  EXPECT_EQ(t.text(), "\r\n");
  EXPECT_EQ(t.label(), "2行 0列");
  t.keys("RET");
  EXPECT_EQ(t.text(), "\r\n\r\n");
  Lumeta reading;
  reading.keys("K A N A RET");
  EXPECT_EQ(reading.text(), "かな");
  EXPECT_EQ(reading.engine.state().front_fixed, "かな");
  Lumeta letter;
  letter.keys("MODE H H RET");
  EXPECT_EQ(letter.text(), "B");
  EXPECT_EQ(letter.engine.state().front_fixed, "B");
}

TEST(CentreKey, ReleaseDividesTheTextAtTheCaret) {
  Lumeta t;
  t.keys("A I U RET");
  t.keypad.press(key::centre);
  ASSERT_EQ(t.text(), "あいう\r\n");
  t.view.set_caret(2);  // the display's caret moved while the key was held
  t.keypad.release(key::centre);
  EXPECT_EQ(t.engine.state().front_text, "あ");
  EXPECT_EQ(t.engine.state().front_fixed, "あ");
  EXPECT_EQ(t.engine.state().back_text, "いう\r\n");
  t.keys("K A");
  EXPECT_EQ(t.text(), "あかいう\r\n");
  Lumeta taps;  // the release ends every multi-tap cycle
  taps.keys("MODE A A RET");
  for (int k = key::A; k <= kKeyCount; ++k)
    EXPECT_EQ(taps.engine.state().tap_count[k], 0) << k;
}

TEST(CentreKey, LineBreakInTheMiddleKeepsTheRest) {
  Lumeta t;
  t.keys("A I U RET LEFT RET");
  EXPECT_EQ(t.text(), "あい\r\nう");
  EXPECT_EQ(t.caret(), 6);
  EXPECT_EQ(t.label(), "2行 0列");
}

TEST(LeftKey, MovesTheCompositionCursor) {
  Lumeta t;
  t.keys("K A N A T T A LEFT LEFT");
  EXPECT_EQ(t.engine.state().kana_text, "か");
  EXPECT_EQ(t.engine.state().kana_after_caret, "なだ");
  EXPECT_EQ(t.text(), "かなだ");
  EXPECT_EQ(t.caret(), 2);
  t.keys("RIGHT");
  EXPECT_EQ(t.engine.state().kana_text, "かな");
  EXPECT_EQ(t.engine.state().kana_after_caret, "だ");
  Lumeta one;
  one.keys("K A LEFT");
  EXPECT_EQ(one.engine.state().kana_after_caret, "か");
  one.keys("LEFT");
  EXPECT_EQ(one.engine.state().kana_after_caret, "か");
  EXPECT_EQ(one.caret(), 0);
}

TEST(LeftKey, StepsOverLineBreaksAndTwoByteCharacters) {
  Lumeta t;
  t.keys("A RET RET");  // あ CR LF
  t.keys("LEFT");
  EXPECT_EQ(t.caret(), 2);
  EXPECT_EQ(t.label(), "1行 2列");
  EXPECT_EQ(t.engine.state().back_text, "\r\n");  // the release re-divides at the caret
  t.keys("LEFT LEFT");
  EXPECT_EQ(t.caret(), 0);
  EXPECT_EQ(t.label(), "1行 0列");
}

TEST(LeftKey, SetsTheColumnTheVerticalArrowsKeep) {
  Lumeta t;
  t.keys("A I U RET RET RET I U E RET");  // あいう, an empty line, いうえ
  t.keys("LEFT UP UP");
  EXPECT_EQ(t.label(), "1行 4列");
  EXPECT_EQ(t.caret(), 4);
}

TEST(LeftKey, OnAConversionActsOnTheReading) {
  Lumeta left;
  left.keys("K A I DOWN LEFT");
  EXPECT_EQ(left.text(), "かい");
  EXPECT_EQ(left.engine.state().kana_text, "か");
  EXPECT_EQ(left.engine.state().kana_after_caret, "い");
  EXPECT_EQ(left.caret(), 2);
  const std::vector<Segment> red = {{0, 2, Colour::kana, Style::underline},
                                    {2, 4, Colour::kana, Style::underline}};
  EXPECT_EQ(left.view.segments(), red);
  Lumeta right;
  right.keys("K A I DOWN RIGHT");
  EXPECT_EQ(right.text(), "かい");
  EXPECT_EQ(right.engine.state().candidate_shown, 0);
  Lumeta katakana;
  katakana.keys("K A I UP LEFT");
  EXPECT_EQ(katakana.text(), "かい");
  EXPECT_EQ(katakana.engine.state().katakana_shown, 0);
  EXPECT_EQ(katakana.engine.state().kana_after_caret, "い");
}

TEST(RightKey, StepsOverWholeCharacters) {
  Lumeta d;
  d.engine.load_text("", "日a");  // 日 is 0x93 0xFA: its second byte is in the lead-byte range
  d.keys("RIGHT");
  EXPECT_EQ(d.caret(), 2);
  d.keys("RIGHT");
  EXPECT_EQ(d.caret(), 3);
  d.keys("LEFT");
  EXPECT_EQ(d.caret(), 2);
  d.keys("LEFT");
  EXPECT_EQ(d.caret(), 0);
}

TEST(RightKey, TakesAPendingLetterIntoTheReadingBeforeTheCursor) {
  Lumeta t;
  t.keys("A I U LEFT LEFT K RIGHT");
  EXPECT_EQ(t.text(), "あＫいう");
  EXPECT_EQ(t.engine.state().kana_text, "あＫ");
  EXPECT_EQ(t.engine.state().romaji_text, "");
  EXPECT_EQ(t.engine.state().kana_after_caret, "いう");
}

TEST(RightKey, TypesASpaceAtTheEnd) {
  EXPECT_EQ(Lumeta().keys("RIGHT").text(), "　");
  EXPECT_EQ(Lumeta().keys("MODE RIGHT").text(), " ");
  EXPECT_EQ(Lumeta().keys("CAPS RIGHT").text(), " ");
  Lumeta letter;
  letter.keys("MODE H RIGHT");  // something pending: confirmed, no space
  EXPECT_EQ(letter.text(), "H");
  EXPECT_EQ(letter.engine.state().front_fixed, "H");
  Lumeta full;  // the same in full-width alphabet mode
  full.engine.change_mode(InputMode::full_alphabet);
  full.keys("H RIGHT");
  EXPECT_EQ(full.text(), "Ｈ");
  EXPECT_EQ(full.engine.state().front_fixed, "Ｈ");
  full.keys("RIGHT");
  EXPECT_EQ(full.text(), "Ｈ　");
}

TEST(RightKey, ConfirmsPendingDigitsAtTheEnd) {
  Lumeta t;
  t.keys("CAPS I S RIGHT");
  EXPECT_EQ(t.engine.state().front_fixed, "１２");
  EXPECT_EQ(t.engine.state().full_width_digits, "");
  t.keys("M");
  EXPECT_EQ(t.engine.state().full_width_digits, "３");
  Lumeta half;
  half.keys("CAPS I S DOWN RIGHT");
  EXPECT_EQ(half.text(), "12");
  EXPECT_EQ(half.engine.state().half_width_shown, 0);
}

TEST(RightKey, WithTextAfterTheCaretConfirmsAndStays) {
  Lumeta t;
  t.keys("MODE A RET RET LEFT H RIGHT");
  EXPECT_EQ(t.text(), "AH\r\n");
  EXPECT_EQ(t.engine.state().front_fixed, "AH");
  EXPECT_EQ(t.caret(), 2);
}

TEST(Division, ClickedCaretIsTheInsertionPoint) {
  Lumeta t;
  t.keys("A I U RET CARET:2");
  EXPECT_EQ(t.label(), "1行 2列");
  EXPECT_EQ(t.engine.state().front_text, "あ");
  EXPECT_EQ(t.engine.state().back_text, "いう");
  t.keys("K A");  // typing goes on where the user clicked
  EXPECT_EQ(t.text(), "あかいう");
  t.keys("RET CARET:2 BS");
  EXPECT_EQ(t.text(), "かいう");
  t.keys("CARET:6 LEFT K");
  EXPECT_EQ(t.text(), "かいＫう");
  // The arrow then acts from the clicked place: no space appended out of sight at the end.
  Lumeta right;
  right.keys("A I RET CARET:0 RIGHT");
  EXPECT_EQ(right.text(), "あい");
  EXPECT_EQ(right.caret(), 2);
  right.keys("CARET:0 RET");  // a line break where the user clicked
  EXPECT_EQ(right.text(), "\r\nあい");
}

TEST(Division, AClickConfirmsWhatIsPendingAsShown) {
  struct Case {
    const char* keys;
    const char* shown;
  };
  for (const Case& c : {Case{"K A I CARET:0", "かい"}, Case{"K A I DOWN CARET:0", "回"},
                        Case{"K A UP CARET:0", "カ"}, Case{"K A I LEFT CARET:0", "かい"},
                        Case{"MODE K CARET:0", "K"}, Case{"CAPS I S CARET:0", "１２"},
                        Case{"CAPS I S DOWN CARET:0", "12"}, Case{"N N N CARET:0", "・"}}) {
    Lumeta t;
    t.keys(c.keys);
    EXPECT_EQ(t.text(), c.shown) << c.keys;
    EXPECT_EQ(t.engine.state().front_text, "") << c.keys;
    EXPECT_EQ(t.engine.state().back_text, c.shown) << c.keys;
    EXPECT_EQ(t.engine.composition_length(), 0) << c.keys;
    EXPECT_EQ(t.engine.state().full_width_digits, "") << c.keys;
    EXPECT_EQ(t.engine.state().candidate_shown + t.engine.state().katakana_shown +
                  t.engine.state().half_width_shown,
              0)
        << c.keys;
    EXPECT_EQ(t.caret(), 0) << c.keys;
  }
  Lumeta t;
  t.keys("K A I DOWN CARET:2 A");
  EXPECT_EQ(t.text(), "回あ");
}

}  // namespace
}  // namespace lumeta::testing
