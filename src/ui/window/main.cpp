#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

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
  for (qsizetype i = 1; i < args.size(); ++i) {
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
  // A signal to end closes the window as 終了 does, so the draft is saved and 送る's borrowed
  // keys go back (as the window and its delivery are destroyed) before the process exits.
  lumeta::QuitSignals quit_signals([&window] { window.close(); });
  window.show();
  const int status = app.exec();
  lumeta::use_learning(nullptr);
  return status;
}
