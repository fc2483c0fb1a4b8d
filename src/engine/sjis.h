// Shift-JIS (CP932) character boundaries and conversion to and from UTF-8.
//
// A character is one byte, or two when its first byte is a lead byte (0x81..0x9F, 0xE0..0xFC);
// the line break CR LF counts as one two-byte character. Positions are byte offsets.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumeta::sjis {

constexpr bool is_lead_byte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || b >= 0xE0;
}
constexpr bool is_lead_byte(char c) {
  return is_lead_byte(static_cast<unsigned char>(c));
}

// True when `position` starts a character (or is the end) of the well-formed text `text`.
// Looks back only over the run of lead-range bytes in front of it.
bool is_boundary(std::string_view text, std::size_t position);

// Start of the character that ends at the boundary `position` (> 0).
std::size_t previous_boundary(std::string_view text, std::size_t position);

// End of the character that starts at the boundary `position` (< text.size()).
std::size_t next_boundary(std::string_view text, std::size_t position);

// `position` moved back to the start of the character it falls inside.
std::size_t floor_boundary(std::string_view text, std::size_t position);

// Number of characters, CR LF counting as one.
std::size_t count_chars(std::string_view text);

// Conversions at the program's edges. Invalid input gives nullopt.
std::optional<std::string> to_utf8(std::string_view cp932);
std::optional<std::string> from_utf8(std::string_view utf8);

// Text from one encoding to another through iconv, its descriptor opened once and kept: opening
// one costs far more than converting the few characters most calls convert. Example:
// Converter("CP932", "EUC-JP")("\xA4\xA2") is "\x82\xA0" (あ); nothing for text that does not
// convert whole.
class Converter {
 public:
  Converter(const char* to, const char* from);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const;
  std::optional<std::string> operator()(std::string_view in);

 private:
  void* cd_;  // an iconv_t
};

// Whole valid CP932 characters only, with no lone CR or LF splitting a CR LF.
bool is_valid(std::string_view cp932);

// ---- Character classes ---------------------------------------------------------------------
// What conversion tells apart among two-byte characters, by their code (lead byte << 8 | trail):
// か is 0x82A9, a hiragana; ー is 0x815B, the long-vowel mark; Ａ is 0x8260, a full-width letter.
enum class CharClass { other, full_width_letter, hiragana, long_vowel, katakana_and_more, kanji };

// The code of the two-byte character at `i` (0 when fewer than two bytes are left or the byte
// at `i` is no lead byte).
constexpr unsigned code_at(std::string_view s, std::size_t i) {
  if (i + 1 >= s.size() || !is_lead_byte(s[i])) return 0;
  return static_cast<unsigned>(static_cast<unsigned char>(s[i])) << 8 |
         static_cast<unsigned char>(s[i + 1]);
}

// One row per range of codes; a code in no row is `other` (symbols, punctuation).
struct CharRange {
  unsigned first, last;
  CharClass kind;
};
inline constexpr CharRange kCharRanges[] = {
    {0x815B, 0x815B, CharClass::long_vowel},         // ー
    {0x8260, 0x829A, CharClass::full_width_letter},  // Ａ..Ｚ, ａ..ｚ (romaji still pending)
    {0x829F, 0x82F1, CharClass::hiragana},           // ぁ..ん
    {0x82F2, 0x889E, CharClass::katakana_and_more},  // katakana, Greek, Cyrillic, box lines, …
    {0x889F, 0xFCFC, CharClass::kanji},              // 亜 onwards
};

constexpr CharClass char_class(unsigned code) {
  for (const CharRange& r : kCharRanges) {
    if (code >= r.first && code <= r.last) return r.kind;
  }
  return CharClass::other;
}

// What a reading is made of: one or more hiragana and ー, nothing else (がぞう, らーめん; not
// ガゾウ, not かｋ).
bool is_reading(std::string_view s);
// Only two-byte characters, none a full-width letter: a reading with romaji still pending
// ("かｋ") is not one.
bool no_pending_romaji(std::string_view s);
// Whether some character is a kana or kanji, not only symbols (nor ー alone): 描く, あ; not ⊃.
bool has_letter(std::string_view s);

}  // namespace lumeta::sjis
