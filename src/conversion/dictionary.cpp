#include "dictionary.h"

#include <utility>
#include <vector>

#include "engine.h"

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

}  // namespace

std::span<const DictionaryEntry> dictionary_table() {
  return kTable;
}

std::span<const std::string_view> dictionary_groups() {
  return kGroups;
}

int lookup_candidates(std::string_view reading, std::span<std::string> out) {
  for (std::string& slot : out)
    slot.clear();
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

void kanji_lookup(Engine& engine, std::string_view reading) {
  engine.candidate_count = lookup_candidates(reading, engine.candidate);
}

}  // namespace lumeta
