#include "x11_typer.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <unordered_set>

namespace lumeta {

KeySym keysym_for(char32_t c) {
  if (c == U'\n') return XK_Return;
  if (c == U'\t') return XK_Tab;
  // Latin-1's printable characters are their own keysyms.
  if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF)) return c;
  return 0x01000000 + c;
}

bool XTyper::has_xtest(Display* display) {
  int event_base, error_base, major, minor;
  return XTestQueryExtension(display, &event_base, &error_base, &major, &minor);
}

XTyper::XTyper(Display* display, std::u32string text) : display_(display), text_(std::move(text)) {
  int max_code = 0;
  XDisplayKeycodes(display_, &min_code_, &max_code);
  const int count = max_code - min_code_ + 1;
  KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(min_code_), count, &per_code_);
  if (!map) return;
  original_.assign(map, map + static_cast<std::size_t>(count) * per_code_);
  XFree(map);
  // A keysym on the map is typed with the first key that has it without Shift, else with Shift.
  for (int level : {0, 1}) {
    for (int i = 0; level < per_code_ && i < count; ++i) {
      const KeySym keysym = original_[static_cast<std::size_t>(i) * per_code_ + level];
      if (keysym != NoSymbol)
        on_map_.emplace(keysym, Stroke{static_cast<KeyCode>(min_code_ + i), level == 1});
    }
  }
  if (const auto shift = on_map_.find(XK_Shift_L); shift != on_map_.end() && !shift->second.shift) {
    shift_code_ = shift->second.code;
  }
  // Through XKB a batch takes one request however scattered the spare codes are: every client
  // (the window manager too) reloads its key bindings once for it, not once per code.
  int opcode, event_base, error_base, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (XkbQueryExtension(display_, &opcode, &event_base, &error_base, &major, &minor)) {
    working_ = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    original_xkb_ =
        XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask, XkbUseCoreKbd);
  }
  choose_codes();
}

namespace {

// The keys a text may borrow, best first, by what they hold at every level. A key holding
// nothing is free; a key of characters only (q Q, 7 &, ; :) is next, as no program binds one
// without a modifier, so a press reaches the focus; then F13–F35, which few keyboards have.
// Media keys, Print and the like stay: a volume or screenshot tool may own their presses.
// Example: q (XK_q, XK_Q) is of rank 1, F20 of rank 2, Return or XF86AudioMute of none (-1).
struct BorrowRank {
  KeySym first;
  KeySym last;
  int rank;
};
constexpr BorrowRank kBorrowRanks[] = {
    {NoSymbol, NoSymbol, 0},
    {0x20, 0x7E, 1},  // ASCII's printable characters
    {0xA0, 0xFF, 1},  // Latin-1's
    {XK_F13, XK_F35, 2},
};

int borrow_rank(const KeySym* entry, int levels) {
  int worst = 0;
  for (int level = 0; level < levels; ++level) {
    int rank = -1;
    for (const BorrowRank& row : kBorrowRanks) {
      if (entry[level] >= row.first && entry[level] <= row.last) rank = row.rank;
    }
    if (rank < 0) return -1;
    worst = std::max(worst, rank);
  }
  return worst;
}

}  // namespace

void XTyper::choose_codes() {
  // Kept: the keys the text is typed with (and Shift), modifiers, keys held down now and keys
  // with an action (a level switch, a terminal switch).
  std::set<KeyCode> kept;
  for (const char32_t c : text_) {
    if (const auto own = on_map_.find(keysym_for(c)); own != on_map_.end())
      kept.insert(own->second.code);
  }
  if (shift_code_) kept.insert(shift_code_);
  if (XModifierKeymap* modifiers = XGetModifierMapping(display_)) {
    for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
      if (modifiers->modifiermap[i]) kept.insert(modifiers->modifiermap[i]);
    }
    XFreeModifiermap(modifiers);
  }
  char held[32] = {};
  XQueryKeymap(display_, held);
  for (int code = 0; code < 256; ++code) {
    if (held[code / 8] & (1 << (code % 8))) kept.insert(static_cast<KeyCode>(code));
  }
  std::vector<std::pair<int, KeyCode>> ranked;
  const int count = static_cast<int>(original_.size()) / std::max(per_code_, 1);
  for (int i = 0; i < count; ++i) {
    const auto code = static_cast<KeyCode>(min_code_ + i);
    const int rank = borrow_rank(&original_[static_cast<std::size_t>(i) * per_code_], per_code_);
    if (rank < 0 || kept.contains(code)) continue;
    if (rank > 0 && original_xkb_ && original_xkb_->server &&
        XkbKeyHasActions(original_xkb_, code)) {
      continue;
    }
    if (rank == 0) ++spare_count_;
    ranked.emplace_back(rank, code);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [rank, code] : ranked)
    spare_.push_back(code);
}

XTyper::~XTyper() {
  restore();
  if (working_) XkbFreeKeyboard(working_, XkbAllComponentsMask, True);
  if (original_xkb_) XkbFreeKeyboard(original_xkb_, XkbAllComponentsMask, True);
}

bool XTyper::typable(KeySym keysym) const {
  return on_map_.contains(keysym) || mapped_.contains(keysym);
}

XTyper::Stroke XTyper::stroke_of(KeySym keysym) const {
  const auto own = on_map_.find(keysym);
  return own != on_map_.end() ? own->second : mapped_.at(keysym);
}

bool XTyper::ready() const {
  return !done() && typable(keysym_for(text_[next_]));
}

void XTyper::map_next() {
  // Batches take the spare codes in turns, odd ones and even ones, so a code is mapped anew only
  // after a whole other batch was typed: a target still busy with the last keys of one batch
  // reads them right.
  std::vector<KeyCode> codes;
  for (std::size_t i = spare_.size() >= 2 ? turn_ : 0; i < spare_.size();
       i += spare_.size() >= 2 ? 2 : 1) {
    codes.push_back(spare_[i]);
  }
  turn_ ^= 1;
  // The batch: the distinct keysyms without a key of their own, from the next character on,
  // until the codes are all taken.
  std::vector<KeySym> batch;
  std::unordered_set<KeySym> in_batch;
  for (std::size_t i = next_; i < text_.size() && batch.size() < codes.size(); ++i) {
    const KeySym keysym = keysym_for(text_[i]);
    if (on_map_.contains(keysym) || !in_batch.insert(keysym).second) continue;
    batch.push_back(keysym);
  }
  mapped_.clear();
  if (batch.empty()) return;
  codes.resize(batch.size());
  for (std::size_t i = 0; i < batch.size(); ++i)
    mapped_.emplace(batch[i], Stroke{codes[i], false});
  used_.insert(codes.begin(), codes.end());
  if (working_) {
    for (std::size_t i = 0; i < batch.size(); ++i) {
      // Room for the keysym first, sized from what the key holds now; then its one level.
      KeySym* sym = XkbResizeKeySyms(working_, codes[i], 1);
      XkbSymMapRec& key = working_->map->key_sym_map[codes[i]];
      key.kt_index[0] = XkbOneLevelIndex;
      key.group_info = XkbSetNumGroups(0, 1);
      key.width = 1;
      *sym = batch[i];
    }
    const auto [lowest, highest] = std::minmax_element(codes.begin(), codes.end());
    XkbMapChangesRec changes{};
    changes.changed = XkbKeySymsMask;
    changes.first_key_sym = *lowest;
    changes.num_key_syms = static_cast<unsigned char>(*highest - *lowest + 1);
    XkbChangeMap(display_, working_, &changes);
  } else {
    for (std::size_t i = 0; i < batch.size(); ++i) {
      KeySym entry[2] = {batch[i], batch[i]};  // the same with and without Shift
      XChangeKeyboardMapping(display_, codes[i], 2, entry, 1);
    }
  }
  XSync(display_, False);
}

std::size_t XTyper::type(std::size_t most) {
  std::size_t count = 0;
  while (count < most && ready()) {
    const Stroke stroke = stroke_of(keysym_for(text_[next_]));
    if (stroke.shift && shift_code_) XTestFakeKeyEvent(display_, shift_code_, True, CurrentTime);
    XTestFakeKeyEvent(display_, stroke.code, True, CurrentTime);
    XTestFakeKeyEvent(display_, stroke.code, False, CurrentTime);
    if (stroke.shift && shift_code_) XTestFakeKeyEvent(display_, shift_code_, False, CurrentTime);
    ++next_;
    ++count;
  }
  XSync(display_, False);
  return count;
}

void XTyper::restore() {
  next_ = text_.size();
  mapped_.clear();
  if (used_.empty()) return;
  put_back(display_, saved(used_));
  used_.clear();
}

std::vector<SavedKey> XTyper::lendable() const {
  return saved(std::set<KeyCode>(spare_.begin(), spare_.end()));
}

std::vector<SavedKey> XTyper::saved(const std::set<KeyCode>& codes) const {
  std::vector<SavedKey> keys;
  for (const KeyCode code : codes) {
    SavedKey key;
    key.code = code;
    if (original_xkb_ && original_xkb_->map) {
      const XkbSymMapRec& map = original_xkb_->map->key_sym_map[code];
      key.group_info = map.group_info;
      for (int group = 0; group < XkbNumKbdGroups; ++group)
        key.types[static_cast<std::size_t>(group)] = map.kt_index[group];
      key.width = map.width;
      const KeySym* syms = XkbKeySymsPtr(original_xkb_, code);
      key.syms.assign(syms, syms + XkbKeyNumSyms(original_xkb_, code));
    } else {
      key.xkb = false;
      const std::size_t offset = static_cast<std::size_t>(code - min_code_) * per_code_;
      key.syms.assign(original_.begin() + static_cast<std::ptrdiff_t>(offset),
                      original_.begin() + static_cast<std::ptrdiff_t>(offset + per_code_));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

void XTyper::put_back(Display* display, const std::vector<SavedKey>& keys) {
  if (keys.empty()) return;
  XkbDescPtr xkb = nullptr;
  if (keys.front().xkb) {
    int opcode, event_base, error_base, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &event_base, &error_base, &major, &minor))
      xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
  }
  if (xkb) {
    unsigned lowest = 255, highest = 0;
    for (const SavedKey& key : keys) {
      if (!key.xkb || key.code < xkb->min_key_code || key.code > xkb->max_key_code) continue;
      const auto code = static_cast<KeyCode>(key.code);
      KeySym* syms = XkbResizeKeySyms(xkb, code, static_cast<int>(key.syms.size()));
      if (!syms && !key.syms.empty()) continue;
      XkbSymMapRec& map = xkb->map->key_sym_map[code];
      for (int group = 0; group < XkbNumKbdGroups; ++group)
        map.kt_index[group] =
            static_cast<unsigned char>(key.types[static_cast<std::size_t>(group)]);
      map.group_info = static_cast<unsigned char>(key.group_info);
      map.width = static_cast<unsigned char>(key.width);
      std::copy(key.syms.begin(), key.syms.end(), syms);
      lowest = std::min(lowest, key.code);
      highest = std::max(highest, key.code);
    }
    if (lowest <= highest) {
      XkbMapChangesRec changes{};
      changes.changed = XkbKeySymsMask;
      changes.first_key_sym = static_cast<KeyCode>(lowest);
      changes.num_key_syms = static_cast<unsigned char>(highest - lowest + 1);
      XkbChangeMap(display, xkb, &changes);
    }
    XkbFreeKeyboard(xkb, XkbAllComponentsMask, True);
  } else {
    for (const SavedKey& key : keys) {
      if (key.xkb || key.syms.empty()) continue;
      std::vector<KeySym> syms(key.syms.begin(), key.syms.end());
      XChangeKeyboardMapping(display, static_cast<int>(key.code), static_cast<int>(syms.size()),
                             syms.data(), 1);
    }
  }
  XSync(display, False);
}

KeySym XTyper::original_keysym(KeyCode code, bool shift) const {
  const int level = shift && per_code_ > 1 ? 1 : 0;
  if (code < min_code_ || per_code_ == 0) return NoSymbol;
  const std::size_t at = static_cast<std::size_t>(code - min_code_) * per_code_ + level;
  return at < original_.size() ? original_[at] : NoSymbol;
}

}  // namespace lumeta
