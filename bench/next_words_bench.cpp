// Cost of the next-word offers after a confirmation, with a learning store holding 20,000 pairs
// of words: the centre key's press that confirms a converted word, offers included (learned
// followers from the store, then the lexicon's likely next words), against the same press with
// no offers; and the offers alone. Reports the median and 95th percentile per press.
//
//   build/bench/lumeta_next_words_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dictionary.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"
#include "large_dictionary.h"
#include "learning_store.h"
#include "next_words.h"
#include "predictions.h"
#include "sjis.h"

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kPairs = 20'000;

std::string cp932(std::string_view utf8) {
  return sjis::from_utf8(utf8).value();
}

// A store in a folder of its own, filled with kPairs pairs: 2,000 words with ten followers each
// drawn from the large dictionary's spellings, and 画像 followed by twenty of them.
struct FilledStore {
  std::filesystem::path folder;
  std::optional<LearningStore> store;
  std::vector<std::string> words;

  FilledStore() {
    std::string name =
        (std::filesystem::temp_directory_path() / "lumeta-next-words-bench-XXXXXX").string();
    folder = mkdtemp(name.data());
    store.emplace((folder / "learning.sqlite3").string());
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> pick(0, large_dictionary::size() - 1);
    std::array<std::string, kCandidateSlots + 1> slots;
    while (words.size() < 2'000) {
      const std::string_view key = large_dictionary::key_at(pick(random));
      if (key.back() >= 'a' && key.back() <= 'z') continue;
      if (lookup_candidates(Dictionaries::builtin_and_large, key, slots) > 0)
        words.push_back(slots[1]);
    }
    const std::string gazou = cp932("画像");
    for (std::size_t i = 0; i < kPairs - 20; ++i)
      store->record_pair(words[i / 10], words[random() % words.size()]);
    for (std::size_t i = 0; i < 20; ++i)
      store->record_pair(gazou, words[i]);
    store->flush();
  }
  ~FilledStore() {
    store.reset();
    std::filesystem::remove_all(folder);
  }
};

FilledStore& filled_store() {
  static FilledStore store;
  return store;
}

// がぞう ↓, then the timed press of the centre key that confirms 画像; the text is emptied now
// and then so that it stays short.
void BM_ConfirmPress(benchmark::State& state, bool offers) {
  HeadlessView view;
  Engine engine(view);
  Keypad keypad(engine, view);
  keypad.conversion().learning = offers ? &*filled_store().store : nullptr;
  engine.initialise();
  if (!offers) keypad.next_words().set_sources({});
  std::vector<double> us;
  std::size_t offered = 0;
  for (auto _ : state) {
    for (int key : {key::K, key::K, key::A, key::S, key::S, key::O, key::U, key::down})
      keypad.click(key);
    const auto start = Clock::now();
    keypad.press(key::centre);
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    offered += keypad.next_words().offers().size();
    keypad.release(key::centre);
    if (us.size() % 200 == 0) keypad.delete_all();
  }
  std::sort(us.begin(), us.end());
  state.counters["p50_us"] = us[us.size() / 2];
  state.counters["p95_us"] = us[std::min(us.size() - 1, us.size() * 95 / 100)];
  state.counters["max_us"] = us.back();
  state.counters["offers"] = static_cast<double>(offered) / static_cast<double>(us.size());
}
BENCHMARK_CAPTURE(BM_ConfirmPress, with_offers, true);
BENCHMARK_CAPTURE(BM_ConfirmPress, without_offers, false);

// The offers alone after words that have learned followers.
void BM_Offers(benchmark::State& state) {
  FilledStore& filled = filled_store();
  const ConversionSettings settings(Dictionaries::builtin_and_large, &*filled.store, true);
  const NextWordSources sources = next_word_sources(settings);
  std::vector<double> us;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& word = filled.words[i++ % 2'000];
    const auto start = Clock::now();
    benchmark::DoNotOptimize(next_word_offers(sources, {}, word));
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  state.counters["p50_us"] = us[us.size() / 2];
  state.counters["p95_us"] = us[std::min(us.size() - 1, us.size() * 95 / 100)];
}
BENCHMARK(BM_Offers);

}  // namespace

BENCHMARK_MAIN();
