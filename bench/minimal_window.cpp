// The floor for start-up: the minimal Qt window alone, in a program that links Qt Widgets and
// nothing else, so that its start is what any Qt program's start costs.
#include <QApplication>

#include "floor_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  lumeta::bench::FloorWindow window;
  window.show();
  return app.exec();
}
