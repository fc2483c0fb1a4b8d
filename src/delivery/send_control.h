// What 送る does, whatever the window: which route takes the text, what a click on 送る means
// while a delivery runs, and that any other key stops it first. The window shows the progress
// and the outcome and hands the text over; this class decides.
//
// Routes are tried in their order at each 送る: a route whose target takes nothing (IBus where
// no input context took the focus) hands the same text to the next one, the clipboard last.
// Example: routes IBus, X11, clipboard on an X11 desktop running IBus with a Tk window in front:
// IBus ends in `not_taken` after its short wait, and XTest types the text.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>
#include <vector>

#include "delivery.h"

namespace lumeta {

// `auto`, `ibus`, `wayland`, `x11` or `clipboard`; nothing for anything else.
std::optional<SendVia> parse_send_via(QStringView name);

class SendControl : public QObject {
  Q_OBJECT

 public:
  // `routes` in the order they are tried; the last one should always take the text.
  explicit SendControl(std::vector<std::unique_ptr<Delivery>> routes);
  ~SendControl() override;

  // A click on 送る. Returns true when the caller should now hand over the text with start():
  // false when the click stopped the delivery that ran, or came within a second after a
  // delivery stopped half-way (the click that stopped it, arriving late once the target let go
  // of the focus, must not start the rest anew).
  bool clicked();
  // Delivers `text` (line breaks as LF) through the first route that takes it.
  void start(const QString& text);
  // Any key but 送る, any click in the text or pick: a running delivery stops first, so the key
  // acts on the text as the delivery left it.
  void key_pressed();
  bool running() const;
  // The route that runs or ran last, for the tests.
  const Delivery* route() const {
    return current_ < routes_.size() ? routes_[current_].get() : nullptr;
  }

 signals:
  void progress(int delivered, int total);
  void finished(lumeta::Delivery::Outcome outcome, int delivered, int total);

 private:
  void route_finished(Delivery::Outcome outcome, int delivered, int total);

  std::vector<std::unique_ptr<Delivery>> routes_;
  std::size_t current_ = 0;
  QString text_;               // the text of the delivery that runs, for the next route
  QElapsedTimer interrupted_;  // since the last delivery stopped half-way
};

}  // namespace lumeta
