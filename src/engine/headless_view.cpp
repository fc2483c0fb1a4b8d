#include "headless_view.h"

#include <algorithm>

namespace lumeta {

// The position label's design caption, shown until its first update.
HeadlessView::HeadlessView() : label_("1行0列") {}

void HeadlessView::edit_text(TextChange change, std::string_view inserted) {
  if (change.removed == 0 && change.inserted == 0) return;
  text_.replace(change.start, change.start + change.removed, inserted);
  // Line starts whose CR LF lies inside or against the changed bytes are found again; the
  // ones after it move by the change in length.
  line_starts_.split_at(change.start);
  line_starts_.drop_up_to(change.start + change.removed + 1);
  line_starts_.shift_after(change.inserted - change.removed);
  const int end = std::min<int>(change.start + change.inserted + 1, static_cast<int>(text_.size()));
  for (int q = std::max(change.start + 1, 2); q <= end; ++q) {
    if (text_[q - 2] == '\r' && text_[q - 1] == '\n') line_starts_.push_before(q);
  }
  caret_ = std::min(caret_, static_cast<int>(text_.size()));
}

void HeadlessView::LineStarts::split_at(int position) {
  while (!before_.empty() && before_.back() > position) {
    after_.push_back(before_.back() - shift_);
    before_.pop_back();
  }
  while (!after_.empty() && after_.back() + shift_ <= position) {
    before_.push_back(after_.back() + shift_);
    after_.pop_back();
  }
}

void HeadlessView::LineStarts::drop_up_to(int position) {
  while (!after_.empty() && after_.back() + shift_ <= position)
    after_.pop_back();
}

int HeadlessView::LineStarts::count_up_to(int position) const {
  if (before_.empty() || before_.back() <= position) {
    // after_ is descending: the entries at or below `position` are at its end.
    const auto it = std::lower_bound(after_.begin(), after_.end(), position - shift_,
                                     [](int a, int b) { return a > b; });
    return static_cast<int>(before_.size() + (after_.end() - it));
  }
  return static_cast<int>(std::upper_bound(before_.begin(), before_.end(), position) -
                          before_.begin());
}

int HeadlessView::LineStarts::at(int index) const {
  const int n = static_cast<int>(before_.size());
  return index < n ? before_[index] : after_[after_.size() - 1 - (index - n)] + shift_;
}

void HeadlessView::set_segments(std::span<const Segment> segments) {
  segments_.assign(segments.begin(), segments.end());
}

void HeadlessView::set_caret(int position) {
  caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
}

int HeadlessView::caret_line_number() {
  return line_starts_.count_up_to(caret_);
}

int HeadlessView::caret_line_start() {
  const int line = caret_line_number();
  return line == 0 ? 0 : line_starts_.at(line - 1);
}

void HeadlessView::set_indicator(Indicator indicator, IndicatorLook look) {
  indicators_[static_cast<int>(indicator)] = look;
}

void HeadlessView::set_key_face(int key, const Face& face) {
  if (key >= 0 && key < static_cast<int>(faces_.size())) faces_[key] = face;
}

void HeadlessView::set_caption_held(int key, bool held) {
  if (key >= 0 && key < static_cast<int>(held_.size())) held_[key] = held;
}

}  // namespace lumeta
