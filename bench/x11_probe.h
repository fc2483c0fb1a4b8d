// The benchmarks' own connection to the X server: clicks sent through XTest, and the damage
// events that tell when a window has put new pixels on the screen. Kept apart from the Qt code
// so that Xlib's macros meet no Qt header.
#pragma once

namespace lumeta::bench {

struct Area {
  int x, y, width, height;
};

class X11Probe {
 public:
  X11Probe();  // connects to $DISPLAY
  ~X11Probe();
  X11Probe(const X11Probe&) = delete;
  X11Probe& operator=(const X11Probe&) = delete;
  bool connected() const { return display_ != nullptr; }

  // Reports the damage of `window` from now on, one rectangle at a time.
  void watch(unsigned long window);
  void unwatch();
  // Damage to the watched window that meets `area` (window coordinates), or false after
  // `timeout_ms`.
  bool wait_for_damage(Area area, int timeout_ms);
  // Reads and forgets whatever arrives for `ms` milliseconds.
  void drain(int ms);

  void move_pointer(int x, int y);  // screen coordinates
  void press();                     // the left button
  void release();

  // Reports the top-level windows mapped from now on.
  void watch_new_windows();
  // The next top-level window mapped, or 0 after `timeout_ms`.
  unsigned long wait_for_new_window(int timeout_ms);

 private:
  bool next_event(int timeout_ms, void* event);

  void* display_ = nullptr;  // Display*
  unsigned long damage_ = 0;
  unsigned long window_ = 0;
  int damage_event_ = 0;
};

}  // namespace lumeta::bench
