// The engine's one state record: the display text cut around the caret, the unconfirmed
// composition, the tap counters, the mode and conversion flags, the candidates and the caret.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "text_fields.h"

namespace lumeta {

// The input modes; the replay prints a mode as its number in this order, romaji 0 .. symbol 5.
enum class InputMode : uint8_t {
  romaji,
  half_alphabet,
  full_alphabet,
  half_number,
  full_number,
  symbol,
};
inline constexpr int kInputModeCount = 6;

// The modes the letter keys type in: all but symbol mode.
constexpr bool typing_mode(InputMode mode) {
  return mode != InputMode::symbol;
}

// The keys by number. The numbers index tap_count and name the keys to the view and the replay;
// every other fact about a key is its row in the key list (kKeys, src/keypad/keypad.cpp).
namespace key {
inline constexpr int A = 1, K = 2, H = 3, I = 4, S = 5, M = 6, U = 7, T = 8, Y = 9, E = 10, N = 11,
                     R = 12, O = 13, Z = 14, W = 15;
inline constexpr int first_letter = A, last_letter = W;
inline constexpr int letter_count = last_letter - first_letter + 1;  // fifteen
inline constexpr int clear = 16;                                     // クリア
inline constexpr int centre = 18;                                    // 決定 / 改行
inline constexpr int caps = 19;                                      // 数字／小文字
inline constexpr int mode = 20;
inline constexpr int left = 21, right = 22, up = 23, down = 24;
inline constexpr int last_keypad = down;  // the keypad's keys are 1..24; they count taps
inline constexpr int quit = 31, copy = 32, delete_all = 33, undo = 34,
                     send = 35;                  // the window's own keys
inline constexpr int pause = 36, settings = 37;  // dwell's pause and the settings panel
inline constexpr int last = settings;            // the highest key number

constexpr bool is_letter(int number) {
  return number >= first_letter && number <= last_letter;
}
// A letter key's place in the tables of letters, from 0: 0 for A, 14 for W.
constexpr int letter_index(int number) {
  return number - first_letter;
}
}  // namespace key

inline constexpr int kKeyCount = key::last_keypad;  // key numbers 1..24 index tap_count
inline constexpr int kCandidateSlots = 80;

// The symbol picker's pages, in the order ↓ turns them: 全角記号, 半角記号, 絵文字.
enum class SymbolPage : uint8_t { full_width = 1, half_width, pictographs };
inline constexpr int kSymbolPageCount = 3;
inline constexpr std::array<SymbolPage, kSymbolPageCount> kSymbolPages = {
    SymbolPage::full_width, SymbolPage::half_width, SymbolPage::pictographs};
// A page's place from 0 in kSymbolPages: 0 for 全角記号.
constexpr int page_index(SymbolPage page) {
  return static_cast<int>(page) - 1;
}

// The marker kana_text holds in full-width number mode while the half-width digits are shown.
inline constexpr std::string_view kNumberMarker = "XXX";

// The record is written by the engine's own operations only; the other layers read it through
// Engine::state().
struct EngineState {
  // The display shows front_text + back_text; the caret normally stands at the end of
  // front_text. After typing あ, confirming it, then K: front_fixed "あ", romaji_text "Ｋ",
  // front_text "あＫ", back_text "".
  // The three are views of the engine's one copy of the display text (text_fields.h).
  FrontFixed front_fixed;        // confirmed text before the caret
  FrontText front_text;          // front_fixed + what is unconfirmed
  BackText back_text;            // confirmed text after the caret
  std::string kana_text;         // "か" after K, A; "XXX" in full-width number mode (see above)
  std::string romaji_text;       // "Ｋｙ" after K, Y; the vowel A turns it into きゃ
  std::string kana_after_caret;  // "なだ" after かなだ and ← ←: the reading behind the cursor
  std::string full_width_digits;  // "１２" after I, S in full-width number mode
  std::string half_width_digits;  // "12" while ↓ shows those digits in half width

  // tap_count[k]: consecutive taps on keypad key k since the last reset_tap_counts; at most
  // one is non-zero, the key pressed last. K, K: tap_count[2] is 2 and the cycle is at Ｇ.
  std::array<int32_t, kKeyCount + 1> tap_count{};
  int32_t key_number = 0;  // the key being handled

  InputMode input_mode = InputMode::romaji;
  bool capitals = true;  // the letter keys type capitals (大); false: small letters (小)
  // Where the mode key returns from full-width number mode: romaji, or full-width alphabet
  // when the case key left it for full-width numbers.
  InputMode saved_mode = InputMode::romaji;
  bool candidate_shown = false;   // a kanji candidate is on display: か い ↓ shows 回
  bool katakana_shown = false;    // the katakana form of the reading is on display: か い ↑
  bool half_width_shown = false;  // half_width_digits is on display: I S ↓ in full-width numbers
  SymbolPage symbol_page = SymbolPage::full_width;

  // candidate[1..candidate_count] from the last lookup; candidate_index counts converting ↓
  // presses, and candidate candidate_index mod (candidate_count + 1) is on display (0: the
  // reading). かい: ↓ shows 回 (index 1); ten more presses come back to かい.
  std::array<std::string, kCandidateSlots + 1> candidate{};
  int32_t candidate_count = 0;
  int32_t candidate_index = 0;
  // The reading candidate_index counts presses for: a ↓ on any other reading starts again at
  // its first candidate. ↓↓↓ on ん comes back to ん; あき typed after it shows 秋 on its first ↓.
  std::string counted_reading;

  int32_t caret_line = 0;    // display line of the caret, from 1
  int32_t caret_column = 0;  // byte column of the caret within its display line, from 0
  int32_t goal_column = -1;  // column kept for ↑ and ↓; -1 until the first refresh
};

}  // namespace lumeta
