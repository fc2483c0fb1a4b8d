// Dwell: resting the pointer on a target for the dwell time presses it, exactly once, as a
// click would; staying on it presses it again after another dwell time (K, K, K → k g q).
// Free of Qt and of any clock: the window (or the replay tool, or a test) tells it where the
// pointer is and the time in milliseconds.
//
// Leaving the target before the time is up cancels it; a tremor of a few pixels past its edge
// does not. Over the text, empty space or the handset picture nothing happens. Dwelling on the
// pause key (休止) stops dwell, and on it again resumes it; so does moving into a corner of the
// window.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "access_target.h"

namespace lumeta {

class Dwell {
 public:
  // How far past a target's edge the pointer may tremble, in pixels.
  static constexpr int kTremor = 6;
  // The square in each corner of the window that pauses and resumes, in pixels.
  static constexpr int kCorner = 12;

  // `width` × `height`: the window's size, for its corners.
  Dwell(int dwell_ms, int width, int height);

  int dwell_ms() const { return dwell_ms_; }
  void set_dwell(int dwell_ms);
  // What can be dwelt on: the key list's keys and whatever else the window shows now (strip
  // entries, picker cells, panel items). The dwell under way goes on if its target is still
  // there.
  void set_targets(std::vector<Target> targets);

  // The pointer at (x, y), window pixels, at `now`; returns the target pressed, if any.
  std::optional<Target> pointer(int x, int y, int64_t now);
  // Time passes with the pointer where it is.
  std::optional<Target> tick(int64_t now);

  // The pause key's work, whether dwelt on or clicked: dwell stops, or goes on again.
  void toggle_pause();
  bool paused() const { return paused_; }
  // The target being dwelt on, and how much of the time has run (0 to 1).
  const Target* current() const { return current_ ? &*current_ : nullptr; }
  double progress(int64_t now) const;

 private:
  const Target* target_at(int x, int y) const;
  bool in_corner(int x, int y) const;

  int dwell_ms_;
  int width_, height_;
  std::vector<Target> targets_;
  std::optional<Target> current_;
  int64_t started_ = 0;
  bool paused_ = false;
  bool cornered_ = false;  // in a corner since the last toggle
};

}  // namespace lumeta
