// Build-time tool: turns Debian's libkkc-data word trigram model (a conversion model: which
// spelling of a reading is likely after which words) into the table linked into the program.
//
//   make_model MODEL_FOLDER model.bin
//
// MODEL_FOLDER holds the model's files: data.1gram.index (a marisa trie of "reading/spelling"
// keys, UTF-8; a key's id is its record's number), data.1gram (6-byte records: uint16 cost,
// uint16 back-off, 2 unused), data.2gram (12-byte records: uint32 word, uint32 word before,
// uint16 cost, uint16 back-off; a record's number names the pair) and data.3gram (10-byte
// records: uint32 word, uint32 number of the pair before, uint16 cost), all little-endian.
//
// Kept: the words whose reading romaji mode can type and whose spelling has a CP932 form, the
// sentence's start and end, and the bigrams and trigrams made only of kept words. Written in
// the layout of model_format.h.
#include <marisa.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "build_tool_text.h"
#include "model_format.h"

namespace {

namespace format = lumeta::model::format;

std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint16_t u16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t u32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Word {
  std::string reading, spelling;  // CP932
  uint16_t cost = 0, backoff = 0;
  uint32_t old_id = 0;
};

void align(std::string& out) {
  out.resize((out.size() + 15) / 16 * 16, '\0');
}

template <class T>
uint32_t append(std::string& out, const std::vector<T>& items) {
  align(out);
  const auto at = static_cast<uint32_t>(out.size());
  out.append(reinterpret_cast<const char*>(items.data()), items.size() * sizeof(T));
  return at;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_model MODEL_FOLDER model.bin\n";
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  marisa::Trie trie;
  try {
    trie.load((folder + "data.1gram.index").c_str());
  } catch (const marisa::Exception& e) {
    std::cerr << "make_model: cannot read " << folder << "data.1gram.index: " << e.what() << '\n';
    return 1;
  }
  const std::vector<unsigned char> unigrams = read_file(folder + "data.1gram");
  const std::vector<unsigned char> bigrams = read_file(folder + "data.2gram");
  const std::vector<unsigned char> trigrams = read_file(folder + "data.3gram");
  if (unigrams.size() < trie.num_keys() * 6 || bigrams.size() % 12 || trigrams.size() % 10) {
    std::cerr << "make_model: " << folder << " is not a model of the expected layout\n";
    return 1;
  }

  const std::set<std::string> typable = lumeta::build_tool::typable_characters();
  lumeta::build_tool::Converter to_cp932("CP932", "UTF-8");
  std::vector<Word> words(2);
  std::vector<int64_t> new_id(trie.num_keys(), -1);
  marisa::Agent agent;
  agent.set_query("");
  while (trie.predictive_search(agent)) {
    const std::string key(agent.key().ptr(), agent.key().length());
    const uint32_t id = static_cast<uint32_t>(agent.key().id());
    const unsigned char* record = unigrams.data() + std::size_t{id} * 6;
    Word w{{}, {}, u16(record), u16(record + 2), id};
    if (key == "<s>" || key == "</s>") {
      words[key == "<s>" ? format::kSentenceStart : format::kSentenceEnd] = w;
      continue;
    }
    const std::size_t slash = key.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == key.size()) continue;
    const auto reading = to_cp932(std::string_view(key).substr(0, slash));
    const auto spelling = to_cp932(std::string_view(key).substr(slash + 1));
    if (!reading || !spelling || spelling->size() > 255 || reading->size() > 255 ||
        !lumeta::build_tool::typable(*reading, typable))
      continue;
    w.reading = *reading;
    w.spelling = *spelling;
    words.push_back(std::move(w));
  }
  std::sort(words.begin() + 2, words.end(), [](const Word& a, const Word& b) {
    return std::tie(a.reading, a.cost, a.spelling) < std::tie(b.reading, b.cost, b.spelling);
  });
  for (std::size_t i = 0; i < words.size(); ++i)
    new_id[words[i].old_id] = static_cast<int64_t>(i);

  // Bigrams of kept words, by (word before, word); old record number → new.
  struct Bigram {
    uint32_t before, word, old;
    uint16_t cost, backoff;
  };
  std::vector<Bigram> kept_bigrams;
  const std::size_t bigram_total = bigrams.size() / 12;
  for (std::size_t i = 0; i < bigram_total; ++i) {
    const unsigned char* r = bigrams.data() + i * 12;
    const uint32_t word = u32(r), before = u32(r + 4);
    if (word >= new_id.size() || before >= new_id.size() || new_id[word] < 0 || new_id[before] < 0)
      continue;
    kept_bigrams.push_back({static_cast<uint32_t>(new_id[before]),
                            static_cast<uint32_t>(new_id[word]), static_cast<uint32_t>(i),
                            u16(r + 8), u16(r + 10)});
  }
  std::sort(kept_bigrams.begin(), kept_bigrams.end(), [](const Bigram& a, const Bigram& b) {
    return std::tie(a.before, a.word) < std::tie(b.before, b.word);
  });
  std::vector<int64_t> new_bigram(bigram_total, -1);
  for (std::size_t i = 0; i < kept_bigrams.size(); ++i)
    new_bigram[kept_bigrams[i].old] = static_cast<int64_t>(i);

  struct Trigram {
    uint32_t pair, word;
    uint16_t cost;
  };
  std::vector<Trigram> kept_trigrams;
  for (std::size_t i = 0; i < trigrams.size() / 10; ++i) {
    const unsigned char* r = trigrams.data() + i * 10;
    const uint32_t word = u32(r), pair = u32(r + 4);
    if (word >= new_id.size() || new_id[word] < 0 || pair >= bigram_total || new_bigram[pair] < 0)
      continue;
    kept_trigrams.push_back(
        {static_cast<uint32_t>(new_bigram[pair]), static_cast<uint32_t>(new_id[word]), u16(r + 8)});
  }
  std::sort(kept_trigrams.begin(), kept_trigrams.end(), [](const Trigram& a, const Trigram& b) {
    return std::tie(a.pair, a.word) < std::tie(b.pair, b.word);
  });

  // Sections.
  std::string text;
  std::map<std::string, uint32_t> text_offsets;
  auto intern = [&](const std::string& s) {
    auto [it, added] = text_offsets.try_emplace(s, static_cast<uint32_t>(text.size()));
    if (added) {
      text += static_cast<char>(s.size());
      text += s;
    }
    return it->second;
  };
  format::Header h{};
  h.magic = format::kMagic;
  h.word_count = static_cast<uint32_t>(words.size());
  h.bigram_count = static_cast<uint32_t>(kept_bigrams.size());
  h.trigram_count = static_cast<uint32_t>(kept_trigrams.size());
  std::vector<format::Word> word_rows;
  for (const Word& w : words) {
    word_rows.push_back({intern(w.reading), intern(w.spelling), w.cost, w.backoff});
    h.max_reading_chars = std::max<uint32_t>(h.max_reading_chars, w.reading.size() / 2);
  }
  std::vector<uint32_t> bigram_first(words.size() + 1), bigram_next;
  std::vector<uint16_t> bigram_cost, bigram_backoff;
  for (const Bigram& b : kept_bigrams) {
    ++bigram_first[b.before + 1];
    bigram_next.push_back(b.word);
    bigram_cost.push_back(b.cost);
    bigram_backoff.push_back(b.backoff);
  }
  for (std::size_t i = 1; i < bigram_first.size(); ++i)
    bigram_first[i] += bigram_first[i - 1];
  std::vector<uint32_t> trigram_first(kept_bigrams.size() + 1), trigram_next;
  std::vector<uint16_t> trigram_cost;
  for (const Trigram& t : kept_trigrams) {
    ++trigram_first[t.pair + 1];
    trigram_next.push_back(t.word);
    trigram_cost.push_back(t.cost);
  }
  for (std::size_t i = 1; i < trigram_first.size(); ++i)
    trigram_first[i] += trigram_first[i - 1];
  h.text_size = static_cast<uint32_t>(text.size());

  std::string out(sizeof h, '\0');
  h.words = append(out, word_rows);
  h.bigram_first = append(out, bigram_first);
  h.bigram_next = append(out, bigram_next);
  h.bigram_cost = append(out, bigram_cost);
  h.bigram_backoff = append(out, bigram_backoff);
  h.trigram_first = append(out, trigram_first);
  h.trigram_next = append(out, trigram_next);
  h.trigram_cost = append(out, trigram_cost);
  align(out);
  h.text = static_cast<uint32_t>(out.size());
  out += text;
  align(out);
  std::memcpy(out.data(), &h, sizeof h);
  std::cerr << "make_model: " << words.size() << " words, " << kept_bigrams.size() << " bigrams, "
            << kept_trigrams.size() << " trigrams, " << out.size() << " bytes\n";
  return lumeta::build_tool::write_table(argv[2], out, "make_model") ? 0 : 1;
}
