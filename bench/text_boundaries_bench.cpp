// How long a screen reader's question for the word or sentence at an offset takes, on texts of
// 1,000, 100,000 and 1,000,000 characters: ordinary Japanese (kana, kanji, katakana, Latin and
// punctuation mixed, sentences of about 40 characters) and the worst case, one run of hiragana
// without a mark, where the piece is the whole text. Offsets in the middle and at the end.
//
//   build/bench/lumeta_text_boundaries_bench
#include <benchmark/benchmark.h>

#include <QString>

#include "text_boundaries.h"

namespace lumeta {
namespace {

QString text_of(int characters, bool one_run) {
  const QString sentence =
      QString::fromUtf8("今日はラーメンを食べに行った。Lumetaで123文字、入力する！\n");
  QString text;
  text.reserve(characters);
  while (text.size() < characters) {
    if (one_run) {
      text += QChar(static_cast<char16_t>(u'あ' + text.size() % 80));
    } else {
      text += sentence;
    }
  }
  text.truncate(characters);
  return text;
}

void BM_PieceAt(benchmark::State& state) {
  const int characters = static_cast<int>(state.range(0));
  const bool one_run = state.range(1) != 0;
  const TextPiece kind = state.range(2) != 0 ? TextPiece::sentence : TextPiece::word;
  const int offset = state.range(3) != 0 ? characters : characters / 2;
  const QString text = text_of(characters, one_run);
  for (auto _ : state) {
    benchmark::DoNotOptimize(piece_at(text, kind, offset));
    benchmark::DoNotOptimize(piece_before(text, kind, offset));
  }
}
// characters, one run (1) or ordinary text (0), sentence (1) or word (0), at the end (1) or in
// the middle (0)
BENCHMARK(BM_PieceAt)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumeta

BENCHMARK_MAIN();
