#include <sys/stat.h>
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "access_input.h"
#include "dictionary.h"
#include "learning_store.h"
#include "main_window.h"
#include "predictions.h"
#include "quit_signals.h"

namespace {

constexpr const char* kHelp =
    "Usage: lumeta [OPTION]...\n"
    "Type Japanese with the pointer alone, on a handset-style keypad.\n"
    "\n"
    "  --builtin-dictionary  convert with the 676-reading built-in table alone, without\n"
    "                        the large dictionary that otherwise follows it; nothing is\n"
    "                        learned and nothing learned is read\n"
    "  --no-learning         learn nothing and offer nothing learned in this run\n"
    "  --forget-learning     remove what was learned (the file\n"
    "                        $XDG_DATA_HOME/lumeta/learning.sqlite3) and exit\n"
    "  --send-via=ROUTE      how 送る types into the application used last: auto (the\n"
    "                        default: IBus, then the Wayland virtual keyboard, then\n"
    "                        XTest on X11, as the desktop offers them), ibus, wayland,\n"
    "                        x11, or clipboard; the clipboard is used when the route\n"
    "                        cannot take the text\n"
    "  --dwell=SECONDS       press a key by resting the pointer on it that long (0: off)\n"
    "  --scan=MODE           scan the keys with switches: one-switch (Space or a mouse\n"
    "                        button picks), two-switch (Space steps, Enter picks) or off\n"
    "  --scan-interval=SECONDS  the one-switch scan's step (1.0)\n"
    "                        These three override $XDG_CONFIG_HOME/lumeta/lumeta.conf for\n"
    "                        this run; the window's 設定 key changes and keeps them.\n"
    "  --help                print this help and exit\n"
    "  --version             print the version and exit\n"
    "\n"
    "Qt's own options (-platform, -display, -style, ...) are accepted as well.\n";

// --forget-learning: removes the store and says what it did, "lumeta: removed what was learned
// (/home/u/.local/share/lumeta/learning.sqlite3)" or "lumeta: nothing was learned (no …)".
int forget_learning() {
  const std::string path = lumeta::LearningStore::default_path();
  struct stat st {};
  const bool there = lstat(path.c_str(), &st) == 0;
  std::string error;
  if (!lumeta::LearningStore::forget(path, error)) {
    std::fprintf(stderr, "lumeta: cannot remove %s\n", error.c_str());
    return 1;
  }
  std::printf(
      there ? "lumeta: removed what was learned (%s)\n" : "lumeta: nothing was learned (no %s)\n",
      path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the window system is reached, so that the help needs no display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("Lumeta " LUMETA_VERSION "\n", stdout);
      return 0;
    }
    if (arg == "--forget-learning") return forget_learning();
  }
  QApplication app(argc, argv);
  // Qt has taken its own options out of the arguments; the rest are Lumeta's.
  const QStringList args = QApplication::arguments();
  bool learning = true;
  lumeta::Dictionaries dictionaries = lumeta::Dictionaries::builtin_and_large;
  lumeta::SendVia send_via = lumeta::SendVia::automatic;
  const QLatin1String send_via_option("--send-via=");
  const QString settings_path = lumeta::SettingsFile::default_path();
  const lumeta::AccessSettings kept = lumeta::SettingsFile::load(settings_path);
  lumeta::AccessSettings settings = kept;
  // "--dwell=0.8" → 0.8; false for a value that is not a number in [low, high].
  const auto seconds = [&args](qsizetype i, QLatin1String option, double low, double high,
                               double& out) {
    if (!args[i].startsWith(option)) return false;
    bool ok = false;
    const double value = args[i].mid(option.size()).toDouble(&ok);
    if (!ok || value < low || value > high) {
      std::fprintf(stderr, "lumeta: bad value: %s\n", qPrintable(args[i]));
      std::exit(2);
    }
    out = value;
    return true;
  };
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (seconds(i, QLatin1String("--dwell="), 0, 10, settings.dwell_seconds) ||
        seconds(i, QLatin1String("--scan-interval="), 0.1, 10, settings.scan_interval_seconds)) {
      continue;
    }
    if (args[i].startsWith(QLatin1String("--scan="))) {
      settings.scan = args[i].mid(7);
      if (!lumeta::parse_scan_mode(settings.scan.toStdString())) {
        std::fprintf(stderr, "lumeta: bad value: %s\n", qPrintable(args[i]));
        return 2;
      }
      continue;
    }
    if (args[i] == QLatin1String("--builtin-dictionary")) {
      dictionaries = lumeta::Dictionaries::builtin;
      learning = false;
    } else if (args[i] == QLatin1String("--no-learning")) {
      learning = false;
    } else if (args[i].startsWith(send_via_option)) {
      const auto via = lumeta::parse_send_via(QStringView(args[i]).mid(send_via_option.size()));
      if (!via) {
        std::fprintf(stderr, "lumeta: unknown route: %s\nTry 'lumeta --help'.\n",
                     qPrintable(args[i]));
        return 2;
      }
      send_via = *via;
    } else {
      std::fprintf(stderr, "lumeta: unknown option: %s\nTry 'lumeta --help'.\n",
                   qPrintable(args[i]));
      return 2;
    }
  }
  lumeta::MainWindow window(lumeta::MainWindow::Draft::kept, send_via);
  window.keypad().conversion().dictionaries = dictionaries;
  lumeta::AccessInput access(window, settings, settings_path, kept);
  std::unique_ptr<lumeta::LearningStore> store;
  if (learning) {
    // The store reports from its own thread; the window hears of it in its own.
    store = std::make_unique<lumeta::LearningStore>(
        lumeta::LearningStore::default_path(), [&window](const lumeta::LearningProblem& problem) {
          QMetaObject::invokeMethod(
              &window, [&window, problem] { window.show_learning_problem(problem); },
              Qt::QueuedConnection);
        });
    window.keypad().conversion().learning = store.get();
  }
  // A signal to end closes the window as 終了 does, so the draft is saved and 送る's borrowed
  // keys go back (as the window and its delivery are destroyed) before the process exits.
  lumeta::QuitSignals quit_signals([&window] { window.close(); });
  window.show();
  const int status = app.exec();
  window.keypad().conversion().learning = nullptr;
  return status;
}
