// The ↑ and ↓ keys: kanji candidates and katakana for the reading in romaji mode, half-width
// digits in full-width number mode, page stepping in symbol mode, and otherwise caret moves
// between lines.
#pragma once

#include <string>
#include <vector>

namespace lumeta {

class Engine;

// What the candidate strip shows: while a reading is pending in romaji mode, the candidates ↓
// would offer for it, and which of them is on display (0: the reading itself).
// Right after a word is confirmed it holds instead the words offered to follow it (`offers`
// set, nothing shown).
struct CandidateStrip {
  bool active = false;
  std::vector<std::string> candidates;  // Shift-JIS
  int shown = 0;
  bool offers = false;
};
CandidateStrip candidate_strip(const Engine& engine);

// Shows candidate `index` (1-based) of the pending reading, as if ↓ had reached it.
void show_candidate(Engine& engine, int index);

void up_key(Engine& engine);
void down_key(Engine& engine);

// index 0 shows the reading again in hiragana; 1..candidate_count shows that candidate.
void show_conversion(Engine& engine, int index);

// Shows the reading in katakana; the reading itself stays as it is.
void show_katakana(Engine& engine);

}  // namespace lumeta
