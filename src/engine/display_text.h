// The engine's one copy of the text on display, cut at the caret into front_text (before it)
// and back_text (after it), with front_fixed, the confirmed start of front_text, as a length.
// Keys edit it where the caret stands, so a key costs what it changes: the text is never
// rebuilt, copied or compared whole. The edits since the last refresh go to the display as
// one change, and the edits of a key can be taken back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gap_buffer.h"
#include "view.h"

namespace lumeta {

// The smallest change that turns `old_text` into `new_text`, on whole characters of both.
TextChange minimal_change(std::string_view old_text, std::string_view new_text);

class DisplayText {
 public:
  DisplayText() { buffer_.attach(&published_); }
  DisplayText(const DisplayText&) = delete;
  DisplayText& operator=(const DisplayText&) = delete;

  // The whole text in one piece (may move bytes: use for the rarer keys).
  std::string_view text() const { return buffer_.all(); }
  std::size_t size() const { return buffer_.size(); }
  char operator[](std::size_t i) const { return buffer_[i]; }
  std::size_t chars() const { return chars_; }
  // Counts the refreshes that changed the text.
  uint64_t version() const { return version_; }

  // ---- The parts: front_text is [0, split), back_text [split, size) ------------------------
  std::size_t split() const { return split_; }
  std::string_view front() const;
  std::string_view back() const;
  // front_fixed: the first fixed_size() bytes of front_text, or its own bytes while some edit
  // has cut front_text shorter than it (it comes back when front_text is set from it).
  std::string_view fixed() const;
  std::size_t fixed_size() const { return detached_ ? fixed_own_.size() : fixed_length_; }
  bool fixed_is_front() const { return !detached_ && fixed_length_ == split_; }

  // ---- Edits of front_text and back_text -----------------------------------------------------
  void truncate_front(std::size_t n);  // front_text keeps its first n bytes
  void append_front(std::string_view bytes);
  void assign_front(std::string_view bytes);
  void drop_last_front_char();  // as delete_last_char does
  void assign_back(std::string_view bytes);
  // Moves the caret's split to `position`, leaving the text as it is.
  void divide_at(std::size_t position);

  // ---- Edits of front_fixed ------------------------------------------------------------------
  void fix_front() { fixed_length_ = split_, detached_ = false; }  // front_fixed := front_text
  void assign_fixed(std::string_view bytes);
  void drop_last_fixed_char();
  void front_from_fixed();  // front_text := front_fixed

  // The change since the last call, on whole characters; `inserted` receives its new bytes.
  TextChange take_change(std::string& inserted);

  // A trial: the edits from begin_trial on can be taken back whole.
  void begin_trial();
  void take_back();
  void end_trial();

 private:
  void cut_front_below(std::size_t n);  // before front_text loses the bytes from n

  GapBuffer buffer_;
  std::size_t split_ = 0;
  std::size_t chars_ = 0;
  uint64_t version_ = 0;
  std::size_t fixed_length_ = 0;
  bool detached_ = false;
  std::string fixed_own_;
  EditJournal published_;  // what the display has not seen yet
  EditJournal trial_;      // what the running trial changed
  struct Saved {
    std::size_t split, chars, fixed_length;
    bool detached;
    std::string fixed_own;
  } saved_{};
  std::string new_window_;
};

}  // namespace lumeta
