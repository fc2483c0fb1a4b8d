#include "display_text.h"

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

TextChange DisplayText::replace(std::string& next) {
  const std::string_view old_text = text_;
  const std::string_view new_text = next;
  std::size_t prefix = sjis::floor_boundary(old_text, common_prefix(old_text, new_text));
  if (prefix < old_text.size()) prefix = std::min(prefix, sjis::floor_boundary(new_text, prefix));
  std::size_t suffix =
      common_suffix(old_text, new_text, std::min(old_text.size(), new_text.size()) - prefix);
  // The tail must start on a character boundary in both texts.
  while (suffix > 0 && !(sjis::is_boundary(old_text, old_text.size() - suffix) &&
                         sjis::is_boundary(new_text, new_text.size() - suffix))) {
    --suffix;
  }
  const std::size_t removed = old_text.size() - prefix - suffix;
  const std::size_t inserted = new_text.size() - prefix - suffix;
  chars_ = chars_ - sjis::count_chars(old_text.substr(prefix, removed)) +
           sjis::count_chars(new_text.substr(prefix, inserted));
  text_.swap(next);
  if (removed || inserted) ++version_;
  return {static_cast<int>(prefix), static_cast<int>(removed), static_cast<int>(inserted)};
}

}  // namespace lumeta
