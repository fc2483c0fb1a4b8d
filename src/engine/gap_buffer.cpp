#include "gap_buffer.h"

#include <algorithm>
#include <cstring>

namespace lumeta {

std::string_view GapBuffer::view(std::size_t a, std::size_t b) const {
  if (!data_) return std::string_view("", 0);  // never a null pointer, as std::string's
  if (a < gap_start_ && b > gap_start_) {
    // Move the gap to whichever end of [a, b) is nearer.
    move_gap(gap_start_ - a <= b - gap_start_ ? a : b);
  }
  const std::size_t at = a < gap_start_ ? a : a + (gap_end_ - gap_start_);
  return {data_.get() + at, b - a};
}

void GapBuffer::copy_to(std::string& out, std::size_t a, std::size_t b) const {
  if (a < gap_start_) {
    const std::size_t end = std::min(b, gap_start_);
    out.append(data_.get() + a, end - a);
    a = end;
  }
  if (a < b) out.append(data_.get() + a + (gap_end_ - gap_start_), b - a);
}

void GapBuffer::move_gap(std::size_t position) const {
  if (position < gap_start_) {
    const std::size_t n = gap_start_ - position;
    std::memmove(data_.get() + gap_end_ - n, data_.get() + position, n);
    gap_start_ -= n;
    gap_end_ -= n;
  } else if (position > gap_start_) {
    const std::size_t n = position - gap_start_;
    std::memmove(data_.get() + gap_start_, data_.get() + gap_end_, n);
    gap_start_ += n;
    gap_end_ += n;
  }
}

void GapBuffer::reserve_gap(std::size_t bytes) {
  if (gap_end_ - gap_start_ >= bytes) return;
  const std::size_t text = size();
  const std::size_t capacity = std::max({capacity_ * 2, text + bytes + 4096, std::size_t{4096}});
  std::unique_ptr<char[]> data(new char[capacity]);
  const std::size_t back = capacity_ - gap_end_;
  if (gap_start_) std::memcpy(data.get(), data_.get(), gap_start_);
  if (back) std::memcpy(data.get() + capacity - back, data_.get() + gap_end_, back);
  data_ = std::move(data);
  gap_end_ = capacity - back;
  capacity_ = capacity;
}

void GapBuffer::note_edit(std::size_t a, std::size_t b) {
  const std::size_t n = size();
  for (EditJournal* j : journals_) {
    if (!j) continue;
    if (!j->active) {
      j->active = true;
      j->start = a;
      j->keep = n - b;
      copy_to(j->old_bytes, a, b);
      continue;
    }
    // Outside the window every byte is still the old one: widen the window over [a, b).
    if (a < j->start) {
      std::string before;
      copy_to(before, a, j->start);
      j->old_bytes.insert(0, before);
      j->start = a;
    }
    const std::size_t window_end = n - j->keep;
    if (b > window_end) {
      copy_to(j->old_bytes, window_end, b);
      j->keep = n - b;
    }
  }
}

void GapBuffer::replace(std::size_t a, std::size_t b, std::string_view bytes) {
  if (a == b && bytes.empty()) return;
  const char* base = data_.get();
  if (base && bytes.data() >= base && bytes.data() < base + capacity_) {
    scratch_.assign(bytes);
    bytes = scratch_;
  }
  note_edit(a, b);
  move_gap(b);
  gap_start_ = a;
  reserve_gap(bytes.size());
  if (!bytes.empty()) std::memcpy(data_.get() + gap_start_, bytes.data(), bytes.size());
  gap_start_ += bytes.size();
}

void GapBuffer::attach(EditJournal* journal) {
  journal->clear();
  for (EditJournal*& slot : journals_) {
    if (!slot || slot == journal) {
      slot = journal;
      return;
    }
  }
}

void GapBuffer::detach(EditJournal* journal) {
  for (EditJournal*& slot : journals_) {
    if (slot == journal) slot = nullptr;
  }
}

}  // namespace lumeta
