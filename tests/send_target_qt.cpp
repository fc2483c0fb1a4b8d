// The application 送る types into on Wayland: a Qt text field that writes what it holds to the
// file named by its argument after every change. Example: send_target_qt /tmp/received.txt
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString path = QString::fromLocal8Bit(argv[1]);
  QPlainTextEdit field;
  field.setWindowTitle(QStringLiteral("send-target"));
  field.resize(400, 300);
  QObject::connect(&field, &QPlainTextEdit::textChanged, [&] {
    QFile file(path + QStringLiteral(".new"));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(field.toPlainText().toUtf8());
    file.close();
    QFile::remove(path);
    file.rename(path);
  });
  field.show();
  return app.exec();
}
