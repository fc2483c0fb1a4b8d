// Cost of one key press and release through the engine and the headless display, with texts
// of 1,000, 100,000 and 1,000,000 characters, typing at the end or in the middle, the text
// either broken into lines of about 40 characters or one single paragraph. The 1,000,000-
// character text stands at the limit, so the key cycle there also meets a refused key.
//
// Reports per key the median and 95th percentile (p50_us, p95_us) and the minor page faults
// (faults_per_key).
//
//   build/bench/lumeta_engine_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "bench_text.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"

namespace {

using namespace lumeta;
// <chrono> does not compile with the engine's Shift-JIS execution character set.
double now_us() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

long minor_faults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void BM_KeyPress(benchmark::State& state) {
  const std::size_t chars = static_cast<std::size_t>(state.range(0));
  const bool lines = state.range(1) != 0;
  const bool middle = state.range(2) != 0;
  HeadlessView view;
  Engine engine(view);
  Keypad keypad(engine, view);
  engine.initialise();
  bench::preload(engine, chars, lines, middle);
  const std::string text(view.text());
  std::vector<double> us;
  us.reserve(static_cast<std::size_t>(state.max_iterations));
  std::size_t n = 0, largest = 0;
  const long faults = minor_faults();
  for (auto _ : state) {
    const double start = now_us();
    const int key = bench::kKeyCycle[n++ % bench::kKeyCycle.size()];
    keypad.press(key);
    keypad.release(key);
    keypad.idle();
    us.push_back(now_us() - start);
    largest = std::max(largest, engine.display().chars());
  }
  state.counters["faults_per_key"] =
      static_cast<double>(minor_faults() - faults) / static_cast<double>(us.size());
  std::sort(us.begin(), us.end());
  state.counters["p50_us"] = us[us.size() / 2];
  state.counters["p95_us"] = us[us.size() * 95 / 100];
  state.counters["max_us"] = us.back();
  if (view.text() != text) state.SkipWithError("the key cycle changed the text");
  // The cycle's I adds a character, except at the limit, where it is refused.
  if (largest != std::min(chars + 1, kMaxDisplayChars)) state.SkipWithError("wrong text size");
  state.SetLabel(std::string(lines ? "lines" : "paragraph") + (middle ? ", middle" : ", end"));
}

BENCHMARK(BM_KeyPress)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {1, 0}, {0, 1}})
    ->ArgNames({"chars", "lines", "middle"})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(6000)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
