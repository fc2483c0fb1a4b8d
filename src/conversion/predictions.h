// Predictions: while a reading is being typed, the words the user is probably writing — the
// spellings whose reading begins with the kana typed so far (がぞ → 画像, れい → レイヤー) — the
// user's own earlier choices first, then the best words of the dictionaries. And the learning
// that feeds them: every confirmed choice goes to the learning store in use.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_settings.h"

namespace lumeta {

// One word offered for a reading typed so far: がぞ → {がぞう, 画像}. Shift-JIS.
struct Prediction {
  std::string reading;
  std::string spelling;
  bool learned = false;  // the user chose it before
  bool operator==(const Prediction&) const = default;
};

// At most this many predictions are offered for one reading.
inline constexpr std::size_t kMostPredictions = 8;

// Remembers `spelling` chosen for `reading` (hiragana) in the settings' store in use.
void remember_choice(const ConversionSettings& settings, std::string_view reading,
                     std::string_view spelling);

// The predictions for `typed` (hiragana, at least one kana): learned spellings whose reading
// begins with it (the reading itself included), most recent first; then the dictionary's words
// whose reading is longer and begins with it, best first, none of them one of `exact` (the
// candidates ↓ shows for `typed` itself, offered beside the predictions). No spelling twice,
// never the typed kana themselves. Empty with the built-in table alone or predictions off.
// With `previous`, the word confirmed just before the reading began, the words learned after
// it come first, the most frequent first, where their reading begins with `typed` (kana words
// too): after 表示 with される learned after it, さ offers される first, and after 画像 with 表示
// (read ひょうじ) learned after it, ひ offers 表示 before the more recent 必要.
std::vector<Prediction> predictions_for(const ConversionSettings& settings, std::string_view typed,
                                        std::span<const std::string> exact,
                                        std::size_t limit = kMostPredictions,
                                        std::string_view previous = {});

}  // namespace lumeta
