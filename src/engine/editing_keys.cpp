// The clear, centre and arrow keys' moves of the caret, and the re-division of the text at the
// caret.
#include <cstring>

#include "engine.h"
#include "sjis.h"
#include "text_helpers.h"

namespace lumeta {
namespace {

using text::delete_last_char;

constexpr std::string_view kLineBreak = "\r\n";

// Start of the line (between CR LF pairs) that holds `position`.
std::size_t line_start(std::string_view text, std::size_t position) {
  const void* found = memrchr(text.data(), '\n', position);
  return found ? static_cast<const char*>(found) - text.data() + 1 : 0;
}

// Where a vertical move lands on the line [start, start + length) for the column `goal`: the
// end of a shorter line, and never inside a two-byte character (one byte further instead).
std::size_t column_on_line(std::string_view text, std::size_t start, std::size_t length, int goal) {
  if (goal <= 0) return start;
  const std::size_t column = static_cast<std::size_t>(goal);
  if (length <= column) return start + length;
  std::size_t offset = 0;
  while (offset < column)
    offset = sjis::next_boundary(text, start + offset) - start;
  return start + (offset == column ? column : column + 1);
}

}  // namespace

void Engine::make_caret_insertion_point() {
  reset_tap_counts();
  view.set_focus();
  display_.divide_at(static_cast<std::size_t>(std::max(view.caret(), 0)));
  confirm_pending(DownPresses::keep);
  view.repaint();
}

void Engine::clear_key() {
  key_number = key::clear;
  switch (input_mode) {
    case InputMode::romaji:
      reset_tap_counts();
      if (candidate_shown || katakana_shown) {
        cancel_conversion();
      } else if (composition_length() > 0) {
        // Removes the character before the composition cursor; the part of the reading
        // behind the cursor stays where it is.
        if (!romaji_text.empty()) {
          romaji_text = delete_last_char(romaji_text);
        } else if (!kana_text.empty()) {
          kana_text = delete_last_char(kana_text);
        }
        front_text = front_fixed + reading();
      } else {
        if (front_text == front_fixed) front_fixed.drop_last_char();
        front_text.drop_last_char();
      }
      show_romaji_mode();
      break;
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
    case InputMode::half_number:
      reset_tap_counts();
      front_text.drop_last_char();
      front_fixed = front_text;
      show_alphabet_mode();
      break;
    case InputMode::full_number:
      reset_tap_counts();
      if (half_width_shown) {
        front_text = front_fixed + full_width_digits;
        half_width_shown = false;
        half_width_digits.clear();
        type_full_number(full_width_digits);
      } else {
        if (front_text == front_fixed) front_fixed.drop_last_char();
        front_text.drop_last_char();
        full_width_digits = delete_last_char(full_width_digits);
        show_full_number_mode();
      }
      break;
    case InputMode::symbol:
      break;
  }
}

void Engine::centre_key() {
  key_number = key::centre;
  switch (input_mode) {
    case InputMode::romaji:
    case InputMode::full_number:
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
    case InputMode::half_number:
      reset_tap_counts();
      ++tap_count[key::centre];
      report_choice();
      append_if_nothing_pending_then_confirm("\r\n");
      if (input_mode == InputMode::romaji || input_mode == InputMode::full_number) {
        show_romaji_mode();
      } else {
        show_alphabet_mode();
      }
      break;
    case InputMode::symbol:
      symbol_page = SymbolPage::full_width;
      change_mode(InputMode::romaji);
      break;
  }
}

void Engine::left_key() {
  count_tap(key::left);
  if (input_mode == InputMode::symbol) return;
  // A candidate or katakana form on display goes back to the reading first.
  if (input_mode == InputMode::romaji && (candidate_shown || katakana_shown)) cancel_conversion();
  if (reading_pending()) {
    if (kana_text.size() + romaji_text.size() >= 2) {
      std::string& source = romaji_text.empty() ? kana_text : romaji_text;
      const std::string rest = delete_last_char(source);
      kana_after_caret.insert(0, source, rest.size());
      source = rest;
      show_romaji_mode();
    }
  } else if (caret_column > 0 || caret_line > 1) {
    confirm_pending_shown();
    caret_back_one_char();
    view.repaint();
  }
  update_caret_position();
  goal_column = caret_column;
}

void Engine::right_key() {
  count_tap(key::right);
  switch (input_mode) {
    case InputMode::romaji:
    case InputMode::full_alphabet:
      if (input_mode == InputMode::romaji && (candidate_shown || katakana_shown))
        cancel_conversion();
      commit_pending_vowel();
      if (composition_length() > 0) {
        if (!kana_after_caret.empty()) {
          if (!romaji_text.empty()) {
            kana_text += romaji_text;
            romaji_text.clear();
          } else {
            const std::size_t first = sjis::next_boundary(kana_after_caret, 0);
            kana_text.append(kana_after_caret, 0, first);
            kana_after_caret.erase(0, first);
          }
        }
        show_romaji_mode();
      } else if (back_text.empty()) {
        append_if_nothing_pending_then_confirm("　", DownPresses::keep);
        show_romaji_mode();
      } else {
        caret_forward_one_char();
        view.repaint();
      }
      break;
    case InputMode::half_alphabet:
    case InputMode::half_number:
    case InputMode::full_number:
      reset_tap_counts();
      if (back_text.empty()) {
        append_if_nothing_pending_then_confirm(" ", DownPresses::keep);
        show_number_mode();
      } else if (pending()) {
        confirm_pending_shown();
      } else {
        caret_forward_one_char();
        view.repaint();
      }
      break;
    case InputMode::symbol:
      return;  // no caret update either
  }
  update_caret_position();
  goal_column = caret_column;
}

void Engine::caret_up() {
  confirm_pending_shown();
  if (goal_column < 0) {
    update_caret_position();
    goal_column = caret_column;
  }
  const std::string_view text = display_.text();
  const std::size_t here = line_start(text, static_cast<std::size_t>(view.caret()));
  if (here > 0) {
    const std::size_t target = line_start(text, here - kLineBreak.size());
    const std::size_t length = here - kLineBreak.size() - target;
    view.set_caret(static_cast<int>(column_on_line(text, target, length, goal_column)));
    view.repaint();
  }
  update_caret_position();
}

void Engine::caret_down() {
  const bool romaji = input_mode == InputMode::romaji;
  const bool full_alphabet = input_mode == InputMode::full_alphabet;
  if (romaji || full_alphabet) {
    ++tap_count[key::down];
    reset_tap_counts();
  }
  if (back_text.find(kLineBreak) == std::string::npos) {
    // On the last line: go to the end and extend the text.
    front_text += back_text;
    front_text += full_alphabet ? "　" : kLineBreak;
    back_text.clear();
    confirm_pending(DownPresses::keep);
    romaji || full_alphabet ? show_romaji_mode() : show_alphabet_mode();
  } else {
    const std::string_view text = display_.text();
    const std::size_t brk = text.find(kLineBreak, static_cast<std::size_t>(view.caret()));
    if (brk != std::string_view::npos) {
      const std::size_t target = brk + kLineBreak.size();
      const std::size_t next = text.find(kLineBreak, target);
      const std::size_t length = (next == std::string_view::npos ? text.size() : next) - target;
      view.set_caret(static_cast<int>(column_on_line(text, target, length, goal_column)));
      view.repaint();
    }
  }
  update_caret_position();
}

}  // namespace lumeta
