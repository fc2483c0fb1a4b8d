// 送る through IBus, the input method of GNOME (which starts ibus-daemon itself) and of any
// desktop where the user runs it. Lumeta registers itself with the session's IBus daemon as an
// input method engine of its own, built in the program (nothing is installed). A delivery
// remembers the engine in use, switches to Lumeta's, then hides Lumeta's window so the desktop
// gives the focus back to the window the user was in and, once that window's input context is
// focused, commits the text into it as any input method commits what it converted; then the
// previous engine is put back and Lumeta's window shown again. No key code is borrowed and the
// clipboard is left alone. Example: the user types in gedit, turns to Lumeta, clicks 送る; the
// engine hears focus_in_id(…, "gtk3-im:gedit") and commits 回.
//
// The GLib main loop IBus reports through is Qt's own on Linux (Qt's GLib event dispatcher), so
// everything here runs in the window's thread.
#pragma once

#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "delivery.h"

class QWidget;

namespace lumeta {

class IBusDelivery : public Delivery {
  Q_OBJECT

 public:
  // Touches nothing of IBus yet: the first start() connects, and a daemon that is not running
  // then may still come later, when start() checks again.
  static std::unique_ptr<IBusDelivery> open(QWidget* window);
  ~IBusDelivery() override;

  // Ends in `not_taken` at once when no IBus daemon is reachable, and after a short wait when
  // no input context took the focus.
  void start(const QString& text) override;
  void stop() override;
  bool running() const override { return phase_ != Phase::idle; }

  // Whether the session's IBus daemon is reachable and Lumeta's engine registered with it.
  bool reachable();

  // Called from the engine's signal handlers. `client` names the application's input method
  // module ("gtk3-im:gedit", "QIBusPlatformInputContext"), or "fake" for the daemon's stand-in
  // when no real context has the focus.
  void switched(bool ok);
  void focused(const char* client);
  void unfocused();
  void engine_created(void* engine);
  void engine_destroyed(void* engine);

 private:
  struct Glib;  // IBus's objects, kept out of this header (GLib's structs clash with Qt's names)
  IBusDelivery(QWidget* window, std::unique_ptr<Glib> glib);
  enum class Phase { idle, switching, waiting_for_focus, committing };

  bool open_bus();
  bool register_engine();
  void commit_chunk();
  void finish(Outcome outcome);
  void come_back(bool activate);

  QWidget* window_;
  std::unique_ptr<Glib> glib_;
  std::string engine_name_;      // Lumeta's engine: "lumeta-<pid>"
  std::string previous_engine_;  // the engine in use when the delivery began
  bool registered_ = false;
  bool closing_ = false;
  Phase phase_ = Phase::idle;
  std::u32string text_;
  std::size_t committed_ = 0;  // characters of text_ committed so far
  QTimer focus_timer_;         // nothing took the focus in time
  QTimer commit_timer_;
};

}  // namespace lumeta
