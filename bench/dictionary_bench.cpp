// Cost of one dictionary lookup, the built-in table followed by the large dictionary and the
// lexicon, as ↓ and the candidate strip make it: readings that are found, readings that are
// not (random kana), long readings made of several words, and readings with romaji still
// pending; lookups by the reading's length (1 to 40 kana, to see they grow linearly); the
// lexicon's predictions by prefix and next words; one reading of 1,000,000 kana.
//
//   build/bench/lumeta_dictionary_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "dictionary.h"
#include "engine_state.h"
#include "large_dictionary.h"
#include "lexicon.h"
#include "sjis.h"

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

// Shift-JIS from UTF-8 source text (this file keeps its literals in UTF-8).
std::string cp932(std::string_view utf8) {
  return sjis::from_utf8(utf8).value();
}

const std::string kKana = cp932(
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽゃゅょっー");

// Whole readings of the large dictionary (no stems), picked at random.
std::vector<std::string> sample_readings(std::mt19937& random, std::size_t n) {
  std::vector<std::string> out;
  std::uniform_int_distribution<std::size_t> pick(0, large_dictionary::size() - 1);
  while (out.size() < n) {
    const std::string_view key = large_dictionary::key_at(pick(random));
    if (key.back() >= 'a' && key.back() <= 'z') continue;
    out.emplace_back(key);
  }
  return out;
}

std::string random_kana(std::mt19937& random, int chars) {
  std::uniform_int_distribution<std::size_t> pick(0, kKana.size() / 2 - 1);
  std::string s;
  for (int i = 0; i < chars; ++i)
    s += std::string_view(kKana).substr(pick(random) * 2, 2);
  return s;
}

std::vector<std::string> readings(int kind) {
  std::mt19937 random(20261208);
  std::vector<std::string> out;
  switch (kind) {
    case 0:  // found: readings of both tables
      for (const DictionaryEntry& e : dictionary_table())
        out.emplace_back(e.reading);
      for (std::string& r : sample_readings(random, 2000))
        out.push_back(std::move(r));
      break;
    case 1:  // not found: 2 to 12 random kana
      for (int i = 0; i < 2000; ++i)
        out.push_back(random_kana(random, 2 + i % 11));
      break;
    case 2:  // long: words run together, 20 to 40 characters
      for (int i = 0; i < 2000; ++i) {
        std::string s;
        while (s.size() < 40u + 2 * (i % 21))
          s += sample_readings(random, 1).front();
        out.push_back(s.substr(0, 40 + 2 * (i % 21)));
      }
      break;
    default:  // romaji pending after a reading
      for (std::string& r : sample_readings(random, 2000))
        out.push_back(r + cp932("ｋ"));
      break;
  }
  std::shuffle(out.begin(), out.end(), random);
  return out;
}

void BM_Lookup(benchmark::State& state) {
  const std::vector<std::string> list = readings(static_cast<int>(state.range(0)));
  std::array<std::string, kCandidateSlots + 1> out;
  std::vector<double> ms;
  std::size_t n = 0;
  long found = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    found += lookup_candidates(Dictionaries::builtin_and_large, list[n++ % list.size()], out);
    const auto end = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["max_ms"] = ms.back();
  state.counters["candidates"] = static_cast<double>(found) / static_cast<double>(ms.size());
  constexpr std::array<const char*, 4> kLabels = {"found", "not found", "long readings",
                                                  "romaji pending"};
  state.SetLabel(kLabels[static_cast<std::size_t>(state.range(0))]);
}

BENCHMARK(BM_Lookup)->DenseRange(0, 3)->ArgName("kind")->Iterations(20'000)->UseManualTime()->Unit(
    benchmark::kMicrosecond);

// Percentiles of per-call times into the benchmark's counters.
void report(benchmark::State& state, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["max_ms"] = ms.back();
}

// Readings of exactly `chars` kana cut from real readings run together.
std::vector<std::string> readings_of_length(int chars) {
  std::mt19937 random(20261209);
  std::vector<std::string> out;
  for (int i = 0; i < 500; ++i) {
    std::string s;
    while (s.size() < 2u * chars)
      s += sample_readings(random, 1).front();
    out.push_back(s.substr(0, 2 * chars));
  }
  return out;
}

void BM_LookupByLength(benchmark::State& state) {
  const std::vector<std::string> list = readings_of_length(static_cast<int>(state.range(0)));
  std::array<std::string, kCandidateSlots + 1> out;
  std::vector<double> ms;
  std::size_t n = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(
        lookup_candidates(Dictionaries::builtin_and_large, list[n++ % list.size()], out));
    const auto end = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  report(state, ms);
}
BENCHMARK(BM_LookupByLength)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(12)
    ->Arg(16)
    ->Arg(20)
    ->Arg(30)
    ->Arg(40)
    ->ArgName("kana")
    ->Iterations(2'000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Predictions for prefixes of 1 to 4 kana of real readings (1 and 2 are tables made at build
// time, longer ones ranked at the call).
void BM_Predictions(benchmark::State& state) {
  std::mt19937 random(20261210);
  const std::size_t bytes = 2 * static_cast<std::size_t>(state.range(0));
  std::vector<std::string> prefixes;
  for (std::string& r : sample_readings(random, 2000)) {
    if (r.size() >= bytes) prefixes.push_back(r.substr(0, bytes));
  }
  for (const std::string_view kana : {"か", "し", "こう", "しょう"})  // the largest ranges
    prefixes.push_back(cp932(kana));
  std::vector<double> ms;
  std::size_t n = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(lexicon::predictions(prefixes[n++ % prefixes.size()], 16));
    const auto end = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  report(state, ms);
}
BENCHMARK(BM_Predictions)
    ->DenseRange(1, 4)
    ->ArgName("kana")
    ->Iterations(5'000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_LikelyNext(benchmark::State& state) {
  const std::vector<std::pair<std::string, std::string>> words = {
      {cp932("がぞう"), cp932("画像")},
      {cp932("かいた"), cp932("書いた")},
      {cp932("あたらしい"), cp932("新しい")},
      {cp932("いどう"), cp932("移動")}};
  std::vector<double> ms;
  std::size_t n = 0;
  for (auto _ : state) {
    const auto& [reading, spelling] = words[n++ % words.size()];
    const auto start = Clock::now();
    benchmark::DoNotOptimize(lexicon::likely_next(reading, spelling, 8));
    const auto end = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  report(state, ms);
}
BENCHMARK(BM_LikelyNext)->Iterations(2'000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One reading of 1,000,000 kana, as a --lookup line may hold.
void BM_MillionKanaReading(benchmark::State& state) {
  std::string reading;
  while (reading.size() < 2'000'000)
    reading += cp932("かいた");
  reading.resize(2'000'000);
  std::array<std::string, kCandidateSlots + 1> out;
  for (auto _ : state)
    benchmark::DoNotOptimize(lookup_candidates(Dictionaries::builtin_and_large, reading, out));
}
BENCHMARK(BM_MillionKanaReading)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
