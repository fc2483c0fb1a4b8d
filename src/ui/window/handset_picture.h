// The picture under the display: the outline of a handset's screen, drawn by the program.
#pragma once

#include <QWidget>

namespace lumeta {

class HandsetPicture : public QWidget {
 public:
  explicit HandsetPicture(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumeta
