// lumeta-screenshot [--screen] [--learning-file PATH] FILE [KEY ...]: starts the window, works
// the named keys as the replay tool names them (one press and release each), and saves a
// picture of the window to FILE; with --screen, of the screen around the window and its frame;
// with --learning-file, learning into (and predicting and offering from) PATH. With --dwell=S or
// --scan=MODE (first), dwell or scanning is on: SWITCH and STEP press the switches and POINT:KEY
// rests the pointer on a key, so the picture shows the scan's frame or dwell's progress.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <iostream>
#include <memory>

#include <QCursor>

#include "access_input.h"
#include "keypad.h"
#include "learning_store.h"
#include "main_window.h"
#include "predictions.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int first = 1;
  lumeta::AccessSettings access_settings;
  for (; argc > first; ++first) {
    const QString arg = QString::fromLocal8Bit(argv[first]);
    if (arg.startsWith(QLatin1String("--dwell="))) {
      access_settings.dwell_seconds = arg.mid(8).toDouble();
    } else if (arg.startsWith(QLatin1String("--scan="))) {
      access_settings.scan = arg.mid(7);
    } else {
      break;
    }
  }
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
  lumeta::AccessInput access(main_window, access_settings, QString(), access_settings);
  for (int i = first + 1; i < argc; ++i) {
    const QString token = QString::fromLocal8Bit(argv[i]);
    if (token == QLatin1String("SWITCH") || token == QLatin1String("STEP")) {
      access.press_switch(token == QLatin1String("SWITCH"));
      continue;
    }
    if (token.startsWith(QLatin1String("POINT:"))) {
      const lumeta::KeyInfo* key = lumeta::find_key_by_token(token.mid(6).toStdString());
      if (!key) return 2;
      const lumeta::KeyPlace& p = key->place;
      QCursor::setPos(main_window.mapToGlobal(QPoint(p.left + p.width / 2, p.top + p.height / 2)));
      continue;
    }
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
