// Cost of converting a whole phrase: ↓'s candidate list for readings of 20 kana cut from real
// prose, the phrase converter (lattice.h) and the dictionaries' lists together, and the
// converter alone for one 1,000-kana reading (its time grows with the reading, no more).
//
//   build/bench/lumeta_phrase_bench                 # the readings below
//   LUMETA_PROSE=build/prose.tsv build/bench/lumeta_phrase_bench
//
// With LUMETA_PROSE (a corpus from bench/prose/make_corpus.sh) the readings are its
// sentences' kana cut into 20-kana pieces (the first 2,000).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "dictionary.h"
#include "engine_state.h"
#include "lattice.h"
#include "sjis.h"

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

// Sentences' readings (UTF-8), cut into 20-kana pieces.
constexpr const char* kSentences[] = {
    "きょうはいいてんきですがあしたはあめがふるそうです",
    "このこまんどはしていしたふぁいるのないようをひょうじします",
    "がぞうのさいずをへんこうするにはせっていをひらいてください",
    "わたしはまいにちでんしゃでかいしゃにかよっています",
    "へんすうのあたいがせっていされていないばあいはえらーになります",
    "ともだちといっしょにえいがをみにいきました",
    "あたらしいばーじょんではきのうがおおはばにふえました",
    "しゅくだいがおわったらこうえんであそびましょう",
};

std::vector<std::string> readings() {
  std::vector<std::string> utf8;
  if (const char* path = std::getenv("LUMETA_PROSE")) {
    std::ifstream in(path);
    std::string line, sentence;
    while (std::getline(in, line) && utf8.size() < 2000) {
      if (line.empty()) {
        sentence.clear();
        continue;
      }
      const std::string reading = line.substr(0, line.find('\t'));
      const auto cp932 = sjis::from_utf8(reading);
      // Kana words only (a Latin word ends the piece).
      if (!cp932 || cp932->size() != reading.size() / 3 * 2 ||
          static_cast<unsigned char>((*cp932)[0]) != 0x82) {
        sentence.clear();
        continue;
      }
      sentence += reading;
      if (sentence.size() >= 60) {
        utf8.push_back(sentence.substr(0, 60));
        sentence = sentence.substr(60);
      }
    }
  }
  if (utf8.empty()) {
    for (const char* s : kSentences) {
      const std::string text = s;
      for (std::size_t at = 0; at + 60 <= text.size(); at += 3)
        utf8.push_back(text.substr(at, 60));
    }
  }
  std::vector<std::string> out;
  for (const std::string& u : utf8) {
    if (auto r = sjis::from_utf8(u); r && r->size() == 40) out.push_back(*r);
  }
  return out;
}

// The thread's processor time in milliseconds: on a machine shared with other builds the wall
// clock also counts the time other processes ran.
double cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void report(benchmark::State& state, std::vector<double>& ms, std::vector<double>& cpu) {
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["max_ms"] = ms.back();
  state.counters["cpu_p50_ms"] = cpu[cpu.size() / 2];
  state.counters["cpu_p95_ms"] = cpu[std::min(cpu.size() - 1, cpu.size() * 95 / 100)];
}

void BM_TwentyKanaCandidates(benchmark::State& state) {
  const std::vector<std::string> list = readings();
  std::array<std::string, kCandidateSlots + 1> slots;
  std::vector<double> ms, cpu;
  std::size_t n = 0;
  for (auto _ : state) {
    const double cpu_start = cpu_ms();
    const auto start = Clock::now();
    benchmark::DoNotOptimize(lookup_candidates(Dictionaries::builtin_and_large, list[n++ % list.size()], slots));
    const auto end = Clock::now();
    cpu.push_back(cpu_ms() - cpu_start);
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["readings"] = static_cast<double>(list.size());
  report(state, ms, cpu);
}
BENCHMARK(BM_TwentyKanaCandidates)
    ->Iterations(4000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_ThousandKanaPhrase(benchmark::State& state) {
  std::string reading;
  for (const std::string& r : readings()) {
    if (reading.size() >= 2000) break;
    reading += r;
  }
  std::vector<double> ms, cpu;
  for (auto _ : state) {
    const double cpu_start = cpu_ms();
    const auto start = Clock::now();
    benchmark::DoNotOptimize(lattice::convert(reading, 1));
    const auto end = Clock::now();
    cpu.push_back(cpu_ms() - cpu_start);
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["kana"] = static_cast<double>(reading.size() / 2);
  report(state, ms, cpu);
}
BENCHMARK(BM_ThousandKanaPhrase)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
