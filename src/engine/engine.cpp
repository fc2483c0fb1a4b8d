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
  symbol_page = SymbolPage::full_width;
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
  capitals = true;
  input_mode = InputMode::romaji;
  set_indicators(InputMode::romaji);
  clear_pending();
  paint_letter_faces(InputMode::romaji, true);
  paint_centre_or_case_face(key::centre, KeyCaption::confirm, false);
  paint_centre_or_case_face(key::caps, KeyCaption::case_words, false);
  saved_mode = InputMode::romaji;
  key_number = 0;
  candidate_count = 0;
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
  const bool converted = !half_width_digits.empty();
  const int length =
      static_cast<int>(converted ? half_width_digits.size() : full_width_digits.size());
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
  report_choice();
  confirm_pending();
  switch (input_mode) {
    case InputMode::romaji:
      show_romaji_mode();
      break;
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
      show_alphabet_mode();
      break;
    case InputMode::full_number:
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
  candidate_shown = false;
  katakana_shown = false;
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
  if (composition_length() > 0 || pending()) confirm_shown();
  const std::string_view text = display_.text();
  erased_ = {std::string(text.substr(0, bytes)), true};
  std::string rest(text.substr(bytes));
  reset_tap_counts();
  clear_pending();
  load_text(std::move(rest), "");
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
  if (composition_length() > 0 || pending()) confirm_shown();
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
  clear_pending();
  load_text(std::move(text), "");
}

void Engine::load_text(std::string before_caret, std::string_view after_caret) {
  front_fixed = std::move(before_caret);
  front_text = front_fixed;
  back_text = after_caret;
  show(front_text, {}, static_cast<int>(front_text.size()));
  finish_refresh();
}

void Engine::report_choice() {
  if (!choice_listener_ || input_mode != InputMode::romaji) return;
  const std::string typed = reading();
  if (katakana_shown) {
    choice_listener_->choice_confirmed(typed, text::hiragana_to_katakana(typed));
  } else if (candidate_shown) {
    const int shown = candidate_index % (candidate_count + 1);
    if (shown >= 1) choice_listener_->choice_confirmed(typed, candidate[shown]);
  }
}

void Engine::clear_pending(DownPresses presses) {
  kana_text.clear();
  romaji_text.clear();
  kana_after_caret.clear();
  full_width_digits.clear();
  half_width_digits.clear();
  candidate_shown = false;
  katakana_shown = false;
  half_width_shown = false;
  if (presses == DownPresses::end) candidate_index = 0;
}

void Engine::confirm_pending(DownPresses presses) {
  front_fixed = front_text;
  clear_pending(presses);
}

void Engine::insert_confirmed(std::string_view text) {
  reset_tap_counts();
  front_text += text;
  front_fixed = front_text;
  show_romaji_mode();
}

void Engine::confirm_pending_shown() {
  if (!pending()) return;
  confirm_pending(DownPresses::keep);
  show_alphabet_mode();
}

void Engine::append_if_nothing_pending_then_confirm(std::string_view text, DownPresses presses) {
  if (!pending()) front_text += text;
  confirm_pending(presses);
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
  candidate_shown = false;
  katakana_shown = false;
}

std::string Engine::settle_reading() {
  commit_pending_vowel();
  settle_lone_n();
  std::string whole = reading();
  if (romaji_text.empty()) {
    kana_text += kana_after_caret;
    kana_after_caret.clear();
  }
  return whole;
}

void Engine::show_next_candidate() {
  if (candidate_count > 0) {
    // The count belongs to one reading: ↓↓↓ on ん (two candidates) leaves it at 3, and the
    // first ↓ on あき typed after it shows 秋, its first candidate, not its fourth.
    std::string whole = reading();
    if (whole != counted_reading) {
      candidate_index = 0;
      counted_reading = std::move(whole);
    }
    candidate_shown = true;
    ++candidate_index;
    show_conversion(candidate_index % (candidate_count + 1));
  } else if (katakana_shown) {
    show_katakana();
  } else if (!candidate_shown) {
    // No candidates: the reading stays, shown as it now stands (a lone Ｎ as ん).
    front_text = front_fixed + reading();
    show_romaji_mode();
  }
  update_caret_position();
}

void Engine::pick_candidate(int index) {
  if (index < 1 || index > candidate_count) return;
  candidate_shown = true;
  candidate_index = index;
  show_conversion(index);
  update_caret_position();
}

void Engine::show_spelling_of(std::string_view reading, std::string_view spelling) {
  clear_pending();
  kana_text = reading;
  counted_reading = reading;
  candidate[1] = spelling;
  candidate_count = 1;
  pick_candidate(1);
}

void Engine::show_conversion(int index) {
  if (index >= 1 && index <= candidate_count) {
    front_text = front_fixed + candidate[index];
    const int a = static_cast<int>(front_fixed.size());
    const int end = static_cast<int>(front_text.size());
    const Segment segments[] = {{a, end, Colour::kanji, Style::plain}};
    show(front_text, segments, end);
    return;
  }
  // The whole reading comes back, the part behind the cursor included.
  take_conversion_off(true);
  show_romaji_mode();
}

void Engine::show_katakana() {
  const std::string katakana = text::hiragana_to_katakana(reading());
  front_text = front_fixed + katakana;
  const int a = static_cast<int>(front_fixed.size());
  const int end = static_cast<int>(front_text.size());
  const Segment segments[] = {{a, end, Colour::katakana, Style::plain}};
  show(front_text, segments, end);
}

void Engine::toggle_katakana() {
  if (tap_count[key::up] % 2 == 1) {
    settle_lone_n();
    katakana_shown = true;
    show_katakana();
  } else {
    take_conversion_off(false);  // the caret stays where it stood in the reading
    // The candidate is off display, as after クリア: the next ↓ starts the count again, so
    // か い ↓ ↑ ↑ ↓ shows 回, not 会.
    counted_reading.clear();
    show_romaji_mode();
  }
  update_caret_position();
}

void Engine::toggle_half_width_digits() {
  if (tap_count[key::down] % 2 == 1) {
    half_width_shown = true;
    kana_text = kNumberMarker;
    half_width_digits = text::full_width_to_half(full_width_digits);
    type_full_number(half_width_digits);
  } else {
    half_width_shown = false;
    half_width_digits.clear();
    type_full_number(full_width_digits);
  }
  update_caret_position();
}

void Engine::next_symbol_page() {
  turn_to_symbol_page(
      static_cast<SymbolPage>(static_cast<int>(symbol_page) % kSymbolPageCount + 1));
}

void Engine::previous_symbol_page() {
  turn_to_symbol_page(symbol_page == SymbolPage::full_width
                          ? SymbolPage::pictographs
                          : static_cast<SymbolPage>(static_cast<int>(symbol_page) - 1));
}

void Engine::turn_to_symbol_page(SymbolPage page) {
  symbol_page = page;
  view.set_symbol_page_highlight(symbol_page);
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
