// Whole-phrase conversion: the lattice of every dictionary word that reads a span of the
// reading, searched for the likeliest spellings of the whole reading under the word trigram
// model (model.h). きょうはいいてんきです → 今日はいい天気です, 今日は良い天気です, ….
//
// The words: the model's (書 + い + た, 今日, は), and for words the model lacks, the large
// dictionary's entries for a whole span (SKK's vocabulary), costing a little more than the
// model's rarest word; spans holding ー or a small vowel also in katakana, as loanwords
// (でぃれくとり → ディレクトリ). Every kana may also stand for itself, so every reading has a
// path.
//
// The search: a forward pass keeps, for each position, the best few paths per last word (its
// context for the trigram) — at most kPathsPerWord for each word and kPathsPerPosition in all
// — and extends each by every word that starts there; the N best whole paths are then read
// back from the end. The work is linear in the reading's length.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model.h"

namespace lumeta::lattice {

inline constexpr std::size_t kPathsPerWord = 3;
inline constexpr std::size_t kPathsPerPosition = 24;

// One word of a phrase: 天気 read てんき.
struct Word {
  std::string reading;                // Shift-JIS hiragana
  std::string spelling;               // Shift-JIS
  model::WordId id = model::kNoWord;  // kNoWord: a word the model lacks, or a lone kana
};

struct Phrase {
  std::string spelling;     // the words' spellings joined: 今日はいい天気です
  std::vector<Word> words;  // 今日 は いい 天気 です
  int cost = 0;             // the model's cost of the whole path from <s>
  // Every two neighbouring words the model knows were seen together (今日 は, 天気 です); false
  // for joins of words never seen side by side (画 ぞ, 大木 な), which writers rarely mean.
  bool attested = true;
};

// A change to a word's cost from outside the model, in model cost units (negative favours
// it): the user's learning. Called for each word of the lattice with its reading and spelling.
using Adjust = std::function<int(std::string_view reading, std::string_view spelling)>;

// The `n` likeliest spellings of the whole `reading` (Shift-JIS hiragana), best first, each
// spelling once (its cheapest path). Empty when the model is missing or the reading is empty
// or not kana.
std::vector<Phrase> convert(std::string_view reading, std::size_t n, const Adjust& adjust = {});

}  // namespace lumeta::lattice
