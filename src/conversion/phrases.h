// The spellings ↓ offers for a reading from the phrase converter (lattice.h): whole phrases
// (きょうはいいてんきです → 今日はいい天気です) and single words in their forms (こない → 来ない),
// best first, without the joins of words a writer would not mean (がぞ: no 画ぞ; おおきな: no
// 大木な). Learned words weigh in, and a chosen phrase is learned word by word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lattice.h"

namespace lumeta {

class Learning;

namespace phrases {

// Offered only within this much of the best spelling's cost (1.5 tenths of probability)…
inline constexpr int kMargin = model::kDecade * 3 / 2;
// …and, when two of its words were never seen side by side (画 ぞ), only within this much.
inline constexpr int kUnattestedMargin = model::kDecade / 2;
// A word the user chose before costs this much less (a tenth of probability per choice, up to
// three).
inline constexpr int kLearnedBonus = model::kDecade;

// The offered spellings of `reading` (Shift-JIS hiragana), best first, at most `limit`; never
// the reading itself. `learning` (may be null) favours the words chosen before.
std::vector<std::string> spellings(std::string_view reading, std::size_t limit,
                                   const Learning* learning);

// The words of the phrase spelled `spelling` for `reading`, as the converter split it
// (今日はいい天気です → 今日 は いい 天気 です); empty when it offers no such phrase.
std::vector<lattice::Word> words_of(std::string_view reading, std::string_view spelling,
                                    const Learning* learning);

}  // namespace phrases
}  // namespace lumeta
