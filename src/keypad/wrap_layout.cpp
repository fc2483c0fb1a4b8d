#include "wrap_layout.h"

#include <algorithm>
#include <new>

#include "sjis.h"

namespace lumeta {

uint16_t char_code(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (sjis::is_lead_byte(lead) && i + 1 < text.size()) {
    return static_cast<uint16_t>(lead << 8 | static_cast<unsigned char>(text[i + 1]));
  }
  return lead;
}

WrapLayout::WrapLayout(Measure measure)
    : measure_(std::move(measure)),
      widths_(static_cast<int32_t*>(std::calloc(65536, sizeof(int32_t)))) {
  if (!widths_) throw std::bad_alloc();
}

void WrapLayout::set_width(int32_t width) {
  width_ = std::max<int32_t>(width, 1);
}

int32_t WrapLayout::char_width(uint16_t code) {
  int32_t& w = widths_[code];
  if (w == 0) w = std::max<int32_t>(measure_(code), 0) + 1;
  return w - 1;
}

namespace {

// Lines re-wrapped past an edit before the rest is left for later: many screens.
constexpr int kLinesPastEdit = 256;

}  // namespace

void WrapLayout::reset(std::string_view text) {
  starts_.assign(1, 0);
  stale_ = -1;
  wrap(text, 0, 0, starts_, nullptr, 0, nullptr);
}

WrapLayout::WrapEnd WrapLayout::wrap(std::string_view text, int from, int stop_after,
                                     std::vector<int>& out, const std::vector<int>* old, int delta,
                                     std::size_t* resync, int max_lines, int no_budget_before) {
  const char* data = text.data();
  const std::size_t size = text.size();
  // Past the change, a new line start that is also an old one (moved by delta) means every
  // line after it is as before. Both run upwards, so one cursor into the old starts serves.
  std::size_t j = 0;
  if (old) {
    j = static_cast<std::size_t>(std::lower_bound(old->begin(), old->end(), stop_after - delta) -
                                 old->begin());
  }
  auto in_step = [&](int start) {
    if (start < stop_after) return false;
    while (j < old->size() && (*old)[j] + delta < start)
      ++j;
    if (j < old->size() && (*old)[j] + delta == start) {
      *resync = j;
      return true;
    }
    return false;
  };
  const int32_t* widths = widths_.get();
  const int32_t limit = width_;
  std::size_t i = static_cast<std::size_t>(from);
  int32_t x = 0;
  int past = 0;  // lines started past stop_after
  const int budget_after = std::max(stop_after, no_budget_before);
  auto over_budget = [&](int start) { return start > budget_after && ++past >= max_lines; };
  while (i < size) {
    const auto b = static_cast<unsigned char>(data[i]);
    if (b == '\r' && i + 1 < size && data[i + 1] == '\n') {
      i += 2;
      out.push_back(static_cast<int>(i));
      x = 0;
      if (old && in_step(static_cast<int>(i))) return WrapEnd::resynchronised;
      if (over_budget(static_cast<int>(i))) return WrapEnd::budget;
      continue;
    }
    uint16_t code = b;
    std::size_t next = i + 1;
    if (sjis::is_lead_byte(b) && next < size) {
      code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(data[next]));
      ++next;
    }
    int32_t w = widths[code] - 1;
    if (w < 0) w = char_width(code);
    if (x > 0 && x + w > limit) {
      // The character does not fit: it starts the next line.
      out.push_back(static_cast<int>(i));
      x = 0;
      if (old && in_step(static_cast<int>(i))) return WrapEnd::resynchronised;
      if (over_budget(static_cast<int>(i))) return WrapEnd::budget;
    }
    x += w;
    i = next;
  }
  if (resync) *resync = old->size();
  return WrapEnd::text_end;
}

void WrapLayout::splice(int first, std::size_t resync, int delta, WrapEnd end) {
  const int was_stale = stale_;
  if (end == WrapEnd::budget) {
    // The old starts after the last new one stay, for now, as they were.
    resync = static_cast<std::size_t>(
        std::upper_bound(starts_.begin(), starts_.end(), fresh_.back() - delta) - starts_.begin());
  } else if (end == WrapEnd::resynchronised && !fresh_.empty()) {
    fresh_.pop_back();  // the resync line itself
  }
  // starts_[resync..] are still line starts, moved by delta; the new lines replace the rest.
  if (resync <= static_cast<std::size_t>(first)) {
    // Text inserted in front of the old lines: they all follow the new ones.
    std::vector<int> tail(starts_.begin() + static_cast<std::ptrdiff_t>(resync), starts_.end());
    for (int& start : tail)
      start += delta;
    starts_.resize(static_cast<std::size_t>(first) + 1);
    starts_.insert(starts_.end(), fresh_.begin(), fresh_.end());
    starts_.insert(starts_.end(), tail.begin(), tail.end());
    stale_ = -1;
    return;
  }
  if (delta) {
    for (std::size_t j = resync; j < starts_.size(); ++j)
      starts_[j] += delta;
  }
  const auto at = starts_.begin() + first + 1;
  const std::size_t replaced = resync - static_cast<std::size_t>(first) - 1;
  const std::size_t common = std::min(replaced, fresh_.size());
  std::copy(fresh_.begin(), fresh_.begin() + static_cast<std::ptrdiff_t>(common), at);
  if (replaced > common) {
    starts_.erase(at + static_cast<std::ptrdiff_t>(common),
                  at + static_cast<std::ptrdiff_t>(replaced));
  } else {
    starts_.insert(at + static_cast<std::ptrdiff_t>(common),
                   fresh_.begin() + static_cast<std::ptrdiff_t>(common), fresh_.end());
  }
  if (end == WrapEnd::budget) {
    stale_ = first + static_cast<int>(fresh_.size());
  } else if (end == WrapEnd::resynchronised && was_stale >= 0 &&
             resync <= static_cast<std::size_t>(was_stale)) {
    // In step again before the old unchecked lines: they stay unchecked, moved along.
    stale_ = was_stale + static_cast<int>(fresh_.size()) - static_cast<int>(replaced);
  } else {
    stale_ = -1;
  }
}

void WrapLayout::update(std::string_view text, TextChange change) {
  const int delta = change.inserted - change.removed;
  // Lines before the one in front of the change keep their breaks.
  const int first = std::max(0, line_of(change.start) - 1);
  const int from = starts_[first];
  fresh_.clear();
  std::size_t resync = starts_.size();
  // Lines still unchecked from an earlier edit lie beyond this one (the display finishes up
  // to an edit before making it): the stretch reaches past them.
  const int unchecked = stale_ >= 0 ? starts_[stale_] + delta : -1;
  const WrapEnd end = wrap(text, from, change.start + change.inserted, fresh_, &starts_, delta,
                           &resync, kLinesPastEdit, unchecked);
  splice(first, resync, delta, end);
}

bool WrapLayout::finish(std::string_view text, int max_lines) {
  if (stale_ < 0) return true;
  const int first = stale_;
  const int from = starts_[first];
  fresh_.clear();
  std::size_t resync = starts_.size();
  const WrapEnd end = wrap(text, from, from, fresh_, &starts_, 0, &resync, max_lines);
  splice(first, resync, 0, end);
  return stale_ < 0;
}

void WrapLayout::finish_to_position(std::string_view text, int position) {
  while (stale_ >= 0 && starts_[stale_] <= position)
    finish(text, kLinesPastEdit);
}

void WrapLayout::finish_to_line(std::string_view text, int line) {
  while (stale_ >= 0 && stale_ <= line)
    finish(text, kLinesPastEdit);
}

int WrapLayout::line_of(int position) const {
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<int>(it - starts_.begin()) - 1;
}

int WrapLayout::line_end(std::string_view text, int line) const {
  if (line + 1 >= line_count()) return static_cast<int>(text.size());
  const int end = starts_[line + 1];
  // A line that ends in CR LF: its characters stop before the break.
  return end >= 2 && text[end - 2] == '\r' && text[end - 1] == '\n' ? end - 2 : end;
}

}  // namespace lumeta
