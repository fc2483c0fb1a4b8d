// Typing a text into the window that has the X input focus, through the XTest extension, as a
// keyboard would: no clipboard and no selection is touched.
//
// A character on the keyboard's map (a, 1, space, the line break as Return, A with Shift) is
// typed with its own key. Any other character (あ, 漢, Ａ, 「) is typed with a spare key code
// mapped to its Unicode keysym, 0x01000000 + code point, for the time being: a code the map
// leaves empty, or one borrowed from a key the text does not use (q when the text has no q or
// Q, F20). A batch of distinct characters is mapped at once with a single mapping change (one
// XKB request), typed, and then the next batch is mapped. restore() gives every code back its
// own keysyms; lendable() tells beforehand what they are, for a record that outlives a crash
// (borrowed_keys.h), and put_back() gives them back from such a record. Xlib only, no Qt.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstddef>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "borrowed_keys.h"

namespace lumeta {

// The keysym a character is typed with: U+000A (line break) is Return, 'a' is XK_a (0x61), あ
// U+3042 is 0x01003042.
KeySym keysym_for(char32_t c);

class XTyper {
 public:
  // Types `text` on `display`, which must offer XTest (has_xtest).
  XTyper(Display* display, std::u32string text);
  ~XTyper();  // restores the mapping
  XTyper(const XTyper&) = delete;
  XTyper& operator=(const XTyper&) = delete;

  static bool has_xtest(Display* display);

  std::size_t typed() const { return next_; }
  std::size_t size() const { return text_.size(); }
  bool done() const { return next_ == text_.size(); }
  // How many key codes the keyboard map leaves empty, and how many the text may use in all:
  // those and the keys it borrows for the time being, such as q and F20 when the text needs
  // neither (none: only characters on the map can be typed, and ready() stays false before
  // any other).
  std::size_t empty_codes() const { return spare_count_; }
  std::size_t spare_codes() const { return spare_.size(); }

  // Whether the next character can be typed with the mapping as it stands.
  bool ready() const;
  // Maps the spare key codes to the characters coming next that need one, as many distinct
  // ones as there are spare codes, in one mapping change per run of adjacent codes. Call it
  // when !ready(), once the target has taken in what was typed with the previous mapping
  // (a client reads the new map when it next looks a key up).
  void map_next();
  // Types at most `most` characters from where it stands, as far as the current mapping
  // reaches, and sends them off; returns how many.
  std::size_t type(std::size_t most);
  // Puts the spare key codes back as they were. Nothing more is typed after it.
  void restore();

  // Every code the text may borrow, as it is before any is: what restore() would give back,
  // had every one been used.
  std::vector<SavedKey> lendable() const;
  // Gives the keys of `keys` back their keysyms, in one mapping change.
  static void put_back(Display* display, const std::vector<SavedKey>& keys);
  // Whether `code` holds a character of the text now, and what it held before: the keysym
  // without Shift (`shift` false) or with it. Example: with q lent out for 漢,
  // lent(24) is true and original_keysym(24, false) is XK_q.
  bool lent(KeyCode code) const { return used_.contains(code); }
  bool lending() const { return !used_.empty(); }
  KeySym original_keysym(KeyCode code, bool shift) const;

 private:
  // A key to press, with Shift held or not.
  struct Stroke {
    KeyCode code;
    bool shift;
  };
  void choose_codes();
  bool typable(KeySym keysym) const;
  std::vector<SavedKey> saved(const std::set<KeyCode>& codes) const;
  Stroke stroke_of(KeySym keysym) const;

  Display* display_;
  std::u32string text_;
  std::size_t next_ = 0;
  int min_code_ = 0;
  int per_code_ = 0;              // keysyms per key code in the original map
  std::vector<KeySym> original_;  // the original map from min_code_
  // The key codes characters off the map are typed with, the empty ones first, then the ones
  // borrowed (restore() gives them their keysyms back).
  std::vector<KeyCode> spare_;
  std::size_t spare_count_ = 0;                // of them with no keysym at all
  std::unordered_map<KeySym, Stroke> on_map_;  // keysyms at the first two levels of a key
  std::unordered_map<KeySym, Stroke> mapped_;  // spare codes as mapped now
  KeyCode shift_code_ = 0;                     // the left Shift key, when the map has one
  std::set<KeyCode> used_;                     // spare codes mapped since the last restore
  int turn_ = 0;                               // which half of the spare codes the next batch takes
  XkbDescPtr working_ = nullptr;       // the keyboard's XKB symbols as the batches change them
  XkbDescPtr original_xkb_ = nullptr;  // and as they were
};

}  // namespace lumeta
