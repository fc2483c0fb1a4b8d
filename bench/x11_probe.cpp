#include "x11_probe.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <chrono>

namespace lumeta::bench {
namespace {

Display* dpy(void* display) {
  return static_cast<Display*>(display);
}

int remaining_ms(std::chrono::steady_clock::time_point deadline) {
  const auto left = deadline - std::chrono::steady_clock::now();
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
}

}  // namespace

X11Probe::X11Probe() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  int error_base = 0, major = 0, minor = 0, opcode = 0;
  if (!XDamageQueryExtension(d, &damage_event_, &error_base) ||
      !XTestQueryExtension(d, &opcode, &error_base, &major, &minor)) {
    XCloseDisplay(d);
    return;
  }
  display_ = d;
}

X11Probe::~X11Probe() {
  if (!display_) return;
  unwatch();
  XCloseDisplay(dpy(display_));
}

void X11Probe::watch(unsigned long window) {
  unwatch();
  window_ = window;
  damage_ = XDamageCreate(dpy(display_), window, XDamageReportRawRectangles);
  XSync(dpy(display_), False);
}

void X11Probe::unwatch() {
  if (damage_) XDamageDestroy(dpy(display_), damage_);
  damage_ = 0;
  window_ = 0;
  XSync(dpy(display_), False);
}

bool X11Probe::next_event(int timeout_ms, void* event) {
  Display* d = dpy(display_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!XPending(d)) {
    const int left = remaining_ms(deadline);
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, left);
  }
  XNextEvent(d, static_cast<XEvent*>(event));
  return true;
}

bool X11Probe::wait_for_damage(Area area, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  XEvent event;
  while (next_event(remaining_ms(deadline), &event)) {
    if (event.type != damage_event_ + XDamageNotify) continue;
    const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
    if (damage.damage != damage_) continue;
    const XRectangle& r = damage.area;
    if (r.x < area.x + area.width && area.x < r.x + r.width && r.y < area.y + area.height &&
        area.y < r.y + r.height) {
      return true;
    }
  }
  return false;
}

void X11Probe::drain(int ms) {
  XEvent event;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (next_event(remaining_ms(deadline), &event)) {
  }
  if (damage_) XDamageSubtract(dpy(display_), damage_, 0, 0);
  XSync(dpy(display_), False);
}

void X11Probe::move_pointer(int x, int y) {
  XTestFakeMotionEvent(dpy(display_), -1, x, y, CurrentTime);
  XFlush(dpy(display_));
}

void X11Probe::press() {
  XTestFakeButtonEvent(dpy(display_), 1, True, CurrentTime);
  XFlush(dpy(display_));
}

void X11Probe::release() {
  XTestFakeButtonEvent(dpy(display_), 1, False, CurrentTime);
  XFlush(dpy(display_));
}

void X11Probe::watch_new_windows() {
  Display* d = dpy(display_);
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
}

unsigned long X11Probe::wait_for_new_window(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  XEvent event;
  while (next_event(remaining_ms(deadline), &event)) {
    if (event.type == MapNotify && !event.xmap.override_redirect) return event.xmap.window;
  }
  return 0;
}

}  // namespace lumeta::bench
