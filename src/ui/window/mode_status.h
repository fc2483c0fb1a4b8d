// The eight mode indicators under the display, and the input mode in words for assistive tools:
// one status whose name is what the lit indicators mean, read left to right as on the screen
// ("入力モード: 英字 大文字 半角"), renamed once after each key that changes it, so that a screen
// reader hears the new mode. The indicators themselves stay out of the accessible tree.
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "view.h"

namespace lumeta {

class ModeStatus : public QWidget {
  Q_OBJECT

 public:
  // On the strip under the display, `origin` its top-left corner in the window.
  ModeStatus(QWidget* parent, QPoint origin);

  void set_look(Indicator indicator, IndicatorLook look);
  QLabel* indicator(Indicator indicator) const { return labels_[static_cast<int>(indicator)]; }
  // "入力モード: ローマ字 大文字": the words of the lit indicators in screen order.
  QString spoken() const;
  // Renames the status after the indicators changed; nothing when the words are the same.
  void announce();

 private:
  std::array<QLabel*, kIndicatorCount> labels_{};
  std::array<IndicatorLook, kIndicatorCount> looks_{};
};

}  // namespace lumeta
