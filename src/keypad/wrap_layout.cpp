#include "wrap_layout.h"

#include <algorithm>

#include "sjis.h"

namespace lumeta {

uint16_t char_code(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (sjis::is_lead_byte(lead) && i + 1 < text.size()) {
    return static_cast<uint16_t>(lead << 8 | static_cast<unsigned char>(text[i + 1]));
  }
  return lead;
}

WrapLayout::WrapLayout(Measure measure) : measure_(std::move(measure)), widths_(65536, -1) {}

void WrapLayout::set_width(int32_t width) {
  width_ = std::max<int32_t>(width, 1);
}

int32_t WrapLayout::char_width(uint16_t code) {
  int32_t& w = widths_[code];
  if (w < 0) w = std::max<int32_t>(measure_(code), 0);
  return w;
}

void WrapLayout::reset(std::string_view text) {
  starts_.assign(1, 0);
  wrap(text, 0, 0, starts_, nullptr, 0, nullptr);
}

void WrapLayout::wrap(std::string_view text, int from, int stop_after, std::vector<int>& out,
                      const std::vector<int>* old, int delta, std::size_t* resync) {
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
  const int32_t* widths = widths_.data();
  const int32_t limit = width_;
  std::size_t i = static_cast<std::size_t>(from);
  int32_t x = 0;
  while (i < size) {
    const auto b = static_cast<unsigned char>(data[i]);
    if (b == '\r' && i + 1 < size && data[i + 1] == '\n') {
      i += 2;
      out.push_back(static_cast<int>(i));
      x = 0;
      if (old && in_step(static_cast<int>(i))) return;
      continue;
    }
    uint16_t code = b;
    std::size_t next = i + 1;
    if (sjis::is_lead_byte(b) && next < size) {
      code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(data[next]));
      ++next;
    }
    int32_t w = widths[code];
    if (w < 0) w = char_width(code);
    if (x > 0 && x + w > limit) {
      // The character does not fit: it starts the next line.
      out.push_back(static_cast<int>(i));
      x = 0;
      if (old && in_step(static_cast<int>(i))) return;
    }
    x += w;
    i = next;
  }
  if (resync) *resync = old->size();
}

void WrapLayout::update(std::string_view text, TextChange change) {
  const int delta = change.inserted - change.removed;
  // Lines before the one in front of the change keep their breaks.
  const int first = std::max(0, line_of(change.start) - 1);
  const int from = starts_[first];
  std::vector<int> fresh;
  fresh.reserve(64);
  std::size_t resync = starts_.size();
  wrap(text, from, change.start + change.inserted, fresh, &starts_, delta, &resync);
  // starts_[resync..] are still line starts, moved by delta; the new lines replace the rest.
  std::vector<int> tail(starts_.begin() + static_cast<std::ptrdiff_t>(resync), starts_.end());
  for (int& s : tail)
    s += delta;
  if (!fresh.empty() && resync < starts_.size()) fresh.pop_back();  // the resync line itself
  starts_.resize(static_cast<std::size_t>(first) + 1);
  starts_.insert(starts_.end(), fresh.begin(), fresh.end());
  starts_.insert(starts_.end(), tail.begin(), tail.end());
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
