#include "predictions.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "dictionary.h"
#include "learning.h"
#include "lexicon.h"
#include "model.h"
#include "phrases.h"
#include "sjis.h"

namespace lumeta {
namespace {

// How many of the words learned after the previous word are looked through for the kana typed.
constexpr std::size_t kFollowersSearched = 64;

// The reading of `word`, learned after the previous word, as far as `learned` (the learned
// choices whose reading begins with the kana typed) knows it: 表示 → ひょうじ; a hiragana word
// is its own reading (される); empty when unknown.
std::string reading_of_follower(const std::string& word,
                                std::span<const Learning::Choice> learned) {
  if (sjis::is_reading(word)) return word;
  for (const Learning::Choice& c : learned) {
    if (c.spelling == word) return c.reading;
  }
  return {};
}

// How many of the lexicon's words for a prefix the model puts in order.
constexpr std::size_t kWordsRanked = 64;

// The model's cost of `p` written alone, INT_MAX for a word it lacks and for a spelling in
// hiragana, which the lexicon already puts after the word's kanji (あたらしい after 新しい). A
// verb or adjective stands in the model as a stem and its kana: 使う is 使 (つか) then う,
// 新しい is 新し (あたらし) then い.
int model_cost(const Prediction& p) {
  if (sjis::is_reading(p.spelling)) return INT_MAX;
  if (const model::WordId whole = model::find(p.reading, p.spelling); whole != model::kNoWord)
    return model::unigram_cost(whole);
  const std::string_view spelling(p.spelling), reading(p.reading);
  // Kana ending the spelling, shortest first: the stem before them must be a word of the model.
  for (std::size_t ending = 2; ending < spelling.size() && ending < reading.size(); ending += 2) {
    const std::string_view kana = reading.substr(reading.size() - ending);
    if (spelling.substr(spelling.size() - ending) != kana) break;
    const model::WordId stem = model::find(reading.substr(0, reading.size() - ending),
                                           spelling.substr(0, spelling.size() - ending));
    if (stem == model::kNoWord) continue;
    // The kana must be a word of the model too (う, しい), or the spelling is no form of the stem.
    const model::WordId after = model::find(kana, kana);
    if (after == model::kNoWord) continue;
    return model::unigram_cost(stem) + model::bigram_cost(stem, after);
  }
  return INT_MAX;
}

// The lexicon's single words whose reading is `prefix` or longer, the likeliest first by the
// conversion model: がぞ → 画像 (がぞう) …, にほん → 日本人 before 日本髪, れい → レイヤー ….
// The words the model lacks follow in the lexicon's order.
std::vector<Prediction> dictionary_words(std::string_view prefix, std::size_t limit) {
  std::vector<std::pair<int, Prediction>> ranked;
  for (lexicon::Prediction& p : lexicon::predictions(prefix, std::max(limit, kWordsRanked))) {
    Prediction word{std::move(p.reading), std::move(p.spelling), false};
    ranked.push_back({model_cost(word), std::move(word)});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Prediction> found;
  for (auto& [cost, word] : ranked)
    found.push_back(std::move(word));
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
                                        std::span<const std::string> exact, std::size_t limit,
                                        std::string_view previous) {
  std::vector<Prediction> out;
  if (!settings.predictions || settings.dictionaries == Dictionaries::builtin) return out;
  if (!sjis::is_reading(typed)) return out;
  const auto taken = [&out](std::string_view spelling) {
    return std::any_of(out.begin(), out.end(),
                       [&](const Prediction& p) { return p.spelling == spelling; });
  };
  if (Learning* learning = settings.learning_in_use()) {
    // Every learned choice under the typed kana, most recent first: the first `limit` are
    // offered, all of them tell the followers' readings.
    std::vector<Learning::Choice> learned = learning->choices(typed, SIZE_MAX);
    if (!previous.empty()) {
      for (std::string& word : learning->followers(previous, kFollowersSearched)) {
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
