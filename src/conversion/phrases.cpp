#include "phrases.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "learning.h"
#include "text_helpers.h"

namespace lumeta::phrases {
namespace {

// How many paths the converter reads back before filtering: enough for a strip's pages.
constexpr std::size_t kPaths = 40;
// Learned words asked for each two kana of the reading.
constexpr std::size_t kLearnedPerPrefix = 16;

// The user's learned spellings for the words of `reading`, as a cost change for the lattice:
// asked once for each two kana a word may start with (the store answers by reading prefix), a
// few words each, so a key's lookup stays quick with a full store.
class LearnedWords {
 public:
  LearnedWords(std::string_view reading, const Learning* learning) {
    if (!learning) return;
    for (std::size_t at = 0; at + 4 <= reading.size(); at += 2) {
      const std::string_view first = reading.substr(at, 4);
      if (!asked_.emplace(first).second) continue;
      for (Learning::Choice& c : learning->choices(first, kLearnedPerPrefix)) {
        // A choice for the whole reading leaves ↓'s order alone (predictions offer it first).
        if (c.reading == reading || !reading.substr(at).starts_with(c.reading)) continue;
        const int times = static_cast<int>(std::min<int64_t>(c.count, 3));
        bonus_[{std::move(c.reading), std::move(c.spelling)}] = -kLearnedBonus * times;
      }
    }
  }
  lattice::Adjust adjust() const {
    if (bonus_.empty()) return {};
    return [this](std::string_view reading, std::string_view spelling) {
      const auto it = bonus_.find({std::string(reading), std::string(spelling)});
      return it == bonus_.end() ? 0 : it->second;
    };
  }

 private:
  std::set<std::string, std::less<>> asked_;
  std::map<std::pair<std::string, std::string>, int> bonus_;
};

std::vector<lattice::Phrase> offered(std::string_view reading, const Learning* learning) {
  const LearnedWords learned(reading, learning);
  std::vector<lattice::Phrase> all = lattice::convert(reading, kPaths, learned.adjust());
  if (all.empty()) return all;
  const int best = all.front().cost;
  // Where the reading may well be left in kana (いる, なる: the kana nearly as likely as the
  // best), its katakana form (イル) is no likelier a choice than the rest: it goes last (↑ gives
  // it too). ボタン, far likelier than ぼたん, keeps its place.
  const bool kana_likely = std::any_of(all.begin(), all.end(), [&](const lattice::Phrase& p) {
    return p.spelling == reading && p.cost <= best + kMargin;
  });
  if (kana_likely) {
    const std::string katakana = text::hiragana_to_katakana(reading);
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&](const lattice::Phrase& p) { return p.spelling == katakana; });
    if (it != all.end()) std::rotate(it, it + 1, all.end());
  }
  std::erase_if(all, [&](const lattice::Phrase& p) {
    return p.spelling == reading || p.cost > best + kMargin ||
           (!p.attested && p.cost > best + kUnattestedMargin);
  });
  return all;
}

}  // namespace

std::vector<std::string> spellings(std::string_view reading, std::size_t limit,
                                   const Learning* learning) {
  std::vector<std::string> out;
  for (lattice::Phrase& p : offered(reading, learning)) {
    if (out.size() == limit) break;
    out.push_back(std::move(p.spelling));
  }
  return out;
}

std::vector<lattice::Word> words_of(std::string_view reading, std::string_view spelling,
                                    const Learning* learning) {
  for (lattice::Phrase& p : offered(reading, learning)) {
    if (p.spelling == spelling) return std::move(p.words);
  }
  return {};
}

}  // namespace lumeta::phrases
