#include "text_display.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "accessible.h"
#include "click_filter.h"
#include "qt_text.h"
#include "sjis.h"
#include "text_display_accessible.h"
#include "ui_font.h"

namespace lumeta {
namespace {

constexpr int kMargin = 2;  // pixels left of the text and kept free at the right

QColor colour_of(Colour colour) {
  switch (colour) {
    case Colour::letter:
      return {0, 0, 255};
    case Colour::romaji:
      return {0, 128, 0};
    case Colour::kana:
      return {255, 0, 0};
    case Colour::kanji:
      return {128, 0, 0};
    case Colour::katakana:
      return {255, 120, 0};
    case Colour::plain:
      break;
  }
  return {0, 0, 0};
}

}  // namespace

TextDisplay::TextDisplay(QWidget* parent)
    : QAbstractScrollArea(parent), layout_([this](uint16_t code) {
        const QChar ch(unicode_of(code));
        return static_cast<int32_t>(std::lround(QFontMetricsF(font_).horizontalAdvance(ch) * 64));
      }) {
  install_accessible_factory();
  font_ = ui_font(27);
  font_.setKerning(false);
  bold_font_ = font_;
  bold_font_.setBold(true);
  setFont(font_);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setFocusProxy(this);
  ClickFilter::install(viewport());
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette p = viewport()->palette();
  p.setColor(QPalette::Base, Qt::white);
  viewport()->setPalette(p);
  viewport()->setAutoFillBackground(true);
  relayout();
}

int TextDisplay::line_height() const {
  return QFontMetrics(font_).lineSpacing();
}

int TextDisplay::visible_lines() const {
  return std::max(1, viewport()->height() / std::max(1, line_height()));
}

int TextDisplay::first_visible_line() const {
  return verticalScrollBar()->value();
}

void TextDisplay::relayout() {
  layout_.set_width((viewport()->width() - 2 * kMargin) * 64);
  layout_.reset(text_);
  update_scroll_range();
}

void TextDisplay::update_scroll_range() {
  const int visible = visible_lines();
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setRange(0, std::max(0, layout_.line_count() - visible));
}

void TextDisplay::edit_text(TextChange change, std::string_view inserted) {
  const PendingTextEvent announcement = accessible_text_before(*this, change);
  // Lines left unchecked by an earlier edit must lie beyond this one (as a rule they do).
  layout_.finish_to_position(text_, change.start + change.removed);
  text_.replace(static_cast<std::size_t>(change.start), static_cast<std::size_t>(change.removed),
                inserted);
  layout_.update(text_, change);
  if (layout_.pending() && !finishing_) {
    finishing_ = true;
    QTimer::singleShot(0, this, &TextDisplay::finish_layout);
  }
  update_scroll_range();
  caret_ = std::min(caret_, static_cast<int>(text_.size()));
  viewport()->update();
  accessible_text_after(*this, announcement);
}

void TextDisplay::finish_layout() {
  finishing_ = false;
  if (!layout_.finish(text_, 8192)) {
    finishing_ = true;
    QTimer::singleShot(0, this, &TextDisplay::finish_layout);
  }
  update_scroll_range();
}

int TextDisplay::caret_line_start() {
  layout_.finish_to_position(text_, caret_);
  return layout_.line_start(layout_.line_of(caret_));
}

int TextDisplay::caret_line_number() {
  layout_.finish_to_position(text_, caret_);
  return layout_.line_of(caret_);
}

void TextDisplay::set_segments(std::span<const Segment> segments) {
  segments_.assign(segments.begin(), segments.end());
  viewport()->update();
}

void TextDisplay::set_caret(int position) {
  const int before = caret_;
  caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
  scroll_to_caret();
  viewport()->update();
  if (caret_ != before) accessible_caret_moved(*this);
}

void TextDisplay::repaint_now() {
  viewport()->repaint();
}

void TextDisplay::scroll_to_caret() {
  layout_.finish_to_position(text_, caret_);
  const int line = layout_.line_of(caret_);
  const int first = first_visible_line();
  const int visible = visible_lines();
  if (line < first) {
    verticalScrollBar()->setValue(line);
  } else if (line >= first + visible) {
    verticalScrollBar()->setValue(line - visible + 1);
  }
}

QString TextDisplay::plain_text() const {
  QString s = to_qstring(text_);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

int32_t TextDisplay::x_of(int line, int position) {
  int32_t x = 0;
  for (int i = layout_.line_start(line); i < position;
       i = static_cast<int>(sjis::next_boundary(text_, i))) {
    x += layout_.char_width(char_code(text_, i));
  }
  return x;
}

int TextDisplay::position_at(QPoint point) {
  layout_.finish_to_line(text_, first_visible_line() + point.y() / std::max(1, line_height()));
  const int line = std::clamp(first_visible_line() + point.y() / std::max(1, line_height()), 0,
                              layout_.line_count() - 1);
  const int end = layout_.line_end(text_, line);
  const int32_t target = (point.x() - kMargin) * 64;
  int32_t x = 0;
  for (int i = layout_.line_start(line); i < end;
       i = static_cast<int>(sjis::next_boundary(text_, i))) {
    const int32_t w = layout_.char_width(char_code(text_, i));
    if (target < x + w / 2) return i;
    x += w;
  }
  return end;
}

QPoint TextDisplay::caret_point() {
  return point_at(caret_);
}

QPoint TextDisplay::point_at(int position) {
  layout_.finish_to_position(text_, position);
  const int line = layout_.line_of(position);
  return {kMargin + x_of(line, position) / 64, (line - first_visible_line()) * line_height()};
}

void TextDisplay::paintEvent(QPaintEvent*) {
  if (!ibeam_) {
    // The I-beam comes from the cursor theme, loaded once the first frame is on the screen.
    ibeam_ = true;
    QTimer::singleShot(0, this, [this] { viewport()->setCursor(Qt::IBeamCursor); });
  }
  QPainter painter(viewport());
  const int height = line_height();
  const int ascent = QFontMetrics(font_).ascent();
  const int first = first_visible_line();
  layout_.finish_to_line(text_, first + visible_lines() + 1);
  const int last = std::min(layout_.line_count(), first + visible_lines() + 1);
  auto style_at = [this](int position) -> const Segment* {
    for (const Segment& s : segments_) {
      if (position >= s.start && position < s.end) return &s;
    }
    return nullptr;
  };
  for (int line = first; line < last; ++line) {
    const int y = (line - first) * height;
    const int end = layout_.line_end(text_, line);
    int32_t x = 0;
    int i = layout_.line_start(line);
    while (i < end) {
      // One run of characters in the same style, drawn at once.
      const Segment* style = style_at(i);
      const int32_t run_x = x;
      QString run;
      while (i < end && style_at(i) == style) {
        const uint16_t code = char_code(text_, i);
        run += QChar(unicode_of(code));
        x += layout_.char_width(code);
        i = static_cast<int>(sjis::next_boundary(text_, i));
      }
      QFont font = style && style->style == Style::bold ? bold_font_ : font_;
      font.setUnderline(style && style->style == Style::underline);
      painter.setFont(font);
      painter.setPen(colour_of(style ? style->colour : Colour::plain));
      painter.drawText(QPointF(kMargin + run_x / 64.0, y + ascent), run);
    }
  }
  const int caret_line = layout_.line_of(caret_);
  if (caret_line >= first && caret_line < last) {
    const QPoint at = caret_point();
    painter.fillRect(QRect(at.x(), at.y(), 2, height), Qt::black);
  }
}

void TextDisplay::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  relayout();
}

void TextDisplay::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  set_caret(position_at(event->position().toPoint()));
  emit clicked(caret_);
}

void TextDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
}

void TextDisplay::scrollContentsBy(int, int) {
  viewport()->update();
}

}  // namespace lumeta
