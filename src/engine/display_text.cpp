#include "display_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sjis.h"

namespace lumeta {
namespace {

std::size_t common_prefix(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i])
    ++i;
  return i;
}

// Length of the common tail of a and b, at most `limit`.
std::size_t common_suffix(std::string_view a, std::string_view b, std::size_t limit) {
  std::size_t i = 0;
  const char* pa = a.data() + a.size();
  const char* pb = b.data() + b.size();
  for (; i + 8 <= limit; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, pa - i - 8, 8);
    std::memcpy(&y, pb - i - 8, 8);
    if (x != y) break;
  }
  while (i < limit &&
         pa[-1 - static_cast<std::ptrdiff_t>(i)] == pb[-1 - static_cast<std::ptrdiff_t>(i)]) {
    ++i;
  }
  return i;
}

}  // namespace

TextChange minimal_change(std::string_view old_text, std::string_view new_text) {
  std::size_t prefix = sjis::floor_boundary(old_text, common_prefix(old_text, new_text));
  if (prefix < old_text.size()) prefix = std::min(prefix, sjis::floor_boundary(new_text, prefix));
  std::size_t suffix =
      common_suffix(old_text, new_text, std::min(old_text.size(), new_text.size()) - prefix);
  // The tail must start on a character boundary in both texts.
  while (suffix > 0 && !(sjis::is_boundary(old_text, old_text.size() - suffix) &&
                         sjis::is_boundary(new_text, new_text.size() - suffix))) {
    --suffix;
  }
  return {static_cast<int>(prefix), static_cast<int>(old_text.size() - prefix - suffix),
          static_cast<int>(new_text.size() - prefix - suffix)};
}

std::string_view DisplayText::front() const {
  if (buffer_.gap() < split_) buffer_.move_gap(split_);
  return buffer_.view(0, split_);
}

std::string_view DisplayText::back() const {
  if (buffer_.gap() > split_ && buffer_.gap() < buffer_.size()) buffer_.move_gap(split_);
  return buffer_.view(split_, buffer_.size());
}

std::string_view DisplayText::fixed() const {
  if (detached_) return fixed_own_;
  return front().substr(0, fixed_length_);
}

void DisplayText::cut_front_below(std::size_t n) {
  if (!detached_ && fixed_length_ > n) {
    fixed_own_.assign(front().substr(0, fixed_length_));
    detached_ = true;
  }
}

void DisplayText::truncate_front(std::size_t n) {
  if (n >= split_) return;
  cut_front_below(n);
  const std::string_view removed = front().substr(n);
  chars_ = n == 0 && split_ == buffer_.size() ? 0 : chars_ - sjis::count_chars(removed);
  buffer_.replace(n, split_, {});
  split_ = n;
}

void DisplayText::append_front(std::string_view bytes) {
  if (bytes.empty()) return;
  chars_ += sjis::count_chars(bytes);
  buffer_.replace(split_, split_, bytes);
  split_ += bytes.size();
}

void DisplayText::assign_front(std::string_view bytes) {
  const std::string_view now = front();
  std::size_t common = common_prefix(now, bytes);
  if (common == now.size() && common == bytes.size()) return;
  common = sjis::floor_boundary(now, common);
  if (bytes.data() >= now.data() && bytes.data() < now.data() + now.size() + 1) {
    // A piece of front_text itself: keep it apart from the edit.
    const std::string copy(bytes);
    truncate_front(common);
    append_front(std::string_view(copy).substr(common));
    return;
  }
  truncate_front(common);
  append_front(bytes.substr(common));
}

void DisplayText::drop_last_front_char() {
  const std::string_view now = front();
  truncate_front(now.size() < 2 ? 0 : sjis::previous_boundary(now, now.size()));
}

void DisplayText::assign_back(std::string_view bytes) {
  const std::string_view old_back = back();
  if (old_back == bytes) return;
  chars_ = split_ == 0 && bytes.empty()
               ? 0
               : chars_ - sjis::count_chars(old_back) + sjis::count_chars(bytes);
  buffer_.replace(split_, buffer_.size(), bytes);
}

void DisplayText::divide_at(std::size_t position) {
  position = std::min(position, buffer_.size());
  cut_front_below(position);
  split_ = position;
}

void DisplayText::assign_fixed(std::string_view bytes) {
  const std::string_view now = front();
  if (bytes.size() <= now.size() &&
      (bytes.data() == now.data() || bytes == now.substr(0, bytes.size()))) {
    fixed_length_ = bytes.size();
    detached_ = false;
    fixed_own_.clear();
    return;
  }
  fixed_own_.assign(bytes);
  detached_ = true;
}

void DisplayText::drop_last_fixed_char() {
  const std::string_view now = fixed();
  const std::size_t keep = now.size() < 2 ? 0 : sjis::previous_boundary(now, now.size());
  if (detached_) {
    fixed_own_.resize(keep);
  } else {
    fixed_length_ = keep;
  }
}

void DisplayText::front_from_fixed() {
  if (!detached_) {
    truncate_front(fixed_length_);
    return;
  }
  const std::string own = std::move(fixed_own_);
  detached_ = false;
  fixed_length_ = 0;
  assign_front(own);
  fixed_length_ = own.size();
}

TextChange DisplayText::take_change(std::string& inserted) {
  inserted.clear();
  if (!published_.active) {
    buffer_.attach(&published_);
    return {static_cast<int>(buffer_.size()), 0, 0};
  }
  new_window_.clear();
  buffer_.copy_to(new_window_, published_.start, buffer_.size() - published_.keep);
  TextChange change = minimal_change(published_.old_bytes, new_window_);
  inserted.assign(new_window_, static_cast<std::size_t>(change.start),
                  static_cast<std::size_t>(change.inserted));
  change.start += static_cast<int>(published_.start);
  if (change.removed || change.inserted) ++version_;
  buffer_.attach(&published_);  // starts it afresh
  return change;
}

void DisplayText::begin_trial() {
  saved_.split = split_;
  saved_.chars = chars_;
  saved_.fixed_length = fixed_length_;
  saved_.detached = detached_;
  saved_.fixed_own = fixed_own_;
  buffer_.attach(&trial_);
}

void DisplayText::take_back() {
  buffer_.detach(&trial_);
  if (trial_.active) {
    buffer_.replace(trial_.start, buffer_.size() - trial_.keep, trial_.old_bytes);
  }
  trial_.clear();
  split_ = saved_.split;
  chars_ = saved_.chars;
  fixed_length_ = saved_.fixed_length;
  detached_ = saved_.detached;
  fixed_own_ = saved_.fixed_own;
}

void DisplayText::end_trial() {
  buffer_.detach(&trial_);
  trial_.clear();
}

}  // namespace lumeta
