// The input engine: one state record and every key operation that edits the text.
//
// The engine keeps all text in Shift-JIS (CP932) and counts it in bytes: a full-width character
// and the line break CR LF take two positions each. It reaches the screen only through View.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>
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

// Where ↓ finds a reading's candidates: fills out[1..] and returns how many. The conversion
// layer's settings (which dictionaries) answer; with none set, the built-in table alone.
class CandidateSource {
 public:
  virtual ~CandidateSource() = default;
  // かい → out[1] 回, out[2] 階, … and the count.
  virtual int candidates(std::string_view reading, std::span<std::string> out) const = 0;
};

class Engine : protected EngineState {
 public:
  explicit Engine(View& view);

  // The state record, read-only: the other layers change it through the operations below.
  const EngineState& state() const { return *this; }

  // ---- Shared operations -----------------------------------------------------------------
  void initialise();
  void reset_tap_counts();
  // The start of a key's press: `key` becomes key_number and counts one more tap in a row;
  // the first tap on it resets every other key's count.
  void count_tap(int key);
  int composition_length() const;
  bool is_caps() const { return capitals; }
  void update_caret_position();
  // Confirms whatever is pending exactly as it is shown (confirm_pending) and redraws it in the
  // mode's way: what a mode change, a click in the text and delete-all confirm. After か い ↓:
  // 回 stays as confirmed text.
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

  // Replaces the whole text by confirmed text with the caret between `before_caret` and
  // `after_caret`, shown plain; nothing may be pending. Loads a text: ("あいう", "") puts the
  // caret at the end.
  void load_text(std::string before_caret, std::string_view after_caret);

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
  void letter_key(int key);  // a_key .. w_key by key number, key::A .. key::W

  void type_vowel(std::string_view vowel);
  void type_consonant(std::string_view letter);
  void commit_pending_vowel();
  // A tap on letter key `key` in an alphabet mode: repeated taps replace the pending character
  // in place (K K gives Ｇ); the first tap on another key confirms it.
  void type_alphabet(int key);
  // Types `text` at the insertion point as confirmed text, shown plain: a half-width digit,
  // the space of ↓ at the end of the text, a picked symbol.
  void type_confirmed(std::string_view text);
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
  // ↑ and ↓ when no reading is pending: the caret to the line above or below, kept in
  // goal_column. ↓ on the last line goes to the end and starts a new line ("　" in full-width
  // alphabet mode).
  void caret_up();
  void caret_down();
  void make_caret_insertion_point();

  // ---- Key faces -------------------------------------------------------------------------
  void paint_letter_face(int key, InputMode mode, bool caps_flag);
  void paint_letter_faces(InputMode mode, bool caps_flag);
  // Paints the centre key (key::centre) or the case key (key::caps) with `caption`.
  void paint_centre_or_case_face(int number, KeyCaption caption, bool highlight);
  void set_indicators(InputMode mode);

  // ---- Conversion ------------------------------------------------------------------------
  // The first steps of a conversion: a cycled vowel and a lone Ｎ join the reading, and the
  // part behind the cursor joins kana_text when no romaji stands between. Returns the reading
  // to look up: か い ← gives "かい".
  std::string settle_reading();
  // Fills candidate[1..] through `lookup`, which returns how many it wrote:
  // lookup(std::span<std::string> slots) -> int.
  template <typename Lookup>
  void set_candidates(Lookup&& lookup) {
    candidate_count = lookup(std::span<std::string>(candidate));
  }
  // ↓ on a looked-up reading: the next candidate (after the last, the reading again); without
  // candidates the katakana form stays or the reading stays as it now stands.
  void show_next_candidate();
  // Candidate `index` (1..candidate_count) of the looked-up reading goes on display, as if ↓
  // had reached it.
  void pick_candidate(int index);
  // The pending reading gives way to `reading` converted to `spelling`, its one candidate, on
  // display as if ↓ had reached it: がぞ with 画像 read がぞう picked from the predictions.
  void show_spelling_of(std::string_view reading, std::string_view spelling);
  // index 0 shows the reading again in hiragana; 1..candidate_count shows that candidate.
  void show_conversion(int index);
  // Shows the reading in katakana; the reading itself stays as it is.
  void show_katakana();
  // ↑ on a pending reading: its katakana form on odd taps, the reading back in hiragana on
  // even ones (the caret where it stood in the reading), which ends the count of ↓ presses:
  // the next ↓ shows the first candidate.
  void toggle_katakana();
  // ↓ in full-width number mode with digits pending: １２ shows as 12 on odd taps, as １２ again
  // on even ones.
  void toggle_half_width_digits();
  // ↓ and ↑ in symbol mode: 全角記号 → 半角記号 → 絵文字 → 全角記号, and back; the dialog's
  // highlight follows.
  void next_symbol_page();
  void previous_symbol_page();
  // Symbol page `page` on display, the dialog's highlight with it: 絵文字 clicked.
  void turn_to_symbol_page(SymbolPage page);

  // ---- Pending text ----------------------------------------------------------------------
  std::string reading() const;  // kana_text + romaji_text + kana_after_caret
  // A reading the caret keys act on: the full-width number marker is not one.
  bool reading_pending() const;
  // Something unconfirmed is in front_text: a reading, a candidate, pending digits or letters.
  bool pending() const { return front_fixed != front_text; }
  // What confirming does with the count of ↓ presses (candidate_index): confirm_shown (a mode
  // change, a click in the text, delete-all) and the centre key end it; the confirmations made
  // on the way (a caret key's release, the space of → and of ↓ at the end of the text) keep it
  // for the reading it counts (counted_reading): か い and eleven ↓, then クリア twice, leaves
  // it at 11 until a ↓ on another reading starts that one's count again.
  enum class DownPresses : uint8_t { end, keep };
  // Ends whatever is pending without touching the text: the reading (kana_text, romaji_text,
  // kana_after_caret), its conversion (no candidate or katakana form on display), the
  // full-width digits, their half-width form and the number marker.
  void clear_pending(DownPresses presses = DownPresses::end);
  // Confirms what is pending as it stands in front_text, then clear_pending(). Nothing is
  // redrawn. After か い ↓: front_fixed becomes "回", the reading empty.
  void confirm_pending(DownPresses presses = DownPresses::end);
  // With nothing pending in romaji mode: `text` goes in at the caret, confirmed, and the text is
  // shown plain with the caret after it (画像 then を offered after it: 画像を).
  void insert_confirmed(std::string_view text);
  // Confirms what is pending, if anything, and shows the text plain.
  void confirm_pending_shown();
  // With nothing pending, `text` is typed first; then everything is confirmed. The centre key
  // appends its line break "\r\n" this way: after か it only confirms か.
  void append_if_nothing_pending_then_confirm(std::string_view text,
                                              DownPresses presses = DownPresses::end);
  // Takes a kanji candidate or katakana form off display, back to the reading in hiragana.
  void cancel_conversion();
  // The reading, in hiragana, takes the place of a candidate or the katakana form in
  // front_text: the romaji joins kana_text and no conversion is on display any more. With
  // `whole` the part behind the cursor joins kana_text too, so the caret goes to the end of the
  // reading; otherwise it stays where it stood in the reading. Nothing is redrawn.
  void take_conversion_off(bool whole);
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

  const DisplayText& display() const { return display_; }
  // Who hears of confirmed choices; none by default.
  void set_choice_listener(ChoiceListener* listener) { choice_listener_ = listener; }
  // Who answers candidate lookups; none by default.
  void set_candidate_source(const CandidateSource* source) { candidate_source_ = source; }
  const CandidateSource* candidate_source() const { return candidate_source_; }

 private:
  View& view;
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
  const CandidateSource* candidate_source_ = nullptr;
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
