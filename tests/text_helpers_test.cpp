#include "text_helpers.h"

#include <gtest/gtest.h>

#include <utility>

namespace lumeta::text {
namespace {

TEST(RomajiToKana, SyllablesOfTwoThreeAndFourLetters) {
  const std::pair<const char*, const char*> cases[] = {
      {"ｋａ", "か"},     {"ＫＹａ", "きゃ"}, {"Ｋｙａ", "きゃ"}, {"ｋＹａ", "きゃ"},
      {"ｓｈｉ", "し"},   {"ｔｓｕ", "つ"},   {"ｘｔｓｕ", "っ"}, {"ＸＴＳｕ", "っ"},
      {"ｘｔｕ", "っ"},   {"ｌｙａ", "りゃ"}, {"ｖｕ", "う゛"},   {"ｗｏ", "を"},
      {"ｎａ", "な"},     {"ｊａ", "じゃ"},   {"ｘｋａ", "ヵ"},   {"ｘｋｅ", "ヶ"},
      {"ｗｙｉ", "ゐ"},   {"ｔｈｉ", "てぃ"}, {"ｆｙｏ", "ふょ"}, {"ｃｈｉ", "ち"},
      {"ｑｗａ", "くぁ"}, {"ｘｙｏ", "ょ"},   {"ｄｈｕ", "でゅ"}, {"ｆｕ", "ふ"},
  };
  for (const auto& [romaji, kana] : cases)
    EXPECT_EQ(romaji_to_kana(romaji), kana) << romaji;
}

TEST(RomajiToKana, LettersInFrontSurviveAndGapsGiveNothing) {
  EXPECT_EQ(romaji_to_kana("ｋｋａ"), "ｋか");
  EXPECT_EQ(romaji_to_kana("っｋａ"), "っか");
  EXPECT_EQ(romaji_to_kana("ｂｋａ"), "ｂか");
  EXPECT_EQ(romaji_to_kana("・Ｋａ"), "・か");
  EXPECT_EQ(romaji_to_kana("ｙｉ"), "");
  EXPECT_EQ(romaji_to_kana("ｃａ"), "");  // c makes syllables only as ch and cy
  EXPECT_EQ(romaji_to_kana("ｋＡ"), "");  // the vowel must be small
  EXPECT_EQ(romaji_to_kana("ａ"), "");
  EXPECT_EQ(romaji_to_kana("ｋｙ"), "");        // no vowel at the end
  EXPECT_EQ(romaji_to_kana("ｗｈｕ"), "ｗふ");  // no ｗｈｕ syllable: the last two letters
  EXPECT_EQ(romaji_to_kana("ｘｔａ"), "ｘた");
  EXPECT_EQ(romaji_to_kana("ｙｙｉ"), "ｙ");  // neither ｙｙｉ nor ｙｉ: the letters vanish
}

TEST(DeleteLastChar, RemovesWholeCharacters) {
  EXPECT_EQ(delete_last_char("あい"), "あ");
  EXPECT_EQ(delete_last_char("ab"), "a");
  EXPECT_EQ(delete_last_char("a"), "");
  EXPECT_EQ(delete_last_char(""), "");
  EXPECT_EQ(delete_last_char("x\r\n"), "x");
  EXPECT_EQ(delete_last_char("\r\n"), "");
  // ん is 0x82 0xF1; its second byte lies in the lead-byte range.
  EXPECT_EQ(delete_last_char("ん1"), "ん");
  EXPECT_EQ(delete_last_char("ソ1"), "ソ");
  EXPECT_EQ(delete_last_char("＝＝a"), "＝＝");
  EXPECT_EQ(delete_last_char("＝＝"), "＝");
  EXPECT_EQ(delete_last_char("aｱ"), "a");  // half-width katakana is one byte
}

TEST(RightBytes, LastBytesOrNothing) {
  EXPECT_EQ(right_bytes("あいう", 4), "いう");
  EXPECT_EQ(right_bytes("あいう", 8), "");
  EXPECT_EQ(right_bytes("あいう", 6), "あいう");
}

TEST(Widths, FullToHalfAndLower) {
  EXPECT_EQ(full_width_to_half("１２３"), "123");
  EXPECT_EQ(full_width_to_half("＃０＊"), "#0*");
  EXPECT_EQ(full_width_to_half("あ"), "あ");
  EXPECT_EQ(full_width_to_half("Ａｚ１x"), "Az1x");
  EXPECT_EQ(full_width_to_half("￥～”’　"), "\\~\"' ");
  EXPECT_EQ(full_width_char_to_half("（"), "(");
  EXPECT_EQ(full_width_char_to_half("漢"), "漢");
  EXPECT_EQ(full_width_to_lower("ＡＢｃあＺ"), "ａｂｃあｚ");
}

TEST(HiraganaToKatakana, RowFourToRowFive) {
  EXPECT_EQ(hiragana_to_katakana("きゃ"), "キャ");
  EXPECT_EQ(hiragana_to_katakana("う゛"), "ウ゛");
  EXPECT_EQ(hiragana_to_katakana("みむ"), "ミム");  // across the unassigned code 0x837F
  EXPECT_EQ(hiragana_to_katakana("ぁん"), "ァン");
  EXPECT_EQ(hiragana_to_katakana("とうきょう"), "トウキョウ");
  EXPECT_EQ(hiragana_to_katakana("カナ漢字ーＡ"), "カナ漢字ーＡ");
}

TEST(IsTwoByteChar, LeadBytesAndLineBreak) {
  EXPECT_TRUE(is_two_byte_char("あ"));
  EXPECT_TRUE(is_two_byte_char("\r\n"));
  EXPECT_FALSE(is_two_byte_char("a"));
  EXPECT_FALSE(is_two_byte_char("ｱ"));
}

}  // namespace
}  // namespace lumeta::text
