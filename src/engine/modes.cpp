// Input modes: the indicators, the mode and case keys, and the key faces that follow them.
#include <array>

#include "engine.h"

namespace lumeta {
namespace {

// How an indicator looks in a mode: on, off, or following the case flag.
enum class Lit : uint8_t { off, on, caps, small };

// The case the letter faces are drawn for on entering a mode: the case flag as it is, or
// capitals or small letters whatever the flag.
enum class FaceCase : uint8_t { as_flag, capitals, small };

// What entering a mode shows: the indicators 全 半 ローマ 数 英 大 小 記, the case of the letter
// faces, and the centre key's face.
struct ModeLook {
  std::array<Lit, kIndicatorCount> indicators;
  FaceCase face_case;
  KeyCaption centre_caption;
};

using L = Lit;
constexpr FaceCase kAsFlag = FaceCase::as_flag;
constexpr FaceCase kCapitals = FaceCase::capitals;
constexpr FaceCase kSmall = FaceCase::small;
constexpr KeyCaption kConfirm = KeyCaption::confirm;
constexpr KeyCaption kLineBreak = KeyCaption::line_break;
// One row per InputMode, in its order.
constexpr std::array<ModeLook, kInputModeCount> kModeLooks = {{
    {{L::on, L::off, L::on, L::off, L::off, L::caps, L::small, L::off},
     kAsFlag,
     kConfirm},  // romaji
    {{L::off, L::on, L::off, L::off, L::on, L::caps, L::small, L::off},
     kAsFlag,
     kLineBreak},  // 半英
    {{L::on, L::off, L::off, L::off, L::on, L::on, L::off, L::off}, kCapitals, kLineBreak},  // 全英
    {{L::off, L::on, L::off, L::on, L::off, L::off, L::off, L::off}, kSmall, kConfirm},   // 半数
    {{L::on, L::off, L::off, L::on, L::off, L::off, L::off, L::off}, kSmall, kConfirm},   // 全数
    {{L::off, L::off, L::off, L::off, L::off, L::off, L::off, L::on}, kSmall, kConfirm},  // 記号
}};

const ModeLook& look_of(InputMode mode) {
  return kModeLooks[static_cast<std::size_t>(mode)];
}

}  // namespace

void Engine::set_indicators(InputMode mode) {
  const ModeLook& look = look_of(mode);
  for (int i = 0; i < kIndicatorCount; ++i) {
    const Lit lit = look.indicators[i];
    const bool on =
        lit == Lit::on || (lit == Lit::caps && capitals) || (lit == Lit::small && !capitals);
    view.set_indicator(static_cast<Indicator>(i), on ? IndicatorLook::lit : IndicatorLook::unlit);
  }
}

void Engine::change_mode(InputMode mode) {
  if (view.symbol_picker_visible()) view.hide_symbol_picker();
  confirm_shown();  // whatever is pending is confirmed as shown; nothing is discarded
  if (mode == InputMode::full_alphabet) capitals = true;
  const ModeLook& look = look_of(mode);
  set_indicators(mode);
  input_mode = mode;
  paint_letter_faces(
      mode, look.face_case == FaceCase::as_flag ? capitals : look.face_case == FaceCase::capitals);
  paint_centre_or_case_face(key::centre, look.centre_caption, false);
  if (mode == InputMode::symbol) {
    view.fill_symbol_grid();
    view.show_symbol_picker();
    view.set_symbol_page_highlight(symbol_page);
  }
}

void Engine::mode_key() {
  key_number = key::mode;
  reset_tap_counts();
  confirm_shown();
  switch (input_mode) {
    case InputMode::romaji:
      capitals = true;
      change_mode(InputMode::half_alphabet);
      break;
    case InputMode::half_alphabet:
      capitals = true;
      change_mode(InputMode::symbol);
      break;
    case InputMode::half_number:
      change_mode(InputMode::half_alphabet);
      break;
    case InputMode::full_number:
      change_mode(saved_mode);
      break;
    case InputMode::symbol:
      change_mode(InputMode::romaji);
      break;
    case InputMode::full_alphabet:
      break;  // full-width alphabet mode stays
  }
  view.set_focus();
}

void Engine::case_key() {
  key_number = key::caps;
  reset_tap_counts();
  if (!typing_mode(input_mode)) return;
  confirm_shown();
  step_case_cycle();
}

void Engine::step_case_cycle() {
  confirm_shown();
  switch (input_mode) {
    case InputMode::romaji:
      if (capitals) {
        saved_mode = InputMode::romaji;
        change_mode(InputMode::full_number);
      } else {
        capitals = true;
        change_mode(InputMode::romaji);
      }
      break;
    case InputMode::half_alphabet:
      if (capitals) {
        change_mode(InputMode::half_number);
      } else {
        capitals = true;
        change_mode(InputMode::half_alphabet);
      }
      break;
    case InputMode::full_alphabet:
      if (capitals) {
        saved_mode = InputMode::full_alphabet;
        capitals = false;
        view.set_indicator(Indicator::capital, IndicatorLook::white);
        view.set_indicator(Indicator::small, IndicatorLook::lit);
        paint_letter_faces(InputMode::full_alphabet, false);
        view.set_key_face(key::centre, Face{});
      } else {
        capitals = true;
        change_mode(InputMode::full_number);
      }
      break;
    case InputMode::half_number:
      capitals = false;
      change_mode(InputMode::half_alphabet);
      break;
    case InputMode::full_number:
      capitals = !capitals;
      change_mode(InputMode::romaji);
      break;
    case InputMode::symbol:
      break;
  }
}

void Engine::paint_letter_face(int key, InputMode mode, bool caps_flag) {
  if (!typing_mode(mode)) {
    for (int k = key::first_letter; k <= key::last_letter; ++k)
      view.set_key_face(k, Face{});
    return;
  }
  if (!key::is_letter(key)) return;
  view.set_key_face(key, letter_face(key, mode, caps_flag));
}

void Engine::paint_letter_faces(InputMode mode, bool caps_flag) {
  if (!typing_mode(mode)) return paint_letter_face(key::A, mode, caps_flag);  // blanks all fifteen
  for (int k = key::first_letter; k <= key::last_letter; ++k)
    paint_letter_face(k, mode, caps_flag);
}

void Engine::paint_centre_or_case_face(int number, KeyCaption caption, bool highlight) {
  if (number == key::centre) view.set_key_face(key::centre, centre_face(caption, highlight));
  if (number == key::caps) {
    view.set_key_face(key::caps, caption == KeyCaption::case_words ? case_face(highlight) : Face{});
  }
}

}  // namespace lumeta
