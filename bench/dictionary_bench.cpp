// Cost of one dictionary lookup, the built-in table followed by the large dictionary, as ↓ and
// the candidate strip make it: readings that are found, readings that are not (random kana),
// long readings made of several words (every split into stem and ending is tried), and
// readings with romaji still pending.
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
  use_dictionaries(Dictionaries::builtin_and_large);
  const std::vector<std::string> list = readings(static_cast<int>(state.range(0)));
  std::array<std::string, kCandidateSlots + 1> out;
  std::vector<double> ms;
  std::size_t n = 0;
  long found = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    found += lookup_candidates(list[n++ % list.size()], out);
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

// One line of 100,000 to 3,500,000 kana looked up whole, as `lumeta-replay --lookup` and ↓ on
// such a reading do: every split into stem and ending is tried, so the time must grow with the
// length, not with its square (1,000,000 kana: well under a second).
void BM_LookupLongLine(benchmark::State& state) {
  use_dictionaries(Dictionaries::builtin_and_large);
  std::mt19937 random(20261208);
  const std::string line = random_kana(random, static_cast<int>(state.range(0)));
  std::array<std::string, kCandidateSlots + 1> out;
  for (auto _ : state)
    benchmark::DoNotOptimize(lookup_candidates(line, out));
  state.SetLabel(std::to_string(state.range(0)) + " kana");
}

BENCHMARK(BM_LookupLongLine)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(3'500'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
