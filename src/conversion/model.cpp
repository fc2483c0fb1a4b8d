#include "model.h"

#include <algorithm>

#include "model_format.h"

// The table, linked in by model.S.
extern "C" const unsigned char lumeta_model[];

namespace lumeta::model {
namespace {

const format::Header& header() {
  return *reinterpret_cast<const format::Header*>(lumeta_model);
}
template <class T>
const T* section(uint32_t offset) {
  return reinterpret_cast<const T*>(lumeta_model + offset);
}
std::string_view text_at(uint32_t offset) {
  const char* p = section<char>(header().text) + offset;
  return {p + 1, static_cast<unsigned char>(p[0])};
}
const format::Word& word_at(WordId id) {
  return section<format::Word>(header().words)[id];
}
bool valid(WordId id) {
  return id < header().word_count;
}

// First id (after the sentence's ends) whose reading is not less than `key` (or, with
// `prefix_end`, whose reading does not begin with `key` and is greater).
WordId lower(std::string_view key, bool prefix_end) {
  WordId low = 2, high = header().word_count;
  while (low < high) {
    const WordId mid = low + (high - low) / 2;
    std::string_view r = text_at(word_at(mid).reading);
    if (prefix_end) r = r.substr(0, std::min(r.size(), key.size()));
    if (prefix_end ? r <= key : r < key) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// The record number of the bigram (before, word), or -1.
int64_t bigram_index(WordId before, WordId word) {
  const uint32_t* first = section<uint32_t>(header().bigram_first);
  const uint32_t* next = section<uint32_t>(header().bigram_next);
  const uint32_t* begin = next + first[before];
  const uint32_t* end = next + first[before + 1];
  const uint32_t* it = std::lower_bound(begin, end, word);
  return it != end && *it == word ? it - next : -1;
}

int backoff_of_word(WordId word) {
  return word_at(word).backoff;
}

}  // namespace

std::size_t size() {
  return header().magic == format::kMagic ? header().word_count : 0;
}

std::size_t max_reading_chars() {
  return size() ? header().max_reading_chars : 0;
}

WordRange words_read(std::string_view reading) {
  if (size() == 0 || reading.empty()) return {};
  const WordId begin = lower(reading, false);
  WordId end = begin;
  while (end < header().word_count && text_at(word_at(end).reading) == reading)
    ++end;
  return {begin, end};
}

WordRange words_starting(std::string_view prefix) {
  if (size() == 0 || prefix.empty()) return {};
  return {lower(prefix, false), lower(prefix, true)};
}

WordId find(std::string_view reading, std::string_view spelling) {
  const WordRange range = words_read(reading);
  for (WordId w = range.begin; w < range.end; ++w) {
    if (text_at(word_at(w).spelling) == spelling) return w;
  }
  return kNoWord;
}

std::string_view reading_of(WordId word) {
  return valid(word) ? text_at(word_at(word).reading) : std::string_view{};
}

std::string_view spelling_of(WordId word) {
  return valid(word) ? text_at(word_at(word).spelling) : std::string_view{};
}

int unknown_cost() {
  return 7 * kDecade;
}

bool bigram_known(WordId before, WordId word) {
  return valid(before) && valid(word) && bigram_index(before, word) >= 0;
}

int unigram_cost(WordId word) {
  return valid(word) ? word_at(word).cost : unknown_cost();
}

int bigram_cost(WordId before, WordId word) {
  if (!valid(before)) before = kSentenceStart;
  if (!valid(word)) return backoff_of_word(before) + unknown_cost();
  const int64_t i = bigram_index(before, word);
  if (i >= 0) return section<uint16_t>(header().bigram_cost)[i];
  return backoff_of_word(before) + word_at(word).cost;
}

int trigram_cost(WordId before_that, WordId before, WordId word) {
  if (!valid(before_that) || !valid(before)) return bigram_cost(before, word);
  const int64_t pair = bigram_index(before_that, before);
  if (pair < 0) return bigram_cost(before, word);
  if (valid(word)) {
    const uint32_t* first = section<uint32_t>(header().trigram_first);
    const uint32_t* next = section<uint32_t>(header().trigram_next);
    const uint32_t* begin = next + first[pair];
    const uint32_t* end = next + first[pair + 1];
    const uint32_t* it = std::lower_bound(begin, end, word);
    if (it != end && *it == word) return section<uint16_t>(header().trigram_cost)[it - next];
  }
  return section<uint16_t>(header().bigram_backoff)[pair] + bigram_cost(before, word);
}

}  // namespace lumeta::model
