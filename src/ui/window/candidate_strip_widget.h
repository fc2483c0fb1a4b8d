// The candidate strip in the band above the display: while a reading is pending it shows the
// predictions for what is typed (tinted, unnumbered) and the reading's candidates, numbered,
// the one on display highlighted, a page at a time with arrows when they don't all fit, laid
// out as candidate_strip_layout.h says. A click on a candidate or a prediction chooses it.
// Right after a word is confirmed it shows instead, numbered the same way, the words offered to
// follow it.
#pragma once

#include <QWidget>
#include <vector>

#include "candidate_strip_layout.h"
#include "conversion.h"

namespace lumeta {

class CandidateStripWidget : public QWidget {
  Q_OBJECT

 public:
  explicit CandidateStripWidget(QWidget* parent);

  void set_strip(const CandidateStrip& strip);
  int page() const { return page_; }
  int page_count() const { return static_cast<int>(pages_.size()); }
  // Where candidate `index` (1-based) is drawn on the current page; empty when not there.
  QRect candidate_rect(int index) const;
  // Where prediction `index` (1-based) is drawn; empty when not on the current page.
  QRect prediction_rect(int index) const;
  int prediction_count() const { return static_cast<int>(predictions_.size()); }
  QString prediction_label(int index) const { return predictions_[index - 1]; }
  QRect previous_page_rect() const;
  QRect next_page_rect() const;

  // What the strip holds, for assistive tools: whether a reading is pending, its candidates'
  // labels ("2 会"), which one is on display (0: none), and a pick as a click would make it.
  bool active() const { return active_; }
  int candidate_count() const { return static_cast<int>(labels_.size()); }
  QString label(int index) const { return labels_[index - 1]; }
  int shown() const { return shown_; }
  // The strip holds the words offered after a confirmation, not a reading's candidates.
  bool offers() const { return offers_; }
  void choose(int index);
  void choose_prediction(int index);

 signals:
  void chosen(int index);
  void prediction_chosen(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect item_rect(bool prediction, int index) const;
  void lay_out();
  void update_accessible_text();

  bool active_ = false;
  bool offers_ = false;
  CandidateStrip strip_;
  std::vector<QString> labels_;       // "1 愛", "2 相", ...
  std::vector<QString> predictions_;  // "画像", "画素", ...
  int shown_ = 0;
  StripGeometry geometry_;
  std::vector<std::vector<StripItem>> pages_;
  int page_ = 0;
};

}  // namespace lumeta
