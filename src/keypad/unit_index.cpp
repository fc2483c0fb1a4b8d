#include "unit_index.h"

#include <algorithm>

#include "sjis.h"

namespace lumeta {

template <typename Reached>
UnitIndex::Anchor UnitIndex::walk(std::string_view text, Anchor at, std::size_t next,
                                  Reached reached) {
  const int end = static_cast<int>(text.size());
  int since = 0;
  while (!reached(at) && at.position < end) {
    at.position =
        static_cast<int>(sjis::next_boundary(text, static_cast<std::size_t>(at.position)));
    ++at.units;
    if (++since < kSpacing) continue;
    since = 0;
    if (next == anchors_.size() || at.position < anchors_[next].position) {
      anchors_.insert(anchors_.begin() + static_cast<std::ptrdiff_t>(next), at);
      ++next;
    }
  }
  return at;
}

int UnitIndex::units_at(std::string_view text, int position) {
  position = std::clamp(position, 0, static_cast<int>(text.size()));
  const auto it = std::upper_bound(anchors_.begin(), anchors_.end(), position,
                                   [](int p, const Anchor& a) { return p < a.position; });
  const auto next = static_cast<std::size_t>(it - anchors_.begin());
  const Anchor from = next ? anchors_[next - 1] : Anchor{0, 0};
  return walk(text, from, next, [&](const Anchor& a) { return a.position >= position; }).units;
}

int UnitIndex::position_at(std::string_view text, int units) {
  units = std::max(units, 0);
  const auto it = std::upper_bound(anchors_.begin(), anchors_.end(), units,
                                   [](int u, const Anchor& a) { return u < a.units; });
  const auto next = static_cast<std::size_t>(it - anchors_.begin());
  const Anchor from = next ? anchors_[next - 1] : Anchor{0, 0};
  return walk(text, from, next, [&](const Anchor& a) { return a.units >= units; }).position;
}

void UnitIndex::edited(TextChange change, int removed_units, int inserted_units) {
  const int end = change.start + change.removed;
  // Pairs up to the edit stay; those inside what it removed go; those behind it move.
  std::erase_if(anchors_,
                [&](const Anchor& a) { return a.position > change.start && a.position < end; });
  for (Anchor& a : anchors_) {
    if (a.position <= change.start) continue;
    a.position += change.inserted - change.removed;
    a.units += inserted_units - removed_units;
  }
}

}  // namespace lumeta
