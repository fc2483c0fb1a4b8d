#include "engine.h"

#include <string>

#include "sjis.h"
#include "text_helpers.h"

namespace lumeta {

Engine::Engine(View& view) : view(view) {
  front_fixed.bind(display_);
  front_text.bind(display_);
  back_text.bind(display_);
}

void Engine::initialise() {
  symbol_page = 1;
  reset_tap_counts();
  front_text.clear();
  back_text.clear();
  front_fixed.clear();
  caret_column = 0;
  caret_line = 0;
  goal_column = -1;
  publish_text();
  segments_.clear();
  view.set_segments(segments_);
  caps = 1;
  kanji_converting = 0;
  katakana_shown = 0;
  number_converting = 0;
  input_mode = InputMode::romaji;
  set_indicators(InputMode::romaji);
  clear_reading();
  paint_letter_faces(InputMode::romaji, true);
  paint_centre_or_case_face(key::centre, KeyCaption::confirm, false);
  paint_centre_or_case_face(key::caps, KeyCaption::case_words, false);
  saved_mode = InputMode::romaji;
  key_number = 0;
  candidate_count = 0;
  candidate_index = 0;
  zenkaku_digits.clear();
  number_conversion.clear();
}

void Engine::reset_tap_counts() {
  tap_count.fill(0);
}

void Engine::count_tap(int key) {
  key_number = key;
  if (tap_count[key] == 0) reset_tap_counts();
  ++tap_count[key];
}

int Engine::composition_length() const {
  return static_cast<int>(kana_text.size() + romaji_text.size() + kana_after_caret.size());
}

std::string Engine::reading() const {
  std::string r;
  r.reserve(static_cast<std::size_t>(composition_length()));
  return r.append(kana_text).append(romaji_text).append(kana_after_caret);
}

bool Engine::reading_pending() const {
  return input_mode != InputMode::full_number && composition_length() > 0;
}

void Engine::publish_text() {
  const TextChange change = display_.take_change(inserted_);
  view.edit_text(change, inserted_);
}

void Engine::show(std::string_view front, std::span<const Segment> segments, int caret) {
  if (front.size() != front_text.size() ||
      (!front.empty() && front.data() != front_text.view().data())) {
    front_text = front;
  }
  publish_text();
  segments_.clear();
  for (const Segment& s : segments) {
    if (s.end > s.start) segments_.push_back(s);
  }
  view.set_segments(segments_);
  view.set_caret(caret);
  view.set_focus();
}

void Engine::finish_refresh() {
  update_caret_position();
  goal_column = caret_column;
}

void Engine::show_romaji_mode() {
  const int a = static_cast<int>(front_fixed.size());
  const int k = static_cast<int>(kana_text.size());
  const int r = static_cast<int>(romaji_text.size());
  const int t = static_cast<int>(kana_after_caret.size());
  const Segment segments[] = {
      {a, a + k, Colour::kana, Style::underline},
      {a + k, a + k + r, Colour::romaji, Style::underline},
      {a + k + r, a + k + r + t, Colour::kana, Style::underline},
  };
  show(front_text, segments, a + k + r);
  finish_refresh();
}

void Engine::show_alphabet_mode() {
  const int a = static_cast<int>(front_fixed.size());
  const int f = static_cast<int>(front_text.size());
  const Segment segments[] = {{a, f, Colour::letter, Style::bold}};
  show(front_text, segments, f);
  finish_refresh();
}

void Engine::show_number_mode() {
  show(front_text, {}, static_cast<int>(front_text.size()));
  finish_refresh();
}

void Engine::show_full_number_mode() {
  const int a = static_cast<int>(front_fixed.size());
  const bool converted = !number_conversion.empty();
  const int length = static_cast<int>(converted ? number_conversion.size() : zenkaku_digits.size());
  const Segment segments[] = {
      {a, a + length, converted ? Colour::kanji : Colour::kana, Style::underline}};
  show(front_text, segments, a + length);
  finish_refresh();
}

void Engine::update_caret_position() {
  const int p = view.caret();
  caret_column = p - view.caret_line_start();
  caret_line = view.caret_line_number() + 1;
  view.set_position_label(std::to_string(caret_line) + "行 " + std::to_string(caret_column) + "列");
}

void Engine::confirm_shown() {
  switch (input_mode) {
    case InputMode::romaji:
      report_choice();
      front_fixed = front_text;
      clear_reading();
      show_romaji_mode();
      break;
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
      front_fixed = front_text;
      show_alphabet_mode();
      break;
    case InputMode::full_number:
      front_fixed = front_text;
      number_converting = 0;
      kana_text.clear();
      number_conversion.clear();
      zenkaku_digits.clear();
      show_full_number_mode();
      break;
    case InputMode::half_number:
    case InputMode::symbol:
      break;  // half-width numbers are confirmed at once; symbol mode holds nothing
  }
}

void Engine::delete_all() {
  if (!display_.text().empty()) erased_ = {std::string(display_.text()), true};
  reset_tap_counts();
  front_fixed.clear();
  front_text.clear();
  back_text.clear();
  // What was on display is erased, not chosen.
  kanji_converting = 0;
  katakana_shown = 0;
  confirm_shown();
  caret_column = 0;
  caret_line = 1;
  view.set_position_label("1行 0列");
  show("", {}, 0);
}

void Engine::erase_front(std::size_t bytes) {
  if (bytes >= display_.text().size()) {
    delete_all();
    return;
  }
  if (bytes == 0) return;
  if (composition_length() > 0 || front_fixed != front_text) confirm_shown();
  const std::string_view text = display_.text();
  erased_ = {std::string(text.substr(0, bytes)), true};
  std::string rest(text.substr(bytes));
  reset_tap_counts();
  clear_reading();
  zenkaku_digits.clear();
  number_conversion.clear();
  number_converting = 0;
  front_fixed = std::move(rest);
  front_text = front_fixed;
  back_text.clear();
  show(front_text, {}, static_cast<int>(front_text.size()));
  finish_refresh();
}

bool Engine::can_undo_delete_all() const {
  return erased_.kept || !offered_.empty();
}

void Engine::keep_for_undo(std::string text) {
  if (!text.empty()) offered_.push_back(std::move(text));
}

void Engine::undo_delete_all() {
  if (!can_undo_delete_all()) return;
  const std::string& back = erased_.kept ? erased_.text : offered_.front();
  if (sjis::count_chars(back) + display_.chars() > kMaxDisplayChars) {
    view.key_refused();
    return;
  }
  // What is pending joins the text as it is shown; the erased text goes in front of it all.
  if (composition_length() > 0 || front_fixed != front_text) confirm_shown();
  std::string text;
  if (erased_.kept) {
    text = std::move(erased_.text);
    erased_ = {};
  } else {
    text = std::move(offered_.front());
    offered_.pop_front();
  }
  text += display_.text();
  reset_tap_counts();
  clear_reading();
  zenkaku_digits.clear();
  number_conversion.clear();
  number_converting = 0;
  front_fixed = std::move(text);
  front_text = front_fixed;
  back_text.clear();
  show(front_text, {}, static_cast<int>(front_text.size()));
  finish_refresh();
}

void Engine::report_choice() {
  if (!choice_listener_ || input_mode != InputMode::romaji) return;
  const std::string typed = reading();
  if (katakana_shown) {
    choice_listener_->choice_confirmed(typed, text::hiragana_to_katakana(typed));
  } else if (kanji_converting) {
    const int shown = candidate_index % (candidate_count + 1);
    if (shown >= 1) choice_listener_->choice_confirmed(typed, candidate[shown]);
  }
}

void Engine::confirm_pending() {
  front_fixed = front_text;
  if (input_mode == InputMode::full_number) {
    zenkaku_digits.clear();
    number_conversion.clear();
    kana_text.clear();
    number_converting = 0;
  }
}

void Engine::confirm_pending_shown() {
  if (front_fixed == front_text) return;
  confirm_pending();
  show_alphabet_mode();
}

void Engine::cancel_conversion() {
  // The whole reading, the part behind the cursor included, stays unconfirmed as hiragana.
  take_conversion_off(true);
  candidate_index = 0;
}

void Engine::take_conversion_off(bool whole) {
  front_text = front_fixed + reading();
  kana_text += romaji_text;
  romaji_text.clear();
  if (whole) {
    kana_text += kana_after_caret;
    kana_after_caret.clear();
  }
  kanji_converting = 0;
  katakana_shown = 0;
}

void Engine::clear_reading() {
  kana_text.clear();
  romaji_text.clear();
  kana_after_caret.clear();
  kanji_converting = 0;
  katakana_shown = 0;
  candidate_index = 0;
}

void Engine::settle_lone_n() {
  if (!lone_n()) return;
  kana_text += "ん";
  romaji_text.clear();
}

void Engine::caret_back_one_char() {
  const int p = view.caret();
  if (p <= 0) return;
  // The caret stands in front_text as a rule; only there is the text read in place.
  const std::string_view text =
      static_cast<std::size_t>(p) <= display_.split() ? display_.front() : display_.text();
  view.set_caret(static_cast<int>(sjis::previous_boundary(text, p)));
}

void Engine::caret_forward_one_char() {
  const int p = view.caret();
  if (p < 0 || p >= static_cast<int>(display_.size())) return;
  // The character's end shows in its first two bytes.
  const std::size_t at = static_cast<std::size_t>(p);
  const char pair[2] = {display_[at], at + 1 < display_.size() ? display_[at + 1] : '\0'};
  const std::string_view local(pair, std::min<std::size_t>(2, display_.size() - at));
  view.set_caret(p + static_cast<int>(sjis::next_boundary(local, 0)));
}

void Engine::take_back(const Before& before) {
  display_.take_back();
  static_cast<EngineState&>(*this) = before.state;
  publish_text();
  segments_ = before.segments;
  view.set_segments(segments_);
  view.set_caret(before.caret);
  update_caret_position();
}

}  // namespace lumeta
