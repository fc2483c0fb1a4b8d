// An on-screen key: shows a painted face or a caption, never takes the focus, and reports the
// press and release of any mouse button. A double click is two presses, whether the second
// press arrives as a press or only as a double-click event (ClickFilter).
#pragma once

#include <QPixmap>
#include <QWidget>

namespace lumeta {

class KeyButton : public QWidget {
  Q_OBJECT

 public:
  KeyButton(int number, const QString& caption, QWidget* parent);

  int number() const { return number_; }
  void set_face(const QPixmap& face);
  const QPixmap& face() const { return face_; }
  void set_caption_colour(const QColor& colour);
  const QColor& caption_colour() const { return caption_colour_; }
  const QString& caption() const { return caption_; }
  bool is_down() const { return down_; }

  // A press and release delivered to the key itself, for assistive tools that work it through
  // its accessible "Press" action.
  void press_and_release();

 signals:
  void pressed(int number);
  void released(int number);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int number_;
  QString caption_;
  QPixmap face_;
  QColor caption_colour_ = Qt::black;
  bool down_ = false;
};

}  // namespace lumeta
