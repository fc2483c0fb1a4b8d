// SIGTERM, SIGINT and SIGHUP end Lumeta the ordinary way, as 終了 does: the draft is written and
// the keyboard given back whatever 送る had lent of it. The signal handler only writes the
// signal's number into a socket pair; the event loop reads it and calls `quit` there, where
// anything may be done. Example: `kill PID` while 送る types closes the window, which stops the
// delivery, saves the draft, and the codes go back before the process exits.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace lumeta {

class QuitSignals : public QObject {
  Q_OBJECT

 public:
  explicit QuitSignals(std::function<void()> quit, QObject* parent = nullptr);
  ~QuitSignals() override;

 private:
  void arrived();

  std::function<void()> quit_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lumeta
