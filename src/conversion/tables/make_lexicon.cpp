// Build-time tool: turns Debian's morphological lexicon (mecab-ipadic: EUC-JP CSV rows, one per
// word form, and the connection cost matrix) into the compact table linked into the program.
//
//   make_lexicon /usr/share/mecab/dic/ipadic lexicon.bin
//
// Kept: rows whose reading (katakana, turned into hiragana) romaji mode can type and whose
// spelling has a CP932 form, no symbols, no colloquial or classical forms (書きゃ, 大き).
// Each row keeps its cost, context ids, a small part-of-speech kind, and its place in the large
// dictionary's list (linked into this tool) for ranking. The layout is in lexicon_format.h.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "build_tool_text.h"
#include "large_dictionary.h"
#include "lexicon_format.h"
#include "sjis.h"

namespace {

namespace format = lumeta::lexicon::format;

// The lexicon's files, all in the dictionary folder.
constexpr std::array<const char*, 25> kWordFiles = {
    "Adj.csv",           "Adnominal.csv",   "Adverb.csv",       "Auxil.csv",
    "Conjunction.csv",   "Filler.csv",      "Interjection.csv", "Noun.adjv.csv",
    "Noun.adverbal.csv", "Noun.csv",        "Noun.demonst.csv", "Noun.nai.csv",
    "Noun.name.csv",     "Noun.number.csv", "Noun.org.csv",     "Noun.others.csv",
    "Noun.place.csv",    "Noun.proper.csv", "Noun.verbal.csv",  "Others.csv",
    "Postp-col.csv",     "Postp.csv",       "Prefix.csv",       "Suffix.csv",
    "Verb.csv"};

// Conjugated forms and the place each may take in a word sequence (lexicon_format.h, Form).
// A form not listed is never offered.
struct FormPlace {
  std::string_view name;  // as the lexicon writes it
  format::Form form;
};
// clang-format off
constexpr std::array<FormPlace, 21> kFormPlaces = {{
    {"*", format::kWhole},
    {"基本形", format::kWhole},           // 書く
    {"音便基本形", format::kWhole},
    {"現代基本形", format::kWhole},
    {"基本形-促音便", format::kWhole},
    {"命令ｅ", format::kWhole},           // 書け
    {"命令ｒｏ", format::kWhole},         // 食べろ
    {"命令ｙｏ", format::kWhole},         // 食べよ
    {"命令ｉ", format::kWhole},           // くださ い
    {"連用形", format::kStem},            // 書き
    {"未然形", format::kInside},          // 書か(ない)
    {"未然ウ接続", format::kInside},      // 書こ(う)
    {"未然ヌ接続", format::kInside},
    {"未然レル接続", format::kInside},    // さ(れる)
    {"連用タ接続", format::kInside},      // 書い(た)
    {"連用テ接続", format::kStem},        // 大きく, 大きく(て)
    {"連用ゴザイ接続", format::kInside},  // 大きゅう(ございます)
    {"連用ニ接続", format::kInside},
    {"連用デ接続", format::kInside},
    {"仮定形", format::kInside},          // 書け(ば)
    {"体言接続", format::kInside},        // な (静かな → だ's attributive)
}};
// clang-format on

// The letter the large dictionary writes after a stem for the first kana of its ending (書く is
// listed under かk, 使った under つかt, 新しい under あたらs). じ is written both ways.
struct EndingLetters {
  std::string_view kana;     // Shift-JIS
  std::string_view letters;  // tried in this order
};
// clang-format off
constexpr std::array<EndingLetters, 21> kEndingLetters = {{
    {"あ", "a"}, {"い", "i"}, {"う", "u"}, {"え", "e"}, {"お", "o"},
    {"かきくけこ", "k"}, {"がぎぐげご", "g"}, {"さしすせそ", "s"}, {"ざずぜぞ", "z"},
    {"じ", "zj"}, {"たちつてと", "t"}, {"っ", "t"}, {"だぢづでど", "d"},
    {"なにぬねのん", "n"}, {"はひふへほ", "h"}, {"ばびぶべぼ", "b"}, {"ぱぴぷぺぽ", "p"},
    {"まみむめも", "m"}, {"やゆよ", "y"}, {"らりるれろ", "r"}, {"わを", "w"},
}};
// clang-format on

// This tool's literals are compiled to CP932, like the engine's.
std::string cp932(std::string_view literal) {
  return std::string(literal);
}

std::string ending_letters(std::string_view kana_cp932) {
  for (const EndingLetters& row : kEndingLetters) {
    const std::string kana = cp932(row.kana);
    for (std::size_t i = 0; i < kana.size(); i += 2) {
      if (kana.substr(i, 2) == kana_cp932) return std::string(row.letters);
    }
  }
  return {};
}

unsigned code_at(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) << 8 | static_cast<unsigned char>(s[i + 1]);
}

bool two_byte_only(std::string_view s) {
  if (s.empty() || s.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    if (!lumeta::sjis::is_lead_byte(s[i])) return false;
  }
  return true;
}

// Katakana to hiragana in CP932: カイ → かい; ヴ → う゛, ヵ ヶ → か け; ー and the rest kept.
std::string hiragana(std::string_view katakana) {
  std::string out;
  for (std::size_t i = 0; i < katakana.size(); i += 2) {
    unsigned c = code_at(katakana, i);
    if (c == 0x8394) {  // ヴ
      out += cp932("う゛");
      continue;
    }
    if (c == 0x8395) c = 0x82A9;  // ヵ → か
    if (c == 0x8396) c = 0x82AF;  // ヶ → け
    if (c >= 0x8340 && c <= 0x837E) c = c - 0x8340 + 0x829F;
    if (c >= 0x8380 && c <= 0x8393) c = c - 0x8380 + 0x82DE;
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

bool is_hiragana(unsigned c) {
  return c >= 0x829F && c <= 0x82F1;
}
bool is_katakana(unsigned c) {
  return (c >= 0x8340 && c <= 0x8396) || c == 0x815B;
}
bool is_kanji(unsigned c) {
  return c >= 0x889F || c == 0x8158 || c == 0x815A;  // 々 〇
}

// A spelling of letters only: kana, kanji, full-width Latin letters and digits, and the
// repetition marks; no symbol.
bool letters_only(std::string_view s) {
  if (!two_byte_only(s)) return false;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const unsigned c = code_at(s, i);
    const bool mark = c == 0x815B || (c >= 0x8152 && c <= 0x815A);  // ー ヽヾゝゞ〃仝々〆〇
    const bool alnum = c >= 0x824F && c <= 0x829A;
    if (!(mark || alnum || is_hiragana(c) || is_katakana(c) || is_kanji(c))) return false;
  }
  return true;
}

bool all_katakana(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += 2) {
    if (!is_katakana(code_at(s, i))) return false;
  }
  return true;
}

bool has_kanji(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += 2) {
    if (is_kanji(code_at(s, i))) return true;
  }
  return false;
}

std::vector<std::string_view> split(std::string_view line, char sep) {
  std::vector<std::string_view> out;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(sep, start);
    out.push_back(line.substr(start, end - start));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

int number(std::string_view s) {
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

// Place of `spelling` in the large dictionary's list for `key`, or 255.
uint8_t place_in(std::string_view key, std::string_view spelling) {
  lumeta::large_dictionary::Candidates list = lumeta::large_dictionary::find(key);
  for (int i = 0; i < 255 && !list.empty(); ++i) {
    if (list.next() == spelling) return static_cast<uint8_t>(i);
  }
  return 255;
}

// Where the large dictionary lists a row: its spelling under its reading (画像 under がぞう), or
// for a conjugated form, its kanji stem under the stem's reading and the ending's letter (書い
// read かい: 書 under かi).
std::pair<uint8_t, bool> listed(std::string_view reading, std::string_view spelling,
                                bool conjugates) {
  const uint8_t whole = place_in(reading, spelling);
  if (!conjugates) return {whole, false};
  std::size_t tail = 0;  // bytes of kana ending shared by spelling and reading
  while (tail < spelling.size() && tail < reading.size() &&
         is_hiragana(code_at(spelling, spelling.size() - tail - 2)) &&
         spelling.substr(spelling.size() - tail - 2, 2) ==
             reading.substr(reading.size() - tail - 2, 2)) {
    tail += 2;
  }
  if (tail == 0 || tail == spelling.size() || tail == reading.size()) return {whole, false};
  const std::string_view stem = spelling.substr(0, spelling.size() - tail);
  const std::string_view stem_reading = reading.substr(0, reading.size() - tail);
  uint8_t by_stem = 255;
  for (char letter : ending_letters(reading.substr(reading.size() - tail, 2))) {
    by_stem = std::min(by_stem, place_in(std::string(stem_reading) + letter, stem));
  }
  if (by_stem < whole) return {by_stem, true};
  return {whole, false};
}

struct Word {
  std::string reading;   // hiragana, CP932
  std::string spelling;  // CP932
  format::Row row{};
};

std::tuple<int, int, int, int> rank(const format::Row& r) {
  const int late = (r.flags & (format::kProperNoun | format::kKanaOfKanji)) ? 1 : 0;
  return {late, r.listed, r.by_stem, r.cost};
}

void align(std::string& blob) {
  while (blob.size() % 16 != 0)
    blob += '\0';
}

template <class T>
void put(std::string& blob, const T& v) {
  blob.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// For each context id of an id file ("832 動詞,自立,*,*,五段・ワ行促音便,連用形,*"), the ids
// whose features are the same once `blank` has blanked some of them; ids `blank` refuses (by
// returning false) have none.
template <class Blank>
std::vector<std::vector<std::size_t>> siblings(const std::string& path, std::size_t contexts,
                                               Blank blank) {
  std::vector<std::string> key(contexts);
  std::ifstream ids(path, std::ios::binary);
  for (std::string l; std::getline(ids, l);) {
    const std::size_t space = l.find(' ');
    const std::size_t id = number(std::string_view(l).substr(0, space));
    std::vector<std::string_view> f = split(std::string_view(l).substr(space + 1), ',');
    if (id >= contexts || f.size() < 7 || !blank(f)) continue;
    for (std::string_view part : f)
      key[id].append(part).append(",");
  }
  std::map<std::string, std::vector<std::size_t>> groups;
  for (std::size_t id = 0; id < contexts; ++id) {
    if (!key[id].empty()) groups[key[id]].push_back(id);
  }
  std::vector<std::vector<std::size_t>> out(contexts);
  for (std::size_t id = 0; id < contexts; ++id) {
    if (!key[id].empty()) out[id] = groups[key[id]];
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_lexicon IPADIC-FOLDER OUTPUT\n";
    return 2;
  }
  const std::string folder = argv[1];
  lumeta::build_tool::ToCp932 to_cp932;
  if (!to_cp932.ok()) {
    std::cerr << "make_lexicon: iconv lacks EUC-JP or CP932\n";
    return 1;
  }
  const std::set<std::string> chars = lumeta::build_tool::typable_characters();
  std::map<std::string, format::Form> places;
  for (const FormPlace& p : kFormPlaces)
    places[cp932(p.name)] = p.form;
  const std::string kSymbol = cp932("記号"), kParticle = cp932("助詞"),
                    kAuxiliary = cp932("助動詞"), kPrefix = cp932("接頭詞"), kNoun = cp932("名詞"),
                    kVerb = cp932("動詞"), kAdjective = cp932("形容詞"),
                    kDependent = cp932("非自立"), kSuffix = cp932("接尾"),
                    kConjunctive = cp932("接続助詞"), kProper = cp932("固有名詞"),
                    kTaForm = cp932("連用タ接続"), kBaseForm = cp932("基本形"),
                    kTaType = cp932("特殊・タ"), kSuruType = cp932("サ変・スル"),
                    kSuru = cp932("する"), kVerbal = cp932("サ変接続");
  // Conjunctive particles that belong to the form of the word before them (書いて, 書けば);
  // the others (と, が, から, ので) are words of their own (書くと).
  std::set<std::string> form_particles;
  for (std::string_view p : {"て", "で", "ば", "たり", "だり", "ながら", "つつ", "ても", "でも"})
    form_particles.insert(cp932(p));
  // The endings that follow nouns too: だ and です in their forms (静かだった, 日本です).
  const std::set<std::string> copulas = {cp932("特殊・ダ"), cp932("特殊・デス")};
  // The conjugations whose 連用タ接続 takes だ and で: 嗅いだ, 遊んだ, 読んだ, 死んだ.
  const std::set<std::string> voiced_types = {cp932("五段・ガ行"), cp932("五段・バ行"),
                                              cp932("五段・マ行"), cp932("五段・ナ行")};

  std::vector<Word> words;
  std::size_t rows_read = 0;
  for (const char* file : kWordFiles) {
    std::ifstream in(folder + "/" + file, std::ios::binary);
    if (!in) {
      std::cerr << "make_lexicon: cannot read " << folder << "/" << file << '\n';
      return 1;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::optional<std::string> text = to_cp932(line);
      ++rows_read;
      if (!text) continue;
      const std::vector<std::string_view> f = split(*text, ',');
      if (f.size() < 12) continue;
      const std::string_view spelling = f[0], pos1 = f[4], pos2 = f[5], conj_type = f[8],
                             conj_form = f[9];
      const std::string base(f[10]);
      if (pos1 == kSymbol || spelling.size() > 255 || !letters_only(spelling)) continue;
      const auto place = places.find(std::string(conj_form));
      if (place == places.end()) continue;
      const std::string reading = hiragana(f[11]);
      if (!lumeta::build_tool::typable(reading, chars) || reading.size() > 255) continue;
      Word w{reading, std::string(spelling), {}};
      const int cost = std::clamp(number(f[3]), -32768, 32767);
      w.row.cost = static_cast<int16_t>(cost);
      w.row.left = static_cast<uint16_t>(number(f[1]));
      w.row.right = static_cast<uint16_t>(number(f[2]));
      w.row.form = place->second;
      if (conj_form == "*" || conj_form == kBaseForm) w.row.traits |= format::kHeadword;
      if (pos1 == kAuxiliary || (pos1 == kVerb && pos2 == kSuffix))  // た, れる, られる
        w.row.traits |= format::kAuxiliaryVerb;
      if (pos1 == kPrefix) {
        w.row.kind = format::kPrefix;
      } else if (pos1 == kAuxiliary ||
                 (pos1 == kParticle && pos2 == kConjunctive && form_particles.contains(base)) ||
                 ((pos1 == kVerb || pos1 == kAdjective) &&
                  (pos2 == kDependent || pos2 == kSuffix))) {
        w.row.kind = format::kEnding;
      } else if (pos1 == kParticle) {
        w.row.kind = format::kParticle;
      } else if (pos1 == kNoun && (pos2 == kDependent || pos2 == kSuffix)) {
        w.row.kind = format::kSuffix;
      } else {
        w.row.kind = format::kContent;
      }
      // Particles and endings in katakana (ヲ, デ) are written so only in names; ん and て as
      // particles (not て after a verb) only make odd joins (仁保 + ん, 解 + て).
      if (w.row.kind != format::kContent && all_katakana(spelling)) continue;
      if (w.row.kind == format::kParticle && (spelling == cp932("ん") || spelling == cp932("て")))
        continue;
      if (pos1 == kAuxiliary && base == cp932("っす")) continue;  // セ + っしょ: spoken です
      if (pos1 == kVerb && conj_type == kSuruType && f[10] == kSuru) w.row.kind = format::kSuru;
      if (copulas.contains(std::string(conj_type))) w.row.flags |= format::kCopula;
      if (pos1 == kNoun && pos2 == kVerbal) w.row.flags |= format::kVerbalNoun;
      if (pos1 == kNoun && pos2 == kProper) w.row.flags |= format::kProperNoun;
      if (conj_type != "*") w.row.flags |= format::kConjugates;
      if (conj_form == kTaForm && voiced_types.contains(std::string(conj_type)))
        w.row.flags |= format::kVoicedJoin;
      // た, て and their voiced twins だ, で, after a verb's 連用タ接続 (not だ, だろ of 特殊・ダ).
      if (w.row.kind == format::kEnding && spelling.size() >= 2 &&
          (conj_type == kTaType || pos2 == kConjunctive)) {
        const std::string_view first = spelling.substr(0, 2);
        if (first == cp932("た") || first == cp932("て")) w.row.flags |= format::kPlainTa;
        if (first == cp932("だ") || first == cp932("で")) w.row.flags |= format::kVoicedTa;
      }
      words.push_back(std::move(w));
    }
  }

  // Connection costs, and the right ids' features (to find a conjugated word's other forms).
  std::ifstream matrix_in(folder + "/matrix.def", std::ios::binary);
  std::string line;
  if (!matrix_in || !std::getline(matrix_in, line)) {
    std::cerr << "make_lexicon: cannot read " << folder << "/matrix.def\n";
    return 1;
  }
  const std::size_t contexts = static_cast<std::size_t>(number(line));
  std::vector<int16_t> matrix(contexts * contexts, 0);
  while (std::getline(matrix_in, line)) {
    const std::vector<std::string_view> f = split(line, ' ');
    if (f.size() < 3) continue;
    const std::size_t right = number(f[0]), left = number(f[1]);
    if (right < contexts && left < contexts)
      matrix[right * contexts + left] = static_cast<int16_t>(number(f[2]));
  }
  // "832 動詞,自立,*,*,五段・ワ行促音便,連用形,*": the other forms of the same word class are
  // the right ids whose features differ only in the form (the sixth field). Only forms that
  // lead into another word are compared (大きく + て, though 大きい + て costs less).
  const std::vector<std::vector<std::size_t>> right_siblings =
      siblings(folder + "/right-id.def", contexts, [&](std::vector<std::string_view>& f) {
        const auto place = places.find(to_cp932(f[5]).value_or(""));
        if (f[4] == "*" || place == places.end()) return false;
        if (place->second != format::kStem && place->second != format::kInside) return false;
        f[5] = "";
        return true;
      });
  // A conjugated form joins the word after it when no other form of its word joins that word
  // markedly better: 書い + た (連用タ接続) joins; not 買い + た (連用形; 買っ + た is the form).
  constexpr int kJoinSlack = 300;
  std::vector<uint8_t> joins((contexts * contexts + 7) / 8, 0);
  for (std::size_t right = 0; right < contexts; ++right) {
    for (std::size_t left = 0; left < contexts; ++left) {
      const int cost = matrix[right * contexts + left];
      int best = cost;
      for (std::size_t s : right_siblings[right])
        best = std::min<int>(best, matrix[s * contexts + left]);
      const std::size_t bit = right * contexts + left;
      if (cost <= best + kJoinSlack) joins[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
    }
  }

  // Ranking fields, then the rows grouped by reading, best first.
  std::sort(words.begin(), words.end(),
            [](const Word& a, const Word& b) { return a.reading < b.reading; });
  for (std::size_t begin = 0; begin < words.size();) {
    std::size_t end = begin;
    bool kanji = false;
    for (; end < words.size() && words[end].reading == words[begin].reading; ++end) {
      if (has_kanji(words[end].spelling)) kanji = true;
    }
    for (std::size_t i = begin; i < end; ++i) {
      Word& w = words[i];
      if (kanji && all_katakana(w.spelling)) w.row.flags |= format::kKanaOfKanji;
      const auto [place, by_stem] =
          listed(w.reading, w.spelling, w.row.flags & format::kConjugates);
      w.row.listed = place;
      w.row.by_stem = by_stem;
    }
    begin = end;
  }
  std::stable_sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
    if (a.reading != b.reading) return a.reading < b.reading;
    return rank(a.row) < rank(b.row);
  });

  // Text area: readings, then spellings.
  std::string text;
  auto add_text = [&text](std::string_view s) {
    const uint32_t at = static_cast<uint32_t>(text.size());
    text += static_cast<char>(s.size());
    text += s;
    return at;
  };
  std::vector<format::Reading> readings;
  std::vector<format::Row> rows;
  std::size_t max_reading = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i == 0 || words[i].reading != words[i - 1].reading) {
      readings.push_back({add_text(words[i].reading), static_cast<uint32_t>(rows.size())});
      max_reading = std::max(max_reading, words[i].reading.size() / 2);
    }
    format::Row r = words[i].row;
    r.spelling = add_text(words[i].spelling);
    rows.push_back(r);
  }
  readings.push_back({add_text(""), static_cast<uint32_t>(rows.size())});

  // Predictions: for each prefix of one or two kana, the best content words in the form a
  // dictionary lists them under, each (reading, spelling) once.
  std::map<std::string, std::vector<uint32_t>> by_prefix;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Word& w = words[i];
    if (w.row.kind != format::kContent || !(w.row.traits & format::kHeadword)) continue;
    for (std::size_t chars_ = 1; chars_ <= 2 && chars_ * 2 <= w.reading.size(); ++chars_)
      by_prefix[w.reading.substr(0, chars_ * 2)].push_back(static_cast<uint32_t>(i));
  }
  std::vector<format::Prefix> prefixes;
  std::vector<uint32_t> prefix_rows;
  for (auto& [prefix, list] : by_prefix) {
    std::stable_sort(list.begin(), list.end(), [&words](uint32_t a, uint32_t b) {
      return rank(words[a].row) < rank(words[b].row);
    });
    prefixes.push_back({add_text(prefix), static_cast<uint32_t>(prefix_rows.size())});
    std::set<std::pair<std::string_view, std::string_view>> seen;
    std::size_t kept = 0;
    for (uint32_t i : list) {
      if (kept == format::kPredictionsPerPrefix) break;
      if (!seen.insert({words[i].reading, words[i].spelling}).second) continue;
      prefix_rows.push_back(i);
      ++kept;
    }
  }
  prefixes.push_back({add_text(""), static_cast<uint32_t>(prefix_rows.size())});

  format::Header h{};
  h.magic = format::kMagic;
  h.reading_count = static_cast<uint32_t>(readings.size() - 1);
  h.row_count = static_cast<uint32_t>(rows.size());
  h.prefix_count = static_cast<uint32_t>(prefixes.size() - 1);
  h.prefix_row_count = static_cast<uint32_t>(prefix_rows.size());
  h.contexts = static_cast<uint32_t>(contexts);
  h.text_size = static_cast<uint32_t>(text.size());
  h.max_reading_chars = static_cast<uint32_t>(max_reading);
  std::string blob;
  put(blob, h);
  align(blob);
  h.readings = static_cast<uint32_t>(blob.size());
  for (const auto& r : readings)
    put(blob, r);
  align(blob);
  h.rows = static_cast<uint32_t>(blob.size());
  for (const auto& r : rows)
    put(blob, r);
  align(blob);
  h.prefixes = static_cast<uint32_t>(blob.size());
  for (const auto& p : prefixes)
    put(blob, p);
  align(blob);
  h.prefix_rows = static_cast<uint32_t>(blob.size());
  for (uint32_t i : prefix_rows)
    put(blob, i);
  align(blob);
  h.matrix = static_cast<uint32_t>(blob.size());
  blob.append(reinterpret_cast<const char*>(matrix.data()), matrix.size() * sizeof(int16_t));
  align(blob);
  h.joins = static_cast<uint32_t>(blob.size());
  blob.append(reinterpret_cast<const char*>(joins.data()), joins.size());
  align(blob);
  h.text = static_cast<uint32_t>(blob.size());
  blob += text;
  std::memcpy(blob.data(), &h, sizeof h);

  if (!lumeta::build_tool::write_table(argv[2], blob, "make_lexicon")) return 1;
  std::cout << "lexicon: " << rows_read << " rows read, " << rows.size() << " kept under "
            << readings.size() - 1 << " readings, " << prefixes.size() - 1 << " prefixes, "
            << blob.size() << " bytes\n";
  return 0;
}
