// Scanning for switch users: a highlight steps over groups of targets, then over the targets of
// the chosen group, and a switch picks what is highlighted. Free of Qt and of any clock: the
// window (or the replay tool, or a test) tells it the time in milliseconds.
//
// Groups are rows. After start and after each pick the first group is the keypad row A K H —
// or, while the strip holds next-word offers, the strip, so a word it offers is two picks away.
// Then the other keypad rows, the strip when it shows predictions or candidates, the control
// block (モード ↑ ← 決定 → ↓ 数字／小文字 クリア) and the window keys. (On real prose the strip
// first with offers alone costs fewer steps than first with predictions too, which makes each
// letter of a word a step dearer: bench/prose/scan_measure.py.) While the symbol picker is
// shown it comes first, its grid row by row, each row a group of its own; while the settings
// panel is open its items are all there is.
//
// Two switches: Space steps (step), Enter picks (pick). One switch: the highlight steps by
// itself every interval (tick) and Space picks. Inside a group the last entry is 戻る, and
// stepping past it leaves the group as well. After two rounds over the groups with no switch
// pressed the one-switch scan pauses on the first group until the switch is pressed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "access_target.h"

namespace lumeta {

enum class ScanMode { off, one_switch, two_switch };

// "one-switch" → one_switch; "two-switch", "off"; nothing for anything else.
std::optional<ScanMode> parse_scan_mode(std::string_view text);
std::string_view scan_mode_name(ScanMode mode);

// What the window shows beside the key list.
struct ScanScene {
  std::vector<Target> strip;  // the strip's entries on its page in order, then ▲ ▼ if any
  bool strip_offers = false;  // they are next-word offers
  std::vector<Target> picker_pages;              // while the picker is shown
  std::vector<std::vector<Target>> picker_rows;  // its grid, row by row
  std::vector<Target> panel;                     // while the settings panel is open
};

// The scene as the strip and the picker make it: the entries of the strip's page `strip_page`
// (from 0) with ▲ ▼ when it has more pages, and the grid of the picker's page when it is shown,
// ten cells a row. Places are left empty for the window to fill in.
ScanScene scene_of(const CandidateStrip& strip, int strip_page,
                   std::optional<SymbolPage> picker_page);

// A group, or a single target (`target` set, no items).
struct ScanItem {
  std::string name;  // "A K H", "候補", "戻る"
  std::optional<Target> target;
  std::vector<ScanItem> items;
};

class Scanner {
 public:
  Scanner(ScanMode mode, int interval_ms);

  ScanMode mode() const { return mode_; }
  int interval_ms() const { return interval_ms_; }
  void set_interval(int interval_ms) { interval_ms_ = interval_ms; }

  // Builds the groups afresh and highlights the first: at start, after each pick, and when what
  // the window shows changes (a delivery ending, the picker appearing). `now` starts the
  // interval over.
  void set_scene(const ScanScene& scene, int64_t now);
  const std::vector<ScanItem>& groups() const { return top_; }

  // The step switch (two switches): the highlight moves on.
  void step(int64_t now);
  // The pick switch: a group is entered, 戻る leaves the group, a target is returned for the
  // caller to work (then set_scene). A press while paused only resumes the scan.
  std::optional<Target> pick(int64_t now);
  // One switch: the highlight moves when an interval has passed since it came; returns whether
  // it moved.
  bool tick(int64_t now);

  bool paused() const { return paused_; }
  // The group being scanned (empty at the top) and the highlighted entry in it.
  const ScanItem& highlighted() const;
  // The highlighted group's entries when a group is entered; the groups otherwise.
  const std::vector<ScanItem>& level() const;
  bool inside_group() const { return path_.size() > 1; }
  // What a screen reader hears: "グループ A K H", "キー K", "戻る", "走査を休止中".
  std::string spoken() const;

 private:
  void move_on(bool by_user);
  void reset(int64_t now);

  ScanMode mode_;
  int interval_ms_;
  std::vector<ScanItem> top_;
  std::vector<std::size_t> path_{0};  // the entry highlighted at each level
  int64_t moved_at_ = 0;
  int idle_rounds_ = 0;
  bool paused_ = false;
};

}  // namespace lumeta
