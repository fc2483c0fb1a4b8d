#include "dwell.h"

namespace lumeta {

Dwell::Dwell(int dwell_ms, int width, int height)
    : dwell_ms_(dwell_ms), width_(width), height_(height), targets_(key_targets()) {}

void Dwell::set_dwell(int dwell_ms) {
  dwell_ms_ = dwell_ms;
}

void Dwell::set_targets(std::vector<Target> targets) {
  targets_ = std::move(targets);
  if (!current_) return;
  for (const Target& target : targets_) {
    if (target == *current_) {
      current_ = target;  // its place may have moved with a page of the strip
      return;
    }
  }
  current_.reset();
}

const Target* Dwell::target_at(int x, int y) const {
  // A tremor past the edge keeps the target under way.
  if (current_ && contains(current_->place, x, y, kTremor)) return &*current_;
  for (const Target& target : targets_) {
    if (contains(target.place, x, y)) return &target;
  }
  return nullptr;
}

bool Dwell::in_corner(int x, int y) const {
  const bool left = x < kCorner, right = x >= width_ - kCorner;
  const bool top = y < kCorner, bottom = y >= height_ - kCorner;
  return (left || right) && (top || bottom) && x >= 0 && y >= 0 && x < width_ && y < height_;
}

std::optional<Target> Dwell::pointer(int x, int y, int64_t now) {
  if (dwell_ms_ <= 0) return std::nullopt;
  const bool corner = in_corner(x, y);
  if (corner && !cornered_) toggle_pause();
  cornered_ = corner;
  const Target* under = target_at(x, y);
  // While paused only the pause key counts.
  if (paused_ && under && !(under->kind == TargetKind::key && under->number == key::pause)) {
    under = nullptr;
  }
  if (!under) {
    current_.reset();
    return std::nullopt;
  }
  if (!current_ || !(*under == *current_)) {
    current_ = *under;
    started_ = now;
    return std::nullopt;
  }
  return tick(now);
}

std::optional<Target> Dwell::tick(int64_t now) {
  if (!current_ || dwell_ms_ <= 0 || now - started_ < dwell_ms_) return std::nullopt;
  // Staying on after a press starts the next dwell: multi-tap by resting.
  started_ += dwell_ms_;
  if (now - started_ >= dwell_ms_) started_ = now;  // a late tick presses once, not twice
  return *current_;
}

void Dwell::toggle_pause() {
  paused_ = !paused_;
  current_.reset();
}

double Dwell::progress(int64_t now) const {
  if (!current_ || dwell_ms_ <= 0) return 0;
  const double p = static_cast<double>(now - started_) / dwell_ms_;
  return p < 0 ? 0 : p > 1 ? 1 : p;
}

}  // namespace lumeta
