// The layout of the built-in word trigram model, shared by the build-time tool that writes it
// (tables/make_model.cpp, from Debian's libkkc-data) and the reader that uses it in place
// (model.cpp).
//
// All numbers in native byte order; every section starts on a 16-byte boundary.
//   Header
//   Word words[word_count]               sorted by reading, then by cost (best first)
//   uint32 bigram_first[word_count + 1]  bigrams after word w: [bigram_first[w], …[w + 1])
//   uint32 bigram_next[bigram_count]     the word that follows, ascending within each w
//   uint16 bigram_cost[bigram_count]
//   uint16 bigram_backoff[bigram_count]
//   uint32 trigram_first[bigram_count + 1]  trigrams after bigram b, as for bigrams
//   uint32 trigram_next[trigram_count]
//   uint16 trigram_cost[trigram_count]
//   char text[]                          each reading and spelling as uint8 length + bytes
//
// Costs are -log10 of a probability in steps of 1/8192 (8192 is one tenth; 65535 the
// largest), as the model quantizes them: <s> 今日 is cheaper than <s> 京.
#pragma once

#include <cstdint>

namespace lumeta::model::format {

// "LMD1" in little-endian order.
inline constexpr uint32_t kMagic = 0x31444D4C;

// Word ids 0 and 1 are the sentence's start and end (empty reading and spelling).
inline constexpr uint32_t kSentenceStart = 0;
inline constexpr uint32_t kSentenceEnd = 1;

struct Header {
  uint32_t magic;
  uint32_t word_count;
  uint32_t bigram_count;
  uint32_t trigram_count;
  uint32_t text_size;
  uint32_t max_reading_chars;  // the longest reading, in kana
  // Byte offsets of the sections from the start of the table.
  uint32_t words, bigram_first, bigram_next, bigram_cost, bigram_backoff, trigram_first,
      trigram_next, trigram_cost, text, reserved[3];
};

struct Word {
  uint32_t reading;   // offset of its length-prefixed text (Shift-JIS hiragana)
  uint32_t spelling;  // offset of its length-prefixed text (Shift-JIS)
  uint16_t cost;      // the word alone (unigram)
  uint16_t backoff;   // added when a bigram starting with this word is not in the model
};
static_assert(sizeof(Word) == 12);

}  // namespace lumeta::model::format
