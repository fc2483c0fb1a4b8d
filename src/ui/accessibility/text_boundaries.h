// Characters, words, sentences and paragraphs of the display's text as a screen reader asks for
// them. Japanese has no spaces between words, so a word is a run of one script: kanji,
// hiragana (a ー after hiragana stays with it), katakana, Latin letters or digits; each other
// character (punctuation, a symbol, a line break) is a piece of its own and a run of spaces is
// one. A sentence ends after 。！？ (with any closing brackets after them) or a line break; a
// paragraph after a line break. Offsets are UTF-16 units.
//
// Every offset from 0 to the text's length answers, and no loop ever runs past the text's end:
// the end itself is an empty piece [length, length), as is all of an empty text.
#pragma once

#include <QString>

namespace lumeta {

enum class TextPiece { character, word, sentence, paragraph };

struct TextSpan {
  int start = -1;  // -1, -1: there is no such piece
  int end = -1;
  bool operator==(const TextSpan&) const = default;
};

// The piece that holds `offset` (clamped to 0 .. length): in "漢字かなabc", the word at 3 is
// [2, 4) "かな", at 4 [4, 7) "abc", and at 7 (the end) the empty [7, 7).
TextSpan piece_at(const QString& text, TextPiece kind, int offset);
// The piece just before the one at `offset`, and the one just after: in "漢字かなabc" the word
// before 3 is [0, 2) "漢字", the word after 3 is [4, 7) "abc", the word before 7 is "abc";
// none before 0, none after 4 or 7.
TextSpan piece_before(const QString& text, TextPiece kind, int offset);
TextSpan piece_after(const QString& text, TextPiece kind, int offset);

}  // namespace lumeta
