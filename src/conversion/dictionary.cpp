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

Dictionaries g_dictionaries = Dictionaries::builtin_and_large;

// Only two-byte characters and no full-width letter: a reading with romaji still pending
// ("かｋ") finds nothing in the large dictionary.
bool kana_only(std::string_view reading) {
  if (reading.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < reading.size(); i += 2) {
    if (!sjis::is_lead_byte(reading[i])) return false;
    const unsigned code =
        static_cast<unsigned char>(reading[i]) << 8 | static_cast<unsigned char>(reading[i + 1]);
    if (code >= 0x8260 && code <= 0x829A) return false;  // Ａ..Ｚ, ａ..ｚ
  }
  return true;
}

// Whether a Shift-JIS spelling holds a kana or kanji (from 0x829F, ぁ), not only symbols.
bool has_letter(std::string_view spelling) {
  for (std::size_t i = 0; i + 1 < spelling.size(); i = sjis::next_boundary(spelling, i)) {
    if (sjis::is_lead_byte(spelling[i]) && (static_cast<unsigned char>(spelling[i]) << 8 |
                                            static_cast<unsigned char>(spelling[i + 1])) >= 0x829F)
      return true;
  }
  return false;
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
  if (reading.empty() || !kana_only(reading)) return count;
  const int room = static_cast<int>(out.size()) - 1;
  if (count >= room) return count;
  std::vector<lexicon::Ranked> list = lexicon::ranked_spellings(reading, out.size());
  large_dictionary::Candidates listed = large_dictionary::find(reading);
  for (int place = 0; !listed.empty(); ++place) {
    const std::string_view candidate = listed.next();
    const bool known = std::any_of(list.begin(), list.end(),
                                   [candidate](const auto& r) { return r.spelling == candidate; });
    // Symbols (⊃ for ふくむ) come after words.
    const int tier = has_letter(candidate) ? 0 : 2;
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

void use_dictionaries(Dictionaries which) {
  g_dictionaries = which;
}

Dictionaries dictionaries_in_use() {
  return g_dictionaries;
}

std::span<const DictionaryEntry> dictionary_table() {
  return kTable;
}

std::span<const std::string_view> dictionary_groups() {
  return kGroups;
}

int lookup_candidates(std::string_view reading, std::span<std::string> out) {
  for (std::string& slot : out)
    slot.clear();
  const int count = lookup_builtin(reading, out);
  if (g_dictionaries == Dictionaries::builtin) return count;
  return lookup_large(reading, out, count);
}

void kanji_lookup(Engine& engine, std::string_view reading) {
  engine.candidate_count = lookup_candidates(reading, engine.candidate);
}

}  // namespace lumeta
