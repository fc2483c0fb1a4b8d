#include "x11_delivery.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <algorithm>

// After Qt's headers: Xlib's macros (None, KeyPress, …) would clash with Qt's names.
#include <X11/Xatom.h>

#include "x11_typer.h"

namespace lumeta {
namespace {

// Characters typed per turn of the event loop: about a millisecond of typing.
constexpr std::size_t kChunk = 48;
// How long the target may take to get the focus once asked.
constexpr int kFocusWaitMs = 3000;
// How long a client gets to look up the keys typed with one mapping of the key codes before
// they are mapped anew or given back, unless it answers a ping sooner: a moment, and 10 ms per
// key, four times what a Tk field writing a file after each key took per key on a 2-core
// machine at load 7. Example: 100 keys typed, 150 + 100 × 10 = 1,150 ms.
constexpr int kSettleMs = 150;
constexpr int kPerKeyMs = 10;
// How long Lumeta closing may wait for the target before the key codes are given back.
constexpr int kQuitWaitMs = 5000;
// How often a delivery looks again while it waits for the focus or for an answer.
constexpr int kWaitStepMs = 2;

// X errors about windows that went away meanwhile are expected; while one of these lives they
// are noted instead of reported. Example: ErrorTrap trap(display); XGetWindowAttributes(...);
// trap.failed() is true when the window was gone.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    failed_ = false;
    previous_ = XSetErrorHandler(note);
  }
  ~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  bool failed() {
    XSync(display_, False);
    return failed_;
  }

 private:
  static int note(Display*, XErrorEvent*) {
    failed_ = true;
    return 0;
  }
  static inline bool failed_ = false;
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace

std::unique_ptr<X11Delivery> X11Delivery::open(QWidget* window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  return std::unique_ptr<X11Delivery>(new X11Delivery(display, window));
}

X11Delivery::X11Delivery(Display* display, QWidget* window)
    : display_(display),
      window_(window),
      root_(DefaultRootWindow(display)),
      active_window_atom_(XInternAtom(display, "_NET_ACTIVE_WINDOW", False)),
      protocols_atom_(XInternAtom(display, "WM_PROTOCOLS", False)),
      ping_atom_(XInternAtom(display, "_NET_WM_PING", False)) {
  // A client answers a ping on the root window, to those who listen there for structure (Qt)
  // or substructure (GTK) events.
  XSelectInput(display_, root_, PropertyChangeMask | StructureNotifyMask | SubstructureNotifyMask);
  notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &X11Delivery::read_events);
  step_timer_.setInterval(0);
  connect(&step_timer_, &QTimer::timeout, this, &X11Delivery::step);
  restore_timer_.setSingleShot(true);
  connect(&restore_timer_, &QTimer::timeout, this, &X11Delivery::after_delivery);
  follow_active_window();
  read_events();
}

X11Delivery::~X11Delivery() {
  blockSignals(true);
  stop();
  // Lumeta closing right after a delivery still gives the target its time to take in the last
  // keys before they are given back (an answer to the ping gives them back at once), 5 s at most.
  QElapsedTimer waited;
  waited.start();
  while (restore_timer_.isActive() && restore_timer_.remainingTime() > 0 &&
         waited.elapsed() < kQuitWaitMs) {
    QThread::msleep(kWaitStepMs);
    read_events();
  }
  if (restore_timer_.isActive()) restore_mapping();
  XCloseDisplay(display_);
}

void X11Delivery::read_events() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == PropertyNotify && event.xproperty.atom == active_window_atom_) {
      follow_active_window();
    }
    if (event.type == ClientMessage && event.xclient.message_type == protocols_atom_ &&
        static_cast<Atom>(event.xclient.data.l[0]) == ping_atom_ && ping_stamp_ != 0 &&
        static_cast<unsigned long>(event.xclient.data.l[1]) == ping_stamp_) {
      ping_stamp_ = 0;
      answered_ = true;
      if (restore_timer_.isActive()) {
        restore_timer_.stop();
        after_delivery();
      }
    }
  }
}

// The target is the last active window that is not Lumeta's.
void X11Delivery::follow_active_window() {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window active = None;
  if (XGetWindowProperty(display_, root_, active_window_atom_, 0, 1, False, XA_WINDOW, &type,
                         &format, &count, &after, &data) == Success &&
      data) {
    if (type == XA_WINDOW && format == 32 && count == 1) {
      active = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    XFree(data);
  }
  if (active != None && active != root_ && !own_window(active)) target_ = active;
}

bool X11Delivery::own_window(Window window) const {
  for (QWindow* own : QGuiApplication::topLevelWindows()) {
    if (own->handle() && own->winId() == window) return true;
  }
  return false;
}

bool X11Delivery::exists(Window window) {
  ErrorTrap trap(display_);
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) != 0 && !trap.failed();
}

// The focus may be on a child of the target's top-level window (a toolkit's text field).
bool X11Delivery::focus_in(Window window) {
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  ErrorTrap trap(display_);
  while (focus != None && focus != PointerRoot && focus != root_) {
    if (focus == window) return true;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, focus, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    focus = parent;
  }
  return false;
}

// A modifier still held (Alt from Alt+S) would turn the typed characters into shortcuts.
bool X11Delivery::modifiers_held() {
  Window root, child;
  int x, y, window_x, window_y;
  unsigned int mask = 0;
  XQueryPointer(display_, root_, &root, &child, &x, &y, &window_x, &window_y, &mask);
  return (mask & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask | Mod5Mask)) != 0;
}

// The X server's time now: a window manager ignores a request stamped earlier than the last
// change of focus, and a toolkit focusing its own field stamps that change with the time of
// the keys it received.
unsigned long X11Delivery::server_time() {
  if (stamp_window_ == 0) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    stamp_window_ = XCreateWindow(display_, root_, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                  CWEventMask, &attributes);
  }
  XChangeProperty(display_, stamp_window_, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(display_, stamp_window_, PropertyChangeMask, &event);
  return event.xproperty.time;
}

// Sends the target a ping, when it says it answers them: it answers once it has handled every
// event sent to it before, the keys typed and the changes of the map among them. Example: keys
// typed, ping(), and once answered_ the keys' codes can be mapped anew.
bool X11Delivery::ping() {
  answered_ = false;
  ping_stamp_ = 0;
  Atom* protocols = nullptr;
  int count = 0;
  bool answers = false;
  {
    ErrorTrap trap(display_);
    if (XGetWMProtocols(display_, target_, &protocols, &count) && !trap.failed()) {
      answers = std::find(protocols, protocols + count, ping_atom_) != protocols + count;
    }
  }
  if (protocols) XFree(protocols);
  if (!answers) return false;
  ping_stamp_ = server_time();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target_;
  event.xclient.message_type = protocols_atom_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(ping_atom_);
  event.xclient.data.l[1] = static_cast<long>(ping_stamp_);
  event.xclient.data.l[2] = static_cast<long>(target_);
  ErrorTrap trap(display_);
  XSendEvent(display_, target_, False, NoEventMask, &event);
  return !trap.failed();
}

// The target is given time to take in what it was sent (see ping()) before the next step.
void X11Delivery::settle() {
  phase_ = Phase::settling;
  phase_clock_.start();
  ping();
  step_timer_.setInterval(kWaitStepMs);
}

bool X11Delivery::settled() const {
  return answered_ || phase_clock_.elapsed() >= settle_ms();
}

// How long a target that answers no ping is given for the keys typed with the current mapping.
int X11Delivery::settle_ms() const {
  const std::size_t keys = typer_ ? typer_->typed() - typed_at_map_ : 0;
  return kSettleMs + kPerKeyMs * static_cast<int>(keys);
}

// Asks the window manager to activate `window`, as a pager or a taskbar would.
void X11Delivery::activate(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = active_window_atom_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;  // source: a pager
  event.xclient.data.l[1] = static_cast<long>(server_time());
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display_);
}

void X11Delivery::start(const QString& text) {
  if (running()) return;
  read_events();
  const int total = static_cast<int>(text.toStdU32String().size());
  if (!XTyper::has_xtest(display_)) {
    emit finished(Outcome::unsupported, 0, total);
    return;
  }
  if (target_ == None) {
    emit finished(Outcome::no_target, 0, total);
    return;
  }
  if (!exists(target_)) {
    target_ = None;
    emit finished(Outcome::target_gone, 0, total);
    return;
  }
  if (restore_timer_.isActive()) {
    // The previous delivery's mapping goes first; the target has had its moment.
    restore_timer_.stop();
    restore_mapping();
  }
  typer_ = std::make_unique<XTyper>(display_, text.toStdU32String());
  typed_at_map_ = 0;
  activate(target_);
  phase_ = Phase::waiting_for_focus;
  phase_clock_.start();
  step_timer_.start(kWaitStepMs);
  emit progress(0, total);
}

void X11Delivery::step() {
  read_events();
  const int total = static_cast<int>(typer_->size());
  switch (phase_) {
    case Phase::idle:
      return;
    case Phase::waiting_for_focus:
      if (!exists(target_)) {
        target_ = None;
        finish(Outcome::target_gone);
        return;
      }
      if (!focus_in(target_) || modifiers_held()) {
        if (phase_clock_.elapsed() > kFocusWaitMs) finish(Outcome::no_focus);
        return;
      }
      // The target takes in its focus before the first key, as it takes in each mapping.
      settle();
      return;
    case Phase::settling:
      if (!settled()) return;
      typer_->map_next();
      typed_at_map_ = typer_->typed();
      phase_ = Phase::typing;
      step_timer_.setInterval(0);
      // A character no spare key code can take (none left on this keyboard) ends it here.
      if (!typer_->ready()) {
        finish(Outcome::stopped);
        return;
      }
      break;
    case Phase::typing:
      break;
  }
  if (typer_->done()) {
    finish(Outcome::delivered);
    return;
  }
  if (!typer_->ready()) {
    settle();
    return;
  }
  // Nothing changes the focus while the server is grabbed: what is typed goes to the target.
  XGrabServer(display_);
  const bool focused = focus_in(target_);
  if (focused) typer_->type(kChunk);
  XUngrabServer(display_);
  XFlush(display_);
  if (!focused) {
    finish(Outcome::stopped);
    return;
  }
  emit progress(static_cast<int>(typer_->typed()), total);
  if (typer_->done()) finish(Outcome::delivered);
}

void X11Delivery::stop() {
  if (running()) finish(Outcome::stopped);
}

void X11Delivery::finish(Outcome outcome) {
  step_timer_.stop();
  phase_ = Phase::idle;
  const int delivered = static_cast<int>(typer_->typed());
  const int total = static_cast<int>(typer_->size());
  // The borrowed key codes go back once the target has taken in the last keys typed with them.
  if (target_ && exists(target_)) ping();
  restore_timer_.start(settle_ms());
  // Lumeta comes back to the front meanwhile, so the user can go on: the keys already typed
  // belong to the target whatever has the focus when it gets to them.
  QTimer::singleShot(kSettleMs, this, [this] {
    if (!running()) come_back(3);
  });
  emit finished(outcome, delivered, total);
}

// Lumeta asks to be activated; a target that was still busy taking in its own focus may take it
// back once it gets there, so while the focus is back in the target Lumeta asks again, up to
// `tries` times in all.
void X11Delivery::come_back(int tries) {
  activate(static_cast<Window>(window_->window()->winId()));
  if (tries <= 1) return;
  QTimer::singleShot(300, this, [this, tries] {
    if (!running() && target_ && exists(target_) && focus_in(target_)) come_back(tries - 1);
  });
}

// Once the target has taken in the last keys, the key codes are given back.
void X11Delivery::after_delivery() {
  restore_mapping();
}

void X11Delivery::restore_mapping() {
  if (typer_) typer_->restore();
  typer_.reset();
}

}  // namespace lumeta
