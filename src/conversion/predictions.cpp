#include "predictions.h"

#include <algorithm>

#include "dictionary.h"
#include "learning.h"
#include "lexicon.h"
#include "phrases.h"

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
  // A phrase is learned word by word too (今日はいい天気です: 今日, 天気 …), so each word comes
  // first when it is typed alone or in another phrase.
  const std::vector<lattice::Word> words = phrases::words_of(reading, spelling, g_learning);
  if (words.size() < 2) return;
  for (const lattice::Word& w : words) {
    if (w.spelling != w.reading && is_hiragana_reading(w.reading))
      g_learning->record_choice(w.reading, w.spelling);
  }
}

std::vector<Prediction> predictions_for(std::string_view typed, std::span<const std::string> exact,
                                        std::size_t limit) {
  std::vector<Prediction> out;
  if (!g_offered || dictionaries_in_use() == Dictionaries::builtin) return out;
  if (!is_hiragana_reading(typed)) return out;
  const auto taken = [&out](std::string_view spelling) {
    return std::any_of(out.begin(), out.end(),
                       [&](const Prediction& p) { return p.spelling == spelling; });
  };
  if (g_learning) {
    for (Learning::Choice& c : g_learning->choices(typed, limit)) {
      if (!taken(c.spelling)) out.push_back({std::move(c.reading), std::move(c.spelling), true});
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
