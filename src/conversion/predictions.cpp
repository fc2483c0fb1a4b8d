#include "predictions.h"

#include <algorithm>

#include "dictionary.h"
#include "learning.h"
#include "lexicon.h"
#include "phrases.h"
#include "sjis.h"

namespace lumeta {
namespace {

// The lexicon's single words whose reading is `prefix` or longer, best first:
// がぞ → 画像 (がぞう) …, れい → レイヤー ….
std::vector<Prediction> dictionary_words(std::string_view prefix, std::size_t limit) {
  std::vector<Prediction> found;
  for (lexicon::Prediction& p : lexicon::predictions(prefix, limit))
    found.push_back({std::move(p.reading), std::move(p.spelling), false});
  return found;
}

}  // namespace

void remember_choice(const ConversionSettings& settings, std::string_view reading,
                     std::string_view spelling) {
  Learning* learning = settings.learning_in_use();
  if (!learning) return;
  if (!sjis::is_reading(reading) || spelling.empty() || spelling == reading) return;
  learning->record_choice(reading, spelling);
  // A phrase is learned word by word too (今日はいい天気です: 今日, 天気 …), so each word comes
  // first when it is typed alone or in another phrase.
  const std::vector<lattice::Word> words = phrases::words_of(reading, spelling, learning);
  if (words.size() < 2) return;
  for (const lattice::Word& w : words) {
    if (w.spelling != w.reading && sjis::is_reading(w.reading))
      learning->record_choice(w.reading, w.spelling);
  }
}

std::vector<Prediction> predictions_for(const ConversionSettings& settings, std::string_view typed,
                                        std::span<const std::string> exact, std::size_t limit) {
  std::vector<Prediction> out;
  if (!settings.predictions || settings.dictionaries == Dictionaries::builtin) return out;
  if (!sjis::is_reading(typed)) return out;
  const auto taken = [&out](std::string_view spelling) {
    return std::any_of(out.begin(), out.end(),
                       [&](const Prediction& p) { return p.spelling == spelling; });
  };
  if (Learning* learning = settings.learning_in_use()) {
    for (Learning::Choice& c : learning->choices(typed, limit)) {
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
