#include "access_overlay.h"

#include <QPainter>

namespace lumeta {
namespace {

constexpr int kFrameWidth = 5;
constexpr int kBarHeight = 8;
const QColor kOuter(Qt::black);
const QColor kInner(255, 214, 0);  // a strong yellow

// A frame of black outside yellow, drawn just outside `rect` so the key stays readable.
void draw_frame(QPainter& painter, const QRect& rect, bool dashed) {
  const QRect outer = rect.adjusted(-kFrameWidth, -kFrameWidth, kFrameWidth, kFrameWidth);
  QPen pen(kOuter, kFrameWidth + 2);
  pen.setJoinStyle(Qt::MiterJoin);
  if (dashed) pen.setStyle(Qt::DashLine);
  painter.setPen(pen);
  painter.drawRect(
      outer.adjusted(kFrameWidth / 2, kFrameWidth / 2, -kFrameWidth / 2, -kFrameWidth / 2));
  pen.setColor(kInner);
  pen.setWidth(kFrameWidth - 2);
  painter.setPen(pen);
  painter.drawRect(
      outer.adjusted(kFrameWidth / 2, kFrameWidth / 2, -kFrameWidth / 2, -kFrameWidth / 2));
}

}  // namespace

AccessOverlay::AccessOverlay(QWidget* window) : QWidget(window) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(window->rect());
  show();  // also when made after the window was shown
}

void AccessOverlay::set_frame(const QRect& frame, bool dashed) {
  if (frame == frame_ && dashed == dashed_) return;
  frame_ = frame;
  dashed_ = dashed;
  raise();
  update();
}

void AccessOverlay::set_progress(const QRect& target, double progress) {
  if (target == progress_target_ && qFuzzyCompare(progress + 1, progress_ + 1)) return;
  progress_target_ = target;
  progress_ = progress;
  raise();
  update();
}

void AccessOverlay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!frame_.isEmpty()) draw_frame(painter, frame_, dashed_);
  if (progress_target_.isEmpty()) return;
  draw_frame(painter, progress_target_, false);
  // The bar fills from left to right along the bottom of the key.
  const QRect bar(progress_target_.left(), progress_target_.bottom() - kBarHeight + 1,
                  progress_target_.width(), kBarHeight);
  painter.fillRect(bar, kOuter);
  painter.fillRect(
      QRect(bar.left(), bar.top(), static_cast<int>(bar.width() * progress_), bar.height()),
      kInner);
}

}  // namespace lumeta
