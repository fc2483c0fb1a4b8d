#include "predictions.h"

#include <algorithm>
#include <cstdint>

#include "dictionary.h"
#include "learning.h"
#include "lexicon.h"

namespace lumeta {
namespace {

Learning* g_learning = nullptr;
bool g_offered = true;

// Only hiragana (and ー): what a reading is made of. Shift-JIS ぁ..ん is 0x829F..0x82F1.
bool is_hiragana_reading(std::string_view s) {
  if (s.empty() || s.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const unsigned code =
        static_cast<unsigned char>(s[i]) << 8 | static_cast<unsigned char>(s[i + 1]);
    if ((code < 0x829F || code > 0x82F1) && code != 0x815B) return false;
  }
  return true;
}

// How many of the words learned after the previous word are looked through for the kana typed.
constexpr std::size_t kFollowersSearched = 64;

// The reading of `word`, learned after the previous word, as far as `learned` (the learned
// choices whose reading begins with the kana typed) knows it: 表示 → ひょうじ; a hiragana word
// is its own reading (される); empty when unknown.
std::string reading_of_follower(const std::string& word,
                                std::span<const Learning::Choice> learned) {
  if (is_hiragana_reading(word)) return word;
  for (const Learning::Choice& c : learned) {
    if (c.spelling == word) return c.reading;
  }
  return {};
}

// The lexicon's single words whose reading is `prefix` or longer, best first:
// がぞ → 画像 (がぞう) …, れい → レイヤー ….
std::vector<Prediction> dictionary_words(std::string_view prefix, std::size_t limit) {
  std::vector<Prediction> found;
  for (lexicon::Prediction& p : lexicon::predictions(prefix, limit))
    found.push_back({std::move(p.reading), std::move(p.spelling), false});
  return found;
}

}  // namespace

void offer_predictions(bool offered) {
  g_offered = offered;
}

void use_learning(Learning* store) {
  g_learning = store;
}

Learning* learning_in_use() {
  return g_learning;
}

void remember_choice(std::string_view reading, std::string_view spelling) {
  if (!g_learning || dictionaries_in_use() == Dictionaries::builtin) return;
  if (!is_hiragana_reading(reading) || spelling.empty() || spelling == reading) return;
  g_learning->record_choice(reading, spelling);
}

std::vector<Prediction> predictions_for(std::string_view typed, std::span<const std::string> exact,
                                        std::size_t limit, std::string_view previous) {
  std::vector<Prediction> out;
  if (!g_offered || dictionaries_in_use() == Dictionaries::builtin) return out;
  if (!is_hiragana_reading(typed)) return out;
  const auto taken = [&out](std::string_view spelling) {
    return std::any_of(out.begin(), out.end(),
                       [&](const Prediction& p) { return p.spelling == spelling; });
  };
  if (g_learning) {
    // Every learned choice under the typed kana, most recent first: the first `limit` are
    // offered, all of them tell the followers' readings.
    std::vector<Learning::Choice> learned = g_learning->choices(typed, SIZE_MAX);
    if (!previous.empty()) {
      for (std::string& word : g_learning->followers(previous, kFollowersSearched)) {
        if (out.size() >= limit) break;
        std::string reading = reading_of_follower(word, learned);
        if (!reading.starts_with(typed) || word == typed || taken(word)) continue;
        out.push_back({std::move(reading), std::move(word), true});
      }
    }
    for (std::size_t i = 0; i < learned.size() && i < limit; ++i) {
      if (out.size() >= limit) break;
      if (!taken(learned[i].spelling))
        out.push_back({std::move(learned[i].reading), std::move(learned[i].spelling), true});
    }
  }
  for (Prediction& p : dictionary_words(typed, limit + exact.size() + out.size())) {
    if (out.size() >= limit) break;
    if (p.reading == typed || p.spelling == typed || taken(p.spelling)) continue;
    if (std::find(exact.begin(), exact.end(), p.spelling) != exact.end()) continue;
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace lumeta
