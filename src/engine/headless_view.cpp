#include "headless_view.h"

#include <algorithm>

namespace lumeta {

// The position label's design caption, shown until its first update.
HeadlessView::HeadlessView() : label_("1行0列") {}

void HeadlessView::edit_text(TextChange change, std::string_view inserted) {
  text_.replace(change.start, change.start + change.removed, inserted);
  // Line starts whose CR LF lies inside or against the changed bytes are found again; the
  // ones after it move by the change in length.
  const int delta = change.inserted - change.removed;
  auto first = std::upper_bound(line_starts_.begin(), line_starts_.end(), change.start);
  auto last = std::upper_bound(first, line_starts_.end(), change.start + change.removed + 1);
  for (auto it = last; it != line_starts_.end(); ++it)
    *it += delta;
  std::vector<int> found;
  const int end = std::min<int>(change.start + change.inserted + 1, static_cast<int>(text_.size()));
  for (int q = std::max(change.start + 1, 2); q <= end; ++q) {
    if (text_[q - 2] == '\r' && text_[q - 1] == '\n') found.push_back(q);
  }
  const auto at = line_starts_.erase(first, last);
  line_starts_.insert(at, found.begin(), found.end());
  caret_ = std::min(caret_, static_cast<int>(text_.size()));
}

void HeadlessView::set_segments(std::span<const Segment> segments) {
  segments_.assign(segments.begin(), segments.end());
}

void HeadlessView::set_caret(int position) {
  caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
}

int HeadlessView::caret_line_number() {
  return static_cast<int>(std::upper_bound(line_starts_.begin(), line_starts_.end(), caret_) -
                          line_starts_.begin());
}

int HeadlessView::caret_line_start() {
  const int line = caret_line_number();
  return line == 0 ? 0 : line_starts_[line - 1];
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
