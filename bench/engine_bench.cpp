// Cost of one key press and release through the engine and the headless display, with texts
// of 1,000, 100,000 and 1,000,000 characters, typing at the end or in the middle, the text
// either broken into lines of about 40 characters or one single paragraph.
//
//   build/bench/lumeta_engine_bench
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "engine.h"
#include "headless_view.h"
#include "keypad.h"

namespace {

using namespace lumeta;

std::string make_text(std::size_t chars, bool lines) {
  static constexpr std::string_view kKana = "あいうえおかきくけこさしすせそたちつてと日本語入力";
  std::string text;
  text.reserve(chars * 2 + chars / 20);
  std::size_t count = 0, column = 0, i = 0;
  while (count < chars) {
    if (lines && column == 40) {
      text += "\r\n";
      column = 0;
    } else {
      text.append(kKana.substr(i % (kKana.size() / 2) * 2, 2));
      ++i;
      ++column;
    }
    ++count;
  }
  return text;
}

// K A I ↓ (回) centre (confirmed) clear (removed): the text ends as it began.
constexpr std::array<int, 6> kKeys = {2, 1, 4, 24, 18, 16};

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
  const std::string text = make_text(chars - 8, lines);
  std::size_t split = middle ? text.size() / 2 : text.size();
  split -= split % 2;  // on a character boundary: every piece above is two bytes
  engine.front_fixed = engine.front_text = text.substr(0, split);
  engine.back_text = text.substr(split);
  engine.mode_romaji_Show();
  std::size_t n = 0;
  for (auto _ : state) {
    const int key = kKeys[n++ % kKeys.size()];
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
