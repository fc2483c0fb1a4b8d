// Words, sentences and characters of the display's text as a screen reader asks for them: every
// offset answers, the end and an empty text included, and the pieces follow Japanese scripts.
#include "text_boundaries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace lumeta {
namespace {

// The pieces of `kind` of UTF-8 `utf8`, read from the start one piece_after at a time, joined
// by "|".
std::string pieces(const char* utf8, TextPiece kind) {
  const QString text = QString::fromUtf8(utf8);
  QString out;
  TextSpan span = piece_at(text, kind, 0);
  while (span.start >= 0 && span.end > span.start) {
    if (!out.isEmpty()) out += u'|';
    out += text.mid(span.start, span.end - span.start);
    span = piece_after(text, kind, span.start);
  }
  return out.toStdString();
}

TEST(TextBoundaries, WordsAreRunsOfOneScript) {
  EXPECT_EQ(pieces("漢字かなカナabc123", TextPiece::word), "漢字|かな|カナ|abc|123");
  // ー stays with the kana before it; 々 with its kanji; full- and half-width forms are words.
  EXPECT_EQ(pieces("すごーいラーメン人々", TextPiece::word), "すごーい|ラーメン|人々");
  EXPECT_EQ(pieces("ＡＢＣ１２ｶﾞｰﾄﾞ", TextPiece::word), "ＡＢＣ|１２|ｶﾞｰﾄﾞ");
  // Punctuation stands alone, a run of spaces is one piece, a line break is one.
  EXPECT_EQ(pieces("はい、、そう  です\n。", TextPiece::word), "はい|、|、|そう|  |です|\n|。");
  // A long mark after anything but kana reads as katakana.
  EXPECT_EQ(pieces("ー漢ーか", TextPiece::word), "ー|漢|ー|か");
}

TEST(TextBoundaries, SentencesEndAfterTheirMarkOrALineBreak) {
  EXPECT_EQ(pieces("はい。「そう！？」いいえ\n次", TextPiece::sentence),
            "はい。|「そう！？」|いいえ\n|次");
  EXPECT_EQ(pieces("あ\n\nい", TextPiece::paragraph), "あ\n|\n|い");
}

TEST(TextBoundaries, CharactersKeepPairsTogether) {
  EXPECT_EQ(pieces("a𠀋b", TextPiece::character), "a|𠀋|b");
  EXPECT_EQ(piece_at(QString::fromUtf8("a𠀋b"), TextPiece::character, 2), (TextSpan{1, 3}));
}

// Every kind at every offset from before the start to past the end answers with a span inside
// the text that holds the offset, and before and after are its neighbours.
TEST(TextBoundaries, EveryOffsetAnswers) {
  for (const char* utf8 :
       {"", "かなかな", "漢字", "abc def", "漢字とカナとabc、123。\nつぎ。", "。", "\n"}) {
    const QString text = QString::fromUtf8(utf8);
    const int length = static_cast<int>(text.size());
    for (TextPiece kind :
         {TextPiece::character, TextPiece::word, TextPiece::sentence, TextPiece::paragraph}) {
      for (int offset = -1; offset <= length + 1; ++offset) {
        const TextSpan at = piece_at(text, kind, offset);
        const int o = std::clamp(offset, 0, length);
        SCOPED_TRACE(std::string(utf8) + " at " + std::to_string(offset));
        ASSERT_TRUE(at.start >= 0 && at.start <= o && at.end <= length);
        if (o < length) {
          EXPECT_LT(o, at.end);
        } else {
          EXPECT_EQ(at, (TextSpan{length, length}));  // the end is an empty piece
        }
        const TextSpan before = piece_before(text, kind, offset);
        if (at.start > 0) {
          EXPECT_EQ(before.end, at.start);
        }
        if (at.start == 0) {
          EXPECT_EQ(before, TextSpan{});
        }
        const TextSpan after = piece_after(text, kind, offset);
        if (at.end < length) {
          EXPECT_EQ(after.start, at.end);
        }
        if (at.end == length) {
          EXPECT_EQ(after, TextSpan{});
        }
      }
    }
  }
}

}  // namespace
}  // namespace lumeta
