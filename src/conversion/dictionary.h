// The built-in reading dictionary: 676 hiragana readings, each with its written forms in the
// order the conversion key shows them.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace lumeta {

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

// Fills out[1..] with the candidates of `reading` and returns how many; out[0] and every slot
// past the last candidate are emptied. The whole reading must match; a reading whose first
// character has no group is not found.
int lookup_candidates(std::string_view reading, std::span<std::string> out);

// Looks the reading up into the engine's candidate and candidate_count.
void kanji_lookup(Engine& engine, std::string_view reading);

}  // namespace lumeta
