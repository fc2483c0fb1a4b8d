// Resident memory of the window after a 1,000,000-character text is brought back with 元に戻す
// and 300 keys are typed into it (クリア, K, A over and over, so the text stays at the limit
// and changes on every key), the draft written after every key as the one-second timer would
// write it while someone types slowly. The same text and keys without the draft, for
// comparison. Each case runs in a process of its own, so one never inherits the other's heap.
//
//   QT_QPA_PLATFORM=offscreen build/bench/lumeta_draft_memory_bench
//
// prints, for each case, the resident memory at the end and its peak (VmRSS, VmHWM) in MB.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

#include "main_window.h"
#include "sjis.h"

namespace {

using namespace lumeta;

double status_mb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) return std::stod(line.substr(std::string(field).size())) / 1024.0;
  }
  return 0;
}

void press(MainWindow& form, int key) {
  QTest::mousePress(form.key(key), Qt::LeftButton);
  QTest::mouseRelease(form.key(key), Qt::LeftButton);
  form.idle_pass();
}

int run_case(bool with_draft) {
  QTemporaryDir state_home;
  qputenv("XDG_STATE_HOME", QFile::encodeName(state_home.path()));
  const QByteArray million = QStringLiteral("あ").toUtf8().repeated(kMaxDisplayChars);
  if (with_draft) {
    QDir().mkpath(state_home.path() + QStringLiteral("/lumeta"));
    QFile draft(state_home.path() + QStringLiteral("/lumeta/draft.txt"));
    if (!draft.open(QIODevice::WriteOnly)) return 1;
    draft.write("Lumeta draft\ncaret 0\n" + million);
  }
  {
    MainWindow form(with_draft ? MainWindow::Draft::kept : MainWindow::Draft::none);
    form.show();
    if (!with_draft) {
      form.engine().keep_for_undo(*sjis::from_utf8(million.toStdString()));
    }
    form.idle_pass();
    QTest::mouseClick(form.undo_key(), Qt::LeftButton);
    form.idle_pass();
    if (form.engine().display().chars() != kMaxDisplayChars) return 1;
    constexpr int kKeys[] = {key::clear, key::K, key::A};
    for (int i = 0; i < 300; ++i) {
      press(form, kKeys[i % 3]);
      if (with_draft) form.save_draft();
    }
    std::printf("%-13s VmRSS %.1f MB  VmHWM %.1f MB\n", with_draft ? "with draft" : "without draft",
                status_mb("VmRSS:"), status_mb("VmHWM:"));
    form.close();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() > 1) return run_case(args[1] == QStringLiteral("draft"));
  for (const char* which : {"draft", "none"}) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(app.applicationFilePath(), {QString::fromLatin1(which)});
    if (!child.waitForFinished(600'000) || child.exitCode() != 0) return 1;
  }
  return 0;
}
