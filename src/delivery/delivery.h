// 送る: delivering the text into the application the user was working in last. The window
// asks for a delivery and is told how it ended; what is typed where is the route's (IBus in
// ibus/, the Wayland virtual keyboard in wayland/, XTest in x11/), and where no route takes the
// text it goes on the clipboard. send_control.h decides which route runs.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QWidget;

namespace lumeta {

// The desktop as it was before Lumeta's window was shown. Example: the user works in an editor
// and starts Lumeta: `x11_active_window` is the editor's window, which 送る types into.
struct DesktopBefore {
  unsigned long x11_active_window = 0;  // 0: not on X11, or no window active
};

// Which routes 送る may use (`--send-via`): all that the desktop offers, in order, or one alone
// (then the clipboard when it cannot take the text).
enum class SendVia { automatic, ibus, wayland, x11, clipboard };

class Delivery : public QObject {
  Q_OBJECT

 public:
  // How a delivery ended. `delivered` and `stopped` typed into the target (in whole, or up
  // to where it stopped); `no_target`, `target_gone`, `no_focus` and `unsupported` typed
  // nothing anywhere; `target_lost` typed into a target that went away meanwhile, and counts
  // only what it is known to have taken in; `on_clipboard` put the text on the clipboard
  // instead; `not_taken` typed nothing because nothing there takes text this way (no IBus
  // daemon, or no input context took the focus), and the next route is tried.
  enum class Outcome {
    delivered,
    not_taken,
    stopped,
    no_target,
    target_gone,
    target_lost,
    no_focus,
    unsupported,
    on_clipboard
  };

  // The routes `via` allows on this desktop, in the order they are tried: IBus wherever its
  // library is built in (whether its daemon is reachable is seen at each 送る); the Wayland
  // virtual keyboard where the compositor offers one and its window list (wlroots); XTest on
  // X11; the clipboard last, always. `window` is Lumeta's main window, hidden or lowered while
  // a route types into another window and brought back to the front afterwards.
  //
  // The IBus, Wayland and X11 routes live in a module (liblumeta-routes.so, routes_module.cpp)
  // with the libraries they bring (IBus with GIO, XTest, the Wayland client), loaded here.
  // Opened once the window is on the screen, they cost its start nothing; what they must know
  // from before it was shown is in `before`.
  static std::vector<std::unique_ptr<Delivery>> routes(QWidget* window, SendVia via,
                                                       const DesktopBefore& before = {});

  // Whether the routes must be opened before the window is shown: on Wayland, where only a
  // client listening to the window list before Lumeta's window takes the focus learns which
  // window the user worked in.
  static bool open_before_showing();
  // What the routes need to know from before the window is shown: on X11 the active window, read
  // through Qt's own connection.
  static DesktopBefore desktop_before();

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
