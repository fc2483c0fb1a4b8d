#include "dictionary.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine.h"
#include "large_dictionary.h"
#include "lexicon.h"
#include "model.h"
#include "phrases.h"
#include "predictions.h"
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

// A word written as the dictionaries' part-kana entries are (せっ定, 大じょうぶ): hiragana
// before a kanji, or, for a word that does not conjugate (`one_form`), more than two hiragana
// after its kanji. Okurigana (書く, 新しい, and 漬かった as a form) are not.
bool part_kana(std::string_view spelling, bool one_form) {
  bool kanji = false;
  int kana_after = 0;
  for (std::size_t i = 0; i + 1 < spelling.size(); i = sjis::next_boundary(spelling, i)) {
    const sjis::CharClass kind = sjis::char_class(sjis::code_at(spelling, i));
    if (kind == sjis::CharClass::hiragana) {
      ++kana_after;
    } else if (kind == sjis::CharClass::kanji) {
      if (kana_after > 0) return true;
      kanji = true;
    }
  }
  return one_form && kanji && kana_after > 2;
}

// The hiragana after the last kanji of a word written kanji then hiragana (書いた: いた); empty
// for any other spelling (今日はいい, ボタン, かいた).
std::string_view kana_ending(std::string_view spelling) {
  std::size_t kana_from = std::string_view::npos;
  bool kanji = false;
  for (std::size_t i = 0; i + 1 < spelling.size(); i = sjis::next_boundary(spelling, i)) {
    const sjis::CharClass kind = sjis::char_class(sjis::code_at(spelling, i));
    if (kind == sjis::CharClass::hiragana) {
      if (kana_from == std::string_view::npos) kana_from = i;
    } else if (kind == sjis::CharClass::kanji && kana_from == std::string_view::npos) {
      kanji = true;
    } else {
      return {};
    }
  }
  return kanji && kana_from != std::string_view::npos ? spelling.substr(kana_from)
                                                      : std::string_view{};
}

// Endings writers write in kana after a word (来ない, not 来無い): a lexicon spelling ending so
// after another character is not offered.
constexpr std::string_view kKanaEndings[] = {"無い", "無く", "無かった", "無ければ", "無し"};

bool written_ending_in_kanji(std::string_view spelling) {
  for (std::string_view ending : kKanaEndings) {
    if (spelling.size() > ending.size() && spelling.ends_with(ending)) return true;
  }
  return false;
}

// When the converter agrees with the large dictionary's word, this many of the dictionary's
// spellings come before the converter's.
constexpr std::size_t kListedHead = 4;

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

// Appends to out[1..count], each only where it is new: the phrase converter's spellings of the
// whole reading, best first (phrases.h: こない → 来ない; きょうは → 今日は) and the large
// dictionary's list for the reading in its order, then the lexicon's single word forms; none
// part kana; returns the new count.
int lookup_large(std::string_view reading, std::span<std::string> out, int count,
                 const Learning* learning) {
  if (reading.empty() || !sjis::no_pending_romaji(reading)) return count;
  const int room = static_cast<int>(out.size()) - 1;
  const auto add = [&](std::string_view spelling) {
    const auto begin = out.begin() + 1;
    const auto end = begin + count;
    if (count < room && !spelling.empty() && spelling != reading &&
        std::find(begin, end, spelling) == end)
      out[++count] = std::string(spelling);
  };
  std::vector<std::string> listed;
  for (large_dictionary::Candidates list = large_dictionary::find(reading); !list.empty();) {
    const std::string_view candidate = list.next();
    if (sjis::has_letter(candidate) && !part_kana(candidate, true)) listed.emplace_back(candidate);
  }
  const std::vector<lexicon::Ranked> forms = lexicon::ranked_spellings(reading, out.size());
  // One word with its endings (書いた) where the lexicon knows words of that reading with the
  // same endings: only the stems it knows take them (not 買いた). The model's endings stand
  // apart and join any stem (買 い た); where the lexicon knows no such form (明るさ), the
  // converter decides.
  std::vector<std::string> converted;
  for (std::string& s : phrases::spellings(reading, room, learning)) {
    const std::string_view tail = kana_ending(s);
    const auto same = [&s](const lexicon::Ranked& r) { return r.spelling == s; };
    const auto same_tail = [tail](const lexicon::Ranked& r) {
      return r.tier == 0 && kana_ending(r.spelling) == tail;
    };
    const bool refused = !tail.empty() && tail.size() < s.size() &&
                         std::find(listed.begin(), listed.end(), s) == listed.end() &&
                         model::find(reading, s) == model::kNoWord &&
                         std::none_of(forms.begin(), forms.end(), same) &&
                         std::any_of(forms.begin(), forms.end(), same_tail);
    if (!refused) converted.push_back(std::move(s));
  }
  // A word the large dictionary lists keeps its list's order at the head when the converter
  // agrees it is that word (かく: 核 書く 各 …, とうきょう: 東京 東教); otherwise the converter's
  // spellings come first (こない: 来ない before 庫内, たかく: 高く before 多角).
  const bool listed_first = !converted.empty() && std::find(listed.begin(), listed.end(),
                                                            converted.front()) != listed.end();
  std::size_t head = listed_first ? std::min(listed.size(), kListedHead) : 0;
  for (std::size_t i = 0; i < head; ++i)
    add(listed[i]);
  for (const std::string& s : converted)
    add(s);
  for (std::size_t i = head; i < listed.size(); ++i)
    add(listed[i]);
  // The lexicon's words in one of their forms (遣った), none glued to a word that is not.
  for (const lexicon::Ranked& r : forms) {
    if (r.tier == 0 && !part_kana(r.spelling, r.single) && !written_ending_in_kanji(r.spelling))
      add(r.spelling);
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

int lookup_candidates(Dictionaries which, std::string_view reading, std::span<std::string> out,
                      const Learning* learning) {
  for (std::string& slot : out)
    slot.clear();
  const int count = lookup_builtin(reading, out);
  if (which == Dictionaries::builtin) return count;
  return lookup_large(reading, out, count, learning);
}

void kanji_lookup(Engine& engine, std::string_view reading) {
  const CandidateSource* source = engine.candidate_source();
  engine.set_candidates([source, reading](std::span<std::string> slots) {
    return source ? source->candidates(reading, slots)
                  : lookup_candidates(Dictionaries::builtin, reading, slots);
  });
}

}  // namespace lumeta
