// A byte string kept with a gap at the place of the last edit, so that an edit costs what it
// changes, not the length of the text: typing at the caret of a million characters moves no
// more than typing at the caret of ten.
//
// A journal attached to the buffer records what a run of edits replaced, so that the run can be
// reported as one change ("bytes 1200..1204 became these 6") or taken back.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace lumeta {

// What the edits since the journal was last cleared replaced: the window [start, size - keep)
// of the text now stood as `old_bytes` before them; everything outside it is unchanged. After
// typing か behind "あいう" (6 bytes): start 6, keep 0, old_bytes "".
struct EditJournal {
  bool active = false;  // false: nothing has changed since the last clear
  std::size_t start = 0;
  std::size_t keep = 0;  // bytes at the end of the text untouched
  std::string old_bytes;

  void clear() {
    active = false;
    // Keeps a key's worth of capacity, so no key allocates; a delete-all's megabytes go.
    if (old_bytes.capacity() > (std::size_t{1} << 16)) {
      std::string().swap(old_bytes);
    } else {
      old_bytes.clear();
    }
  }
};

class GapBuffer {
 public:
  GapBuffer() = default;
  GapBuffer(const GapBuffer&) = delete;
  GapBuffer& operator=(const GapBuffer&) = delete;

  std::size_t size() const { return gap_start_ + (capacity_ - gap_end_); }
  bool empty() const { return size() == 0; }
  char operator[](std::size_t i) const {
    return i < gap_start_ ? data_[i] : data_[i + (gap_end_ - gap_start_)];
  }

  // The bytes [a, b) in one piece; moves the gap out of the way when it lies inside them.
  std::string_view view(std::size_t a, std::size_t b) const;
  std::string_view all() const { return view(0, size()); }
  // Appends the bytes [a, b) to `out` without moving the gap.
  void copy_to(std::string& out, std::size_t a, std::size_t b) const;

  // Replaces the bytes [a, b) with `bytes` (which may lie in this buffer); the gap ends up
  // right behind the inserted bytes.
  void replace(std::size_t a, std::size_t b, std::string_view bytes);
  void move_gap(std::size_t position) const;
  std::size_t gap() const { return gap_start_; }

  // Up to two journals record the edits from now on.
  void attach(EditJournal* journal);
  void detach(EditJournal* journal);

 private:
  void note_edit(std::size_t a, std::size_t b);
  void reserve_gap(std::size_t bytes);

  // Moving the gap changes no byte of the text, so the const views may move it.
  mutable std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  mutable std::size_t gap_start_ = 0;
  mutable std::size_t gap_end_ = 0;
  std::array<EditJournal*, 2> journals_{};
  std::string scratch_;  // inserted bytes that lay in the buffer itself
};

}  // namespace lumeta
