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
    "  --dwell=SECONDS       press a key by resting the pointer on it that long (0: off)\n"
    "  --scan=MODE           scan the keys with switches: one-switch (Space or a mouse\n"
    "                        button picks), two-switch (Space steps, Enter picks) or off\n"
    "  --scan-interval=SECONDS  the one-switch scan's step (1.0)\n"
    "                        These three override $XDG_CONFIG_HOME/lumeta/lumeta.conf for\n"
    "                        this run; the window's 設定 key changes and keeps them.\n"
    "  --help                print this help and exit\n"
    "\n"
    "Qt's own options (-platform, -display, -style, ...) are accepted as well.\n";

}  // namespace

int main(int argc, char** argv) {
  // Before the window system is reached, so that the help needs no display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--forget-learning") {
      std::string error;
      if (!lumeta::LearningStore::forget(lumeta::LearningStore::default_path(), error)) {
        std::fprintf(stderr, "lumeta: cannot remove %s\n", error.c_str());
        return 1;
      }
      return 0;
    }
  }
  QApplication app(argc, argv);
  // Qt has taken its own options out of the arguments; the rest are Lumeta's.
  const QStringList args = QApplication::arguments();
  bool learning = true;
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
      lumeta::use_dictionaries(lumeta::Dictionaries::builtin);
      learning = false;
    } else if (args[i] == QLatin1String("--no-learning")) {
      learning = false;
    } else {
      std::fprintf(stderr, "lumeta: unknown option: %s\nTry 'lumeta --help'.\n",
                   qPrintable(args[i]));
      return 2;
    }
  }
  lumeta::MainWindow window(lumeta::MainWindow::Draft::kept);
  lumeta::AccessInput access(window, settings, settings_path, kept);
  std::unique_ptr<lumeta::LearningStore> store;
  if (learning) {
    // The store reports from its own thread; the window hears of it in its own.
    store = std::make_unique<lumeta::LearningStore>(
        lumeta::LearningStore::default_path(), [&window](const std::string& message) {
          QMetaObject::invokeMethod(
              &window, [&window, message] { window.show_learning_problem(message); },
              Qt::QueuedConnection);
        });
    lumeta::use_learning(store.get());
  }
  window.show();
  const int status = app.exec();
  lumeta::use_learning(nullptr);
  return status;
}
