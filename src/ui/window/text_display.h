// The text display: read-only, wrapping at its width, with a vertical scroll bar and a caret.
// It keeps the Shift-JIS text and an index of its wrapped lines, and lays out and paints only
// the lines in view, so a key costs the same with a thousand characters or a million.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <span>
#include <string>
#include <vector>

#include "view.h"
#include "wrap_layout.h"

namespace lumeta {

class TextDisplay : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TextDisplay(QWidget* parent = nullptr);

  // Applies one change of the engine's text to the display's copy.
  void edit_text(TextChange change, std::string_view inserted);
  void set_segments(std::span<const Segment> segments);
  void set_caret(int position);
  int caret() const { return caret_; }
  int caret_line_start();
  int caret_line_number();
  void repaint_now();

  const std::string& text() const { return text_; }
  QString plain_text() const;  // the whole text as Unicode, line breaks as LF
  int visible_lines() const;
  int first_visible_line() const;

  // The byte position nearest to a point of the viewport.
  int position_at(QPoint point);
  // The top-left corner of the caret in the viewport.
  QPoint caret_point();
  // The top-left corner of the character at `position` in the viewport.
  QPoint point_at(int position);

  // The wrapped display lines, counted from 0.
  int line_count() const { return layout_.line_count(); }
  int line_of(int position) const { return layout_.line_of(position); }
  int line_start(int line) const { return layout_.line_start(line); }

 signals:
  // A click put the caret at `position`; the window makes it the insertion point.
  void clicked(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void relayout();
  // Re-wraps, a piece at a time while the window is idle, what the last edit left pending.
  void finish_layout();
  void update_scroll_range();
  void scroll_to_caret();
  int line_height() const;
  int32_t x_of(int line, int position);

  std::string text_;
  std::vector<Segment> segments_;
  WrapLayout layout_;
  QFont font_;
  QFont bold_font_;
  int caret_ = 0;
  bool finishing_ = false;  // finish_layout() is scheduled
  bool ibeam_ = false;      // the I-beam pointer is asked for
};

}  // namespace lumeta
