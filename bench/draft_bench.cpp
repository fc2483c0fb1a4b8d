// The cost of writing the draft, which the window does at most once a second while the text
// changes: converting the text to UTF-8 and replacing the file atomically.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "bench_text.h"
#include "draft_file.h"

namespace lumeta {
namespace {

void BM_SaveDraft(benchmark::State& state) {
  const std::string text = bench::make_text(static_cast<std::size_t>(state.range(0)), true);
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  for (auto _ : state) {
    if (!draft.save(text, static_cast<int>(text.size()))) state.SkipWithError("save failed");
  }
  state.SetLabel(std::to_string(state.range(0)) + " characters");
}
BENCHMARK(BM_SaveDraft)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// A million characters kept for 元に戻す and a million on display: the largest draft a window
// writes.
void BM_SaveDraftWithKeptText(benchmark::State& state) {
  const std::string text = bench::make_text(1'000'000, true);
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  const DraftTexts both{text, static_cast<int>(text.size()), {text}};
  for (auto _ : state) {
    if (!draft.save(both)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveDraftWithKeptText)->Unit(benchmark::kMillisecond);

void BM_LoadDraft(benchmark::State& state) {
  const std::string text = bench::make_text(static_cast<std::size_t>(state.range(0)), true);
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  draft.save(text, 0);
  DraftTexts loaded;
  for (auto _ : state) {
    if (draft.load(loaded) != DraftFile::Loaded::loaded) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadDraft)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumeta

BENCHMARK_MAIN();
