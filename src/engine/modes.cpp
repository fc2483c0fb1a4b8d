// Input modes: the indicators, the mode and case keys, and the key faces that follow them.
#include <array>

#include "engine.h"

namespace lumeta {
namespace {

// How an indicator looks in a mode: on, off, or following the case flag.
enum class Lit : uint8_t { off, on, caps, small };

// What entering a mode shows: the indicators 全 半 ローマ 数 英 大 小 記, the mode and case
// the letter faces are drawn for (-1: the case flag as it is), and the centre key's face
// (1 決定, 2 改行).
struct ModeLook {
  std::array<Lit, kIndicatorCount> indicators;
  int face_caps;
  int centre_face;
};

using L = Lit;
constexpr std::array<ModeLook, 6> kModeLooks = {{
    {{L::on, L::off, L::on, L::off, L::off, L::caps, L::small, L::off}, -1, 1},  // romaji
    {{L::off, L::on, L::off, L::off, L::on, L::caps, L::small, L::off}, -1, 2},  // half alphabet
    {{L::on, L::off, L::off, L::off, L::on, L::on, L::off, L::off}, 1, 2},       // full alphabet
    {{L::off, L::on, L::off, L::on, L::off, L::off, L::off, L::off}, 0, 1},      // half number
    {{L::on, L::off, L::off, L::on, L::off, L::off, L::off, L::off}, 0, 1},      // full number
    {{L::off, L::off, L::off, L::off, L::off, L::off, L::off, L::on}, 0, 1},     // symbol
}};

}  // namespace

void Engine::set_indicators(int mode) {
  const ModeLook& look = kModeLooks[mode];
  for (int i = 0; i < kIndicatorCount; ++i) {
    const Lit lit = look.indicators[i];
    const bool on = lit == Lit::on || (lit == Lit::caps && caps) || (lit == Lit::small && !caps);
    view.set_indicator(static_cast<Indicator>(i), on ? IndicatorLook::lit : IndicatorLook::unlit);
  }
}

void Engine::Change_MODE(int mode) {
  if (mode < 0 || mode > 5) return;
  if (view.symbol_dialog_visible()) view.hide_symbol_dialog();
  Decision();  // whatever is pending is confirmed as shown; nothing is discarded
  if (mode == 2) caps = 1;
  const ModeLook& look = kModeLooks[mode];
  set_indicators(mode);
  input_mode = static_cast<uint8_t>(mode);
  SB15_all(mode, look.face_caps < 0 ? is_caps() : look.face_caps == 1);
  SB171819(18, look.centre_face, false);
  if (mode == 5) {
    view.fill_symbol_grid();
    view.show_symbol_dialog();
    view.set_symbol_page_highlight(symbol_page);
  }
}

void Engine::Button_MODE() {
  key_number = 20;
  reset_tap_counts();
  Decision();
  switch (input_mode) {
    case 0:
      caps = 1;
      Change_MODE(1);
      break;
    case 1:
      caps = 1;
      Change_MODE(5);
      break;
    case 3:
      Change_MODE(1);
      break;
    case 4:
      Change_MODE(saved_mode);
      break;
    case 5:
      Change_MODE(0);
      break;
    default:
      break;  // full-width alphabet mode stays
  }
  view.set_focus();
}

void Engine::Button_CAPS() {
  key_number = 19;
  reset_tap_counts();
  if (input_mode > 4) return;
  Decision();
  Change_caps();
}

void Engine::Change_caps() {
  Decision();
  switch (input_mode) {
    case 0:
      if (caps) {
        saved_mode = 0;
        Change_MODE(4);
      } else {
        caps = 1;
        Change_MODE(0);
      }
      break;
    case 1:
      if (caps) {
        Change_MODE(3);
      } else {
        caps = 1;
        Change_MODE(1);
      }
      break;
    case 2:
      if (caps) {
        saved_mode = 2;
        caps = 0;
        view.set_indicator(Indicator::capital, IndicatorLook::white);
        view.set_indicator(Indicator::small, IndicatorLook::lit);
        SB15_all(2, false);
        view.set_key_face(18, Face{});
      } else {
        caps = 1;
        Change_MODE(4);
      }
      break;
    case 3:
      caps = 0;
      Change_MODE(1);
      break;
    case 4:
      caps = caps ? 0 : 1;
      Change_MODE(0);
      break;
    default:
      break;
  }
}

void Engine::SB15_captions(int key, int mode, bool caps_flag) {
  if (mode < 0 || mode > 4) {
    for (int k = 1; k <= 15; ++k)
      view.set_key_face(k, Face{});
    return;
  }
  if (key < 1 || key > 15) return;
  view.set_key_face(key, letter_face(key, mode, caps_flag));
}

void Engine::SB15_all(int mode, bool caps_flag) {
  if (mode < 0 || mode > 4) return SB15_captions(1, mode, caps_flag);  // blanks all fifteen
  for (int k = 1; k <= 15; ++k)
    SB15_captions(k, mode, caps_flag);
}

void Engine::SB171819(int key, int part, bool highlight) {
  if (key == 18) view.set_key_face(18, centre_face(part, highlight));
  if (key == 19) view.set_key_face(19, part == 2 ? case_face(highlight) : Face{});
}

}  // namespace lumeta
