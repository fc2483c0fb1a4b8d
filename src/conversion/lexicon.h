// The morphological lexicon built into the program: every word form of Debian's mecab-ipadic
// (書く 書か 書き 書い …) with its costs and context ids, turned into a table at build time
// (make_lexicon.cpp) and searched in place. Shift-JIS strings, hiragana readings.
//
// Ranking, for a spelling of a whole reading (best first; chosen by measuring on prose with
// bench/prose):
//  1. words in one of their forms (書いた: 書い + た) before sequences of several words (日本を)
//     and before proper nouns and katakana spellings of words that have a kanji spelling;
//  2. the place the large dictionary gives the spelling under the reading (or its stem under
//     the stem's reading: 書 under かk), listed before unlisted;
//  3. at the same place, a spelling listed whole before a word with endings listed through
//     its stem (りすと: リスト before 利すと);
//  4. the lexicon's cost of the word sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace lumeta::lexicon {

// The lexicon's spellings for the whole reading (single words and short grammatical
// sequences), best first by the ranking above, at most `limit`: かいた → 書いた 描いた 欠いた ….
// Never the reading itself, never a stem glued to an ending that is not one of its forms.
std::vector<std::string> spellings(std::string_view reading, std::size_t limit);

// A spelling with its ranking, for merging with other lists: lower compares better.
struct Ranked {
  std::string spelling;
  int tier = 0;          // 0 a word in one of its forms, 1 a sequence of words, 2 placed late
  int listed = 255;      // place in the large dictionary's list, 255 when not listed
  int cost = 0;          // the lexicon's cost of the sequence
  bool single = false;   // one row of the lexicon
  bool by_stem = false;  // listed only through its stem (書いた: 書 under かi)
  auto key() const { return std::tuple(tier, listed, by_stem, cost); }
};
std::vector<Ranked> ranked_spellings(std::string_view reading, std::size_t limit);

// Single lexicon words (kanji and katakana spellings alike) whose reading begins with
// `prefix` (the prefix itself included), best first by the same ranking, at most `limit`:
// がぞ → 画像 …, れいや → レイヤ …; no proper noun but the everyday ones (東京, not 画像技研).
struct Prediction {
  std::string reading;
  std::string spelling;
};
std::vector<Prediction> predictions(std::string_view prefix, std::size_t limit);

// Words the lexicon makes likely right after the word `spelling` read `reading`: particles and
// endings (を に が の は です する …) ranked by the connection cost from that word's right
// context id (its best-ranked row for that reading/spelling), after する for a verbal noun
// (選択) and 。 for a word in its dictionary form (使う); empty if the word is unknown or is
// itself a particle (を).
std::vector<std::string> likely_next(std::string_view reading, std::string_view spelling,
                                     std::size_t limit);

// Number of rows (word forms) in the table.
std::size_t size();

}  // namespace lumeta::lexicon
