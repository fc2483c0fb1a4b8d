// 送る on Wayland, where the compositor offers a virtual keyboard and the list of the desktop's
// windows (wlroots compositors such as sway). Lumeta keeps a Wayland connection of its own beside
// Qt's; through it the window activated last other than Lumeta's is followed, as a taskbar
// follows it. A delivery activates that window, waits until the compositor says it is active,
// types the text through a virtual keyboard whose keymap maps a few key codes to the characters
// of the next batch, and activates Lumeta again. Where any of this is missing the text goes on
// the clipboard instead (ClipboardDelivery): nothing is ever typed into Lumeta or nowhere.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "delivery.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
class QSocketNotifier;

namespace lumeta {

// The XKB keymap that maps the key codes 9, 10, … to `characters` in turn, a line break to
// Return. Example: {U'回', U'\n'} maps code 9 to U56DE and code 10 to Return.
std::string wayland_keymap(const std::vector<char32_t>& characters);

class WaylandDelivery : public Delivery {
  Q_OBJECT

 public:
  // Null when the compositor cannot be reached or offers no virtual keyboard or window list.
  static std::unique_ptr<WaylandDelivery> open(QWidget* window);
  ~WaylandDelivery() override;

  void start(const QString& text) override;
  void stop() override;
  bool running() const override { return phase_ != Phase::idle; }

  // A window of the desktop as the compositor describes it; `activated` once its state says so.
  struct Toplevel {
    WaylandDelivery* owner;
    zwlr_foreign_toplevel_handle_v1* handle;
    std::string app_id, title;
    bool activated = false, pending_activated = false;
    bool closed = false;
  };
  // Called from the protocol listeners.
  void toplevel_added(zwlr_foreign_toplevel_handle_v1* handle);
  void toplevel_done(Toplevel* toplevel);
  void toplevel_closed(Toplevel* toplevel);
  void global_added(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);

 private:
  WaylandDelivery(wl_display* display, QWidget* window);
  enum class Phase { idle, waiting_for_activation, settling, typing };

  bool ready() const { return seat_ && keyboards_ && toplevels_; }
  void read_events();
  bool own(const Toplevel& toplevel) const;
  Toplevel* target() const;
  void step();
  bool map_next_batch();
  bool type_chunk();
  void finish(Outcome outcome);
  void fall_back();
  void release_keyboard();
  void come_back();

  wl_display* display_;
  QWidget* window_;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwp_virtual_keyboard_manager_v1* keyboards_ = nullptr;
  zwlr_foreign_toplevel_manager_v1* toplevels_ = nullptr;
  std::vector<std::unique_ptr<Toplevel>> windows_;
  zwlr_foreign_toplevel_handle_v1* target_ = nullptr;  // the last active window not Lumeta's
  std::string own_app_id_;
  QSocketNotifier* notifier_ = nullptr;

  Phase phase_ = Phase::idle;
  QString text_;
  std::u32string characters_;
  std::size_t typed_ = 0;
  std::size_t batch_end_ = 0;    // the characters before this have key codes in the keymap
  std::vector<char32_t> batch_;  // key code 9 + i types batch_[i]
  zwp_virtual_keyboard_v1* keyboard_ = nullptr;
  QElapsedTimer clock_;  // key times
  QElapsedTimer phase_clock_;
  QTimer step_timer_;
  // After a delivery the virtual keyboard stays a moment, until the target has taken in its
  // last keys; then it goes and Lumeta is activated again.
  QTimer release_timer_;
};

}  // namespace lumeta
