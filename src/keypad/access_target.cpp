#include "access_target.h"

namespace lumeta {

Target key_target(int number) {
  const KeyInfo* key = find_key(number);
  if (!key) return {TargetKind::key, number, {}, {}};
  return {TargetKind::key, number, std::string(key->name), key->place};
}

std::vector<Target> key_targets() {
  std::vector<Target> targets;
  for (const KeyInfo& key : key_list())
    targets.push_back(key_target(key.number));
  return targets;
}

bool contains(const KeyPlace& place, int x, int y, int margin) {
  if (place.width <= 0 || place.height <= 0) return false;
  return x >= place.left - margin && x < place.left + place.width + margin &&
         y >= place.top - margin && y < place.top + place.height + margin;
}

}  // namespace lumeta
