// Where the display's Shift-JIS byte positions meet the character offsets that assistive tools
// count in (Qt's UTF-16 units: every Shift-JIS character, CR LF included, is one unit).
//
// Counting from the start of a long text on every question would cost a walk over the whole
// text, so the index keeps a sparse, ascending list of known pairs, for example (2048, 1030):
// 1,030 characters lie before byte 2,048. A question walks only from the nearest pair before
// it, leaving a new pair every kSpacing characters, and an edit moves the pairs behind it.
#pragma once

#include <string_view>
#include <vector>

#include "view.h"

namespace lumeta {

class UnitIndex {
 public:
  // The characters before `position`, a character boundary of `text`.
  int units_at(std::string_view text, int position);
  // The position after the first `units` characters; the end when the text is shorter.
  int position_at(std::string_view text, int units);

  // Follows an edit: `change` as the display received it, `removed_units` and
  // `inserted_units` the characters it took out and put in.
  void edited(TextChange change, int removed_units, int inserted_units);
  void clear() { anchors_.clear(); }

  static constexpr int kSpacing = 512;

 private:
  struct Anchor {
    int position;
    int units;
  };
  // Walks on from `at` (anchors_[next - 1], or the start) until `reached`.
  template <typename Reached>
  Anchor walk(std::string_view text, Anchor at, std::size_t next, Reached reached);

  std::vector<Anchor> anchors_;  // ascending; (0, 0) is implied
};

}  // namespace lumeta
