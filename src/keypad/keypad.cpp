#include "keypad.h"

#include <array>

#include "conversion.h"
#include "key_faces.h"
#include "sjis.h"
#include "symbols.h"

namespace lumeta {
namespace {

template <void (Engine::*Operation)()>
void call(Engine& engine) {
  (engine.*Operation)();
}

constexpr std::array<KeyInfo, 26> kKeys = {{
    {1, "A", "SpeedButton1", KeyKind::letter, call<&Engine::Button_A>, 'A', ""},
    {2, "K", "SpeedButton2", KeyKind::letter, call<&Engine::Button_K>, 'K', ""},
    {3, "H", "SpeedButton3", KeyKind::letter, call<&Engine::Button_H>, 'H', ""},
    {4, "I", "SpeedButton4", KeyKind::letter, call<&Engine::Button_I>, 'I', ""},
    {5, "S", "SpeedButton5", KeyKind::letter, call<&Engine::Button_S>, 'S', ""},
    {6, "M", "SpeedButton6", KeyKind::letter, call<&Engine::Button_M>, 'M', ""},
    {7, "U", "SpeedButton7", KeyKind::letter, call<&Engine::Button_U>, 'U', ""},
    {8, "T", "SpeedButton8", KeyKind::letter, call<&Engine::Button_T>, 'T', ""},
    {9, "Y", "SpeedButton9", KeyKind::letter, call<&Engine::Button_Y>, 'Y', ""},
    {10, "E", "SpeedButton10", KeyKind::letter, call<&Engine::Button_E>, 'E', ""},
    {11, "N", "SpeedButton11", KeyKind::letter, call<&Engine::Button_N>, 'N', ""},
    {12, "R", "SpeedButton12", KeyKind::letter, call<&Engine::Button_R>, 'R', ""},
    {13, "O", "SpeedButton13", KeyKind::letter, call<&Engine::Button_O>, 'O', ""},
    {14, "Z", "SpeedButton14", KeyKind::letter, call<&Engine::Button_Z>, 'Z', ""},
    {15, "W", "SpeedButton15", KeyKind::letter, call<&Engine::Button_W>, 'W', ""},
    {16, "BS", "SpeedButton16", KeyKind::caption, call<&Engine::Button_BS>, 8, "クリア"},
    {18, "RET", "SpeedButton18", KeyKind::centre, call<&Engine::Button_RETURN>, 13, ""},
    {19, "CAPS", "SpeedButton19", KeyKind::case_key, call<&Engine::Button_CAPS>, 'P', ""},
    {20, "MODE", "SpeedButton20", KeyKind::caption, call<&Engine::Button_MODE>, 17, "モード"},
    {21, "LEFT", "SpeedButton21", KeyKind::caption, call<&Engine::Button_LEFT>, 37, "←"},
    {22, "RIGHT", "SpeedButton22", KeyKind::caption, call<&Engine::Button_RIGHT>, 39, "→"},
    {23, "UP", "SpeedButton23", KeyKind::caption, Button_UP, 38, "↑"},
    {24, "DOWN", "SpeedButton24", KeyKind::caption, Button_DOWN, 40, "↓"},
    {31, "QUIT", "SpeedButton31", KeyKind::window, nullptr, 0, "終了(&Q)"},
    {32, "COPY", "SpeedButton32", KeyKind::window, nullptr, 0, "コピー(&C)"},
    {33, "DELALL", "SpeedButton33", KeyKind::window, nullptr, 0, "消去(&D)"},
}};

}  // namespace

std::span<const KeyInfo> key_list() {
  return kKeys;
}

const KeyInfo* find_key(int number) {
  for (const KeyInfo& key : kKeys) {
    if (key.number == number) return &key;
  }
  return nullptr;
}

const KeyInfo* find_key_by_token(std::string_view token) {
  for (const KeyInfo& key : kKeys) {
    if (key.token == token) return &key;
  }
  return nullptr;
}

const KeyInfo* find_key_by_keyboard(int virtual_key) {
  for (const KeyInfo& key : kKeys) {
    if (key.keyboard != 0 && key.keyboard == virtual_key) return &key;
  }
  return nullptr;
}

void Keypad::press(int number) {
  const KeyInfo* key = find_key(number);
  if (!key) return;
  switch (key->kind) {
    case KeyKind::letter: {
      engine_.guarded([&] { key->operation(engine_); });
      engine_.key_number = number;
      const InputMode mode = engine_.input_mode;
      engine_.SB15_captions(number, mode, engine_.is_caps());
      if (typing_mode(mode)) {
        // The face shows where the multi-tap cycle stands: the reached mark in lime green.
        const Face face = letter_face(number, mode, engine_.is_caps());
        const int mark = highlighted_mark(number, mode, engine_.tap_count[number]);
        view_.set_key_face(number, mark ? with_highlight(face, number, mode, mark) : face);
      }
      break;
    }
    case KeyKind::caption:
      view_.set_caption_held(number, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::centre:
      engine_.SB171819(key::centre, KeyCaption::confirm, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::case_key:
      engine_.key_number = key::caps;
      engine_.SB171819(key::caps, KeyCaption::case_words, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::window:
      if (number == key::delete_all) delete_all();
      break;
  }
}

void Keypad::release(int number) {
  const KeyInfo* key = find_key(number);
  if (!key) return;
  const bool typing_modes = typing_mode(engine_.input_mode);
  switch (key->kind) {
    case KeyKind::letter:
      engine_.key_number = number;
      engine_.SB15_captions(number, engine_.input_mode, engine_.is_caps());
      break;
    case KeyKind::caption:
      view_.set_caption_held(number, false);
      if (!typing_modes || reading_pending()) break;
      // A caret moved in the display becomes the point where typing goes on; the clear key
      // leaves unconfirmed full-width digits alone.
      if (number == key::clear && !engine_.zenkaku_digits.empty()) break;
      refresh_caret();
      break;
    case KeyKind::centre:
      engine_.SB171819(key::centre, KeyCaption::line_break, false);
      if (!typing_modes) break;
      engine_.SB171819(key::centre, KeyCaption::confirm, false);
      if (!reading_pending()) refresh_caret();
      break;
    case KeyKind::case_key:
      engine_.key_number = key::caps;
      engine_.SB171819(key::caps, KeyCaption::case_words, false);
      break;
    case KeyKind::window:
      break;
  }
}

void Keypad::refresh_caret() {
  engine_.Get_caret_position();
  engine_.division12();
}

void Keypad::delete_all() {
  engine_.delete_all();
}

void Keypad::undo_delete_all() {
  engine_.guarded([&] { engine_.undo_delete_all(); });
}

void Keypad::choose_candidate(int index) {
  // Only a candidate the strip shows can be clicked; any other number leaves everything alone.
  const CandidateStrip strip = candidate_strip(engine_);
  if (!strip.active || index < 1 || index > static_cast<int>(strip.candidates.size())) return;
  engine_.guarded([&] { show_candidate(engine_, index); });
  if (!engine_.kanji_converting) return;
  click(key::centre);
}

void Keypad::pick_symbol(int page, int index) {
  if (!view_.symbol_dialog_visible()) return;
  const auto entries = symbol_page_entries(page);
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  engine_.guarded([&] { insert_symbol(engine_, entries[index]); });
}

std::string Keypad::copy_text() const {
  // No trail byte is a CR, so a CR LF pair is found byte by byte.
  const std::string& text = engine_.display().text();
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void Keypad::idle() {
  const int caret = view_.caret();
  if (caret == last_sel_start_) return;
  last_sel_start_ = caret;
  engine_.Get_caret_position();
}

void Keypad::place_caret(int position) {
  // Confirming leaves the text on display as it is, so `position` still points where the user
  // clicked.
  if (reading_pending() || engine_.front_fixed != engine_.front_text) {
    engine_.guarded([&] { engine_.Decision(); });
  }
  const std::string& text = engine_.display().text();
  const std::size_t p = static_cast<std::size_t>(std::max(position, 0));
  view_.set_caret(static_cast<int>(sjis::floor_boundary(text, p)));
  refresh_caret();
  engine_.goal_column = engine_.caret_column;
}

}  // namespace lumeta
