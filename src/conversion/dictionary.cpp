#include "dictionary.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "engine.h"
#include "large_dictionary.h"
#include "lexicon.h"
#include "sjis.h"

namespace lumeta {
namespace {

constexpr DictionaryEntry kTable[] = {
#include "dictionary_table.inc"
};

constexpr std::array<std::string_view, 72> kGroups = {
    "あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ",
    "た", "ち", "つ", "て", "と", "な", "に", "ぬ", "ね", "の", "は", "ひ", "ふ", "へ", "ほ",
    "ま", "み", "む", "め", "も", "や", "ゆ", "よ", "ら", "り", "る", "れ", "ろ", "わ", "が",
    "ぎ", "ぐ", "げ", "ご", "ざ", "じ", "ず", "ぜ", "ぞ", "だ", "ぢ", "づ", "で", "ど", "ば",
    "び", "ぶ", "べ", "ぼ", "ぱ", "ぴ", "ぷ", "ぺ", "ぽ", "、", "。", "・"};

// [begin, end) of each group's entries in the table, found once.
const std::array<std::pair<std::size_t, std::size_t>, kGroups.size()>& group_ranges() {
  static const auto ranges = [] {
    std::array<std::pair<std::size_t, std::size_t>, kGroups.size()> r{};
    std::size_t i = 0;
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
      r[g].first = i;
      while (i < std::size(kTable) && kTable[i].reading.substr(0, 2) == kGroups[g])
        ++i;
      r[g].second = i;
    }
    return r;
  }();
  return ranges;
}

int lookup_builtin(std::string_view reading, std::span<std::string> out) {
  if (reading.size() < 2) return 0;
  const std::string_view first = reading.substr(0, 2);
  for (std::size_t g = 0; g < kGroups.size(); ++g) {
    if (kGroups[g] != first) continue;
    const auto [begin, end] = group_ranges()[g];
    for (std::size_t i = begin; i < end; ++i) {
      if (kTable[i].reading != reading) continue;
      int count = 0;
      std::string_view rest = kTable[i].candidates;
      while (!rest.empty() && count + 1 < static_cast<int>(out.size())) {
        const std::size_t space = rest.find(' ');
        out[++count] = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
      }
      return count;
    }
    return 0;
  }
  return 0;
}

// Appends to out[1..count], in one ranking (lexicon.h), the large dictionary's candidates for
// the whole reading and the lexicon's spellings for it, each only where it is new; returns the
// new count. A spelling the large dictionary lists but the lexicon does not know ranks by its
// place in the list, after lexicon spellings of the same place.
int lookup_large(std::string_view reading, std::span<std::string> out, int count) {
  if (reading.empty() || !sjis::no_pending_romaji(reading)) return count;
  const int room = static_cast<int>(out.size()) - 1;
  if (count >= room) return count;
  std::vector<lexicon::Ranked> list = lexicon::ranked_spellings(reading, out.size());
  large_dictionary::Candidates listed = large_dictionary::find(reading);
  for (int place = 0; !listed.empty(); ++place) {
    const std::string_view candidate = listed.next();
    const bool known = std::any_of(list.begin(), list.end(),
                                   [candidate](const auto& r) { return r.spelling == candidate; });
    // Symbols (⊃ for ふくむ) come after words.
    const int tier = sjis::has_letter(candidate) ? 0 : 2;
    if (!known) list.push_back({std::string(candidate), tier, place, INT_MAX, false, false});
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a.key() < b.key(); });
  for (lexicon::Ranked& r : list) {
    if (count >= room) break;
    const auto begin = out.begin() + 1;
    const auto end = begin + count;
    if (std::find(begin, end, r.spelling) == end) out[++count] = std::move(r.spelling);
  }
  return count;
}

}  // namespace

std::span<const DictionaryEntry> dictionary_table() {
  return kTable;
}

std::span<const std::string_view> dictionary_groups() {
  return kGroups;
}

int lookup_candidates(Dictionaries which, std::string_view reading, std::span<std::string> out) {
  for (std::string& slot : out)
    slot.clear();
  const int count = lookup_builtin(reading, out);
  if (which == Dictionaries::builtin) return count;
  return lookup_large(reading, out, count);
}

void kanji_lookup(Engine& engine, std::string_view reading) {
  const CandidateSource* source = engine.candidate_source();
  engine.set_candidates([source, reading](std::span<std::string> slots) {
    return source ? source->candidates(reading, slots)
                  : lookup_candidates(Dictionaries::builtin, reading, slots);
  });
}

}  // namespace lumeta
