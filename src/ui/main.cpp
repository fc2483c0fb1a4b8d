#include <QApplication>

#include "tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  lumeta::TForm1 form(lumeta::TForm1::Draft::kept);
  form.show();
  return app.exec();
}
