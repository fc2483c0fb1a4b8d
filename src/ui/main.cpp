#include <QApplication>
#include <cstdio>
#include <string_view>

#include "dictionary.h"
#include "main_window.h"

namespace {

constexpr const char* kHelp =
    "Usage: lumeta [OPTION]...\n"
    "Type Japanese with the pointer alone, on a handset-style keypad.\n"
    "\n"
    "  --builtin-dictionary  convert with the 676-reading built-in table alone, without\n"
    "                        the large dictionary that otherwise follows it\n"
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
  }
  QApplication app(argc, argv);
  // Qt has taken its own options out of the arguments; the rest are Lumeta's.
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--builtin-dictionary")) {
      lumeta::use_dictionaries(lumeta::Dictionaries::builtin);
    } else {
      std::fprintf(stderr, "lumeta: unknown option: %s\nTry 'lumeta --help'.\n",
                   qPrintable(args[i]));
      return 2;
    }
  }
  lumeta::MainWindow window(lumeta::MainWindow::Draft::kept);
  window.show();
  return app.exec();
}
