// 送る on X11. The application the user was working in last is followed through the window
// manager's _NET_ACTIVE_WINDOW on the root window (Lumeta's own windows left out); a delivery
// activates it, waits until it has the input focus, and types the text into it through XTest
// (x11_typer.h), a chunk per turn of the event loop, so the window repaints and shows progress.
// Each chunk is typed while the server is grabbed, after checking that the focus is still in
// the target, so no character ever lands anywhere else.
//
// A client reads a key with the keyboard map it holds when it gets to that key, so a borrowed
// key code is mapped anew or given back only once the target has taken in the keys typed with
// it: when it answers a ping sent after them (a Qt or GTK window answers within milliseconds),
// or else once the time a slow client needs has passed (150 ms, then 10 ms a key). Typing keeps
// at most 32 keys ahead of what the target has taken in, so the keyboard is whole again at most
// half a second after the last key, whatever the target. What was lent is kept in a record
// (borrowed_keys.h) until it is given back; the next Lumeta on the display gives back what a
// killed one had lent.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <memory>

#include "delivery.h"

class QSocketNotifier;
struct _XDisplay;  // Xlib's Display; its header's macros stay out of Qt's way

namespace lumeta {

class BorrowedKeysFile;
class XTyper;

class X11Delivery : public Delivery, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  // Null when the X display cannot be opened. `active_before`: the window that was active before
  // Lumeta's was shown (0: none), the target until another one is activated.
  static std::unique_ptr<X11Delivery> open(QWidget* window, unsigned long active_before = 0);
  // Gives the keyboard back whatever it had lent: waits (a second at most) for the target to
  // take in the last keys, then puts the borrowed codes back.
  ~X11Delivery() override;

  void start(const QString& text) override;
  void stop() override;
  bool running() const override { return phase_ != Phase::idle; }

  // The X window typing would go to now (0 when none is known), for the tests.
  unsigned long target() const { return target_; }
  // Whether key codes are lent out now.
  bool borrowing() const { return typer_ != nullptr; }

  // A physical key pressed on a lent code while Lumeta has the focus reaches it as the key it
  // is, never as the character lent to it: q lent for 漢 arrives as Q.
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  using Window = unsigned long;  // Xlib's Window and Atom
  X11Delivery(_XDisplay* display, QWidget* window);
  enum class Phase { idle, waiting_for_focus, settling, typing };

  void read_events();
  void follow_active_window();
  void follow_to(Window active);
  bool own_window(Window window) const;
  bool exists(Window window);
  bool focus_in(Window window);
  bool modifiers_held();
  unsigned long server_time();
  void activate(Window window);
  bool answers_pings();
  void ping(std::size_t through);
  void recover();
  bool take_keyboard();
  void sent(std::size_t keys);
  std::size_t taken_in();
  void step();
  void type_chunk();
  void finish(Outcome outcome, std::size_t delivered);
  void give_back_when_taken();
  void restore_mapping();
  void come_back(int tries);

  _XDisplay* display_;
  QWidget* window_;
  Window root_;
  unsigned long active_window_atom_;
  unsigned long protocols_atom_;
  unsigned long ping_atom_;
  Window target_ = 0;
  Window stamp_window_ = 0;  // a window of our own whose property changes tell the time
  QSocketNotifier* notifier_;
  Phase phase_ = Phase::idle;
  std::u32string text_;
  std::unique_ptr<XTyper> typer_;
  std::unique_ptr<BorrowedKeysFile> record_;
  QTimer step_timer_;
  QTimer restore_timer_;  // polls, after a delivery, until the last keys are taken in
  QElapsedTimer clock_;   // since the delivery started

  // What the target has taken in, in keys typed: `taken_` by the clock (a slow client's pace),
  // `answered_` by its answers to pings. Example: 40 keys typed at 0 ms in two chunks of 20
  // are taken at 350 and 550 ms; a ping sent after them, answered at 5 ms, takes all 40 at once.
  struct Due {
    std::size_t keys;  // typed before it
    qint64 at_ms;      // on clock_
  };
  std::deque<Due> due_;
  qint64 busy_until_ms_ = 0;
  std::size_t taken_ = 0;
  std::size_t answered_ = 0;
  struct Ping {
    unsigned long stamp;
    std::size_t keys;
  };
  std::deque<Ping> pings_;
  unsigned long next_stamp_ = 0;
  bool pings_answered_ = false;  // the target lists _NET_WM_PING
  bool focus_answered_ = false;  // the ping after the focus came back
  bool came_back_ = false;       // Lumeta has asked to be active again
};

}  // namespace lumeta
