#include "dictionary.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine.h"
#include "large_dictionary.h"
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

// The letter the large dictionary writes after a stem for the first kana of its ending: the
// vowel for a vowel, the consonant of a syllable's usual spelling, t for っ. じ is written
// both ways (感じる: かんz, 論じる: ろんj).
struct EndingLetters {
  std::string_view kana;     // Shift-JIS, two bytes each
  std::string_view letters;  // tried in this order
};
// clang-format off
constexpr std::array<EndingLetters, 21> kEndingLetters = {{
    {"あ", "a"},
    {"い", "i"},
    {"う", "u"},
    {"え", "e"},
    {"お", "o"},
    {"かきくけこ", "k"},
    {"がぎぐげご", "g"},
    {"さしすせそ", "s"},
    {"ざずぜぞ", "z"},
    {"じ", "zj"},
    {"たちつてと", "t"},
    {"っ", "t"},
    {"だぢづでど", "d"},
    {"なにぬねのん", "n"},
    {"はひふへほ", "h"},
    {"ばびぶべぼ", "b"},
    {"ぱぴぷぺぽ", "p"},
    {"まみむめも", "m"},
    {"やゆよ", "y"},
    {"らりるれろ", "r"},
    {"わを", "w"},
}};
// clang-format on

std::string_view ending_letters(std::string_view kana) {
  for (const EndingLetters& row : kEndingLetters) {
    for (std::size_t i = 0; i < row.kana.size(); i += 2) {
      if (row.kana.substr(i, 2) == kana) return row.letters;
    }
  }
  return {};
}

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

// Appends the candidates of `key`, each followed by `ending`, to out[1..count] where they are
// new; returns the new count.
int append_large(std::string_view key, std::string_view ending, std::span<std::string> out,
                 int count) {
  large_dictionary::Candidates list = large_dictionary::find(key);
  std::string candidate;
  while (!list.empty() && count + 1 < static_cast<int>(out.size())) {
    candidate = list.next();
    candidate += ending;
    const auto begin = out.begin() + 1;
    const auto end = begin + count;
    if (std::find(begin, end, candidate) == end) out[++count] = candidate;
  }
  return count;
}

int lookup_large(std::string_view reading, std::span<std::string> out, int count) {
  if (reading.empty() || !kana_only(reading)) return count;
  count = append_large(reading, {}, out, count);
  // The key is cut back from the whole reading, never copied again for each stem, so a long
  // line costs time in proportion to its length: "たべる" gives "たべ" + letter, then "た" +
  // letter.
  std::string key(reading);
  for (std::size_t stem = reading.size() - 2; stem > 0; stem -= 2) {
    const std::string_view ending = reading.substr(stem);
    for (char letter : ending_letters(ending.substr(0, 2))) {
      key.resize(stem);
      key += letter;
      count = append_large(key, ending, out, count);
    }
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
  engine.set_candidates(
      [reading](std::span<std::string> slots) { return lookup_candidates(reading, slots); });
}

}  // namespace lumeta
