// 送る on X11. The application the user was working in last is followed through the window
// manager's _NET_ACTIVE_WINDOW on the root window (Lumeta's own windows left out); a delivery
// activates it, waits until it has the input focus, and types the text into it through XTest
// (x11_typer.h), a chunk per turn of the event loop, so the window repaints and shows progress.
// Each chunk is typed while the server is grabbed, after checking that the focus is still in
// the target, so no character ever lands anywhere else and the count of what arrived is exact.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "delivery.h"

class QSocketNotifier;
struct _XDisplay;  // Xlib's Display; its header's macros stay out of Qt's way

namespace lumeta {

class XTyper;

class X11Delivery : public Delivery {
  Q_OBJECT

 public:
  // Null when the X display cannot be opened.
  static std::unique_ptr<X11Delivery> open(QWidget* window);
  ~X11Delivery() override;

  void start(const QString& text) override;
  void stop() override;
  bool running() const override { return phase_ != Phase::idle; }

  // The X window typing would go to now (0 when none is known), for the tests.
  unsigned long target() const { return target_; }

 private:
  using Window = unsigned long;  // Xlib's Window and Atom
  X11Delivery(_XDisplay* display, QWidget* window);
  enum class Phase { idle, waiting_for_focus, typing, settling };

  void read_events();
  void follow_active_window();
  bool own_window(Window window) const;
  bool exists(Window window);
  bool focus_in(Window window);
  bool modifiers_held();
  unsigned long server_time();
  void activate(Window window);
  bool ping();
  void settle();
  bool settled() const;
  int settle_ms() const;
  void after_delivery();
  void step();
  void finish(Outcome outcome);
  void restore_mapping();
  void come_back(int tries);

  _XDisplay* display_;
  QWidget* window_;
  Window root_;
  unsigned long active_window_atom_;
  unsigned long protocols_atom_;
  unsigned long ping_atom_;
  unsigned long ping_stamp_ = 0;  // the time stamp of the ping waiting for its answer
  bool answered_ = false;         // whether the target has answered the last ping
  std::size_t typed_at_map_ = 0;  // how many characters were typed when the codes were mapped
  Window target_ = 0;
  Window stamp_window_ = 0;  // a window of our own whose property changes tell the time
  QSocketNotifier* notifier_;
  Phase phase_ = Phase::idle;
  std::unique_ptr<XTyper> typer_;
  QTimer step_timer_;
  QElapsedTimer phase_clock_;
  // After a delivery the key codes keep their mapping until the target has looked up the last
  // keys typed with it (it answers a ping, or the time settle_ms() gives has passed).
  QTimer restore_timer_;
};

}  // namespace lumeta
