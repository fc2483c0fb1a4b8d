#include "candidate_bar.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "accessible.h"
#include "qt_text.h"
#include "ui_font.h"

namespace lumeta {
namespace {

constexpr int kRows = 2;
constexpr int kRowHeight = 32;
constexpr int kArrowWidth = 22;
constexpr int kPadding = 6;

}  // namespace

CandidateBar::CandidateBar(QWidget* parent) : QWidget(parent) {
  install_accessible_factory();
  setFocusPolicy(Qt::NoFocus);
  setFont(ui_font(20));
  setAccessibleName(QStringLiteral("変換候補"));
}

void CandidateBar::set_strip(const CandidateStrip& strip) {
  std::vector<QString> labels;
  for (std::size_t i = 0; i < strip.candidates.size(); ++i) {
    labels.push_back(QString::number(i + 1) + QLatin1Char(' ') + to_qstring(strip.candidates[i]));
  }
  const bool changed = strip.active != active_ || strip.offers != offers_ || labels != labels_;
  const bool moved = strip.shown != shown_;
  if (!changed && !moved) return;
  active_ = strip.active;
  offers_ = strip.offers;
  shown_ = strip.shown;
  if (changed) {
    labels_ = std::move(labels);
    page_ = 0;
    lay_out();
  }
  // The page follows the candidate on display.
  for (int p = 0; p < page_count(); ++p) {
    for (const Item& item : pages_[p]) {
      if (item.index == shown_) page_ = p;
    }
  }
  update_accessible_text();
  update();
}

void CandidateBar::lay_out() {
  pages_.clear();
  const QFontMetrics metrics(font());
  const int right = width() - kArrowWidth - 2;
  std::vector<Item> page;
  int x = 0, row = 0;
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    const int w = std::min(metrics.horizontalAdvance(labels_[i]) + 2 * kPadding, right);
    if (x > 0 && x + w > right) {
      x = 0;
      if (++row == kRows) {
        pages_.push_back(std::move(page));
        page.clear();
        row = 0;
      }
    }
    page.push_back({static_cast<int>(i) + 1, QRect(x, row * kRowHeight + 2, w, kRowHeight - 4)});
    x += w + 2;
  }
  if (!page.empty()) pages_.push_back(std::move(page));
}

QRect CandidateBar::candidate_rect(int index) const {
  if (page_ >= page_count()) return {};
  for (const Item& item : pages_[page_]) {
    if (item.index == index) return item.rect;
  }
  return {};
}

QRect CandidateBar::previous_page_rect() const {
  return {width() - kArrowWidth, 0, kArrowWidth, kRowHeight};
}

QRect CandidateBar::next_page_rect() const {
  return {width() - kArrowWidth, kRowHeight, kArrowWidth, kRowHeight};
}

void CandidateBar::paintEvent(QPaintEvent*) {
  if (!active_) return;
  QPainter p(this);
  p.setFont(font());
  if (labels_.empty()) {
    p.setPen(QColor(100, 100, 110));
    p.setFont(ui_font(15));
    p.drawText(rect().adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("候補はありません"));
    return;
  }
  for (const Item& item : pages_[page_]) {
    const bool on_display = item.index == shown_;
    p.setPen(Qt::NoPen);
    p.setBrush(on_display ? QColor(0, 0, 0) : QColor(255, 255, 255));
    p.drawRoundedRect(item.rect, 4, 4);
    p.setPen(on_display ? Qt::white : Qt::black);
    p.drawText(item.rect, Qt::AlignCenter, labels_[item.index - 1]);
  }
  if (page_count() > 1) {
    p.setPen(page_ > 0 ? Qt::black : QColor(150, 150, 150));
    p.drawText(previous_page_rect(), Qt::AlignCenter, QStringLiteral("▲"));
    p.setPen(page_ + 1 < page_count() ? Qt::black : QColor(150, 150, 150));
    p.drawText(next_page_rect(), Qt::AlignCenter, QStringLiteral("▼"));
  }
}

void CandidateBar::mousePressEvent(QMouseEvent* event) {
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
  for (const Item& item : pages_[page_]) {
    if (item.rect.contains(at)) {
      emit chosen(item.index);
      return;
    }
  }
}

void CandidateBar::choose(int index) {
  if (active_ && index >= 1 && index <= candidate_count()) emit chosen(index);
}

void CandidateBar::resizeEvent(QResizeEvent*) {
  lay_out();
}

void CandidateBar::update_accessible_text() {
  QStringList parts;
  for (const QString& label : labels_)
    parts << label;
  setAccessibleDescription(!active_          ? QString()
                           : labels_.empty() ? QStringLiteral("候補はありません")
                                             : parts.join(QStringLiteral("、")));
}

}  // namespace lumeta
