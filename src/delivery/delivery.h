// 送る: delivering the text into the application the user was working in last. The window
// asks for a delivery and is told how it ended; what is typed where is the platform's
// (x11_delivery.*, wayland_delivery.*), and where no platform way exists the text goes on the
// clipboard.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace lumeta {

class Delivery : public QObject {
  Q_OBJECT

 public:
  // How a delivery ended. `delivered` and `stopped` typed into the target (in whole, or up
  // to where it stopped); `no_target`, `target_gone`, `no_focus` and `unsupported` typed
  // nothing anywhere; `target_lost` typed into a target that went away meanwhile, and counts
  // only what it is known to have taken in; `on_clipboard` put the text on the clipboard
  // instead.
  enum class Outcome {
    delivered,
    stopped,
    no_target,
    target_gone,
    target_lost,
    no_focus,
    unsupported,
    on_clipboard
  };

  // The way of the platform the application runs on: X11 through XTest; Wayland through a
  // virtual keyboard where the compositor offers one and its window list; elsewhere the
  // clipboard. `window` is Lumeta's main window, brought back to the front afterwards.
  static std::unique_ptr<Delivery> for_platform(QWidget* window);

  // Starts delivering `text` (line breaks as LF); progress() and then finished() follow,
  // finished() possibly before start() returns.
  virtual void start(const QString& text) = 0;
  // Stops a delivery that runs; finished() is emitted before it returns, with what arrived.
  virtual void stop() = 0;
  virtual bool running() const = 0;

  // What the user reads about an outcome; `delivered` characters of `total` arrived.
  static QString message(Outcome outcome, int delivered, int total);

 signals:
  void progress(int delivered, int total);
  // `delivered` characters of the text arrived, counted in code points.
  void finished(lumeta::Delivery::Outcome outcome, int delivered, int total);
};

// Where the desktop offers no way to type into another application: the text goes on the
// clipboard, and the user is asked to paste it.
class ClipboardDelivery : public Delivery {
  Q_OBJECT

 public:
  void start(const QString& text) override;
  void stop() override {}
  bool running() const override { return false; }
};

}  // namespace lumeta
