// Dwell and scanning in the window: feeds the pointer's place and the time to the keypad
// layer's Dwell and Scanner, works what they pick as a click at its place, and shows their
// frame and progress (AccessOverlay). In scan mode the physical keys are the switches alone:
// Space and Enter (two switches), or Space and any mouse button (one switch). The highlighted
// group or key is the accessible name of the overlay, renamed at each move, and a highlighted
// key takes the accessible focus, so a screen reader says both. 休止 stops and resumes dwell;
// 設定 opens the settings panel, whose changes are kept in lumeta.conf.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>

#include "access_overlay.h"
#include "dwell.h"
#include "scanner.h"
#include "settings_file.h"
#include "settings_panel.h"

namespace lumeta {

class MainWindow;

class AccessInput : public QObject {
  Q_OBJECT

 public:
  // `settings` are in effect for this run; the panel's changes are written to `settings_path`
  // (none when empty), on top of what the file held (`kept`).
  AccessInput(MainWindow& window, const AccessSettings& settings, const QString& settings_path,
              const AccessSettings& kept);
  ~AccessInput() override;

  void apply(const AccessSettings& settings);
  const AccessSettings& settings() const { return settings_; }
  const Dwell* dwell() const { return dwell_ ? &*dwell_ : nullptr; }
  const Scanner* scanner() const { return scanner_ ? &*scanner_ : nullptr; }
  AccessOverlay* overlay() const { return overlay_; }
  SettingsPanel* panel() const { return panel_; }
  // One pass of the timer: the pointer, the clock, the scene (for the tests).
  void tick();
  // A switch: the pick switch (Enter, or Space with one switch), or the step switch (Space).
  void press_switch(bool pick);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the window shows now beyond the key list, placed in window pixels.
  ScanScene scene() const;
  std::vector<Target> dwell_targets(const ScanScene& scene) const;
  void work(const Target& target);
  void show_scan();
  int64_t now() const { return clock_.elapsed(); }

  MainWindow& window_;
  AccessSettings settings_;
  AccessSettings kept_;
  QString settings_path_;
  std::optional<Dwell> dwell_;
  std::optional<Scanner> scanner_;
  std::string scene_key_;  // what the scanner's groups were last built from
  QTimer timer_;
  QElapsedTimer clock_;
  AccessOverlay* overlay_;
  SettingsPanel* panel_;
  bool working_ = false;  // a click of its own is on its way through the event filter
};

}  // namespace lumeta
