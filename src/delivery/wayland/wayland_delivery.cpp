#include "wayland_delivery.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foreign-toplevel-v1-client-protocol.h"
#include "virtual-keyboard-v1-client-protocol.h"

namespace lumeta {
namespace {

// Characters typed per turn of the event loop.
constexpr std::size_t kChunk = 48;
// Key codes one keymap gives out: XKB codes 9 … 9 + kCodes - 1 (evdev 1 … kCodes).
constexpr std::size_t kCodes = 200;
// How long the target may take to become active once asked.
constexpr int kActivationWaitMs = 3000;
// How long the target gets to take in its activation before the first key, and its last keys
// before the virtual keyboard goes.
constexpr int kSettleMs = 150;
constexpr uint32_t kKeymapFormatXkbV1 = 1;
constexpr uint32_t kPressed = 1, kReleased = 0;

using Toplevel = WaylandDelivery::Toplevel;
Toplevel* toplevel(void* data) {
  return static_cast<Toplevel*>(data);
}

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
      static_cast<WaylandDelivery*>(data)->global_added(registry, name, interface, version);
    },
    [](void*, wl_registry*, uint32_t) {},
};

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {
    [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
      static_cast<WaylandDelivery*>(data)->toplevel_added(handle);
    },
    [](void*, zwlr_foreign_toplevel_manager_v1*) {},
};

const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener = {
    [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
      toplevel(data)->title = title;
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* app_id) {
      toplevel(data)->app_id = app_id;
    },
    [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
      bool activated = false;
      const auto* state = static_cast<const uint32_t*>(states->data);
      for (std::size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) activated = true;
      }
      toplevel(data)->pending_activated = activated;
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*) {
      toplevel(data)->owner->toplevel_done(toplevel(data));
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*) {
      toplevel(data)->owner->toplevel_closed(toplevel(data));
    },
};

// The keysym name XKB reads for a character: Return for a line break, U56DE for 回.
std::string keysym_name(char32_t c) {
  if (c == U'\n') return "Return";
  if (c == U'\t') return "Tab";
  char name[16];
  std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(c));
  return name;
}

}  // namespace

std::string wayland_keymap(const std::vector<char32_t>& characters) {
  std::string codes, symbols;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const std::string code = "<C" + std::to_string(i + 1) + ">";
    codes += "    " + code + " = " + std::to_string(9 + i) + ";\n";
    symbols += "    key " + code + " { [ " + keysym_name(characters[i]) + " ] };\n";
  }
  return "xkb_keymap {\n  xkb_keycodes \"lumeta\" {\n    minimum = 8;\n    maximum = 255;\n" +
         codes +
         "  };\n  xkb_types \"lumeta\" { include \"complete\" };\n"
         "  xkb_compatibility \"lumeta\" { include \"complete\" };\n"
         "  xkb_symbols \"lumeta\" {\n" +
         symbols + "  };\n};\n";
}

std::unique_ptr<WaylandDelivery> WaylandDelivery::open(QWidget* window) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<WaylandDelivery> delivery(new WaylandDelivery(display, window));
  // The globals, then the windows the window list announces at once.
  if (wl_display_roundtrip(display) < 0 || !delivery->ready() ||
      wl_display_roundtrip(display) < 0) {
    return nullptr;
  }
  delivery->notifier_ =
      new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read, delivery.get());
  connect(delivery->notifier_, &QSocketNotifier::activated, delivery.get(),
          &WaylandDelivery::read_events);
  return delivery;
}

WaylandDelivery::WaylandDelivery(wl_display* display, QWidget* window)
    : display_(display), window_(window) {
  // The app_id Qt gives Lumeta's windows: the desktop file's name, else the program's.
  own_app_id_ = QGuiApplication::desktopFileName().toStdString();
  if (own_app_id_.empty()) {
    own_app_id_ = QFileInfo(QCoreApplication::applicationFilePath()).baseName().toStdString();
  }
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  step_timer_.setInterval(0);
  connect(&step_timer_, &QTimer::timeout, this, &WaylandDelivery::step);
  release_timer_.setSingleShot(true);
  release_timer_.setInterval(kSettleMs);
  connect(&release_timer_, &QTimer::timeout, this, [this] {
    release_keyboard();
    come_back();
  });
}

WaylandDelivery::~WaylandDelivery() {
  blockSignals(true);
  stop();
  release_keyboard();
  for (const auto& w : windows_)
    zwlr_foreign_toplevel_handle_v1_destroy(w->handle);
  if (toplevels_) zwlr_foreign_toplevel_manager_v1_destroy(toplevels_);
  if (keyboards_) zwp_virtual_keyboard_manager_v1_destroy(keyboards_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void WaylandDelivery::global_added(wl_registry* registry, uint32_t name, const char* interface,
                                   uint32_t /*version*/) {
  if (!seat_ && std::strcmp(interface, wl_seat_interface.name) == 0) {
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
    keyboards_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
    toplevels_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface, 1));
    zwlr_foreign_toplevel_manager_v1_add_listener(toplevels_, &kManagerListener, this);
  }
}

void WaylandDelivery::toplevel_added(zwlr_foreign_toplevel_handle_v1* handle) {
  windows_.push_back(std::make_unique<Toplevel>(Toplevel{this, handle, {}, {}}));
  zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, windows_.back().get());
}

// The target is the window activated last that is not Lumeta's.
void WaylandDelivery::toplevel_done(Toplevel* toplevel) {
  const bool became_active = toplevel->pending_activated && !toplevel->activated;
  toplevel->activated = toplevel->pending_activated;
  if (became_active && !own(*toplevel) && phase_ == Phase::idle) target_ = toplevel->handle;
}

void WaylandDelivery::toplevel_closed(Toplevel* toplevel) {
  if (target_ == toplevel->handle) target_ = nullptr;
  zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
  std::erase_if(windows_, [toplevel](const auto& w) { return w.get() == toplevel; });
}

// Every window of Lumeta's (the main window, its dialogs) carries its app_id; one that has
// none yet is told by its title ("Lumeta").
bool WaylandDelivery::own(const Toplevel& toplevel) const {
  if (toplevel.app_id == own_app_id_) return true;
  if (!toplevel.app_id.empty()) return false;
  for (QWindow* window : QGuiApplication::topLevelWindows()) {
    if (window->title().toStdString() == toplevel.title) return true;
  }
  return false;
}

WaylandDelivery::Toplevel* WaylandDelivery::target() const {
  for (const auto& w : windows_) {
    if (w->handle == target_) return w.get();
  }
  return nullptr;
}

// Reads what the compositor sent without ever waiting for it.
void WaylandDelivery::read_events() {
  while (wl_display_prepare_read(display_) != 0)
    wl_display_dispatch_pending(display_);
  wl_display_flush(display_);
  pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
  if (poll(&fd, 1, 0) > 0) {
    wl_display_read_events(display_);
  } else {
    wl_display_cancel_read(display_);
  }
  wl_display_dispatch_pending(display_);
}

void WaylandDelivery::start(const QString& text) {
  if (running()) return;
  read_events();
  text_ = text;
  characters_ = text.toStdU32String();
  typed_ = 0;
  batch_end_ = 0;
  if (wl_display_get_error(display_) != 0 || !target()) {
    fall_back();
    return;
  }
  if (release_timer_.isActive()) {
    release_timer_.stop();
    release_keyboard();
  }
  // The keyboard comes first: on a seat that had none, the target asks for its keyboard only
  // once this one appears, and keys sent before that would reach nobody.
  keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboards_, seat_);
  zwlr_foreign_toplevel_handle_v1_activate(target_, seat_);
  wl_display_flush(display_);
  phase_ = Phase::waiting_for_activation;
  phase_clock_.start();
  step_timer_.start();
  emit progress(0, static_cast<int>(characters_.size()));
}

// Nothing was typed: the text goes on the clipboard, as where no virtual keyboard exists.
void WaylandDelivery::fall_back() {
  release_keyboard();
  QGuiApplication::clipboard()->setText(text_, QClipboard::Clipboard);
  phase_ = Phase::idle;
  step_timer_.stop();
  emit finished(Outcome::on_clipboard, 0, static_cast<int>(characters_.size()));
}

void WaylandDelivery::step() {
  read_events();
  Toplevel* target = this->target();
  if (wl_display_get_error(display_) != 0 || !target) {
    if (phase_ == Phase::waiting_for_activation) {
      fall_back();
    } else {
      finish(Outcome::stopped);
    }
    return;
  }
  switch (phase_) {
    case Phase::idle:
      return;
    case Phase::waiting_for_activation:
      if (!target->activated) {
        if (phase_clock_.elapsed() > kActivationWaitMs) {
          come_back();
          fall_back();
        }
        return;
      }
      // The target takes in its keyboard focus before the first key.
      phase_ = Phase::settling;
      phase_clock_.start();
      return;
    case Phase::settling:
      if (phase_clock_.elapsed() < kSettleMs) return;
      clock_.start();
      phase_ = Phase::typing;
      break;
    case Phase::typing:
      break;
  }
  // The user turned to another window meanwhile: what is left stays in Lumeta.
  if (!target->activated) {
    finish(Outcome::stopped);
    return;
  }
  if (!type_chunk()) {
    finish(Outcome::stopped);
    return;
  }
  emit progress(static_cast<int>(typed_), static_cast<int>(characters_.size()));
  if (typed_ == characters_.size()) finish(Outcome::delivered);
}

// The next characters of the text up to kCodes different ones get key codes; false when the
// keymap could not be handed over (the keys would type the previous batch's characters).
bool WaylandDelivery::map_next_batch() {
  batch_.clear();
  std::size_t end = typed_;
  while (end < characters_.size()) {
    const char32_t c = characters_[end];
    if (std::find(batch_.begin(), batch_.end(), c) == batch_.end()) {
      if (batch_.size() == kCodes) break;
      batch_.push_back(c);
    }
    ++end;
  }
  batch_end_ = end;
  const std::string keymap = wayland_keymap(batch_);
  const int fd = memfd_create("lumeta-keymap", MFD_CLOEXEC);
  if (fd < 0) return false;
  const std::size_t size = keymap.size() + 1;  // with its terminating NUL
  const bool written = write(fd, keymap.c_str(), size) == static_cast<ssize_t>(size);
  if (written) {
    zwp_virtual_keyboard_v1_keymap(keyboard_, kKeymapFormatXkbV1, fd, static_cast<uint32_t>(size));
    zwp_virtual_keyboard_v1_modifiers(keyboard_, 0, 0, 0, 0);
  }
  close(fd);
  return written;
}

bool WaylandDelivery::type_chunk() {
  const std::size_t stop = std::min(characters_.size(), typed_ + kChunk);
  while (typed_ < stop) {
    if (typed_ == batch_end_ && !map_next_batch()) {
      wl_display_flush(display_);
      return false;
    }
    const auto code = std::find(batch_.begin(), batch_.end(), characters_[typed_]);
    const uint32_t key = static_cast<uint32_t>(code - batch_.begin()) + 1;  // evdev code
    const auto time = static_cast<uint32_t>(clock_.elapsed());
    zwp_virtual_keyboard_v1_key(keyboard_, time, key, kPressed);
    zwp_virtual_keyboard_v1_key(keyboard_, time, key, kReleased);
    ++typed_;
  }
  wl_display_flush(display_);
  return true;
}

void WaylandDelivery::stop() {
  if (running()) finish(Outcome::stopped);
}

void WaylandDelivery::finish(Outcome outcome) {
  step_timer_.stop();
  phase_ = Phase::idle;
  release_timer_.start();
  emit finished(outcome, static_cast<int>(typed_), static_cast<int>(characters_.size()));
}

// Lumeta's main window is activated again, so the user can go on typing.
void WaylandDelivery::come_back() {
  const std::string title = window_->windowTitle().toStdString();
  for (const auto& w : windows_) {
    if (own(*w) && w->title == title) {
      zwlr_foreign_toplevel_handle_v1_activate(w->handle, seat_);
      break;
    }
  }
  wl_display_flush(display_);
}

void WaylandDelivery::release_keyboard() {
  if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
  keyboard_ = nullptr;
  wl_display_flush(display_);
}

}  // namespace lumeta
