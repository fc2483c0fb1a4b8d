// The settings panel: dwell time, scan mode and scan interval, each changed a step at a time
// by its keys, and 閉じる. It takes the display's place while open, like the symbol picker, so
// dwell and scanning reach its keys as they reach the keypad's.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <vector>

#include "access_target.h"
#include "settings_file.h"

namespace lumeta {

class SettingsPanel : public QWidget {
  Q_OBJECT

 public:
  SettingsPanel(QWidget* parent, const QRect& geometry);

  void show_settings(const AccessSettings& settings);
  const AccessSettings& settings() const { return settings_; }
  // Its keys as targets, in reading order, placed in the window's pixels.
  std::vector<Target> targets() const;
  QPushButton* item(int number) const { return items_[number]; }

 signals:
  void changed(const lumeta::AccessSettings& settings);

 private:
  void change(int item);
  void refresh();

  AccessSettings settings_;
  std::vector<QPushButton*> items_;
  QLabel* dwell_label_;
  QLabel* scan_label_;
  QLabel* interval_label_;
};

}  // namespace lumeta
