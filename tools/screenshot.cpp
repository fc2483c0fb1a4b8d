// lumeta-screenshot [--screen] [--learning-file PATH] FILE [KEY ...]: starts the window, works
// the named keys as the replay tool names them (one press and release each), and saves a
// picture of the window to FILE; with --screen, of the screen around the window and its frame;
// with --learning-file, learning into (and predicting and offering from) PATH.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <iostream>
#include <memory>

#include "keypad.h"
#include "learning_store.h"
#include "main_window.h"
#include "predictions.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int first = 1;
  const bool whole_screen = argc > 1 && QString::fromLocal8Bit(argv[1]) == "--screen";
  if (whole_screen) ++first;
  std::unique_ptr<lumeta::LearningStore> store;
  if (argc > first + 1 && QString::fromLocal8Bit(argv[first]) == "--learning-file") {
    store = std::make_unique<lumeta::LearningStore>(argv[first + 1]);
    store->flush();
    first += 2;
  }
  if (argc <= first) {
    std::cerr << "usage: lumeta-screenshot [--screen] [--learning-file PATH] FILE [KEY ...]\n";
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[first]);
  lumeta::MainWindow main_window;
  main_window.keypad().conversion().learning = store.get();
  main_window.show();
  for (int i = first + 1; i < argc; ++i) {
    const lumeta::KeyInfo* key = lumeta::find_key_by_token(argv[i]);
    if (!key) {
      std::cerr << "lumeta-screenshot: unknown key token: " << argv[i] << '\n';
      return 2;
    }
    main_window.keypad().click(key->number);
    main_window.idle_pass();
  }
  int status = 1;
  QTimer::singleShot(300, [&] {
    QPixmap picture = main_window.grab();
    if (whole_screen) {
      QRect area = main_window.frameGeometry();
      picture =
          main_window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    }
    status = picture.save(file) ? 0 : 1;
    app.quit();
  });
  app.exec();
  main_window.keypad().conversion().learning = nullptr;
  return status;
}
