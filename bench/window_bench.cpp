// Key-press-to-repainted-display latency of the real window under the offscreen platform: one
// key through the engine, the display update and its line layout, and painting the display
// into an image. Texts of 1,000, 100,000 and 1,000,000 characters, broken into lines of about
// 40 characters or as one wrapped paragraph, typing at the end or in the middle; at 1,000,000
// the text stands at the limit and the key cycle meets a refused key (bench_text.h). The same run
// times the straightforward way for comparison: the whole text replaced in a stock rich-text
// widget on every key. Also start-up to the first painted frame and resident memory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/lumeta_window_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_text.h"
#include "main_window.h"
#include "qt_text.h"
#include "text_display_accessible.h"

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

double g_startup_ms = 0;
double g_rss_mb = 0;
QApplication* g_app = nullptr;

long minor_faults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void report(benchmark::State& state, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["max_ms"] = ms.back();
}

// Times one key per iteration: the key's press and release, then `show`, which brings the
// display up to date and paints it.
template <typename Show>
void time_keys(benchmark::State& state, MainWindow& main_window, Show&& show) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(state.max_iterations));
  std::size_t n = 0;
  const long faults = minor_faults();
  for (auto _ : state) {
    const auto start = Clock::now();
    const int key = bench::kKeyCycle[n++ % bench::kKeyCycle.size()];
    main_window.keypad().press(key);
    main_window.keypad().release(key);
    show();
    const auto end = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    // The idle time between two keys: what the window leaves for it (the rest of a long
    // paragraph's line breaks) runs here, as it does between a user's keys.
    g_app->processEvents(QEventLoop::AllEvents, 20);
  }
  state.counters["faults_per_key"] =
      static_cast<double>(minor_faults() - faults) / static_cast<double>(ms.size());
  report(state, ms);
}

void BM_WindowKey(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const bool lines = state.range(1) != 0, middle = state.range(2) != 0;
  MainWindow main_window;
  main_window.show();
  bench::preload(main_window.engine(), chars, lines, middle);
  QWidget* viewport = main_window.display()->viewport();
  QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
  time_keys(state, main_window, [&] {
    main_window.idle_pass();
    viewport->render(&image);
  });
  state.SetLabel(std::string(lines ? "lines" : "paragraph") + (middle ? ", middle" : ", end"));
}

// The same keys while a screen reader listens: every change of text and caret is announced,
// and after each key the reader reads the line holding the caret.
void BM_WindowKeyScreenReader(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const bool middle = state.range(1) != 0;
  MainWindow main_window;
  main_window.show();
  bench::preload(main_window.engine(), chars, true, middle);
  listen_to_text_events([](QAccessibleEvent*) {});
  QAccessibleTextInterface* text =
      QAccessible::queryAccessibleInterface(main_window.display())->textInterface();
  QWidget* viewport = main_window.display()->viewport();
  QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
  time_keys(state, main_window, [&] {
    main_window.idle_pass();
    viewport->render(&image);
    int start = 0, end = 0;
    benchmark::DoNotOptimize(
        text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end));
  });
  listen_to_text_events(nullptr);
  state.SetLabel(middle ? "lines, middle" : "lines, end");
}

// The straightforward display: on every key the whole text goes into a QTextEdit, is coloured
// and its wrapped lines are counted, then it is painted.
void BM_StockWidgetKey(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const bool lines = state.range(1) != 0;
  MainWindow main_window;
  bench::preload(main_window.engine(), chars, lines, false);
  QTextEdit edit;
  edit.resize(298, 272);
  edit.setReadOnly(true);
  edit.setUndoRedoEnabled(false);
  edit.show();
  QImage image(edit.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  time_keys(state, main_window, [&] {
    edit.setCurrentCharFormat(QTextCharFormat());
    edit.setPlainText(to_qstring(main_window.engine().display().text()));
    QTextCursor cursor(edit.document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    red.setFontUnderline(true);
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 2);
    cursor.setCharFormat(red);
    edit.setTextCursor(cursor);
    int wrapped = 0;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
      wrapped += b.layout() ? b.layout()->lineCount() : 1;
    }
    benchmark::DoNotOptimize(wrapped);
    edit.viewport()->render(&image);
  });
  state.SetLabel(lines ? "lines, end" : "paragraph, end");
}

void BM_StartUp(benchmark::State& state) {
  for (auto _ : state)
    state.SetIterationTime(g_startup_ms / 1000);
  state.counters["first_frame_ms"] = g_startup_ms;
  state.counters["rss_mb"] = g_rss_mb;
}

double resident_mb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

BENCHMARK(BM_StartUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowKey)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {1, 0}, {0, 1}})
    ->ArgNames({"chars", "lines", "middle"})
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowKeyScreenReader)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {0, 1}})
    ->ArgNames({"chars", "middle"})
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StockWidgetKey)
    ->Args({1'000, 1})
    ->Args({1'000, 0})
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StockWidgetKey)
    ->Args({100'000, 1})
    ->Args({100'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 0})
    ->ArgNames({"chars", "lines"})
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const auto start = Clock::now();
  QApplication app(argc, argv);
  g_app = &app;
  {
    MainWindow main_window;
    main_window.show();
    QImage frame(main_window.size(), QImage::Format_ARGB32_Premultiplied);
    main_window.render(&frame);
    g_startup_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    g_rss_mb = resident_mb();
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
