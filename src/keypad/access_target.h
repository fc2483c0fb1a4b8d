// What dwell and scanning pick: a key of the key list, an entry of the candidate strip, a cell
// of the symbol picker or an item of the settings panel, with its place in the window. The
// window turns a picked target into a click at its centre; the replay tool into its token.
#pragma once

#include <string>
#include <vector>

#include "keypad.h"

namespace lumeta {

// The window's client area in pixels: the key list's places lie in it.
inline constexpr int kWindowWidth = 677, kWindowHeight = 556;

// `number` means, by kind: key — its key:: number; prediction, candidate, offer — its place
// from 1 as PRED:n, PICK:n, NEXT:n count; strip_page — -1 for ▲, +1 for ▼; symbol — the cell
// on the current page from 0; setting — the panel's item from 0.
enum class TargetKind { key, prediction, candidate, offer, strip_page, symbol, setting };

struct Target {
  TargetKind kind = TargetKind::key;
  int number = 0;
  std::string name;  // UTF-8, what a screen reader hears: "キー A", "2 会", "★"
  KeyPlace place{};  // in window pixels; all zero where nothing is drawn (the replay tool)

  bool operator==(const Target& other) const {
    return kind == other.kind && number == other.number;
  }
};

// A key of the key list as a target: `key_target(key::A)` is {key, 1, "キー A", its place}.
Target key_target(int number);
// The keys of the key list as targets, in the list's order.
std::vector<Target> key_targets();

// Whether (x, y) lies on `place`, grown by `margin` pixels on every side.
bool contains(const KeyPlace& place, int x, int y, int margin = 0);

}  // namespace lumeta
