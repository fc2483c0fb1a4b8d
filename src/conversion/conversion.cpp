#include "conversion.h"

#include <array>
#include <string>
#include <string_view>

#include "dictionary.h"
#include "engine.h"
#include "sjis.h"

namespace lumeta {
namespace {

// How many bytes at the end of `reading` are romaji not yet a kana: full-width letters Ａ..ｚ
// ("かＫ": 2).
std::size_t trailing_romaji(std::string_view reading) {
  std::size_t end = reading.size();
  while (end >= 2 &&
         sjis::char_class(sjis::code_at(reading, end - 2)) == sjis::CharClass::full_width_letter)
    end -= 2;
  return reading.size() - end;
}

// Whether `reading` holds romaji alone, no kana yet: "Ｋ", "Ｋｙ".
bool is_romaji_only(std::string_view reading) {
  return trailing_romaji(reading) == reading.size();
}

// The first steps of a conversion: the reading settles (Engine::settle_reading) and its
// candidates are looked up.
void look_up_reading(Engine& e) {
  kanji_lookup(e, e.settle_reading());
}

}  // namespace

CandidateStrip candidate_strip(const Engine& engine, const ConversionSettings& settings,
                               std::string_view previous) {
  const EngineState& e = engine.state();
  CandidateStrip strip;
  if (e.input_mode != InputMode::romaji || engine.composition_length() == 0) return strip;
  const std::string reading =
      e.kana_text + (engine.lone_n() ? std::string("ん") : e.romaji_text) + e.kana_after_caret;
  // A consonant alone (Ｋ) is no reading yet: the strip waits for its kana, saying nothing.
  if (is_romaji_only(reading)) return strip;
  strip.active = true;
  std::array<std::string, kCandidateSlots + 1> slots;
  const int count = settings.candidates(reading, slots);
  strip.candidates.assign(slots.begin() + 1, slots.begin() + 1 + count);
  // While ↑ shows the katakana form over a conversion, no candidate is on display.
  if (e.candidate_shown && !e.katakana_shown && count > 0) {
    strip.shown = e.candidate_index % (count + 1);
  }
  // Once ↓ was pressed for this reading the strip follows the ↓ list alone.
  if (!e.candidate_shown && !e.katakana_shown && e.candidate_index == 0) {
    strip.predictions = predictions_for(settings, typed_kana(engine), strip.candidates,
                                        kMostPredictions, previous);
  }
  return strip;
}

std::string typed_kana(const Engine& engine) {
  const EngineState& e = engine.state();
  if (!e.kana_after_caret.empty()) return {};
  std::string typed = e.kana_text + e.romaji_text;
  typed.resize(typed.size() - trailing_romaji(typed));
  return typed;
}

void show_prediction(Engine& e, const Prediction& prediction) {
  if (e.state().input_mode != InputMode::romaji || e.composition_length() == 0) return;
  e.show_spelling_of(prediction.reading, prediction.spelling);
}

void show_candidate(Engine& e, int index) {
  if (e.state().input_mode != InputMode::romaji || e.composition_length() == 0) return;
  look_up_reading(e);
  e.pick_candidate(index);
}

void up_key(Engine& e) {
  e.count_tap(key::up);
  if (e.state().input_mode == InputMode::symbol) return e.previous_symbol_page();
  if (!e.reading_pending()) return e.caret_up();
  e.toggle_katakana();
}

void down_key(Engine& e) {
  e.count_tap(key::down);
  switch (e.state().input_mode) {
    case InputMode::romaji:
    case InputMode::full_alphabet:
      if (e.composition_length() > 0) {
        look_up_reading(e);
        return e.show_next_candidate();
      }
      return e.caret_down();
    case InputMode::half_alphabet:
    case InputMode::half_number:
      if (e.state().back_text.empty()) {
        e.confirm_pending_shown();
        e.type_confirmed(" ");
        return;
      }
      e.confirm_pending_shown();
      return e.caret_down();
    case InputMode::full_number:
      if (e.pending()) return e.toggle_half_width_digits();
      return e.caret_down();
    case InputMode::symbol:
      return e.next_symbol_page();
  }
}

}  // namespace lumeta
