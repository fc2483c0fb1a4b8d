#include "candidate_strip_widget.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "accessible.h"
#include "qt_text.h"
#include "ui_font.h"

namespace lumeta {
namespace {

constexpr int kArrowWidth = 22;

QRect rect_of(const StripItem& item) {
  return {item.left, item.top, item.width, item.height};
}

}  // namespace

CandidateStripWidget::CandidateStripWidget(QWidget* parent) : QWidget(parent) {
  install_accessible_factory();
  setFocusPolicy(Qt::NoFocus);
  setFont(ui_font(geometry_.em));
  setAccessibleName(QStringLiteral("変換候補"));
}

void CandidateStripWidget::set_strip(const CandidateStrip& strip) {
  std::vector<QString> labels, predictions;
  for (std::size_t i = 0; i < strip.candidates.size(); ++i) {
    labels.push_back(QString::number(i + 1) + QLatin1Char(' ') + to_qstring(strip.candidates[i]));
  }
  for (const Prediction& p : strip.predictions)
    predictions.push_back(to_qstring(p.spelling));
  const bool changed = strip.active != active_ || strip.offers != offers_ || labels != labels_ ||
                       predictions != predictions_;
  const bool moved = strip.shown != shown_;
  if (!changed && !moved) return;
  const int was_shown = shown_;
  if (changed) accessible_strip_changing(this);
  active_ = strip.active;
  offers_ = strip.offers;
  shown_ = strip.shown;
  if (changed) {
    strip_ = strip;
    labels_ = std::move(labels);
    predictions_ = std::move(predictions);
    page_ = 0;
    lay_out();
  }
  // The page follows the candidate on display.
  for (int p = 0; p < page_count(); ++p) {
    for (const StripItem& item : pages_[p]) {
      if (!item.prediction && item.index == shown_) page_ = p;
    }
  }
  update_accessible_text();
  accessible_strip_changed(this, was_shown, changed);
  update();
}

void CandidateStripWidget::lay_out() {
  geometry_.width = width() - kArrowWidth - 2;
  pages_ = lay_out_strip(strip_, geometry_);
}

QRect CandidateStripWidget::item_rect(bool prediction, int index) const {
  if (page_ >= page_count()) return {};
  for (const StripItem& item : pages_[page_]) {
    if (item.prediction == prediction && item.index == index) return rect_of(item);
  }
  return {};
}

QRect CandidateStripWidget::candidate_rect(int index) const {
  return item_rect(false, index);
}

QRect CandidateStripWidget::prediction_rect(int index) const {
  return item_rect(true, index);
}

QRect CandidateStripWidget::previous_page_rect() const {
  return {width() - kArrowWidth, 0, kArrowWidth, geometry_.row_height};
}

QRect CandidateStripWidget::next_page_rect() const {
  return {width() - kArrowWidth, geometry_.row_height, kArrowWidth, geometry_.row_height};
}

void CandidateStripWidget::paintEvent(QPaintEvent*) {
  if (!active_) return;
  QPainter p(this);
  p.setFont(font());
  if (labels_.empty() && predictions_.empty()) {
    p.setPen(QColor(100, 100, 110));
    p.setFont(ui_font(15));
    p.drawText(rect().adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("候補はありません"));
    return;
  }
  for (const StripItem& item : pages_[page_]) {
    // Predictions are tinted; the candidate on display is black.
    const bool on_display = !item.prediction && item.index == shown_;
    p.setPen(Qt::NoPen);
    p.setBrush(on_display        ? QColor(0, 0, 0)
               : item.prediction ? QColor(226, 236, 255)
                                 : QColor(255, 255, 255));
    p.drawRoundedRect(rect_of(item), 4, 4);
    p.setPen(on_display ? Qt::white : Qt::black);
    p.drawText(rect_of(item), Qt::AlignCenter,
               item.prediction ? predictions_[item.index - 1] : labels_[item.index - 1]);
  }
  if (page_count() > 1) {
    p.setPen(page_ > 0 ? Qt::black : QColor(150, 150, 150));
    p.drawText(previous_page_rect(), Qt::AlignCenter, QStringLiteral("▲"));
    p.setPen(page_ + 1 < page_count() ? Qt::black : QColor(150, 150, 150));
    p.drawText(next_page_rect(), Qt::AlignCenter, QStringLiteral("▼"));
  }
}

void CandidateStripWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (!active_ || pages_.empty()) return;
  const QPoint at = event->position().toPoint();
  if (page_count() > 1 && previous_page_rect().contains(at)) {
    if (page_ > 0) --page_;
    update();
    return;
  }
  if (page_count() > 1 && next_page_rect().contains(at)) {
    if (page_ + 1 < page_count()) ++page_;
    update();
    return;
  }
  for (const StripItem& item : pages_[page_]) {
    if (!rect_of(item).contains(at)) continue;
    if (item.prediction) {
      emit prediction_chosen(item.index);
    } else {
      emit chosen(item.index);
    }
    return;
  }
}

void CandidateStripWidget::choose(int index) {
  if (active_ && index >= 1 && index <= candidate_count()) emit chosen(index);
}

void CandidateStripWidget::choose_prediction(int index) {
  if (active_ && index >= 1 && index <= prediction_count()) emit prediction_chosen(index);
}

void CandidateStripWidget::resizeEvent(QResizeEvent*) {
  lay_out();
}

void CandidateStripWidget::update_accessible_text() {
  QStringList parts;
  for (const QString& label : predictions_)
    parts << label;
  for (const QString& label : labels_)
    parts << label;
  setAccessibleDescription(!active_        ? QString()
                           : parts.empty() ? QStringLiteral("候補はありません")
                                           : parts.join(QStringLiteral("、")));
}

}  // namespace lumeta
