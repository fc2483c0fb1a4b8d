// The ↑ and ↓ keys: kanji candidates and katakana for the reading in romaji mode, half-width
// digits in full-width number mode, page stepping in symbol mode, and otherwise caret moves
// between lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "conversion_settings.h"
#include "predictions.h"

namespace lumeta {

class Engine;

// What the candidate strip shows: while a reading is pending in romaji mode, the candidates ↓
// would offer for it, and which of them is on display (0: the reading itself); before any ↓
// (nothing converted on display) also the predictions for the kana typed so far, offered
// first: がぞ → 画像 画素 …, then the candidates of がぞ itself.
// Right after a word is confirmed it holds instead the words offered to follow it (`offers`
// set, nothing shown, no predictions). `previous` is the word confirmed just before the reading
// began, whose learned followers lead the predictions (predictions_for).
struct CandidateStrip {
  bool active = false;
  std::vector<std::string> candidates;  // Shift-JIS
  int shown = 0;
  std::vector<Prediction> predictions;
  bool offers = false;
};
CandidateStrip candidate_strip(const Engine& engine, const ConversionSettings& settings,
                               std::string_view previous = {});

// Shows candidate `index` (1-based) of the pending reading, as if ↓ had reached it.
void show_candidate(Engine& engine, int index);

// Puts `prediction` on display in place of the whole pending reading, as a candidate ↓ had
// reached for the prediction's reading; the centre key then confirms it.
void show_prediction(Engine& engine, const Prediction& prediction);

// The kana typed so far that predictions start from: the reading without the romaji still
// pending (かんｚ → かん); empty while the cursor stands inside the reading.
std::string typed_kana(const Engine& engine);

void up_key(Engine& engine);
void down_key(Engine& engine);

}  // namespace lumeta
