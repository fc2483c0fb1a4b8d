// The reading dictionaries: the built-in table of 676 hiragana readings, each with its written
// forms in the order the conversion key shows them, and after it the large dictionary.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace lumeta {

class Learning;

class Engine;

struct DictionaryEntry {
  std::string_view reading;     // Shift-JIS
  std::string_view candidates;  // Shift-JIS, separated by single ASCII spaces
};

// The whole table in its order: grouped by the reading's first character, groups in the order
// あ い う え お か … わ が … ぽ 、 。 ・.
std::span<const DictionaryEntry> dictionary_table();

// The first characters of the 72 groups, in the order they are searched.
std::span<const std::string_view> dictionary_groups();

// Which dictionaries a lookup consults: the built-in table alone, or the built-in table
// followed by the large dictionary (conversion_settings.h).
enum class Dictionaries { builtin, builtin_and_large };

// Fills out[1..] with the candidates of `reading` and returns how many; out[0] and every slot
// past the last candidate are emptied. First the built-in table's candidates, unchanged: the
// whole reading must match, and a reading whose first character has no group is not found.
// Then, with the large dictionary in use and only kana in the reading, in one ranking
// (lexicon.h), the large dictionary's candidates for the whole reading and the lexicon's
// spellings of real words and short word sequences for it (つかった: 使った; かいた: 書いた,
// 描いた, 欠いた). No candidate comes twice; at most out.size() - 1. `learning` (may be null)
// favours words chosen before within a longer reading (京 learned: きょうと → 京と first).
int lookup_candidates(Dictionaries which, std::string_view reading, std::span<std::string> out,
                      const Learning* learning = nullptr);

// Looks the reading up into the engine's candidate and candidate_count, in the dictionaries
// of the engine's candidate source (none: the built-in table alone).
void kanji_lookup(Engine& engine, std::string_view reading);

}  // namespace lumeta
