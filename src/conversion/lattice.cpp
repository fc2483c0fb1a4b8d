#include "lattice.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <unordered_map>

#include "large_dictionary.h"
#include "text_helpers.h"

namespace lumeta::lattice {
namespace {

// The model's best words kept for one span (a short reading has dozens: こう → 高 後 行 …).
constexpr std::size_t kModelWordsPerSpan = 40;
// The large dictionary's first candidates kept for a span, when the model lacks them.
constexpr int kListedWordsPerSpan = 8;
// A word the model lacks costs this much more for each place further down the large
// dictionary's list.
constexpr int kPlaceCost = model::kDecade / 4;
// A kana standing for itself where the model has no such word: the last resort.
constexpr int kLoneKanaCost = 3 * model::kDecade;
// A loanword the dictionaries lack, in katakana (でぃれくとり → ディレクトリ): a span holding ー
// or a small vowel, at most this long.
constexpr int kLongestLoanword = 16;
// It costs this much for each kana, on top of a word the model lacks: a long loanword beats a
// chain of lone kana, but not the model's words (さぎょう stays 作業 before でぃれくとり).
constexpr int kLoanwordCharCost = model::kDecade * 3 / 2;

struct Node {
  int start = 0, end = 0;  // in characters
  model::WordId id = model::kNoWord;
  std::string_view reading, spelling;
  int extra = 0;                            // added to the model's cost of the word
  model::WordId stand_in = model::kNoWord;  // the context it gives the next word, if not `id`
};

// The context a word the model lacks gives the word after it: a loanword stands as データ, a
// word of the large dictionary as 情報 (both nouns that take を, が, の …).
model::WordId loanword_stand_in() {
  static const model::WordId id = model::find("でーた", "データ");
  return id;
}
model::WordId listed_word_stand_in() {
  static const model::WordId id = model::find("じょうほう", "情報");
  return id;
}

struct Path {
  int cost = 0;
  int node = -1;      // -1: the sentence's start
  int previous = -1;  // the path this one extends
};

unsigned code_at(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) << 8 | static_cast<unsigned char>(s[i + 1]);
}

// ー or a small vowel ぁぃぅぇぉ: kana that mostly write loanwords (でぃれくとり, ふぉーまっと).
bool loanword_kana(unsigned code) {
  return code == 0x815B || code == 0x829F || code == 0x82A1 || code == 0x82A3 || code == 0x82A5 ||
         code == 0x82A7;
}

// A spelling with a kana or kanji in it, not only signs (the large dictionary lists 　 for
// くうはく).
bool has_letter(std::string_view spelling) {
  for (std::size_t i = 0; i + 1 < spelling.size(); i += 2) {
    if (static_cast<unsigned char>(spelling[i]) < 0x81) return false;  // one-byte text
    if (code_at(spelling, i) >= 0x829F) return true;
  }
  return false;
}

bool kana_reading(std::string_view reading) {
  if (reading.empty() || reading.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < reading.size(); i += 2) {
    const unsigned code =
        static_cast<unsigned char>(reading[i]) << 8 | static_cast<unsigned char>(reading[i + 1]);
    // ぁ..ん, ー, and the signs romaji mode puts into a reading (、。・？！～).
    const bool kana = code >= 0x829F && code <= 0x82F1;
    if (!kana && code != 0x815B && code != 0x8141 && code != 0x8142 && code != 0x8145 &&
        code != 0x8148 && code != 0x8149 && code != 0x8160)
      return false;
  }
  return true;
}

class Search {
 public:
  Search(std::string_view reading, const Adjust& adjust)
      : reading_(reading),
        chars_(static_cast<int>(reading.size() / 2)),
        starting_(chars_),
        ending_(chars_ + 1) {
    for (int at = 0; at < chars_; ++at)
      add_words_at(at, adjust);
    paths_.push_back({});
    ending_[0].push_back(0);
    for (int at = 0; at < chars_; ++at) {
      keep_best(ending_[at], kPathsPerPosition);
      for (int node : starting_[at])
        extend(at, node);
    }
  }

  std::vector<Phrase> best(std::size_t n) {
    std::vector<std::pair<int, int>> ends;  // (cost, path)
    // A reading converted is mostly a part of a sentence, so no cost of the sentence's end.
    for (int p : ending_[chars_]) {
      ends.push_back({paths_[p].cost, p});
    }
    std::sort(ends.begin(), ends.end());
    std::vector<Phrase> out;
    for (const auto& [cost, p] : ends) {
      if (out.size() == n) break;
      Phrase phrase;
      phrase.cost = cost;
      for (int q = p; paths_[q].node >= 0; q = paths_[q].previous) {
        const Node& node = nodes_[paths_[q].node];
        phrase.words.push_back({std::string(node.reading), std::string(node.spelling), node.id});
      }
      std::reverse(phrase.words.begin(), phrase.words.end());
      for (std::size_t i = 0; i < phrase.words.size(); ++i) {
        phrase.spelling += phrase.words[i].spelling;
        const model::WordId before = i ? phrase.words[i - 1].id : model::kNoWord;
        if (i && before != model::kNoWord && phrase.words[i].id != model::kNoWord &&
            !model::bigram_known(before, phrase.words[i].id))
          phrase.attested = false;
      }
      const bool seen = std::any_of(out.begin(), out.end(), [&phrase](const Phrase& o) {
        return o.spelling == phrase.spelling;
      });
      if (!seen) out.push_back(std::move(phrase));
    }
    return out;
  }

 private:
  // The word a path ends with, as the context of the next word: a word the model lacks stands
  // as a common word of its kind (ディレクトリ as データ, so を may follow it).
  model::WordId word_of(const Path& p) const {
    if (p.node < 0) return model::kSentenceStart;
    const Node& node = nodes_[p.node];
    return node.id != model::kNoWord ? node.id : node.stand_in;
  }
  // The word before that. A reading converted is mostly a part of a sentence, so the sentence's
  // start weighs on the first word alone: the second word's context is the first word only
  // (たかく: 高 く, not <s> 多角).
  model::WordId word_before(const Path& p) const {
    if (p.previous < 0 || paths_[p.previous].node < 0) return model::kNoWord;
    return word_of(paths_[p.previous]);
  }

  void add_node(Node node, const Adjust& adjust) {
    if (adjust) node.extra += adjust(node.reading, node.spelling);
    starting_[node.start].push_back(static_cast<int>(nodes_.size()));
    nodes_.push_back(node);
  }

  // Every word whose reading starts at character `at`.
  void add_words_at(int at, const Adjust& adjust) {
    bool lone_kana = false;
    const int longest = std::min<int>(
        chars_ - at, static_cast<int>(std::max<std::size_t>(model::max_reading_chars(), 1)));
    for (int length = 1; length <= longest; ++length) {
      const std::string_view span = reading_.substr(at * 2, length * 2);
      if (model::words_starting(span).empty() && large_dictionary::find(span).empty() && length > 1)
        break;
      const model::WordRange range = model::words_read(span);
      std::size_t kept = 0;
      for (model::WordId w = range.begin; w < range.end && kept < kModelWordsPerSpan; ++w) {
        add_node({at, at + length, w, span, model::spelling_of(w), 0}, adjust);
        ++kept;
        if (length == 1 && model::spelling_of(w) == span) lone_kana = true;
      }
      large_dictionary::Candidates listed = large_dictionary::find(span);
      for (int place = 0; place < kListedWordsPerSpan && !listed.empty(); ++place) {
        const std::string_view spelling = listed.next();
        if (!has_letter(spelling) || model::find(span, spelling) != model::kNoWord) continue;
        add_node({at, at + length, model::kNoWord, span, spelling, place * kPlaceCost,
                  listed_word_stand_in()},
                 adjust);
      }
    }
    add_loanwords_at(at, adjust);
    if (!lone_kana) {
      const std::string_view kana = reading_.substr(at * 2, 2);
      add_node({at, at + 1, model::kNoWord, kana, kana, kLoneKanaCost}, adjust);
    }
  }

  // Katakana spellings of the spans from `at` that look like loanwords.
  void add_loanwords_at(int at, const Adjust& adjust) {
    bool loan = false;
    for (int length = 1; length <= kLongestLoanword && at + length <= chars_; ++length) {
      loan = loan || loanword_kana(code_at(reading_, (at + length - 1) * 2));
      if (!loan || length < 2) continue;
      const std::string_view span = reading_.substr(at * 2, length * 2);
      const std::string& spelling = katakana_.emplace_back(text::hiragana_to_katakana(span));
      if (model::find(span, spelling) != model::kNoWord) continue;
      add_node({at, at + length, model::kNoWord, span, spelling, kLoanwordCharCost * length,
                loanword_stand_in()},
               adjust);
    }
  }

  // The paths ending at a position, cheapest first, at most kPathsPerWord per last word and
  // `limit` in all.
  void keep_best(std::vector<int>& list, std::size_t limit) {
    std::sort(list.begin(), list.end(),
              [this](int a, int b) { return paths_[a].cost < paths_[b].cost; });
    std::unordered_map<int, std::size_t> per_node;
    std::vector<int> kept;
    for (int p : list) {
      if (kept.size() == limit) break;
      if (++per_node[paths_[p].node] > kPathsPerWord) continue;
      kept.push_back(p);
    }
    list = std::move(kept);
  }

  // The paths ending at `at` extended by `node`: its best kPathsPerWord.
  void extend(int at, int node_index) {
    const Node& node = nodes_[node_index];
    std::vector<Path> found;
    for (int p : ending_[at]) {
      const Path& path = paths_[p];
      const int cost =
          path.cost + node.extra + model::trigram_cost(word_before(path), word_of(path), node.id);
      found.push_back({cost, node_index, p});
    }
    const std::size_t keep = std::min(found.size(), kPathsPerWord);
    std::partial_sort(found.begin(), found.begin() + keep, found.end(),
                      [](const Path& a, const Path& b) { return a.cost < b.cost; });
    for (std::size_t i = 0; i < keep; ++i) {
      ending_[node.end].push_back(static_cast<int>(paths_.size()));
      paths_.push_back(found[i]);
    }
  }

  std::string_view reading_;
  int chars_;
  std::vector<Node> nodes_;
  std::deque<std::string> katakana_;        // loanwords' spellings, which nodes refer to
  std::vector<std::vector<int>> starting_;  // node indices by start
  std::vector<Path> paths_;
  std::vector<std::vector<int>> ending_;  // path indices by end
};

}  // namespace

std::vector<Phrase> convert(std::string_view reading, std::size_t n, const Adjust& adjust) {
  if (model::size() == 0 || n == 0 || !kana_reading(reading)) return {};
  return Search(reading, adjust).best(n);
}

}  // namespace lumeta::lattice
