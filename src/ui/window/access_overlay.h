// What dwell and scanning show over the window: the scan's highlight as a thick frame, black
// and yellow so it stands out on any key, around the group or key it is on (dashed around the
// group while 戻る is highlighted), and dwell's progress as a bar filling along the bottom of
// the key being dwelt on, framed the same way. It lets every click through and decides nothing.
#pragma once

#include <QRect>
#include <QWidget>

namespace lumeta {

class AccessOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit AccessOverlay(QWidget* window);

  // The scan's frame; an empty rectangle for none. `dashed`: the way out of a group.
  void set_frame(const QRect& frame, bool dashed);
  // Dwell's progress, 0 to 1, on `target`; an empty rectangle for none.
  void set_progress(const QRect& target, double progress);
  QRect frame() const { return frame_; }
  QRect progress_target() const { return progress_target_; }
  double progress() const { return progress_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect frame_;
  bool dashed_ = false;
  QRect progress_target_;
  double progress_ = 0;
};

}  // namespace lumeta
