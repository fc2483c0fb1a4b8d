#include "phrases.h"

#include <algorithm>
#include <map>
#include <utility>

#include "learning.h"

namespace lumeta::phrases {
namespace {

// How many paths the converter reads back before filtering: enough for a strip's pages.
constexpr std::size_t kPaths = 40;

// The user's learned spellings for the words of `reading`, as a cost change for the lattice:
// looked up once per starting kana (the store answers by reading prefix).
class LearnedWords {
 public:
  LearnedWords(std::string_view reading, const Learning* learning) {
    if (!learning) return;
    for (std::size_t at = 0; at + 2 <= reading.size(); at += 2) {
      const std::string_view first = reading.substr(at, 2);
      if (asked_.contains(std::string(first))) continue;
      asked_.emplace(first, true);
      for (Learning::Choice& c : learning->choices(first, 256)) {
        if (!reading.substr(at).starts_with(c.reading)) continue;
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
  std::map<std::string, bool> asked_;
  std::map<std::pair<std::string, std::string>, int> bonus_;
};

std::vector<lattice::Phrase> offered(std::string_view reading, const Learning* learning) {
  const LearnedWords learned(reading, learning);
  std::vector<lattice::Phrase> all = lattice::convert(reading, kPaths, learned.adjust());
  if (all.empty()) return all;
  const int best = all.front().cost;
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
