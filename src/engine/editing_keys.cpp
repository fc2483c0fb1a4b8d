// The clear, centre, left and right keys, and the re-division of the text at the caret.
#include "engine.h"
#include "sjis.h"
#include "text_helpers.h"

namespace lumeta {

using text::delete_last_char;

void Engine::make_caret_insertion_point() {
  reset_tap_counts();
  view.set_focus();
  display_.divide_at(static_cast<std::size_t>(std::max(view.caret(), 0)));
  front_fixed = front_text;
  zenkaku_digits.clear();
  view.repaint();
}

void Engine::clear_key() {
  key_number = key::clear;
  switch (input_mode) {
    case InputMode::romaji:
      reset_tap_counts();
      if (kanji_converting || katakana_shown) {
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
      if (number_converting) {
        front_text = front_fixed + zenkaku_digits;
        number_converting = 0;
        number_conversion.clear();
        type_full_number(zenkaku_digits);
      } else {
        if (front_text == front_fixed) front_fixed.drop_last_char();
        front_text.drop_last_char();
        zenkaku_digits = delete_last_char(zenkaku_digits);
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
      reset_tap_counts();
      ++tap_count[key::centre];
      if (input_mode == InputMode::romaji) report_choice();
      if (front_fixed == front_text) front_text += "\r\n";
      front_fixed = front_text;
      zenkaku_digits.clear();
      number_conversion.clear();
      clear_reading();
      number_converting = 0;
      show_romaji_mode();
      break;
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
    case InputMode::half_number:
      if (front_fixed == front_text) front_text += "\r\n";
      front_fixed = front_text;
      reset_tap_counts();
      ++tap_count[key::centre];
      show_alphabet_mode();
      break;
    case InputMode::symbol:
      symbol_page = 1;
      change_mode(InputMode::romaji);
      break;
  }
}

void Engine::left_key() {
  count_tap(key::left);
  if (input_mode == InputMode::symbol) return;
  // A candidate or katakana form on display goes back to the reading first.
  if (input_mode == InputMode::romaji && (kanji_converting || katakana_shown)) cancel_conversion();
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
      if (input_mode == InputMode::romaji && (kanji_converting || katakana_shown))
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
        if (front_fixed == front_text) front_text += "　";
        front_fixed = front_text;
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
        if (front_fixed == front_text) {
          type_number(" ");
        } else {
          confirm_pending();
          type_number("");
        }
      } else if (front_fixed != front_text) {
        confirm_pending();
        show_alphabet_mode();
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

}  // namespace lumeta
