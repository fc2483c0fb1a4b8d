#include "next_words.h"

#include <algorithm>

#include "dictionary.h"
#include "engine.h"
#include "learning.h"
#include "lexicon.h"
#include "predictions.h"
#include "sjis.h"

namespace lumeta {
NextWordSources next_word_sources(const ConversionSettings& settings) {
  NextWordSources s;
  const ConversionSettings* in_use = &settings;
  s.followers = [in_use](std::string_view spelling, int limit) {
    Learning* store = in_use->learning_in_use();
    return store ? store->followers(spelling, static_cast<std::size_t>(limit))
                 : std::vector<std::string>();
  };
  s.record_pair = [in_use](std::string_view previous, std::string_view next) {
    if (Learning* store = in_use->learning_in_use()) store->record_pair(previous, next);
  };
  s.likely_next = [in_use](std::string_view reading, std::string_view spelling, int limit) {
    if (in_use->dictionaries == Dictionaries::builtin) return std::vector<std::string>();
    return lexicon::likely_next(reading, spelling, static_cast<std::size_t>(limit));
  };
  return s;
}

std::vector<std::string> next_word_offers(const NextWordSources& sources, std::string_view reading,
                                          std::string_view spelling) {
  std::vector<std::string> offers;
  if (spelling.empty()) return offers;
  // A word inserted from the offers comes without its reading; kana are their own (を).
  if (reading.empty() && sjis::is_reading(spelling)) reading = spelling;
  const auto add = [&offers](std::vector<std::string> words) {
    for (std::string& word : words) {
      if (offers.size() == static_cast<std::size_t>(kMostOffers)) return;
      if (word.empty() || std::find(offers.begin(), offers.end(), word) != offers.end()) continue;
      offers.push_back(std::move(word));
    }
  };
  if (sources.followers) add(sources.followers(spelling, kMostOffers));
  if (sources.likely_next) add(sources.likely_next(reading, spelling, kMostOffers));
  return offers;
}

void NextWords::before_key(const Engine& e) {
  offers_.clear();
  pending_ = e.state().input_mode == InputMode::romaji && e.composition_length() > 0;
  fixed_size_ = e.state().front_fixed.size();
  shown_.clear();
  reading_.clear();
  if (!pending_) return;
  const std::string_view front = e.state().front_text;
  if (front.size() > fixed_size_) shown_ = front.substr(fixed_size_);
  reading_ = e.reading();
}

void NextWords::after_key(const Engine& e) {
  const bool romaji = e.state().input_mode == InputMode::romaji;
  const bool pending_now = romaji && e.composition_length() > 0;
  // Confirming turns what was shown unconfirmed into confirmed text, byte for byte: after
  // がぞう ↓ 決定, front_fixed has grown by 画像.
  std::string word;
  if (pending_ && !shown_.empty() && e.state().front_fixed.size() == fixed_size_ + shown_.size() &&
      e.state().front_fixed.view().substr(fixed_size_) == shown_) {
    word = shown_;
  }
  if (!word.empty()) {
    confirmed(e, reading_, std::move(word));
    if (!romaji) end_chain();
    return;
  }
  // Typing, converting or editing the next reading keeps the chain; anything else ends it.
  if (!romaji || (!pending_ && !pending_now)) end_chain();
}

void NextWords::end_chain() {
  previous_.clear();
  offers_.clear();
}

bool NextWords::insert_offer(Engine& e, int index) {
  if (index < 1 || index > static_cast<int>(offers_.size())) return false;
  if (e.state().input_mode != InputMode::romaji || e.composition_length() > 0) return false;
  std::string word = offers_[index - 1];
  const std::size_t before = e.state().front_fixed.size();
  e.guarded([&] { e.insert_confirmed(word); });
  // A word that would pass the text's limit is refused and the offers stay.
  if (e.state().front_fixed.size() != before + word.size()) return false;
  confirmed(e, {}, std::move(word));
  return true;
}

void NextWords::confirmed(const Engine& e, std::string_view reading, std::string word) {
  if (!previous_.empty() && sources_.record_pair) sources_.record_pair(previous_, word);
  offers_.clear();
  const bool nothing_pending = e.state().input_mode == InputMode::romaji &&
                               e.composition_length() == 0 && e.state().front_fixed.is_front();
  if (nothing_pending) offers_ = next_word_offers(sources_, reading, word);
  previous_ = std::move(word);
}

}  // namespace lumeta
