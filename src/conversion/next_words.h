// Next-word offers: right after a word is confirmed in romaji mode, with nothing pending, the
// strip offers the words most likely to come next — first those that followed that word in the
// user's own text, then those the lexicon makes likely after it. Each confirmed word is learned
// together with the word confirmed just before it, as long as no line break, caret move or mode
// change came between them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_settings.h"

namespace lumeta {

class Engine;

// Where offers come from and where pairs are learned. Every text is Shift-JIS; a source left
// empty offers or learns nothing (the built-in dictionary alone has none, learning turned off
// has no followers and learns nothing).
struct NextWordSources {
  // The words that followed `spelling` in the user's text, most frequent first, then most
  // recent: after 画像 を twice and 画像 が once, followers("画像", 6) is {"を", "が"}.
  std::function<std::vector<std::string>(std::string_view spelling, int limit)> followers;
  // Learns that `next` followed `previous`: record_pair("画像", "を").
  std::function<void(std::string_view previous, std::string_view next)> record_pair;
  // Particles and endings that connect well after a word: after がぞう 画像, {"を", "の", …}.
  // The reading may be empty when only the spelling is known.
  std::function<std::vector<std::string>(std::string_view reading, std::string_view spelling,
                                         int limit)>
      likely_next;
};

// The sources `settings` give: followers from its learning store and pairs learned into it
// (none with --no-learning), the lexicon's likely next words; nothing at all with the built-in
// table alone. The settings are read at each call, so a store put in use later is used; they
// must outlive the sources. The keypad starts with those of its own settings.
NextWordSources next_word_sources(const ConversionSettings& settings);

// At most this many words are offered, learned ones first.
inline constexpr int kMostOffers = 10;

// The offers after the word `spelling` (read `reading`): its learned followers, then the
// lexicon's likely next words, none twice, at most kMostOffers.
std::vector<std::string> next_word_offers(const NextWordSources& sources, std::string_view reading,
                                          std::string_view spelling);

// The chain of words confirmed one after another and the offers after the last of them. The
// keypad tells it what each key did (before_key, then after_key); a click on an offer inserts
// the word at the caret, confirmed, through insert_offer.
class NextWords {
 public:
  void set_sources(NextWordSources sources) { sources_ = std::move(sources); }
  const NextWordSources& sources() const { return sources_; }

  // What the strip offers now (Shift-JIS); empty when nothing is offered.
  const std::vector<std::string>& offers() const { return offers_; }

  // Before a key works: the offers go away, and what is on display unconfirmed is noted.
  void before_key(const Engine& engine);
  // After it: a word the key confirmed (the shown reading, candidate or katakana form now
  // confirmed text) is learned after the previous one and, when nothing is pending in romaji
  // mode, brings offers. A key that neither confirms nor works on a reading in romaji mode
  // (a line break, a caret move, a deletion of confirmed text, a mode change) ends the chain.
  void after_key(const Engine& engine);
  // Ends the chain: the next confirmed word is learned after none, and nothing is offered.
  void end_chain();

  // Inserts offer `index` (1-based) at the caret as confirmed text, learns it after the word
  // before it and offers what may follow it. False, with nothing changed, for a number the
  // strip does not offer.
  bool insert_offer(Engine& engine, int index);

  // The word confirmed last in the chain (Shift-JIS); empty when the chain has ended.
  const std::string& previous() const { return previous_; }

 private:
  void confirmed(const Engine& engine, std::string_view reading, std::string word);

  NextWordSources sources_;
  std::vector<std::string> offers_;
  std::string previous_;
  // Noted before each key: whether a reading was pending in romaji mode, the length of the
  // confirmed text before the caret, what stood unconfirmed after it, and its reading.
  bool pending_ = false;
  std::size_t fixed_size_ = 0;
  std::string shown_;
  std::string reading_;
};

}  // namespace lumeta
