// Where the display's lines wrap: an index of every display line's first byte, kept up to date
// one edit at a time so that a key press re-wraps only the lines it touched.
//
// Lines end at CR LF, or where the next character would pass the width. Widths are in
// 1/64 pixel, looked up per Shift-JIS character code and measured once on first use.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "view.h"

namespace lumeta {

// The character code at byte i: the byte itself, or lead << 8 | trail.
uint16_t char_code(std::string_view text, std::size_t i);

class WrapLayout {
 public:
  using Measure = std::function<int32_t(uint16_t code)>;

  explicit WrapLayout(Measure measure);

  void set_width(int32_t width);  // in 1/64 pixel
  int32_t width() const { return width_; }

  // Lays out all of `text`.
  void reset(std::string_view text);
  // `text` is the text after `change`; re-wraps from the line before the change until the
  // lines fall back into step with the old ones.
  void update(std::string_view text, TextChange change);

  int line_count() const { return static_cast<int>(starts_.size()); }
  // The line holding `position`; a position where a line wraps belongs to the line it starts.
  int line_of(int position) const;
  int line_start(int line) const { return starts_[line]; }
  // The end of the line's characters, before its CR LF.
  int line_end(std::string_view text, int line) const;

  int32_t char_width(uint16_t code);

 private:
  // Appends the line starts after `from` up to where wrapping resynchronises or the text ends.
  void wrap(std::string_view text, int from, int stop_after, std::vector<int>& out,
            const std::vector<int>* old, int delta, std::size_t* resync);

  Measure measure_;
  std::vector<int32_t> widths_;  // per character code, -1 until measured
  std::vector<int> starts_{0};
  int32_t width_ = 1;
};

}  // namespace lumeta
