// Cost of one key press and release through the engine and the headless display, with texts
// of 1,000, 100,000 and 1,000,000 characters, typing at the end or in the middle, the text
// either broken into lines of about 40 characters or one single paragraph.
//
//   build/bench/lumeta_engine_bench
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "bench_text.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"

namespace {

using namespace lumeta;

void BM_KeyPress(benchmark::State& state) {
  const std::size_t chars = static_cast<std::size_t>(state.range(0));
  const bool lines = state.range(1) != 0;
  const bool middle = state.range(2) != 0;
  HeadlessView view;
  Engine engine(view);
  Keypad keypad(engine, view);
  engine.initialise();
  // A few characters below the size leave room for the reading the cycle types, so that the
  // 1,000,000-character text stays within the display's limit.
  const std::string text = bench::make_text(chars - 8, lines);
  std::size_t split = middle ? text.size() / 2 : text.size();
  split -= split % 2;  // on a character boundary: every piece above is two bytes
  engine.front_fixed = engine.front_text = text.substr(0, split);
  engine.back_text = text.substr(split);
  engine.mode_romaji_Show();
  std::size_t n = 0;
  for (auto _ : state) {
    const int key = bench::kKeyCycle[n++ % bench::kKeyCycle.size()];
    keypad.press(key);
    keypad.release(key);
    keypad.idle();
  }
  if (view.text() != text) state.SkipWithError("the key cycle changed the text");
  state.SetLabel(std::string(lines ? "lines" : "paragraph") + (middle ? ", middle" : ", end"));
}

BENCHMARK(BM_KeyPress)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {1, 0}, {0, 1}})
    ->ArgNames({"chars", "lines", "middle"})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(600)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
