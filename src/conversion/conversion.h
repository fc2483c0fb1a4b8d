// The ↑ and ↓ keys: kanji candidates and katakana for the reading in romaji mode, half-width
// digits in full-width number mode, page stepping in symbol mode, and otherwise caret moves
// between lines.
#pragma once

namespace lumeta {

class Engine;

void Button_UP(Engine& engine);
void Button_DOWN(Engine& engine);

// index 0 shows the reading again in hiragana; 1..candidate_count shows that candidate.
void kanji_Show(Engine& engine, int index);

// Shows the reading in katakana; the reading itself stays as it is.
void katakana_Show(Engine& engine);

}  // namespace lumeta
