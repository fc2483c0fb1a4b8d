// The engine's copy of the text on display, with its character count. Each replacement
// reports the changed middle, so a display can update only that and the character limit can
// be checked without counting the whole text again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "view.h"

namespace lumeta {

class DisplayText {
 public:
  const std::string& text() const { return text_; }
  std::size_t chars() const { return chars_; }
  // Counts the replacements that changed the text.
  uint64_t version() const { return version_; }

  // Makes `next` the text on display (taking its contents; `next` receives the old text) and
  // returns the change, aligned to whole characters.
  TextChange replace(std::string& next);

 private:
  std::string text_;
  std::size_t chars_ = 0;
  uint64_t version_ = 0;
};

}  // namespace lumeta
