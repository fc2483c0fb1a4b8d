#include "lexicon.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>

#include "large_dictionary.h"
#include "lexicon_format.h"
#include "model.h"

// The table, linked in by lexicon.S.
extern "C" const unsigned char lumeta_lexicon[];

namespace lumeta::lexicon {
namespace {

namespace format = lexicon::format;
using format::Row;

// At most this many words in a sequence: 書い て い た.
constexpr std::size_t kMaxWords = 5;
// A sequence of several words costing more than the cheapest offer for the reading by this
// much is not offered: the lexicon's costs keep odd joins of real words well above
// (いう: 言う 3,900, 居 + う 10,900).
constexpr int kCostMargin = 6000;
// Work done for one reading is bounded: at most this many partial sequences are tried (a
// 20-kana reading tries a few hundred).
constexpr int kMaxSteps = 20000;

const format::Header& header() {
  return *reinterpret_cast<const format::Header*>(lumeta_lexicon);
}
}  // namespace

std::size_t size() {
  return header().magic == format::kMagic ? header().row_count : 0;
}

namespace {

template <class T>
const T* section(uint32_t offset) {
  return reinterpret_cast<const T*>(lumeta_lexicon + offset);
}

std::string_view text_at(uint32_t offset) {
  const char* p = section<char>(header().text) + offset;
  return {p + 1, static_cast<unsigned char>(p[0])};
}

const format::Reading* readings() {
  return section<format::Reading>(header().readings);
}
const Row* rows() {
  return section<Row>(header().rows);
}

int connection(std::size_t right, std::size_t left) {
  return section<int16_t>(header().matrix)[right * header().contexts + left];
}

bool joins(const Row& before, const Row& after) {
  const std::size_t bit = static_cast<std::size_t>(before.right) * header().contexts + after.left;
  return section<uint8_t>(header().joins)[bit / 8] >> (bit % 8) & 1;
}

std::string_view spelling_of(const Row& r) {
  return text_at(r.spelling);
}

// に対して: a kanji (first byte 0x88 and above) in the spelling.
bool written_with_kanji(const Row& r) {
  const std::string_view s = spelling_of(r);
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    if (static_cast<unsigned char>(s[i]) >= 0x88) return true;
  }
  return false;
}

bool late(const Row& r) {
  return r.flags & (format::kProperNoun | format::kKanaOfKanji);
}

// IPAdic gives the names everyone writes low costs (東京 3,003, 大阪 4,257) and the rest of its
// place, company and family names 6,000 and more (画像技研 6,839, 月光川 8,538, 愛鷹 7,620).
constexpr int kEverydayNameCost = 5000;

// Whether predictions offer row `r`: every word but the proper nouns only their owners write
// (がぞ offers 画像, not 画像技研 or 峨蔵越; とうきょ still offers 東京). The user's own choices
// are offered whatever they are (predictions.h).
bool predictable(const Row& r) {
  return !(r.flags & format::kProperNoun) || r.cost < kEverydayNameCost;
}

// Index of the first reading not less than `key`.
std::size_t lower_reading(std::string_view key) {
  std::size_t low = 0, high = header().reading_count;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (text_at(readings()[mid].text) < key) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// The rows read exactly `reading`: [first, last).
std::pair<uint32_t, uint32_t> rows_of(std::string_view reading) {
  const std::size_t i = lower_reading(reading);
  if (i >= header().reading_count || text_at(readings()[i].text) != reading) return {0, 0};
  return {readings()[i].first_row, readings()[i + 1].first_row};
}

// Whether `next` may follow `path` in a sequence: a word, then endings (after a conjugated
// word or an ending: 書い + た, 書か + ない, 書い + て + いる) and particles (日本 + を); a
// conjugated word only in a form that suits what follows it (書い + た, not 買い + た).
bool may_follow(const std::vector<const Row*>& path, const Row& next) {
  if (path.empty()) {
    return next.kind == format::kContent || next.kind == format::kSuru ||
           (next.kind == format::kParticle && written_with_kanji(next));
  }
  const Row& before = *path.back();
  const bool conjugates = before.flags & format::kConjugates;
  if (next.kind == format::kSuru) return path.size() == 1 && (before.flags & format::kVerbalNoun);
  if (next.kind == format::kEnding) {
    if (!conjugates) {
      // て + いる; 静か + だっ; 日本 + です
      return before.kind == format::kEnding ||
             (before.kind == format::kContent && (next.flags & format::kCopula));
    }
    // ん ends ません; after a word it is a spoken contraction (書かん, 接 + しょ + ん).
    if (spelling_of(next) == "ん" && before.kind != format::kEnding) return false;
    // た or だ by the conjugation, which the connection costs do not tell: 書いた, 嗅いだ.
    if (next.flags & (format::kPlainTa | format::kVoicedTa)) {
      const bool voiced = before.flags & format::kVoicedJoin;
      if (voiced != bool(next.flags & format::kVoicedTa)) return false;
    }
    return joins(before, next);
  }
  if (next.kind == format::kParticle) return !conjugates || joins(before, next);
  return false;
}

// Whether `path` is a whole offer: a word alone in its whole or continuative form (書く, 書き),
// or a sequence ending in a whole form (書いた, not 書いて + い) or in an auxiliary's
// continuative (行われ: 行わ + れ).
bool complete(const std::vector<const Row*>& path) {
  const Row& last = *path.back();
  if (last.form == format::kWhole) return true;
  if (last.form != format::kStem) return false;
  return path.size() == 1 || (last.traits & format::kAuxiliaryVerb);
}

// A word in one of its forms: one row, or a conjugated word followed by endings only.
bool one_word(const std::vector<const Row*>& path) {
  if (path.size() == 1) return true;
  // 移動した: a verbal noun with する is a verb.
  const std::size_t verb = path[1]->kind == format::kSuru ? 1 : 0;
  if (!(path[verb]->flags & format::kConjugates)) return false;
  return std::all_of(path.begin() + verb + 1, path.end(),
                     [](const Row* r) { return r->kind == format::kEnding; });
}

// Every sequence of rows that reads the whole reading, as `may_follow` and `complete` allow.
struct Search {
  struct Span {
    std::size_t bytes;           // reads reading[at, at + bytes)
    std::vector<uint32_t> rows;  // those that may take this place: a word first, then endings
  };
  std::string_view reading;
  std::vector<std::vector<Span>> spans;  // by start, in characters
  std::vector<const Row*> path;
  std::map<std::string, Ranked> found;
  int steps = 0;
  int best_cost = INT_MAX;
  // Optionally, the last row of the cheapest sequence spelled `target`.
  std::string_view target;
  const Row* target_last = nullptr;
  int target_cost = INT_MAX;

  explicit Search(std::string_view r, std::string_view t = {})
      : reading(r), spans(r.size() / 2), target(t) {
    for (std::size_t at = 0; at < reading.size(); at += 2) {
      const std::size_t longest =
          std::min<std::size_t>(reading.size() - at, header().max_reading_chars * 2);
      for (std::size_t bytes = 2; bytes <= longest; bytes += 2) {
        const std::string_view part = reading.substr(at, bytes);
        const std::size_t i = lower_reading(part);
        if (i >= header().reading_count) break;
        const std::string_view found_reading = text_at(readings()[i].text);
        if (!found_reading.starts_with(part)) break;  // no longer reading begins so
        if (found_reading.size() != part.size()) continue;
        Span span{bytes, {}};
        for (uint32_t row = readings()[i].first_row; row < readings()[i + 1].first_row; ++row) {
          const uint8_t kind = rows()[row].kind;
          // A particle of several words written with kanji may come first: に対して.
          const bool first = kind == format::kContent || kind == format::kSuru ||
                             (kind == format::kParticle && written_with_kanji(rows()[row]));
          const bool later =
              kind == format::kEnding || kind == format::kParticle || kind == format::kSuru;
          if (at == 0 ? first : later) span.rows.push_back(row);
        }
        if (!span.rows.empty()) spans[at / 2].push_back(std::move(span));
      }
    }
    run(0, 0);
  }

  void run(std::size_t at, int cost) {
    if (at == reading.size()) {
      if (complete(path)) record(cost + connection(path.back()->right, 0));
      return;
    }
    if (path.size() == kMaxWords) return;
    for (const Span& span : spans[at / 2]) {
      for (uint32_t i : span.rows) {
        const Row& r = rows()[i];
        if (!may_follow(path, r)) continue;
        if (++steps > kMaxSteps) return;
        const int link = connection(path.empty() ? 0 : path.back()->right, r.left);
        path.push_back(&r);
        run(at + span.bytes, cost + link + r.cost);
        path.pop_back();
      }
    }
  }

  void record(int cost) {
    std::string spelling;
    for (const Row* r : path)
      spelling += spelling_of(*r);
    if (spelling == reading) return;
    if (spelling == target && cost < target_cost) {
      target_cost = cost;
      target_last = path.back();
    }
    const Row& head = *path.front();
    Ranked ranked{spelling, late(head) ? 2 : (one_word(path) ? 0 : 1), head.listed, cost};
    // A word with endings listed through its stem yields to a spelling the large dictionary
    // lists whole at the same place (りすと: リスト before 利す + と).
    ranked.by_stem = path.size() > 1;
    best_cost = std::min(best_cost, cost);
    ranked.single = path.size() == 1;
    // A spelling that is one row keeps that row's ranking (告げる, not 告げ + る).
    auto [it, added] = found.try_emplace(spelling, ranked);
    if (!added && std::tuple(!ranked.single, ranked.key()) <
                      std::tuple(!it->second.single, it->second.key())) {
      it->second = ranked;
    }
  }
};

bool searchable(std::string_view reading) {
  return size() != 0 && !reading.empty() && reading.size() % 2 == 0 &&
         reading.size() / 2 <= kMaxWords * header().max_reading_chars;
}

}  // namespace

std::vector<Ranked> ranked_spellings(std::string_view reading, std::size_t limit) {
  if (!searchable(reading)) return {};
  Search s(reading);

  // The large dictionary's place for the whole spelling, when it lists it.
  large_dictionary::Candidates listed = large_dictionary::find(reading);
  for (int place = 0; !listed.empty(); ++place) {
    const auto it = s.found.find(std::string(listed.next()));
    if (it != s.found.end() && place <= it->second.listed) {
      it->second.listed = place;
      it->second.by_stem = false;
    }
  }
  std::vector<Ranked> out;
  for (auto& [spelling, ranked] : s.found) {
    if (ranked.single || ranked.cost <= s.best_cost + kCostMargin) out.push_back(std::move(ranked));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const Ranked& a, const Ranked& b) { return a.key() < b.key(); });
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::vector<std::string> spellings(std::string_view reading, std::size_t limit) {
  std::vector<std::string> out;
  for (Ranked& r : ranked_spellings(reading, limit))
    out.push_back(std::move(r.spelling));
  return out;
}

std::vector<Prediction> predictions(std::string_view prefix, std::size_t limit) {
  std::vector<Prediction> out;
  if (size() == 0 || prefix.empty() || prefix.size() % 2 != 0) return out;
  // The reading each row belongs to, found by its place among the readings' first rows.
  auto reading_of = [](uint32_t row) {
    const format::Reading* begin = readings();
    const format::Reading* end = begin + header().reading_count + 1;
    const auto it = std::upper_bound(
        begin, end, row, [](uint32_t r, const format::Reading& x) { return r < x.first_row; });
    return text_at((it - 1)->text);
  };
  if (prefix.size() <= 4) {
    const auto* prefixes = section<format::Prefix>(header().prefixes);
    std::size_t low = 0, high = header().prefix_count;
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (text_at(prefixes[mid].text) < prefix) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    if (low >= header().prefix_count || text_at(prefixes[low].text) != prefix) return out;
    const uint32_t* list = section<uint32_t>(header().prefix_rows);
    for (uint32_t i = prefixes[low].first_row; i < prefixes[low + 1].first_row; ++i) {
      if (out.size() == limit) break;
      if (!predictable(rows()[list[i]])) continue;
      out.push_back({std::string(reading_of(list[i])), std::string(spelling_of(rows()[list[i]]))});
    }
    return out;
  }
  // Longer prefixes: the rows of every reading that begins with it, ranked here.
  const std::size_t first = lower_reading(prefix);
  std::vector<std::pair<std::tuple<int, int, int, int>, uint32_t>> ranked;
  for (std::size_t i = first;
       i < header().reading_count && text_at(readings()[i].text).starts_with(prefix); ++i) {
    for (uint32_t j = readings()[i].first_row; j < readings()[i + 1].first_row; ++j) {
      const Row& r = rows()[j];
      if (r.kind != format::kContent || !(r.traits & format::kHeadword) || !predictable(r))
        continue;
      ranked.push_back({{late(r) ? 1 : 0, r.listed, r.by_stem, r.cost}, j});
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [key, j] : ranked) {
    if (out.size() == limit) break;
    Prediction p{std::string(reading_of(j)), std::string(spelling_of(rows()[j]))};
    const bool seen = std::any_of(out.begin(), out.end(), [&p](const Prediction& q) {
      return q.reading == p.reading && q.spelling == p.spelling;
    });
    if (!seen) out.push_back(std::move(p));
  }
  return out;
}

std::vector<std::string> likely_next(std::string_view reading, std::string_view spelling,
                                     std::size_t limit) {
  std::vector<std::string> out;
  if (size() == 0) return out;
  // The word's right context id: its best-ranked row, or the last word of its best sequence.
  const Row* word = nullptr;
  const auto [first, last] = rows_of(reading);
  for (uint32_t i = first; i < last && !word; ++i) {
    if (spelling_of(rows()[i]) == spelling) word = &rows()[i];
  }
  if (!word && searchable(reading)) {
    // Not one row: the last row of the cheapest sequence spelled so (書いた: 書い + た).
    word = Search(reading, spelling).target_last;
  }
  if (!word) return out;
  // After a particle comes a word of its own (を → 使う, 画像), never another particle (を →
  // まで): the costs here rank particles and endings only, so nothing is offered.
  if (word->kind == format::kParticle) return out;
  // A verbal noun is most often followed by する (選択 → する); a verb, adjective or ending in
  // its dictionary form often ends the sentence (使う → 。, 使った → 。).
  if (word->flags & format::kVerbalNoun) {
    out.emplace_back("する");
  } else if ((word->flags & format::kConjugates) && word->form == format::kWhole &&
             (word->traits & format::kHeadword) && word->kind != format::kPrefix) {
    out.emplace_back("。");
  }
  // The words that may follow: particles and endings of one or two kana in the form a
  // dictionary lists them under, and する.
  static const std::vector<uint32_t> followers = [] {
    std::vector<uint32_t> list;
    for (uint32_t i = 0; i < header().reading_count; ++i) {
      if (text_at(readings()[i].text).size() > 4) continue;
      for (uint32_t j = readings()[i].first_row; j < readings()[i + 1].first_row; ++j) {
        const Row& r = rows()[j];
        const bool function = r.kind == format::kParticle || r.kind == format::kEnding;
        if ((function && (r.traits & format::kHeadword)) || spelling_of(r) == "する")
          list.push_back(j);
      }
    }
    return list;
  }();
  // Ranked by how often the conversion model saw each after the word, where it knows the word
  // (画像 → を の が …, する → と の が, not たり or つつ), then by the lexicon's connection cost
  // (a verb with its kana, 使う, is two words of the model: 使 + う).
  const model::WordId before = model::find(reading, spelling);
  std::vector<std::tuple<int, int, std::string_view>> scored;
  for (uint32_t i : followers) {
    const Row& r = rows()[i];
    if (!may_follow({word}, r)) continue;
    const std::string_view s = spelling_of(r);
    const model::WordId next = before == model::kNoWord ? model::kNoWord : model::find(s, s);
    const int seen = next == model::kNoWord ? INT_MAX : model::bigram_cost(before, next);
    scored.push_back({seen, connection(word->right, r.left) + r.cost, s});
  }
  std::stable_sort(scored.begin(), scored.end());
  for (const auto& [seen, score, s] : scored) {
    if (out.size() == limit) break;
    if (std::find(out.begin(), out.end(), s) == out.end()) out.emplace_back(s);
  }
  return out;
}

}  // namespace lumeta::lexicon
