#include "conversion.h"

#include <array>
#include <cstring>
#include <string>

#include "dictionary.h"
#include "engine.h"
#include "sjis.h"
#include "symbols.h"
#include "text_helpers.h"

namespace lumeta {
namespace {

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

void caret_up(Engine& e) {
  e.confirm_pending_shown();
  if (e.goal_column < 0) {
    e.update_caret_position();
    e.goal_column = e.caret_column;
  }
  const std::string_view text = e.display().text();
  const std::size_t here = line_start(text, static_cast<std::size_t>(e.view.caret()));
  if (here > 0) {
    const std::size_t target = line_start(text, here - kLineBreak.size());
    const std::size_t length = here - kLineBreak.size() - target;
    e.view.set_caret(static_cast<int>(column_on_line(text, target, length, e.goal_column)));
    e.view.repaint();
  }
  e.update_caret_position();
}

void caret_down(Engine& e) {
  const bool romaji = e.input_mode == InputMode::romaji;
  const bool full_alphabet = e.input_mode == InputMode::full_alphabet;
  if (romaji || full_alphabet) {
    ++e.tap_count[key::down];
    e.reset_tap_counts();
  }
  if (e.back_text.find(kLineBreak) == std::string::npos) {
    // On the last line: go to the end and extend the text.
    e.front_text += e.back_text;
    e.front_text += full_alphabet ? "　" : kLineBreak;
    e.back_text.clear();
    e.front_fixed = e.front_text;
    romaji || full_alphabet ? e.show_romaji_mode() : e.show_alphabet_mode();
  } else {
    const std::string_view text = e.display().text();
    const std::size_t brk = text.find(kLineBreak, static_cast<std::size_t>(e.view.caret()));
    if (brk != std::string_view::npos) {
      const std::size_t target = brk + kLineBreak.size();
      const std::size_t next = text.find(kLineBreak, target);
      const std::size_t length = (next == std::string_view::npos ? text.size() : next) - target;
      e.view.set_caret(static_cast<int>(column_on_line(text, target, length, e.goal_column)));
      e.view.repaint();
    }
  }
  e.update_caret_position();
}

// The first steps of a conversion: a cycled vowel and a lone Ｎ join the reading, the part
// behind the cursor joins kana_text when no romaji stands between, and the candidates of the
// reading are looked up.
void look_up_reading(Engine& e) {
  e.commit_pending_vowel();
  e.settle_lone_n();
  const std::string reading = e.reading();
  if (e.romaji_text.empty()) {
    e.kana_text += e.kana_after_caret;
    e.kana_after_caret.clear();
  }
  kanji_lookup(e, reading);
}

void convert_reading(Engine& e) {
  look_up_reading(e);
  if (e.candidate_count > 0) {
    // The count belongs to one reading: ↓↓↓ on ん (two candidates) leaves it at 3, and the
    // first ↓ on あき typed after it shows 秋, its first candidate, not its fourth.
    std::string reading = e.reading();
    if (reading != e.counted_reading) {
      e.candidate_index = 0;
      e.counted_reading = std::move(reading);
    }
    e.kanji_converting = 1;
    ++e.candidate_index;
    show_conversion(e, e.candidate_index % (e.candidate_count + 1));
  } else if (e.katakana_shown) {
    show_katakana(e);
  } else if (!e.kanji_converting) {
    // No candidates: the reading stays, shown as it now stands (a lone Ｎ as ん).
    e.front_text = e.front_fixed + e.reading();
    e.show_romaji_mode();
  }
  e.update_caret_position();
}

void toggle_half_width_digits(Engine& e) {
  if (e.tap_count[key::down] % 2 == 1) {
    e.number_converting = 1;
    e.kana_text = kNumberMarker;
    e.number_conversion = text::zenkaku_to_hankaku(e.zenkaku_digits);
    e.type_full_number(e.number_conversion);
  } else {
    e.number_converting = 0;
    e.number_conversion.clear();
    e.type_full_number(e.zenkaku_digits);
  }
  e.update_caret_position();
}

}  // namespace

CandidateStrip candidate_strip(const Engine& e) {
  CandidateStrip strip;
  if (e.input_mode != InputMode::romaji || e.composition_length() == 0) return strip;
  strip.active = true;
  const std::string reading =
      e.kana_text + (e.lone_n() ? std::string("ん") : e.romaji_text) + e.kana_after_caret;
  std::array<std::string, kCandidateSlots + 1> slots;
  const int count = lookup_candidates(reading, slots);
  strip.candidates.assign(slots.begin() + 1, slots.begin() + 1 + count);
  // While ↑ shows the katakana form over a conversion, no candidate is on display.
  if (e.kanji_converting && !e.katakana_shown && count > 0) {
    strip.shown = e.candidate_index % (count + 1);
  }
  // Once ↓ was pressed for this reading the strip follows the ↓ list alone.
  if (!e.kanji_converting && !e.katakana_shown && e.candidate_index == 0) {
    strip.predictions = predictions_for(typed_kana(e), strip.candidates);
  }
  return strip;
}

std::string typed_kana(const Engine& e) {
  if (!e.kana_after_caret.empty()) return {};
  std::string typed = e.kana_text + e.romaji_text;
  // Full-width letters Ａ..ｚ are romaji not yet a kana.
  while (typed.size() >= 2) {
    const unsigned code = static_cast<unsigned char>(typed[typed.size() - 2]) << 8 |
                          static_cast<unsigned char>(typed.back());
    if (code < 0x8260 || code > 0x829A) break;
    typed.resize(typed.size() - 2);
  }
  return typed;
}

void show_prediction(Engine& e, const Prediction& prediction) {
  if (e.input_mode != InputMode::romaji || e.composition_length() == 0) return;
  e.clear_reading();
  e.kana_text = prediction.reading;
  e.candidate[1] = prediction.spelling;
  e.candidate_count = 1;
  e.candidate_index = 1;
  e.kanji_converting = 1;
  show_conversion(e, 1);
  e.update_caret_position();
}

void show_candidate(Engine& e, int index) {
  if (e.input_mode != InputMode::romaji || e.composition_length() == 0) return;
  look_up_reading(e);
  if (index < 1 || index > e.candidate_count) return;
  e.kanji_converting = 1;
  e.candidate_index = index;
  show_conversion(e, index);
  e.update_caret_position();
}

void show_conversion(Engine& e, int index) {
  if (index >= 1 && index <= e.candidate_count) {
    e.front_text = e.front_fixed + e.candidate[index];
    const int a = static_cast<int>(e.front_fixed.size());
    const int end = static_cast<int>(e.front_text.size());
    const Segment segments[] = {{a, end, Colour::kanji, Style::plain}};
    e.show(e.front_text, segments, end);
    return;
  }
  // The whole reading comes back, the part behind the cursor included.
  e.take_conversion_off(true);
  e.show_romaji_mode();
}

void show_katakana(Engine& e) {
  const std::string form = text::hiragana_to_katakana(e.reading());
  e.front_text = e.front_fixed + form;
  const int a = static_cast<int>(e.front_fixed.size());
  const int end = static_cast<int>(e.front_text.size());
  const Segment segments[] = {{a, end, Colour::katakana, Style::plain}};
  e.show(e.front_text, segments, end);
}

void up_key(Engine& e) {
  e.count_tap(key::up);
  if (e.input_mode == InputMode::symbol) return previous_symbol_page(e);
  if (!e.reading_pending()) return caret_up(e);
  if (e.tap_count[key::up] % 2 == 1) {
    e.settle_lone_n();
    e.katakana_shown = 1;
    show_katakana(e);
  } else {
    e.take_conversion_off(false);  // the caret stays where it stood in the reading
    e.show_romaji_mode();
  }
  e.update_caret_position();
}

void down_key(Engine& e) {
  e.count_tap(key::down);
  switch (e.input_mode) {
    case InputMode::romaji:
    case InputMode::full_alphabet:
      if (e.composition_length() > 0) return convert_reading(e);
      return caret_down(e);
    case InputMode::half_alphabet:
    case InputMode::half_number:
      if (e.back_text.empty()) {
        e.confirm_pending_shown();
        e.type_number(" ");
        return;
      }
      e.confirm_pending_shown();
      return caret_down(e);
    case InputMode::full_number:
      if (e.front_fixed != e.front_text) return toggle_half_width_digits(e);
      return caret_down(e);
    case InputMode::symbol:
      return next_symbol_page(e);
  }
}

}  // namespace lumeta
