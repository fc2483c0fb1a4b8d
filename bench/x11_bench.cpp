// Key latency end to end on a real X server: a left-button click sent through XTest onto one of
// the window's on-screen keys, timed until the X server reports damage to the text display (the
// window has put the key's result on the screen). The window is the real MainWindow, started in
// this process with a text preloaded into its engine (1,000, 100,000 or 1,000,000 characters,
// broken into lines or one paragraph, typing at the end or in the middle; 1,000,000 stands at
// the limit, bench_text.h) and the empty text. The floor, timed in the same run the same way:
// a minimal Qt window whose button press repaints a label.
//
// Also start-up to the first painted frame, from process start, of the lumeta program and of
// the minimal window (a program of its own, lumeta_minimal_window), warm and cold (the files
// they map dropped from the page cache first) and started in turn (BM_StartUpBesideFloor: the
// median difference), and resident memory of a window after 60 keys on a 1,000,000-character
// text.
//
//   xvfb-run -a -s "-screen 0 1024x768x24" build/bench/lumeta_x11_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench_text.h"
#include "floor_window.h"
#include "main_window.h"
#include "x11_probe.h"

extern char** environ;

namespace {

using namespace lumeta;
using Clock = std::chrono::steady_clock;

constexpr int kSettleMs = 12;  // after each click, before the next one

std::string g_self;  // this program, started again for the memory

// Runs `f` on the Qt thread and waits for it.
void on_gui(const std::function<void()>& f) {
  QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
}

void wait_exposed(QWidget& w) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!(w.windowHandle() && w.windowHandle()->isExposed()) && Clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  QApplication::processEvents();
}

bench::Area area_in(QWidget* window, QWidget* part) {
  const QPoint at = part->mapTo(window, QPoint(0, 0));
  return {at.x(), at.y(), part->width(), part->height()};
}

QPoint centre_on_screen(QWidget* part) {
  return part->mapToGlobal(part->rect().center());
}

void report(benchmark::State& state, std::vector<double>& ms, int missed) {
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return state.SkipWithError("no damage seen");
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["max_ms"] = ms.back();
  if (missed) state.counters["missed"] = missed;
}

// Clicks `key` (screen point) and times until damage meets `area`.
template <typename KeyAt>
void time_clicks(benchmark::State& state, unsigned long window, bench::Area area, KeyAt&& key_at) {
  bench::X11Probe probe;
  if (!probe.connected()) return state.SkipWithError("no X server with XTest and DAMAGE");
  probe.watch(window);
  probe.drain(200);
  // Two key cycles untimed first: the glyphs and key faces they show are drawn once.
  std::size_t n = 0;
  for (; n < 2 * bench::kKeyCycle.size(); ++n) {
    const QPoint at = key_at(n);
    probe.move_pointer(at.x(), at.y());
    probe.drain(3);
    probe.press();
    probe.wait_for_damage(area, 1000);
    probe.release();
    probe.drain(kSettleMs);
  }
  std::vector<double> ms;
  int missed = 0;
  for (auto _ : state) {
    const QPoint at = key_at(n++);
    probe.move_pointer(at.x(), at.y());
    probe.drain(3);  // a hover repaint of the key, if any, is over
    const auto start = Clock::now();
    probe.press();
    const bool seen = probe.wait_for_damage(area, 1000);
    const auto end = Clock::now();
    probe.release();
    probe.drain(kSettleMs);
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    if (seen) {
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    } else {
      ++missed;
    }
  }
  probe.unwatch();
  report(state, ms, missed);
}

void BM_X11Key(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const bool lines = state.range(1) != 0, middle = state.range(2) != 0;
  std::unique_ptr<MainWindow> main_window;
  unsigned long window = 0;
  bench::Area area{};
  std::array<QPoint, 25> keys{};
  on_gui([&] {
    main_window = std::make_unique<MainWindow>();
    main_window->show();
    wait_exposed(*main_window);
    bench::preload(main_window->engine(), chars, lines, middle);
    QApplication::processEvents();
    window = main_window->winId();
    area = area_in(main_window.get(), main_window->display()->viewport());
    for (int key : bench::kKeyCycle)
      keys[key] = centre_on_screen(main_window->key(key));
  });
  time_clicks(state, window, area,
              [&](std::size_t n) { return keys[bench::kKeyCycle[n % bench::kKeyCycle.size()]]; });
  on_gui([&] { main_window.reset(); });
  state.SetLabel(chars == 0 ? "empty"
                            : std::string(lines ? "lines" : "paragraph") +
                                  (middle ? ", middle" : ", end"));
}

void BM_X11Floor(benchmark::State& state) {
  std::unique_ptr<bench::FloorWindow> floor;
  unsigned long window = 0;
  bench::Area area{};
  QPoint button;
  on_gui([&] {
    floor = std::make_unique<bench::FloorWindow>();
    floor->show();
    wait_exposed(*floor);
    window = floor->winId();
    area = area_in(floor.get(), floor->label());
    button = centre_on_screen(floor->button());
  });
  time_clicks(state, window, area, [&](std::size_t) { return button; });
  on_gui([&] { floor.reset(); });
  state.SetLabel("minimal Qt window");
}

// ---- Start-up ----------------------------------------------------------------------------------

pid_t spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

// The files a process has mapped (its program, libraries, fonts, caches).
std::set<std::string> mapped_files(pid_t pid) {
  std::set<std::string> files;
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  for (std::string line; std::getline(maps, line);) {
    const std::size_t slash = line.find('/');
    if (slash != std::string::npos) files.insert(line.substr(slash));
  }
  return files;
}

// Drops the files' pages from the page cache, where no other process holds them mapped.
void drop_from_cache(const std::set<std::string>& files) {
  for (const std::string& file : files) {
    const int fd = open(file.c_str(), O_RDONLY);
    if (fd < 0) continue;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
  }
}

// Milliseconds from starting `args` to the first damage of its first window, or -1.
double first_frame_ms(const std::vector<std::string>& args, std::set<std::string>* files) {
  bench::X11Probe probe;
  if (!probe.connected()) return -1;
  probe.watch_new_windows();
  probe.drain(5);
  const auto start = Clock::now();
  const pid_t pid = spawn(args);
  if (pid < 0) return -1;
  double ms = -1;
  if (const unsigned long window = probe.wait_for_new_window(10000)) {
    probe.watch(window);
    if (probe.wait_for_damage({0, 0, 1 << 15, 1 << 15}, 10000)) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
  }
  if (files) *files = mapped_files(pid);
  stop(pid);
  return ms;
}

const std::vector<std::string> kLumetaProgram{LUMETA_PROGRAM, "-platform", "xcb"};
const std::vector<std::string> kFloorProgram{LUMETA_MINIMAL_WINDOW, "-platform", "xcb"};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Start-up to the first painted frame of lumeta and of the minimal window, started one after
// the other in turn, so that whatever else the machine does weighs on both alike: the median
// of each and the median of the differences of the pairs.
void BM_StartUpBesideFloor(benchmark::State& state) {
  first_frame_ms(kLumetaProgram, nullptr);  // a first start of each fills the caches
  first_frame_ms(kFloorProgram, nullptr);
  std::vector<double> lumeta, floor, difference;
  for (auto _ : state) {
    const double f = first_frame_ms(kFloorProgram, nullptr);
    const double l = first_frame_ms(kLumetaProgram, nullptr);
    if (f < 0 || l < 0) return state.SkipWithError("no first frame");
    floor.push_back(f);
    lumeta.push_back(l);
    difference.push_back(l - f);
    state.SetIterationTime((l + f) / 1000);
  }
  state.counters["lumeta_ms"] = median(lumeta);
  state.counters["floor_ms"] = median(floor);
  state.counters["difference_ms"] = median(difference);
  state.SetLabel("warm, medians");
}

void BM_StartUp(benchmark::State& state) {
  const bool floor = state.range(0) != 0, cold = state.range(1) != 0;
  const std::vector<std::string> args = floor ? kFloorProgram : kLumetaProgram;
  std::set<std::string> files;
  first_frame_ms(args, &files);  // a first start fills the caches and names the files
  std::vector<double> ms;
  for (auto _ : state) {
    if (cold) drop_from_cache(files);
    const double t = first_frame_ms(args, nullptr);
    if (t < 0) return state.SkipWithError("no first frame");
    ms.push_back(t);
    state.SetIterationTime(t / 1000);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["first_frame_ms"] = ms[ms.size() / 2];
  state.counters["min_ms"] = ms.front();
  state.counters["max_ms"] = ms.back();
  state.SetLabel(std::string(floor ? "minimal Qt window" : "lumeta") +
                 (cold ? ", cold" : ", warm"));
}

// ---- Memory ------------------------------------------------------------------------------------

double status_mb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field))
      return std::stod(line.substr(std::string_view(field).size())) / 1024;
  }
  return 0;
}

// In a process of its own: the window with a 1,000,000-character text after 60 keys.
int memory_child() {
  MainWindow main_window;
  main_window.show();
  wait_exposed(main_window);
  bench::preload(main_window.engine(), 1'000'000, true, false);
  QApplication::processEvents();
  for (int n = 0; n < 60; ++n) {
    const int key = bench::kKeyCycle[n % bench::kKeyCycle.size()];
    main_window.keypad().press(key);
    QApplication::processEvents();
    main_window.keypad().release(key);
    QApplication::processEvents();
  }
  std::printf("%.2f %.2f\n", status_mb("VmRSS:"), status_mb("VmHWM:"));
  return 0;
}

void BM_Memory(benchmark::State& state) {
  double rss = 0, peak = 0;
  for (auto _ : state) {
    const std::string command = "'" + g_self + "' --memory-child";
    FILE* out = popen(command.c_str(), "r");
    if (!out || std::fscanf(out, "%lf %lf", &rss, &peak) != 2) {
      if (out) pclose(out);
      return state.SkipWithError("the memory run failed");
    }
    pclose(out);
  }
  state.counters["rss_mb"] = rss;
  state.counters["peak_rss_mb"] = peak;
  state.SetLabel("window, 1,000,000 characters, after 60 keys");
}

BENCHMARK(BM_X11Floor)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_X11Key)
    ->Args({0, 1, 0})
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {1, 0}, {0, 1}})
    ->ArgNames({"chars", "lines", "middle"})
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_X11Floor)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"floor", "cold"})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpBesideFloor)->UseManualTime()->Iterations(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  g_self = std::filesystem::canonical("/proc/self/exe").string();
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--memory-child") {
    QApplication app(argc, argv);
    return memory_child();
  }
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);  // the benchmarks open and close windows one by one
  benchmark::Initialize(&argc, argv);
  std::thread runner([&] {
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QMetaObject::invokeMethod(&app, &QApplication::quit, Qt::QueuedConnection);
  });
  app.exec();
  runner.join();
  return 0;
}
