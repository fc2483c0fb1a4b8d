#include "x11_delivery.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace lumeta {
namespace {

// Hands the focus window a physical key as the key it is: `keysym` is what the code held before
// it was lent (XK_q, or XK_Q with Shift), `state` the X modifiers. Only the characters of
// ASCII are keys Lumeta knows; any other key arrives as nothing. Here, before Xlib's headers,
// whose macros (KeyPress) would clash with Qt's names.
void send_own_key(bool press, unsigned long keysym, unsigned state, unsigned code) {
  QWindow* focus = QGuiApplication::focusWindow();
  if (!focus || keysym < 0x20 || keysym > 0x7E) return;
  const auto c = static_cast<char>(keysym);
  const int key = c >= 'a' && c <= 'z' ? c - 'a' + Qt::Key_A : c;  // Qt names letters by capitals
  Qt::KeyboardModifiers modifiers;
  if (state & XCB_MOD_MASK_SHIFT) modifiers |= Qt::ShiftModifier;
  if (state & XCB_MOD_MASK_CONTROL) modifiers |= Qt::ControlModifier;
  if (state & XCB_MOD_MASK_1) modifiers |= Qt::AltModifier;
  QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, code,
                  static_cast<quint32>(keysym), state, QString(QLatin1Char(c)));
  QCoreApplication::sendEvent(focus, &event);
}

}  // namespace
}  // namespace lumeta

// After Qt's headers: Xlib's macros (None, KeyPress, …) would clash with Qt's names.
#include <X11/Xatom.h>

#include "borrowed_keys.h"
#include "x11_typer.h"

namespace lumeta {
namespace {

// Characters typed per turn of the event loop: about a millisecond of typing. While codes are
// lent to a target that answers no ping, fewer, so that the pace follows what it takes in.
constexpr std::size_t kChunk = 48;
constexpr std::size_t kPacedChunk = 8;
// How long the target may take to get the focus once asked.
constexpr int kFocusWaitMs = 3000;
// How long a client that answers no ping is given to take in the keys sent to it: a moment,
// then 10 ms a key, four times what a Tk field writing a file after each key took per key on a
// 2-core machine at load 7. Example: 20 keys sent to an idle target, 150 + 20 × 10 = 350 ms;
// 20 more right after are taken by 550 ms.
constexpr qint64 kSettleMs = 150;
constexpr qint64 kPerKeyMs = 10;
// How many keys typed with lent codes may be ahead of what the target has taken in: the
// keyboard is whole at most 150 + 32 × 10 = 470 ms after the last one.
constexpr std::size_t kMostAhead = 32;
// How often Lumeta asks to be active again while the target keeps the focus, 300 ms apart: a
// target busy with its keys on a loaded machine may take its own focus in late.
constexpr int kComeBackTries = 7;
// How long Lumeta closing waits for the target before the key codes are given back.
constexpr int kQuitWaitMs = 1000;
// How often a delivery looks again while it waits for the focus or for the target.
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

std::unique_ptr<X11Delivery> X11Delivery::open(QWidget* window, unsigned long active_before) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<X11Delivery> delivery(new X11Delivery(display, window));
  // Opened once Lumeta's window is shown and active, the route has not seen the user's window
  // active: the one active before is the target, while it exists.
  if (!delivery->target_ && active_before != None && delivery->exists(active_before)) {
    delivery->follow_to(active_before);
  }
  return delivery;
}

X11Delivery::X11Delivery(Display* display, QWidget* window)
    : display_(display),
      window_(window),
      root_(DefaultRootWindow(display)),
      active_window_atom_(XInternAtom(display, "_NET_ACTIVE_WINDOW", False)),
      protocols_atom_(XInternAtom(display, "WM_PROTOCOLS", False)),
      ping_atom_(XInternAtom(display, "_NET_WM_PING", False)),
      record_(std::make_unique<BorrowedKeysFile>(DisplayString(display))) {
  // A client answers a ping on the root window, to those who listen there for structure (Qt)
  // or substructure (GTK) events.
  XSelectInput(display_, root_, PropertyChangeMask | StructureNotifyMask | SubstructureNotifyMask);
  notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &X11Delivery::read_events);
  step_timer_.setInterval(0);
  connect(&step_timer_, &QTimer::timeout, this, &X11Delivery::step);
  restore_timer_.setInterval(kWaitStepMs);
  connect(&restore_timer_, &QTimer::timeout, this, &X11Delivery::give_back_when_taken);
  if (qApp) qApp->installNativeEventFilter(this);
  recover();
  follow_active_window();
  read_events();
}

X11Delivery::~X11Delivery() {
  if (qApp) qApp->removeNativeEventFilter(this);
  blockSignals(true);
  stop();
  // Lumeta closing right after a delivery still gives the target its time to take in the last
  // keys before they are given back (an answer to the ping gives them back at once).
  QElapsedTimer waited;
  waited.start();
  while (restore_timer_.isActive() && waited.elapsed() < kQuitWaitMs) {
    QThread::msleep(kWaitStepMs);
    read_events();
    give_back_when_taken();
  }
  restore_mapping();
  XCloseDisplay(display_);
}

// A Lumeta killed while it had codes lent left their record: they are given back now, unless
// a living Lumeta holds the display's lock (it gives its own back).
void X11Delivery::recover() {
  if (!record_->lock()) return;
  if (const auto keys = record_->read()) {
    XTyper::put_back(display_, *keys);
    record_->remove();
  }
  record_->unlock();
}

void X11Delivery::read_events() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == PropertyNotify && event.xproperty.atom == active_window_atom_) {
      follow_active_window();
    }
    if (event.type == ClientMessage && event.xclient.message_type == protocols_atom_ &&
        static_cast<Atom>(event.xclient.data.l[0]) == ping_atom_) {
      const auto stamp = static_cast<unsigned long>(event.xclient.data.l[1]);
      while (!pings_.empty() && pings_.front().stamp <= stamp) {
        if (pings_.front().stamp == stamp) {
          answered_ = std::max(answered_, pings_.front().keys);
          focus_answered_ = true;
        }
        pings_.pop_front();
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
  follow_to(active);
}

// An active window becomes the target unless it is none, the root or Lumeta's own.
void X11Delivery::follow_to(Window active) {
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

// Whether the target says it answers pings: it answers once it has handled every event sent to
// it before, the keys typed and the changes of the map among them.
bool X11Delivery::answers_pings() {
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
  return answers;
}

// Pings a target that answers pings; its answer tells that the first `keys` keys are taken in.
void X11Delivery::ping(std::size_t keys) {
  if (!pings_answered_) return;
  const unsigned long stamp = ++next_stamp_;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target_;
  event.xclient.message_type = protocols_atom_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(ping_atom_);
  event.xclient.data.l[1] = static_cast<long>(stamp);
  event.xclient.data.l[2] = static_cast<long>(target_);
  ErrorTrap trap(display_);
  XSendEvent(display_, target_, False, NoEventMask, &event);
  if (!trap.failed()) pings_.push_back({stamp, keys});
}

// `keys` more were typed: a slow target takes them in after those before, 10 ms a key, and an
// idle one after a moment first.
void X11Delivery::sent(std::size_t keys) {
  const qint64 now = clock_.elapsed();
  busy_until_ms_ =
      std::max(busy_until_ms_, now + kSettleMs) + kPerKeyMs * static_cast<qint64>(keys);
  due_.push_back({typer_->typed(), busy_until_ms_});
  ping(typer_->typed());
}

// How many of the keys typed the target has taken in, as far as is known.
std::size_t X11Delivery::taken_in() {
  const qint64 now = clock_.elapsed();
  while (!due_.empty() && due_.front().at_ms <= now) {
    taken_ = std::max(taken_, due_.front().keys);
    due_.pop_front();
  }
  return std::max(taken_, answered_);
}

// The keyboard is this delivery's: no other Lumeta on the display lends codes meanwhile (false
// while one does), whatever a killed one left lent is given back first, and what this one may
// lend is on record before any is lent.
bool X11Delivery::take_keyboard() {
  if (record_->usable()) {
    if (!record_->lock()) return false;
    if (const auto keys = record_->read()) {
      XTyper::put_back(display_, *keys);
      record_->remove();
    }
  }
  typer_ = std::make_unique<XTyper>(display_, text_);
  if (typer_->spare_codes() > 0) record_->write(typer_->lendable());
  return true;
}

void X11Delivery::start(const QString& text) {
  if (running()) return;
  read_events();
  text_ = text.toStdU32String();
  const int total = static_cast<int>(text_.size());
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
  // The previous delivery's codes go back first; its target has had its moment.
  restore_timer_.stop();
  restore_mapping();
  due_.clear();
  pings_.clear();
  busy_until_ms_ = 0;
  taken_ = answered_ = 0;
  came_back_ = false;
  clock_.start();
  next_stamp_ = server_time();
  pings_answered_ = answers_pings();
  activate(target_);
  phase_ = Phase::waiting_for_focus;
  step_timer_.start(kWaitStepMs);
  emit progress(0, total);
}

void X11Delivery::step() {
  read_events();
  switch (phase_) {
    case Phase::idle:
      return;
    case Phase::waiting_for_focus:
      if (!exists(target_)) {
        target_ = None;
        finish(Outcome::target_gone, 0);
        return;
      }
      if (!focus_in(target_) || modifiers_held()) {
        if (clock_.elapsed() > kFocusWaitMs) finish(Outcome::no_focus, 0);
        return;
      }
      // The target takes in its focus before the first key.
      phase_ = Phase::settling;
      focus_answered_ = false;
      busy_until_ms_ = clock_.elapsed() + kSettleMs;
      ping(0);
      return;
    case Phase::settling:
      if (!focus_answered_ && clock_.elapsed() < busy_until_ms_) return;
      if (!typer_ && !take_keyboard()) {  // another Lumeta is typing on this display
        if (clock_.elapsed() > kFocusWaitMs) finish(Outcome::no_focus, 0);
        return;
      }
      phase_ = Phase::typing;
      step_timer_.setInterval(0);
      break;
    case Phase::typing:
      break;
  }
  type_chunk();
}

void X11Delivery::type_chunk() {
  if (!exists(target_)) {
    // What the X server took is not what the target took in: only what it answered for counts.
    target_ = None;
    finish(Outcome::target_lost, answered_);
    return;
  }
  const std::size_t typed = typer_->typed();
  const std::size_t taken = taken_in();
  // Waiting for the target looks again a moment later; typing goes on at once.
  step_timer_.setInterval(kWaitStepMs);
  if (typer_->done()) {
    // Lumeta comes back to the front at once, so the user can go on: the keys already typed
    // belong to the target whatever has the focus when it gets to them. Keys of the map's own
    // need no waiting: nothing was lent, nothing is given back.
    if (!came_back_) {
      came_back_ = true;
      come_back(kComeBackTries);
    }
    if (taken >= typed || !typer_->lending()) finish(Outcome::delivered, typed);
    return;
  }
  if (!typer_->ready()) {
    // Batches take the spare codes by halves, so the half mapped now held the batch before the
    // last one; the target must have taken in everything typed, the last batch too, for a
    // margin of a whole batch over a slow client's pace.
    if (taken < typed) return;
    typer_->map_next();
    // A character no spare key code can take (none left on this keyboard) ends it here.
    if (!typer_->ready()) {
      finish(Outcome::stopped, typed);
      return;
    }
  }
  std::size_t most = kChunk;
  if (typer_->lending()) {
    const std::size_t ahead = typed - std::min(taken, typed);
    if (ahead >= kMostAhead) return;
    most = std::min(pings_answered_ ? kChunk : kPacedChunk, kMostAhead - ahead);
  }
  // Nothing changes the focus while the server is grabbed: what is typed goes to the target.
  XGrabServer(display_);
  const bool focused = focus_in(target_);
  const std::size_t count = focused ? typer_->type(most) : 0;
  XUngrabServer(display_);
  XFlush(display_);
  if (!focused) {
    if (!exists(target_)) {
      target_ = None;
      finish(Outcome::target_lost, answered_);
    } else {
      finish(Outcome::stopped, typed);
    }
    return;
  }
  sent(count);
  step_timer_.setInterval(0);
  emit progress(static_cast<int>(typer_->typed()), static_cast<int>(text_.size()));
}

void X11Delivery::stop() {
  if (running()) finish(Outcome::stopped, typer_ ? typer_->typed() : 0);
}

void X11Delivery::finish(Outcome outcome, std::size_t delivered) {
  step_timer_.stop();
  phase_ = Phase::idle;
  // The borrowed key codes go back once the target has taken in the last keys typed with them.
  restore_timer_.start();
  give_back_when_taken();
  if (!came_back_) {
    came_back_ = true;
    come_back(kComeBackTries);
  }
  emit finished(outcome, static_cast<int>(delivered), static_cast<int>(text_.size()));
}

// Polled after a delivery: gives the codes back once the target has taken in every key, or is
// gone.
void X11Delivery::give_back_when_taken() {
  if (!typer_) {
    restore_timer_.stop();
    return;
  }
  if (!typer_->lending() || taken_in() >= typer_->typed() || target_ == None || !exists(target_)) {
    restore_timer_.stop();
    restore_mapping();
  }
}

void X11Delivery::restore_mapping() {
  if (typer_) typer_->restore();
  typer_.reset();
  record_->remove();
  record_->unlock();
}

// Lumeta asks to be activated; a target that was still busy taking in its own focus may take it
// back once it gets there, so while the focus is back in the target Lumeta asks again, up to
// `tries` times in all.
void X11Delivery::come_back(int tries) {
  activate(static_cast<Window>(window_->window()->winId()));
  if (tries <= 1) return;
  QTimer::singleShot(300, this, [this, tries] {
    const bool typing = running() && !(typer_ && typer_->done());  // a new delivery's
    if (!typing && target_ && exists(target_) && focus_in(target_)) come_back(tries - 1);
  });
}

bool X11Delivery::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (!typer_ || type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const int kind = event->response_type & 0x7F;
  if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE) return false;
  const auto* key = static_cast<const xcb_key_press_event_t*>(message);
  if (!typer_->lent(key->detail)) return false;
  send_own_key(kind == XCB_KEY_PRESS,
               typer_->original_keysym(key->detail, (key->state & XCB_MOD_MASK_SHIFT) != 0),
               key->state, key->detail);
  return true;
}

}  // namespace lumeta
