// Where the display's lines wrap: an index of every display line's first byte, kept up to date
// one edit at a time so that a key press re-wraps only the lines it touched.
//
// In one long paragraph an edit can move every later break. Then a key re-wraps only a stretch
// past the edit (far more than a screen) and keeps the later lines as they were, moved by the
// edit's length; finish() re-wraps the rest a piece at a time when the window is idle, and the
// queries that reach past that stretch finish what they need first.
//
// Lines end at CR LF, or where the next character would pass the width. Widths are in
// 1/64 pixel, looked up per Shift-JIS character code and measured once on first use.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
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
  // lines fall back into step with the old ones, or for a stretch past it. While pending(),
  // call finish_to_position() with the text before the change and the end of what it removes.
  void update(std::string_view text, TextChange change);

  // Lines after the last re-wrapped stretch are still to be checked.
  bool pending() const { return stale_ >= 0; }
  // Re-wraps up to `max_lines` lines of what is pending; true when nothing is left.
  bool finish(std::string_view text, int max_lines = 1 << 30);
  // Finishes at least up to the line that holds `position` / up to line `line`.
  void finish_to_position(std::string_view text, int position);
  void finish_to_line(std::string_view text, int line);

  int line_count() const { return static_cast<int>(starts_.size()); }
  // The line holding `position`; a position where a line wraps belongs to the line it starts.
  int line_of(int position) const;
  int line_start(int line) const { return starts_[line]; }
  // The end of the line's characters, before its CR LF.
  int line_end(std::string_view text, int line) const;

  int32_t char_width(uint16_t code);

 private:
  enum class WrapEnd { resynchronised, text_end, budget };
  // Appends the line starts after `from` up to where wrapping resynchronises, the text ends or
  // `max_lines` lines lie past both `stop_after` and `no_budget_before`.
  WrapEnd wrap(std::string_view text, int from, int stop_after, std::vector<int>& out,
               const std::vector<int>* old, int delta, std::size_t* resync, int max_lines = 1 << 30,
               int no_budget_before = -1);
  // Puts fresh_ in place of starts_ (first, resync) after the wrap that ended in `end`; the
  // starts from `resync` on move by `delta`.
  void splice(int first, std::size_t resync, int delta, WrapEnd end);

  Measure measure_;
  // Per character code, its width plus one; 0 until measured. Zeroed pages from calloc: the
  // 256 KB cost nothing at start, only the pages of the characters measured.
  struct Free {
    void operator()(int32_t* p) const { std::free(p); }
  };
  std::unique_ptr<int32_t[], Free> widths_;
  std::vector<int> starts_{0};
  int32_t width_ = 1;
  // starts_[stale_] is the last start known for the text as it is; the ones after it are the
  // starts of an earlier wrapping, moved by the edits since. -1: every start is known.
  int stale_ = -1;
  std::vector<int> fresh_;
};

}  // namespace lumeta
