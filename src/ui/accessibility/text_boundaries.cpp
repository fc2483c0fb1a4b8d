#include "text_boundaries.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace lumeta {
namespace {

// The script of a character, for words. `other` characters never join a word, not even one
// another: "、、" is two pieces. A long mark joins hiragana or katakana before it.
enum class Script : uint8_t { other, space, kanji, hiragana, katakana, long_mark, latin, digit };

struct ScriptRange {
  char16_t first;
  char16_t last;
  Script script;
};

// One row per block, in code order; whatever no row holds is `other`.
constexpr ScriptRange kScripts[] = {
    {u'\t', u'\t', Script::space},
    {u' ', u' ', Script::space},
    {u'0', u'9', Script::digit},
    {u'A', u'Z', Script::latin},
    {u'a', u'z', Script::latin},
    {0x00C0, 0x024F, Script::latin},      // À .. ɏ: é, ü read as Latin words
    {0x0391, 0x03C9, Script::latin},      // Α .. ω: other alphabets read as words too
    {0x0401, 0x0451, Script::latin},      // Ё .. ё
    {0x3000, 0x3000, Script::space},      // the full-width space
    {0x3005, 0x3005, Script::kanji},      // 々 repeats the kanji before it: 人々 is one word
    {0x3041, 0x309F, Script::hiragana},   // ぁ .. ゟ, with ゝ ゞ
    {0x30A1, 0x30FA, Script::katakana},   // ァ .. ヺ
    {0x30FC, 0x30FC, Script::long_mark},  // ー: ラーメン, すごーい
    {0x30FD, 0x30FF, Script::katakana},   // ヽ ヾ ヿ
    {0x31F0, 0x31FF, Script::katakana},   // small katakana for Ainu: ㇰ
    {0x3400, 0x4DBF, Script::kanji},
    {0x4E00, 0x9FFF, Script::kanji},
    {0xD800, 0xDFFF, Script::kanji},  // both halves of a pair: kanji beyond the first plane
    {0xF900, 0xFAFF, Script::kanji},
    {0xFF10, 0xFF19, Script::digit},      // ０ .. ９
    {0xFF21, 0xFF3A, Script::latin},      // Ａ .. Ｚ
    {0xFF41, 0xFF5A, Script::latin},      // ａ .. ｚ
    {0xFF66, 0xFF6F, Script::katakana},   // ｦ .. ｯ, half-width
    {0xFF70, 0xFF70, Script::long_mark},  // ｰ
    {0xFF71, 0xFF9F, Script::katakana},   // ｱ .. ﾟ
};

Script script_of(QChar c) {
  const char16_t u = c.unicode();
  for (const ScriptRange& row : kScripts) {
    if (u >= row.first && u <= row.last) return row.script;
  }
  return Script::other;
}

// What a run of long marks ending at `i` reads as: the kana before the run, or katakana when
// there is none ("ー" alone, "漢ー").
Script script_before_marks(const QString& text, int i) {
  while (i >= 0 && script_of(text[i]) == Script::long_mark)
    --i;
  return i >= 0 && script_of(text[i]) == Script::hiragana ? Script::hiragana : Script::katakana;
}

// Whether the character at `i` continues the word of the one before it: in "すごーいね" all
// do, in "漢字かな" the か does not, in "カナabc123" neither a nor 1 does.
bool continues_word(const QString& text, int i) {
  Script before = script_of(text[i - 1]);
  const Script here = script_of(text[i]);
  if (here == Script::long_mark) {
    return before == Script::long_mark || before == Script::hiragana || before == Script::katakana;
  }
  if (before == Script::long_mark) before = script_before_marks(text, i - 1);
  return before == here && here != Script::other;
}

bool is_line_break(QChar c) {
  return c == u'\n' || c == u'\r';
}

// What ends a sentence, and the closing marks that stay with the end: "「はい。」" ends after 」.
constexpr std::u16string_view kSentenceEnds = u"。！？!?｡";
constexpr std::u16string_view kClosers = u"」』）)】〕］]”’";

bool one_of(std::u16string_view set, QChar c) {
  return set.find(c.unicode()) != std::u16string_view::npos;
}

// Whether a sentence starts at `i`: after a line break, or after an end and its closers. In
// "はい。」いいえ！？\n" sentences start at 4 (い) and at 10 (after the line break).
bool starts_sentence(const QString& text, int i) {
  if (is_line_break(text[i - 1])) return true;
  if (one_of(kSentenceEnds, text[i]) || one_of(kClosers, text[i])) return false;
  int j = i - 1;
  while (j > 0 && one_of(kClosers, text[j]))
    --j;
  return one_of(kSentenceEnds, text[j]);
}

// Whether a piece of `kind` starts at `i`, 0 < i < length.
bool starts_piece(const QString& text, TextPiece kind, int i) {
  switch (kind) {
    case TextPiece::character:
      return !(text[i].isLowSurrogate() && text[i - 1].isHighSurrogate());
    case TextPiece::word:
      return !continues_word(text, i);
    case TextPiece::sentence:
      return starts_sentence(text, i);
    case TextPiece::paragraph:
      return is_line_break(text[i - 1]);
  }
  return true;
}

}  // namespace

TextSpan piece_at(const QString& text, TextPiece kind, int offset) {
  const int length = static_cast<int>(text.size());
  const int at = std::clamp(offset, 0, length);
  if (at == length) return {length, length};
  int start = at;
  while (start > 0 && !starts_piece(text, kind, start))
    --start;
  int end = at + 1;
  while (end < length && !starts_piece(text, kind, end))
    ++end;
  return {start, end};
}

TextSpan piece_before(const QString& text, TextPiece kind, int offset) {
  const TextSpan here = piece_at(text, kind, offset);
  return here.start > 0 ? piece_at(text, kind, here.start - 1) : TextSpan{};
}

TextSpan piece_after(const QString& text, TextPiece kind, int offset) {
  const TextSpan here = piece_at(text, kind, offset);
  return here.end < static_cast<int>(text.size()) ? piece_at(text, kind, here.end) : TextSpan{};
}

}  // namespace lumeta
