#include "text_helpers.h"

#include <array>
#include <cstdint>

#include "sjis.h"

namespace lumeta::text {
namespace {

constexpr std::size_t kChar = 2;  // every romaji letter, vowel and kana here is two bytes

// One row of a syllable table: the consonant letters (small, full-width) and the syllable for
// each small vowel ａ ｉ ｕ ｅ ｏ; an empty syllable means the sequence makes none.
struct SyllableRow {
  std::string_view consonants;
  std::array<std::string_view, 5> syllables;
};

constexpr std::array<std::string_view, 5> kVowels = {"ａ", "ｉ", "ｕ", "ｅ", "ｏ"};

constexpr std::array<SyllableRow, 20> kTwoLetters = {{
    {"ｋ", {"か", "き", "く", "け", "こ"}},
    {"ｓ", {"さ", "し", "す", "せ", "そ"}},
    {"ｔ", {"た", "ち", "つ", "て", "と"}},
    {"ｎ", {"な", "に", "ぬ", "ね", "の"}},
    {"ｈ", {"は", "ひ", "ふ", "へ", "ほ"}},
    {"ｍ", {"ま", "み", "む", "め", "も"}},
    {"ｙ", {"や", "", "ゆ", "いぇ", "よ"}},
    {"ｒ", {"ら", "り", "る", "れ", "ろ"}},
    {"ｌ", {"ぁ", "ぃ", "ぅ", "ぇ", "ぉ"}},
    {"ｗ", {"わ", "うぃ", "う", "うぇ", "を"}},
    {"ｂ", {"ば", "び", "ぶ", "べ", "ぼ"}},
    {"ｐ", {"ぱ", "ぴ", "ぷ", "ぺ", "ぽ"}},
    {"ｇ", {"が", "ぎ", "ぐ", "げ", "ご"}},
    {"ｚ", {"ざ", "じ", "ず", "ぜ", "ぞ"}},
    {"ｄ", {"だ", "ぢ", "づ", "で", "ど"}},
    {"ｊ", {"じゃ", "じ", "じゅ", "じぇ", "じょ"}},
    {"ｘ", {"ぁ", "ぃ", "ぅ", "ぇ", "ぉ"}},
    {"ｑ", {"くぁ", "くぃ", "くぅ", "くぇ", "くぉ"}},
    {"ｆ", {"ふぁ", "ふぃ", "ふ", "ふぇ", "ふぉ"}},
    {"ｖ", {"う゛ぁ", "う゛ぃ", "う゛", "う゛ぇ", "う゛ぉ"}},
}};

constexpr std::array<SyllableRow, 30> kThreeLetters = {{
    {"ｘｙ", {"ゃ", "ぃ", "ゅ", "ぇ", "ょ"}},
    {"ｓｈ", {"しゃ", "し", "しゅ", "しぇ", "しょ"}},
    {"ｗｈ", {"うぁ", "うぃ", "", "うぇ", "うぉ"}},
    {"ｋｙ", {"きゃ", "きぃ", "きゅ", "きぇ", "きょ"}},
    {"ｇｙ", {"ぎゃ", "ぎぃ", "ぎゅ", "ぎぇ", "ぎょ"}},
    {"ｑｗ", {"くぁ", "くぃ", "くぅ", "くぇ", "くぉ"}},
    {"ｇｗ", {"ぐぁ", "ぐぃ", "ぐぅ", "ぐぇ", "ぐぉ"}},
    {"ｓｙ", {"しゃ", "しぃ", "しゅ", "しぇ", "しょ"}},
    {"ｚｙ", {"じゃ", "じぃ", "じゅ", "じぇ", "じょ"}},
    {"ｓｗ", {"すぁ", "すぃ", "すぅ", "すぇ", "すぉ"}},
    {"ｔｙ", {"ちゃ", "ちぃ", "ちゅ", "ちぇ", "ちょ"}},
    {"ｃｈ", {"ちゃ", "ち", "ちゅ", "ちぇ", "ちょ"}},
    {"ｃｙ", {"ちゃ", "ちぃ", "ちゅ", "ちぇ", "ちょ"}},
    {"ｄｙ", {"ぢゃ", "ぢぃ", "ぢゅ", "ぢぇ", "ぢょ"}},
    {"ｔｓ", {"つぁ", "つぃ", "つ", "つぇ", "つぉ"}},
    {"ｔｈ", {"てゃ", "てぃ", "てゅ", "てぇ", "てょ"}},
    {"ｄｈ", {"でゃ", "でぃ", "でゅ", "でぇ", "でょ"}},
    {"ｔｗ", {"とぁ", "とぃ", "とぅ", "とぇ", "とぉ"}},
    {"ｄｗ", {"どぁ", "どぃ", "どぅ", "どぇ", "どぉ"}},
    {"ｎｙ", {"にゃ", "にぃ", "にゅ", "にぇ", "にょ"}},
    {"ｈｙ", {"ひゃ", "ひぃ", "ひゅ", "ひぇ", "ひょ"}},
    {"ｆｙ", {"ふゃ", "ふぃ", "ふゅ", "ふぇ", "ふょ"}},
    {"ｂｙ", {"びゃ", "びぃ", "びゅ", "びぇ", "びょ"}},
    {"ｐｙ", {"ぴゃ", "ぴぃ", "ぴゅ", "ぴぇ", "ぴょ"}},
    {"ｍｙ", {"みゃ", "みぃ", "みゅ", "みぇ", "みょ"}},
    {"ｒｙ", {"りゃ", "りぃ", "りゅ", "りぇ", "りょ"}},
    {"ｌｙ", {"りゃ", "りぃ", "りゅ", "りぇ", "りょ"}},
    {"ｘｋ", {"ヵ", "", "", "ヶ", ""}},
    {"ｗｙ", {"", "ゐ", "", "ゑ", ""}},
    {"ｘｔ", {"", "", "っ", "", ""}},
}};

// The one four-letter syllable: ｘｔｓｕ gives っ.
constexpr std::string_view kFourLetterConsonants = "ｘｔｓ";
constexpr std::string_view kFourLetterSyllable = "っ";

// Full-width letters, digits and signs with their half-width forms, in the order they are tried.
struct HalfWidthPair {
  std::string_view full;
  char half;
};

constexpr std::array<HalfWidthPair, 33> kSigns = {{
    {"　", ' '}, {"．", '.'},  {"＠", '@'}, {"－", '-'}, {"＿", '_'}, {"／", '/'}, {"：", ':'},
    {"！", '!'}, {"？", '?'},  {"～", '~'}, {"（", '('}, {"）", ')'}, {"＊", '*'}, {"＃", '#'},
    {"＋", '+'}, {"，", ','},  {"＾", '^'}, {"；", ';'}, {"＜", '<'}, {"＝", '='}, {"＞", '>'},
    {"＄", '$'}, {"￥", '\\'}, {"％", '%'}, {"＆", '&'}, {"［", '['}, {"］", ']'}, {"’", '\''},
    {"｀", '`'}, {"｛", '{'},  {"｜", '|'}, {"｝", '}'}, {"”", '"'},
}};

constexpr std::string_view kCapitalA = "Ａ";  // Ａ..Ｚ and ａ..ｚ and ０..９ are contiguous codes
constexpr std::string_view kSmallA = "ａ";
constexpr std::string_view kDigitZero = "０";

uint16_t code_of(std::string_view ch) {
  return static_cast<uint16_t>((static_cast<unsigned char>(ch[0]) << 8) |
                               static_cast<unsigned char>(ch[1]));
}

std::string char_of(uint16_t code) {
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

int vowel_index(std::string_view ch) {
  for (std::size_t i = 0; i < kVowels.size(); ++i) {
    if (kVowels[i] == ch) return static_cast<int>(i);
  }
  return -1;
}

template <std::size_t N>
std::string_view find_syllable(const std::array<SyllableRow, N>& table, std::string_view consonants,
                               int vowel) {
  const std::string lower = full_width_to_lower(consonants);
  for (const SyllableRow& row : table) {
    if (row.consonants == lower) return row.syllables[vowel];
  }
  return {};
}

}  // namespace

bool is_two_byte_char(std::string_view s) {
  return (!s.empty() && sjis::is_lead_byte(s[0])) || s == "\r\n";
}

std::string delete_last_char(std::string_view s) {
  if (s.size() < 2) return {};
  return std::string(s.substr(0, sjis::previous_boundary(s, s.size())));
}

std::string right_bytes(std::string_view s, std::size_t n) {
  if (s.size() < n) return {};
  return std::string(s.substr(s.size() - n));
}

std::string romaji_to_kana(std::string_view romaji) {
  const std::size_t length = romaji.size();
  if (length < 2 * kChar) return {};
  const int vowel = vowel_index(romaji.substr(length - kChar));
  if (vowel < 0) return {};
  if (length == 2 * kChar) {
    return std::string(find_syllable(kTwoLetters, romaji.substr(0, kChar), vowel));
  }
  if (vowel == 2 && length >= 4 * kChar &&
      full_width_to_lower(romaji.substr(length - 4 * kChar, 3 * kChar)) == kFourLetterConsonants) {
    return std::string(romaji.substr(0, length - 4 * kChar)).append(kFourLetterSyllable);
  }
  const std::string_view three =
      find_syllable(kThreeLetters, romaji.substr(length - 3 * kChar, 2 * kChar), vowel);
  if (!three.empty()) {
    return std::string(romaji.substr(0, length - 3 * kChar)).append(three);
  }
  const std::string_view two =
      find_syllable(kTwoLetters, romaji.substr(length - 2 * kChar, kChar), vowel);
  return std::string(romaji.substr(0, length - 2 * kChar)).append(two);
}

std::string full_width_to_lower(std::string_view s) {
  std::string out(s);
  const uint16_t capital_a = code_of(kCapitalA);
  const uint16_t small_a = code_of(kSmallA);
  for (std::size_t i = 0; i < out.size(); i = sjis::next_boundary(out, i)) {
    if (i + 1 >= out.size() || !sjis::is_lead_byte(out[i])) continue;
    const uint16_t code = code_of(std::string_view(out).substr(i, 2));
    if (code >= capital_a && code < capital_a + 26) {
      const std::string lower = char_of(static_cast<uint16_t>(small_a + (code - capital_a)));
      out[i] = lower[0];
      out[i + 1] = lower[1];
    }
  }
  return out;
}

std::string full_width_char_to_half(std::string_view ch) {
  if (ch.size() == 2) {
    const uint16_t code = code_of(ch);
    const uint16_t capital_a = code_of(kCapitalA);
    const uint16_t small_a = code_of(kSmallA);
    const uint16_t zero = code_of(kDigitZero);
    if (code >= capital_a && code < capital_a + 26)
      return std::string(1, char('A' + code - capital_a));
    if (code >= small_a && code < small_a + 26) return std::string(1, char('a' + code - small_a));
    if (code >= zero && code < zero + 10) return std::string(1, char('0' + code - zero));
    for (const HalfWidthPair& pair : kSigns) {
      if (pair.full == ch) return std::string(1, pair.half);
    }
  }
  return std::string(ch);
}

std::string full_width_to_half(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (sjis::is_lead_byte(s[i]) && i + 1 < s.size()) {
      out += full_width_char_to_half(s.substr(i, 2));
      i += 2;
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string hiragana_to_katakana(std::string_view s) {
  // Row 4 (ぁ 0x829F .. ん 0x82F1) maps cell for cell onto row 5 (ァ 0x8340 ..), whose codes
  // skip 0x837F.
  constexpr uint16_t kFirstHiragana = 0x829F, kLastHiragana = 0x82F1, kFirstKatakana = 0x8340;
  std::string out(s);
  std::size_t i = 0;
  while (i < out.size()) {
    if (sjis::is_lead_byte(out[i]) && i + 1 < out.size()) {
      const uint16_t code = code_of(std::string_view(out).substr(i, 2));
      if (code >= kFirstHiragana && code <= kLastHiragana) {
        uint16_t katakana = static_cast<uint16_t>(kFirstKatakana + (code - kFirstHiragana));
        if (katakana >= 0x837F) ++katakana;
        const std::string k = char_of(katakana);
        out[i] = k[0];
        out[i + 1] = k[1];
      }
      i += 2;
    } else {
      ++i;
    }
  }
  return out;
}

}  // namespace lumeta::text
