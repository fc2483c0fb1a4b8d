// The word trigram model built into the program: Debian's libkkc-data conversion model, turned
// into a table at build time (tables/make_model.cpp) and read in place. It tells how likely a
// spelling of a reading is after the one or two words before it: after <s> きょう is 今日
// rather than 京, after 今日 は the word いい is more likely than 飯.
//
// Words are (reading, spelling) pairs with ids; the verbs' stems stand apart from their
// endings (書 + い + た, 使 + わ + ない). Costs are -log10 of a probability in steps of 1/8192
// (lower is likelier), with back-off where the model lacks a pair or triple, so they add up
// along a sentence. Shift-JIS strings, hiragana readings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lumeta::model {

using WordId = uint32_t;
inline constexpr WordId kNoWord = UINT32_MAX;
// The sentence's start and end, as the model counts them.
inline constexpr WordId kSentenceStart = 0;
inline constexpr WordId kSentenceEnd = 1;
// One tenth of probability in cost units: a word 10 times likelier costs this much less.
inline constexpr int kDecade = 8192;

// Ids [begin, end): words are sorted by reading, and within one reading best first.
struct WordRange {
  WordId begin = 0, end = 0;
  bool empty() const { return begin == end; }
};

// The words read exactly `reading`, best first (きょう → 今日 京 経 …).
WordRange words_read(std::string_view reading);
// The words whose reading begins with `prefix` (the prefix itself included), in reading order.
WordRange words_starting(std::string_view prefix);
// The word read `reading` and spelled `spelling`, or kNoWord.
WordId find(std::string_view reading, std::string_view spelling);

std::string_view reading_of(WordId word);
std::string_view spelling_of(WordId word);

// The cost of `word` after the words before it; kNoWord for a word the model lacks counts as
// the sentence's start before it (and costs `unknown_cost()` itself).
int unigram_cost(WordId word);
int bigram_cost(WordId before, WordId word);
int trigram_cost(WordId before_that, WordId before, WordId word);
// What a word the model lacks costs alone: a little more than its rarest word.
int unknown_cost();
// Whether the model has seen `word` right after `before` (今日 は: yes; 画 ぞ: no).
bool bigram_known(WordId before, WordId word);

// Number of words in the table (0 when the table is missing) and its longest reading in kana.
std::size_t size();
std::size_t max_reading_chars();

}  // namespace lumeta::model
