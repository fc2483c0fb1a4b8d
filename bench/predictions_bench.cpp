// Cost of what the strip needs after one key while a reading is pending: the reading's
// candidates, its predictions (the lexicon's words and the learned ones) and the layout of the
// first page, for readings of 1 to 20 kana, with a learning store of 20,000 entries.
//
//   build/bench/lumeta_predictions_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "candidate_strip_layout.h"
#include "dictionary.h"
#include "engine_state.h"
#include "large_dictionary.h"
#include "learning_store.h"
#include "predictions.h"

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

// Whole readings of the large dictionary (no stems), picked at random, with their first spelling.
std::vector<std::pair<std::string, std::string>> sample_words(std::mt19937& random, std::size_t n) {
  std::vector<std::pair<std::string, std::string>> out;
  std::uniform_int_distribution<std::size_t> pick(0, large_dictionary::size() - 1);
  while (out.size() < n) {
    const std::string_view key = large_dictionary::key_at(pick(random));
    if (key.back() >= 'a' && key.back() <= 'z') continue;
    large_dictionary::Candidates list = large_dictionary::find(key);
    out.emplace_back(std::string(key), std::string(list.next()));
  }
  return out;
}

void BM_StripAfterOneKey(benchmark::State& state) {
  std::mt19937 random(20261209);
  std::string folder = (std::filesystem::temp_directory_path() / "lumeta-bench-XXXXXX").string();
  const std::filesystem::path dir = mkdtemp(folder.data());
  std::vector<std::string> readings;
  {
    LearningStore store((dir / "learning.sqlite3").string());
    while (store.choice_count() < LearningStore::kCapacity) {
      for (const auto& [reading, spelling] : sample_words(random, 1000))
        store.record_choice(reading, spelling);
    }
    store.flush();
    const ConversionSettings settings(Dictionaries::builtin_and_large, &store, true);
    // Readings as they grow key by key: every prefix of words run together, up to 20 kana.
    for (const auto& [reading, spelling] : sample_words(random, 400)) {
      std::string text = reading;
      while (text.size() < 40)
        text += sample_words(random, 1).front().first;
      for (std::size_t kana = 1; kana <= 20; ++kana)
        readings.push_back(text.substr(0, 2 * kana));
    }
    std::array<std::string, kCandidateSlots + 1> slots;
    std::vector<double> ms;
    std::size_t n = 0;
    double offered = 0;
    for (auto _ : state) {
      const std::string& typed = readings[n++ % readings.size()];
      const auto start = Clock::now();
      CandidateStrip strip;
      strip.active = true;
      const int count = settings.candidates(typed, slots);
      strip.candidates.assign(slots.begin() + 1, slots.begin() + 1 + count);
      strip.predictions = predictions_for(settings, typed, strip.candidates);
      strip = offered_strip(std::move(strip));
      const auto end = Clock::now();
      offered += static_cast<double>(strip.predictions.size());
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    state.counters["max_ms"] = ms.back();
    state.counters["learned"] = static_cast<double>(store.choice_count());
    state.counters["predictions"] = offered / static_cast<double>(ms.size());
  }
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_StripAfterOneKey)->Iterations(8'000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
