#include "scanner.h"

#include <array>

#include "candidate_strip_layout.h"
#include "sjis.h"
#include "symbols.h"

namespace lumeta {
namespace {

constexpr int kIdleRoundsBeforePause = 2;
constexpr int kPickerColumns = 10;

// The control block in reading order, row by row: モード ↑ / ← 決定 → / ↓ / 数字／小文字 クリア.
constexpr std::array kControlBlock = {key::mode,  key::up,   key::left, key::centre,
                                      key::right, key::down, key::caps, key::clear};

struct ModeName {
  ScanMode mode;
  std::string_view name;
};
constexpr std::array<ModeName, 3> kModeNames = {{
    {ScanMode::off, "off"},
    {ScanMode::one_switch, "one-switch"},
    {ScanMode::two_switch, "two-switch"},
}};

ScanItem leaf(const Target& target) {
  return {target.name, target, {}};
}

// A group of targets, 戻る last: the group A K H holds キー A, キー K, キー H, 戻る.
ScanItem group(std::string name, const std::vector<Target>& targets) {
  ScanItem item{std::move(name), std::nullopt, {}};
  for (const Target& target : targets)
    item.items.push_back(leaf(target));
  item.items.push_back({"戻る", std::nullopt, {}});
  return item;
}

// The letter keys' five rows: A K H, I S M, U T Y, E N R, O Z W.
std::vector<ScanItem> keypad_rows() {
  std::vector<ScanItem> rows;
  for (int first = key::first_letter; first <= key::last_letter; first += 3) {
    std::vector<Target> targets;
    std::string name;
    for (int n = first; n < first + 3; ++n) {
      targets.push_back(key_target(n));
      if (!name.empty()) name += ' ';
      name += find_key(n)->token;
    }
    rows.push_back(group(name, targets));
  }
  return rows;
}

std::vector<Target> control_block() {
  std::vector<Target> targets;
  for (const int n : kControlBlock)
    targets.push_back(key_target(n));
  return targets;
}

std::vector<Target> window_keys() {
  std::vector<Target> targets;
  for (const KeyInfo& key : key_list()) {
    if (key.kind == KeyKind::window) targets.push_back(key_target(key.number));
  }
  return targets;
}

}  // namespace

ScanScene scene_of(const CandidateStrip& strip, int strip_page,
                   std::optional<SymbolPage> picker_page) {
  ScanScene scene;
  const auto pages = lay_out_strip(strip);
  if (strip.active && strip_page >= 0 && strip_page < static_cast<int>(pages.size())) {
    for (const StripItem& item : pages[strip_page]) {
      const TargetKind kind = item.prediction ? TargetKind::prediction
                              : strip.offers  ? TargetKind::offer
                                              : TargetKind::candidate;
      const std::string label = strip_label(strip, item.prediction, item.index);
      scene.strip.push_back({kind, item.index, sjis::to_utf8(label).value_or(""), {}});
    }
    if (pages.size() > 1) {
      scene.strip.push_back({TargetKind::strip_page, -1, "前のページ", {}});
      scene.strip.push_back({TargetKind::strip_page, 1, "次のページ", {}});
    }
  }
  scene.strip_offers = strip.offers;
  if (picker_page) {
    const auto entries = symbol_page_entries(*picker_page);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (i % kPickerColumns == 0) scene.picker_rows.emplace_back();
      scene.picker_rows.back().push_back(
          {TargetKind::symbol, static_cast<int>(i), sjis::to_utf8(entries[i]).value_or(""), {}});
    }
  }
  return scene;
}

std::optional<ScanMode> parse_scan_mode(std::string_view text) {
  for (const ModeName& m : kModeNames) {
    if (m.name == text) return m.mode;
  }
  return std::nullopt;
}

std::string_view scan_mode_name(ScanMode mode) {
  for (const ModeName& m : kModeNames) {
    if (m.mode == mode) return m.name;
  }
  return "off";
}

Scanner::Scanner(ScanMode mode, int interval_ms) : mode_(mode), interval_ms_(interval_ms) {
  set_scene({}, 0);
}

void Scanner::set_scene(const ScanScene& scene, int64_t now) {
  top_.clear();
  if (!scene.panel.empty()) {
    // The panel's items stand alone: one pick works each.
    for (const Target& target : scene.panel)
      top_.push_back(leaf(target));
  } else {
    if (!scene.picker_rows.empty()) {
      ScanItem picker{"記号", std::nullopt, {}};
      if (!scene.picker_pages.empty()) picker.items.push_back(group("ページ", scene.picker_pages));
      for (std::size_t r = 0; r < scene.picker_rows.size(); ++r) {
        picker.items.push_back(
            group("記号の" + std::to_string(r + 1) + "行目", scene.picker_rows[r]));
      }
      picker.items.push_back({"戻る", std::nullopt, {}});
      top_.push_back(std::move(picker));
    }
    const bool strip_first = scene.strip_offers && !scene.strip.empty();
    if (strip_first) top_.push_back(group("候補", scene.strip));
    for (ScanItem& row : keypad_rows())
      top_.push_back(std::move(row));
    if (!strip_first && !scene.strip.empty()) top_.push_back(group("候補", scene.strip));
    top_.push_back(group("操作キー", control_block()));
    top_.push_back(group("ウィンドウのキー", window_keys()));
  }
  reset(now);
}

void Scanner::reset(int64_t now) {
  path_.assign(1, 0);
  moved_at_ = now;
  idle_rounds_ = 0;
}

const std::vector<ScanItem>& Scanner::level() const {
  const std::vector<ScanItem>* items = &top_;
  for (std::size_t depth = 0; depth + 1 < path_.size(); ++depth)
    items = &(*items)[path_[depth]].items;
  return *items;
}

const ScanItem& Scanner::highlighted() const {
  return level()[path_.back()];
}

void Scanner::move_on(bool by_user) {
  if (by_user) idle_rounds_ = 0;
  if (++path_.back() < level().size()) return;
  if (inside_group()) {
    // Past 戻る: the group is left, and the highlight stands on it again.
    path_.pop_back();
    return;
  }
  path_.back() = 0;
  if (by_user || mode_ != ScanMode::one_switch) return;
  if (++idle_rounds_ >= kIdleRoundsBeforePause) paused_ = true;
}

void Scanner::step(int64_t now) {
  if (paused_) return;
  move_on(true);
  moved_at_ = now;
}

std::optional<Target> Scanner::pick(int64_t now) {
  moved_at_ = now;
  idle_rounds_ = 0;
  if (paused_) {
    paused_ = false;
    path_.assign(1, 0);
    return std::nullopt;
  }
  const ScanItem& item = highlighted();
  if (item.target) {
    const Target picked = *item.target;
    path_.assign(1, 0);
    return picked;
  }
  if (item.items.empty()) {
    path_.pop_back();  // 戻る
  } else {
    path_.push_back(0);
  }
  return std::nullopt;
}

bool Scanner::tick(int64_t now) {
  if (mode_ != ScanMode::one_switch || paused_ || now - moved_at_ < interval_ms_) return false;
  move_on(false);
  // The rhythm holds when a tick comes late; after a long stall it starts again from now.
  moved_at_ = now - moved_at_ < 2 * interval_ms_ ? moved_at_ + interval_ms_ : now;
  return true;
}

std::string Scanner::spoken() const {
  if (paused_) return "走査を休止中";
  const ScanItem& item = highlighted();
  if (!item.target && !item.items.empty()) return "グループ " + item.name;
  return item.name;
}

}  // namespace lumeta
