// The input engine: one state record and every key operation that edits the text.
//
// The engine keeps all text in Shift-JIS (CP932) and counts it in bytes: a full-width character
// and the line break CR LF take two positions each. It reaches the screen only through View.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "display_text.h"
#include "engine_state.h"
#include "view.h"

namespace lumeta {

inline constexpr std::size_t kMaxDisplayChars = 1'000'000;

// What letter key `key` types in `mode` with the case flag `caps`, in tap order.
std::vector<std::string_view> letter_key_characters(int key, InputMode mode, bool caps);

// The mark (1..4) of the key's face (letter_face) a press lights, from the key's tap count
// after the press; 0 for none. It names the character the multi-tap cycle has just reached.
int highlighted_mark(int key, InputMode mode, int taps);

// Told of every spelling the user confirms for a reading: a kanji candidate reached with ↓ or
// clicked in the strip, a prediction clicked, or the katakana form ↑ shows (かく, 描く).
class ChoiceListener {
 public:
  virtual ~ChoiceListener() = default;
  // Both Shift-JIS; the reading in hiragana as typed, the spelling as it joined the text.
  virtual void choice_confirmed(std::string_view reading, std::string_view spelling) = 0;
};

class Engine : public EngineState {
 public:
  explicit Engine(View& view);

  // ---- Shared operations -----------------------------------------------------------------
  void initialise();
  void reset_tap_counts();
  // The start of a key's press: `key` becomes key_number and counts one more tap in a row;
  // the first tap on it resets every other key's count.
  void count_tap(int key);
  int composition_length() const;
  bool is_caps() const { return caps != 0; }
  void update_caret_position();
  void confirm_shown();
  // The delete-all key: empties the text and ends whatever is pending.
  void delete_all();
  // Erases the first `bytes` bytes of the text (a character boundary) as delete-all erases the
  // whole: they are kept for undo_delete_all, which puts them back in front of what stays, and
  // the caret goes to the end. On あいう, erase_front(4) leaves う and 元に戻す gives あいう again;
  // the whole text or more is delete_all().
  void erase_front(std::size_t bytes);
  // Brings back the text the last delete-all erased, in front of whatever was typed since
  // (anything pending is confirmed first), with the caret at the end. It stays available
  // until the next delete-all of a non-empty text; one on the empty text keeps it.
  bool can_undo_delete_all() const;
  void undo_delete_all();
  // The text the last delete-all erased, which undo_delete_all brings back first (empty when
  // none).
  const std::string& kept_for_undo() const { return erased_.text; }
  // Texts offered from outside, such as the drafts kept from an earlier run: undo_delete_all
  // brings them back one after the other once the erased text (if any) is back. Offered
  // "あいう" then "かき": 元に戻す shows あいう, the next 元に戻す かきあいう. A delete-all
  // never drops them.
  void keep_for_undo(std::string text);
  const std::deque<std::string>& offered_for_undo() const { return offered_; }

  // Display refreshes: rebuild the whole display from the state.
  void show_romaji_mode();
  void show_alphabet_mode();
  void show_number_mode();
  void show_full_number_mode();
  // The end of every refresh: the caret's line, column and label, and goal_column.
  void finish_refresh();

  // Shows `front` + `back_text` with the given styled segments and puts the caret at `caret`;
  // `front` is front_text as a rule. The display receives only what changed.
  void show(std::string_view front, std::span<const Segment> segments, int caret);

  // ---- Letter keys -----------------------------------------------------------------------
  void a_key();
  void k_key();
  void h_key();
  void i_key();
  void s_key();
  void m_key();
  void u_key();
  void t_key();
  void y_key();
  void e_key();
  void n_key();
  void r_key();
  void o_key();
  void z_key();
  void w_key();
  void letter_key(int key);  // a_key .. w_key by key number 1..15

  void type_vowel(std::string_view vowel);
  void type_consonant(std::string_view letter);
  void commit_pending_vowel();
  void type_alphabet();
  void type_full_alphabet();
  void type_number(std::string_view text);
  void type_full_number(std::string_view digits);

  // ---- Modes -----------------------------------------------------------------------------
  void change_mode(InputMode mode);
  void mode_key();
  void case_key();
  void step_case_cycle();

  // ---- Editing keys ----------------------------------------------------------------------
  void clear_key();
  void centre_key();
  void left_key();
  void right_key();
  void make_caret_insertion_point();

  // ---- Key faces -------------------------------------------------------------------------
  void paint_letter_face(int key, InputMode mode, bool caps_flag);
  void paint_letter_faces(InputMode mode, bool caps_flag);
  // Paints the centre key (key::centre) or the case key (key::caps) with `caption`.
  void paint_centre_or_case_face(int number, KeyCaption caption, bool highlight);
  void set_indicators(InputMode mode);

  // ---- Helpers shared with conversion ----------------------------------------------------
  std::string reading() const;  // kana_text + romaji_text + kana_after_caret
  // A reading the caret keys act on: the full-width number marker is not one.
  bool reading_pending() const;
  // Confirms what is pending before the caret; in full-width number mode also drops the
  // digits, their half-width form and the marker.
  void confirm_pending();
  // Confirms what is pending, if anything, and shows the text plain.
  void confirm_pending_shown();
  // Takes a kanji candidate or katakana form off display, back to the reading in hiragana.
  void cancel_conversion();
  // The reading, in hiragana, takes the place of a candidate or the katakana form in
  // front_text: the romaji joins kana_text and no conversion is on display any more. With
  // `whole` the part behind the cursor joins kana_text too, so the caret goes to the end of the
  // reading; otherwise it stays where it stood in the reading. Nothing is redrawn.
  void take_conversion_off(bool whole);
  // Empties the reading (kana_text, romaji_text, kana_after_caret) and ends any conversion of
  // it: no candidate or katakana form on display, candidate_index back to 0.
  void clear_reading();
  // A lone Ｎ (or ｎ) as the whole romaji_text is the syllable ん once the reading is converted.
  bool lone_n() const { return romaji_text == "Ｎ" || romaji_text == "ｎ"; }
  void settle_lone_n();
  // Moves the display caret over one character; no change of text.
  void caret_back_one_char();
  void caret_forward_one_char();

  // Runs one key's operation; if it would grow the display past kMaxDisplayChars characters
  // the state and the display are put back as they were (the key's edits of the text are
  // undone, and the small fields of the record restored), and the view is told.
  template <typename Operation>
  void guarded(Operation&& operation);

  View& view;
  const DisplayText& display() const { return display_; }
  // Who hears of confirmed choices; none by default.
  void set_choice_listener(ChoiceListener* listener) { choice_listener_ = listener; }

 private:
  // What a key near the limit may have to be taken back to.
  struct Before {
    EngineState state;  // the small fields; the text itself is undone in display_
    std::vector<Segment> segments;
    int caret = 0;
  };
  void publish_text();
  void take_back(const Before& before);
  // Tells the listener of the candidate or katakana form on display, about to be confirmed.
  void report_choice();

  struct ErasedText {
    std::string text;
    bool kept = false;
  };

  DisplayText display_;
  ErasedText erased_;
  std::deque<std::string> offered_;
  std::string inserted_;  // the bytes of the last change handed to the display
  std::vector<Segment> segments_;
  Before before_;
  ChoiceListener* choice_listener_ = nullptr;
};

template <typename Operation>
void Engine::guarded(Operation&& operation) {
  // No single key adds more than a handful of characters, so far from the limit nothing
  // needs to be kept.
  constexpr std::size_t kMostAddedByOneKey = 64;
  if (display_.chars() + kMostAddedByOneKey <= kMaxDisplayChars) {
    operation();
    return;
  }
  before_.state = static_cast<const EngineState&>(*this);
  before_.segments = segments_;
  before_.caret = view.caret();
  const std::size_t chars_before = display_.chars();
  display_.begin_trial();
  operation();
  if (display_.chars() > kMaxDisplayChars && display_.chars() > chars_before) {
    take_back(before_);
    view.key_refused();
  }
  display_.end_trial();
}

}  // namespace lumeta
