// lumeta-screenshot FILE [KEY ...]: starts the window, works the named keys as the replay tool
// names them (one press and release each), and saves a picture of the window to FILE.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <iostream>

#include "keypad.h"
#include "tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: lumeta-screenshot FILE [KEY ...]\n";
    return 2;
  }
  lumeta::TForm1 form;
  form.show();
  for (int i = 2; i < argc; ++i) {
    const lumeta::KeyInfo* key = lumeta::find_key_by_token(argv[i]);
    if (!key) {
      std::cerr << "lumeta-screenshot: unknown key token: " << argv[i] << '\n';
      return 2;
    }
    form.keypad().click(key->number);
    form.ApplicationEvents1Idle();
  }
  int status = 1;
  QTimer::singleShot(300, [&] {
    status = form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    app.quit();
  });
  app.exec();
  return status;
}
