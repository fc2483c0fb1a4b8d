#include "keypad.h"

#include <array>

#include "candidate_strip_layout.h"
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

// The letter keys stand in five rows of three.
constexpr KeyPlace letter_place(int number) {
  const int column = key::letter_index(number) % 3;
  const int row = key::letter_index(number) / 3;
  return {456 + column * 72, 216 + row * 64, 65, 44};
}

constexpr KeyKind kLetter = KeyKind::letter;
constexpr KeyKind kCaption = KeyKind::caption;
constexpr KeyKind kWindow = KeyKind::window;

// One row per key, in the order the window creates them: number, replay token, kind, what a
// press runs, physical keys, caption, place; then the name and description assistive tools read
// and the window keys' flags.
// clang-format off
constexpr KeyInfo kKeys[] = {
    {key::A, "A", kLetter, call<&Engine::a_key>, {'A'}, "", letter_place(key::A), "キー A", ""},
    {key::K, "K", kLetter, call<&Engine::k_key>, {'K'}, "", letter_place(key::K), "キー K", ""},
    {key::H, "H", kLetter, call<&Engine::h_key>, {'H'}, "", letter_place(key::H), "キー H", ""},
    {key::I, "I", kLetter, call<&Engine::i_key>, {'I'}, "", letter_place(key::I), "キー I", ""},
    {key::S, "S", kLetter, call<&Engine::s_key>, {'S'}, "", letter_place(key::S), "キー S", ""},
    {key::M, "M", kLetter, call<&Engine::m_key>, {'M'}, "", letter_place(key::M), "キー M", ""},
    {key::U, "U", kLetter, call<&Engine::u_key>, {'U'}, "", letter_place(key::U), "キー U", ""},
    {key::T, "T", kLetter, call<&Engine::t_key>, {'T'}, "", letter_place(key::T), "キー T", ""},
    {key::Y, "Y", kLetter, call<&Engine::y_key>, {'Y'}, "", letter_place(key::Y), "キー Y", ""},
    {key::E, "E", kLetter, call<&Engine::e_key>, {'E'}, "", letter_place(key::E), "キー E", ""},
    {key::N, "N", kLetter, call<&Engine::n_key>, {'N'}, "", letter_place(key::N), "キー N", ""},
    {key::R, "R", kLetter, call<&Engine::r_key>, {'R'}, "", letter_place(key::R), "キー R", ""},
    {key::O, "O", kLetter, call<&Engine::o_key>, {'O'}, "", letter_place(key::O), "キー O", ""},
    {key::Z, "Z", kLetter, call<&Engine::z_key>, {'Z'}, "", letter_place(key::Z), "キー Z", ""},
    {key::W, "W", kLetter, call<&Engine::w_key>, {'W'}, "", letter_place(key::W), "キー W", ""},
    {key::clear, "BS", kCaption, call<&Engine::clear_key>, {keyboard::backspace}, "クリア", {600, 152, 65, 40},
     "クリア", "カーソルの前の文字を消す。変換中は読みに戻す"},
    {key::centre, "RET", KeyKind::centre, call<&Engine::centre_key>,
     {keyboard::enter, keyboard::keypad_enter}, "", {536, 64, 50, 50},
     "決定", "入力中の文字を確定する。確定するものがなければ改行"},
    {key::caps, "CAPS", KeyKind::case_key, call<&Engine::case_key>, {'P'}, "", {456, 152, 65, 40},
     "数字／小文字", "数字と小文字・大文字を切り替える"},
    {key::mode, "MODE", kCaption, call<&Engine::mode_key>, {keyboard::control}, "モード", {448, 8, 65, 40},
     "モード", "ローマ字、英字、記号のモードを切り替える"},
    {key::left, "LEFT", kCaption, call<&Engine::left_key>, {keyboard::left}, "←", {494, 56, 34, 65},
     "左", "カーソルを左へ動かす"},
    {key::right, "RIGHT", kCaption, call<&Engine::right_key>, {keyboard::right}, "→", {594, 56, 34, 65},
     "右", "カーソルを右へ動かす。文末では空白を入力"},
    {key::up, "UP", kCaption, up_key, {keyboard::up}, "↑", {528, 24, 65, 34},
     "上", "カタカナに変換する。入力中でなければ上の行へ"},
    {key::down, "DOWN", kCaption, down_key, {keyboard::down}, "↓", {528, 120, 65, 34},
     "下", "漢字に変換する。入力中でなければ下の行へ"},
    {key::quit, "QUIT", kWindow, nullptr, {}, "終了(&Q)", {56, 432, 73, 41},
     "終了", "Lumeta を終了する", false, CaptionLook::warning},
    {key::delete_all, "DELALL", kWindow, nullptr, {}, "消去(&D)", {128, 432, 65, 41},
     "消去", "全文を消す（元に戻すキーで戻せる）", true},
    {key::copy, "COPY", kWindow, nullptr, {}, "コピー(&C)", {192, 432, 65, 41},
     "コピー", "全文をクリップボードにコピーする"},
    {key::undo, "UNDO", kWindow, nullptr, {}, "元に戻す", {192, 474, 65, 24},
     "元に戻す", "最後に消去した文章を元に戻す", false, CaptionLook::small},
    {key::send, "SEND", kWindow, nullptr, {}, "送る(&S)", {256, 432, 65, 33},
     "送る", "全文を直前に使っていたアプリケーションに入力する（元に戻すキーで戻せる）"},
    {key::pause, "PAUSE", kWindow, nullptr, {}, "休止", {448, 64, 42, 50},
     "休止", "停留による入力を止める。もう一度で再開", false, CaptionLook::small},
    {key::settings, "SETTINGS", kWindow, nullptr, {}, "設定", {600, 8, 65, 40},
     "設定", "停留時間と走査の設定を開く"},
};
// clang-format on

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

const KeyInfo* find_key_by_keyboard(int qt_key) {
  if (qt_key == keyboard::none) return nullptr;
  for (const KeyInfo& key : kKeys) {
    for (const int code : key.keyboard) {
      if (code == qt_key) return &key;
    }
  }
  return nullptr;
}

void Keypad::press(int number) {
  const KeyInfo* key = find_key(number);
  // 休止 and 設定 work dwell and the settings panel, which are the window's.
  if (!key || number == key::pause || number == key::settings) return;
  next_words_.before_key(engine_);
  switch (key->kind) {
    case KeyKind::letter: {
      engine_.guarded([&] { key->operation(engine_); });
      const InputMode mode = engine_.state().input_mode;
      engine_.paint_letter_face(number, mode, engine_.is_caps());
      if (typing_mode(mode)) {
        // The face shows where the multi-tap cycle stands: the reached mark in lime green.
        const Face face = letter_face(number, mode, engine_.is_caps());
        const int mark = highlighted_mark(number, mode, engine_.state().tap_count[number]);
        view_.set_key_face(number, mark ? with_highlight(face, number, mode, mark) : face);
      }
      break;
    }
    case KeyKind::caption:
      view_.set_caption_held(number, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::centre:
      engine_.paint_centre_or_case_face(key::centre, KeyCaption::confirm, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::case_key:
      engine_.paint_centre_or_case_face(key::caps, KeyCaption::case_words, true);
      engine_.guarded([&] { key->operation(engine_); });
      break;
    case KeyKind::window:
      if (number == key::delete_all) delete_all();
      if (number == key::undo) undo_delete_all();
      break;
  }
  next_words_.after_key(engine_);
  // Delete-all and 元に戻す move the caret to the end of a text of another length: the next word
  // starts a chain of its own.
  if (key->kind == KeyKind::window) next_words_.end_chain();
}

void Keypad::release(int number) {
  const KeyInfo* key = find_key(number);
  if (!key) return;
  const EngineState& state = engine_.state();
  const bool typing_modes = typing_mode(state.input_mode);
  switch (key->kind) {
    case KeyKind::letter:
      engine_.paint_letter_face(number, state.input_mode, engine_.is_caps());
      break;
    case KeyKind::caption:
      view_.set_caption_held(number, false);
      if (!typing_modes || reading_pending()) break;
      // A caret moved in the display becomes the point where typing goes on; the clear key
      // leaves unconfirmed full-width digits alone.
      if (number == key::clear && !state.full_width_digits.empty()) break;
      refresh_caret();
      break;
    case KeyKind::centre:
      engine_.paint_centre_or_case_face(key::centre, KeyCaption::line_break, false);
      if (!typing_modes) break;
      engine_.paint_centre_or_case_face(key::centre, KeyCaption::confirm, false);
      if (!reading_pending()) refresh_caret();
      break;
    case KeyKind::case_key:
      engine_.paint_centre_or_case_face(key::caps, KeyCaption::case_words, false);
      break;
    case KeyKind::window:
      break;
  }
}

Keypad::Keypad(Engine& engine, View& view) : engine_(engine), view_(view) {
  engine_.set_choice_listener(this);
  engine_.set_candidate_source(&conversion_);
  next_words_.set_sources(next_word_sources(conversion_));
}

Keypad::~Keypad() {
  engine_.set_choice_listener(nullptr);
  engine_.set_candidate_source(nullptr);
}

void Keypad::confirm_what_is_shown() {
  if (reading_pending() || engine_.pending()) {
    engine_.guarded([&] { engine_.confirm_shown(); });
  }
}

void Keypad::refresh_caret() {
  engine_.update_caret_position();
  engine_.make_caret_insertion_point();
}

void Keypad::delete_all() {
  engine_.delete_all();
}

void Keypad::undo_delete_all() {
  engine_.guarded([&] { engine_.undo_delete_all(); });
}

void Keypad::choose_candidate(int index) {
  // Only a candidate the strip shows can be clicked; any other number leaves everything alone.
  const CandidateStrip strip = candidate_strip(engine_, conversion_);
  if (!strip.active || index < 1 || index > static_cast<int>(strip.candidates.size())) return;
  engine_.guarded([&] { show_candidate(engine_, index); });
  if (!engine_.state().candidate_shown) return;
  click(key::centre);
}

void Keypad::choose_prediction(int index) {
  const CandidateStrip offered = strip();
  if (!offered.active || index < 1 || index > static_cast<int>(offered.predictions.size())) {
    return;
  }
  engine_.guarded([&] { show_prediction(engine_, offered.predictions[index - 1]); });
  if (!engine_.state().candidate_shown) return;
  click(key::centre);
}

CandidateStrip Keypad::strip() const {
  if (next_words_.offers().empty())
    return offered_strip(candidate_strip(engine_, conversion_, next_words_.previous()));
  return {.active = true,
          .candidates = next_words_.offers(),
          .shown = 0,
          .predictions = {},
          .offers = true};
}

void Keypad::choose_offer(int index) {
  if (!next_words_.insert_offer(engine_, index)) return;
  // As after the centre key's release: the caret after the word is where typing goes on.
  refresh_caret();
}

void Keypad::choice_confirmed(std::string_view reading, std::string_view spelling) {
  remember_choice(conversion_, reading, spelling);
}

void Keypad::pick_symbol(SymbolPage page, int index) {
  if (!view_.symbol_picker_visible()) return;
  const auto entries = symbol_page_entries(page);
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  engine_.guarded([&] { insert_symbol(engine_, entries[index]); });
}

void Keypad::choose_symbol_page(SymbolPage page) {
  if (view_.symbol_picker_visible()) engine_.turn_to_symbol_page(page);
}

std::string Keypad::copy_text() const {
  // No trail byte is a CR, so a CR LF pair is found byte by byte.
  const std::string_view text = engine_.display().text();
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string Keypad::begin_send() {
  confirm_what_is_shown();
  return copy_text();
}

void Keypad::sent(std::size_t chars) {
  // Counted as the delivered text counts them: a CR LF of the display is one line break.
  const std::string_view text = engine_.display().text();
  std::size_t bytes = 0;
  for (std::size_t n = 0; n < chars && bytes < text.size(); ++n) {
    bytes = sjis::next_boundary(text, bytes);
  }
  engine_.erase_front(bytes);
}

void Keypad::idle() {
  const int caret = view_.caret();
  if (caret == last_caret_) return;
  last_caret_ = caret;
  engine_.update_caret_position();
}

void Keypad::place_caret(int position) {
  next_words_.before_key(engine_);
  // Confirming leaves the text on display as it is, so `position` still points where the user
  // clicked.
  confirm_what_is_shown();
  // A word the click confirmed is learned; the next one starts a chain of its own.
  next_words_.after_key(engine_);
  const std::string_view text = engine_.display().text();
  const std::size_t p = static_cast<std::size_t>(std::max(position, 0));
  view_.set_caret(static_cast<int>(sjis::floor_boundary(text, p)));
  refresh_caret();
  engine_.finish_refresh();  // the column reached is kept for ↑ and ↓
  next_words_.end_chain();
}

}  // namespace lumeta
