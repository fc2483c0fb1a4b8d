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
struct CandidateStrip {
  bool active = false;
  std::vector<std::string> candidates;  // Shift-JIS
  int shown = 0;
};
CandidateStrip candidate_strip(const Engine& engine);

// Shows candidate `index` (1-based) of the pending reading, as if ↓ had reached it.
void show_candidate(Engine& engine, int index);

void up_key(Engine& engine);
void down_key(Engine& engine);

}  // namespace lumeta
