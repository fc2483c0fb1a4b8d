// The fifteen letter keys: romaji composition, multi-tap cycles, alphabet and number entry.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine.h"
#include "text_helpers.h"

namespace lumeta {
namespace {

using text::delete_last_char;
using text::full_width_char_to_half;
using text::full_width_to_lower;
using text::right_bytes;
using text::romaji_to_kana;

// One entry of a cycle: the capital form and the small form (the same text where case does
// not matter).
struct Tap {
  std::string_view capital;
  std::string_view small;
  std::string_view pick(bool caps) const { return caps ? capital : small; }
};
constexpr Tap T(std::string_view both) {
  return {both, both};
}
constexpr Tap T(std::string_view capital, std::string_view small) {
  return {capital, small};
}

// A key's cycle in one mode, tap order; `steps` entries are in use. `marks` names the mark of
// the key's face (key_faces.cpp) that each entry lights, where it is not the entry's own
// number: the vowel keys' face shows the letter as mark 1 and the kana as mark 2.
struct Cycle {
  int steps;
  std::array<Tap, 4> taps;
  std::array<int, 4> marks{};
  // The entry the n-th consecutive tap picks: 1, 2, 3, 1, ... for three steps (n = 0 counts as
  // the tap before the first).
  int step(int n) const { return ((n - 1) % steps + steps) % steps; }
  std::string_view pick(int n, bool caps) const { return taps[step(n)].pick(caps); }
  int mark(int n) const { return marks[step(n)] ? marks[step(n)] : step(n) + 1; }
};

// The vowel keys' あ and ぁ light the kana mark, the letter the letter mark.
constexpr std::array<int, 4> kVowelMarks = {2, 2, 1};

// Romaji mode. The vowel keys hold their kana, small kana and letter; `vowel` is the small
// full-width vowel they complete a syllable with.
struct RomajiKey {
  std::string_view vowel;
  Cycle cycle;
};

// The letter tables below have one row per letter key, in key order A K H I S M U T Y E N R O
// Z W (row key::letter_index(key)).
constexpr std::array<RomajiKey, key::letter_count> kRomajiKeys = {{
    {"ａ", {3, {T("あ"), T("ぁ"), T("Ａ", "ａ")}, kVowelMarks}},  // A
    {"", {3, {T("Ｋ", "ｋ"), T("Ｇ", "ｇ"), T("Ｑ", "ｑ")}}},     // K
    {"", {3, {T("Ｈ", "ｈ"), T("Ｂ", "ｂ"), T("Ｐ", "ｐ")}}},     // H
    {"ｉ", {3, {T("い"), T("ぃ"), T("Ｉ", "ｉ")}, kVowelMarks}},  // I
    {"", {3, {T("Ｓ", "ｓ"), T("Ｚ", "ｚ"), T("Ｊ", "ｊ")}}},     // S
    {"", {3, {T("Ｍ", "ｍ"), T("Ｆ", "ｆ"), T("Ｖ", "ｖ")}}},     // M
    {"ｕ", {3, {T("う"), T("ぅ"), T("Ｕ", "ｕ")}, kVowelMarks}},  // U
    {"", {3, {T("Ｔ", "ｔ"), T("Ｄ", "ｄ"), T("Ｃ", "ｃ")}}},     // T
    {"", {3, {T("Ｙ", "ｙ"), T("っ"), T("ー")}}},                 // Y
    {"ｅ", {3, {T("え"), T("ぇ"), T("Ｅ", "ｅ")}, kVowelMarks}},  // E
    {"", {3, {T("Ｎ", "ｎ"), T("ん"), T("・")}}},                 // N
    {"", {3, {T("Ｒ", "ｒ"), T("Ｌ", "ｌ"), T("～")}}},           // R
    {"ｏ", {3, {T("お"), T("ぉ"), T("Ｏ", "ｏ")}, kVowelMarks}},  // O
    {"", {4, {T("、"), T("。"), T("？"), T("！")}}},              // Z
    {"", {3, {T("Ｗ", "ｗ"), T("Ｘ", "ｘ"), T("　")}}},           // W
}};

constexpr std::array<Cycle, key::letter_count> kHalfWidthAlphabet = {{
    {3, {T("A", "a"), T("@"), T("&")}},            // A
    {3, {T("K", "k"), T("G", "g"), T("Q", "q")}},  // K
    {3, {T("H", "h"), T("B", "b"), T("P", "p")}},  // H
    {3, {T("I", "i"), T("'"), T("\"")}},           // I
    {3, {T("S", "s"), T("Z", "z"), T("J", "j")}},  // S
    {3, {T("M", "m"), T("F", "f"), T("V", "v")}},  // M
    {3, {T("U", "u"), T("_"), T("+")}},            // U
    {3, {T("T", "t"), T("D", "d"), T("C", "c")}},  // T
    {2, {T("Y", "y"), T("-")}},                    // Y
    {3, {T("E", "e"), T("/"), T(":")}},            // E
    {1, {T("N", "n")}},                            // N
    {3, {T("R", "r"), T("L", "l"), T("~")}},       // R
    {3, {T("O", "o"), T("("), T(")")}},            // O
    {4, {T(","), T("."), T("?"), T("!")}},         // Z
    {3, {T("W", "w"), T("X", "x"), T(" ")}},       // W
}};

constexpr std::array<Cycle, key::letter_count> kFullWidthAlphabet = {{
    {3, {T("Ａ", "ａ"), T("＠"), T("＆")}},              // A
    {3, {T("Ｋ", "ｋ"), T("Ｇ", "ｇ"), T("Ｑ", "ｑ")}},  // K
    {3, {T("Ｈ", "ｈ"), T("Ｂ", "ｂ"), T("Ｐ", "ｐ")}},  // H
    {3, {T("Ｉ", "ｉ"), T("’"), T("”")}},                // I
    {3, {T("Ｓ", "ｓ"), T("Ｚ", "ｚ"), T("Ｊ", "ｊ")}},  // S
    {3, {T("Ｍ", "ｍ"), T("Ｆ", "ｆ"), T("Ｖ", "ｖ")}},  // M
    {3, {T("Ｕ", "ｕ"), T("＿"), T("＋")}},              // U
    {3, {T("Ｔ", "ｔ"), T("Ｄ", "ｄ"), T("Ｃ", "ｃ")}},  // T
    {2, {T("Ｙ", "ｙ"), T("－")}},                       // Y
    {3, {T("Ｅ", "ｅ"), T("／"), T("：")}},              // E
    {2, {T("Ｎ", "ｎ"), T("・")}, {1, 1}},               // N: the alphabet faces show no ・
    {3, {T("Ｒ", "ｒ"), T("Ｌ", "ｌ"), T("～")}},        // R
    {3, {T("Ｏ", "ｏ"), T("（"), T("）")}},              // O
    {4, {T("，"), T("．"), T("？"), T("！")}},           // Z
    {3, {T("Ｗ", "ｗ"), T("Ｘ", "ｘ"), T("　")}},        // W
}};

// Digits and signs of keys I..W in the number modes; A, K and H type nothing.
struct DigitKey {
  std::string_view half;
  std::string_view full;
};
constexpr std::array<DigitKey, key::letter_count> kDigits = {{
    {"", ""},     // A
    {"", ""},     // K
    {"", ""},     // H
    {"1", "１"},  // I
    {"2", "２"},  // S
    {"3", "３"},  // M
    {"4", "４"},  // U
    {"5", "５"},  // T
    {"6", "６"},  // Y
    {"7", "７"},  // E
    {"8", "８"},  // N
    {"9", "９"},  // R
    {"*", "＊"},  // O
    {"0", "０"},  // Z
    {"#", "＃"},  // W
}};

// The characters a vowel key leaves in romaji_text while it cycles.
constexpr std::array<std::string_view, 20> kVowelCharacters = {
    "あ", "ぁ", "い", "ぃ", "う", "ぅ", "え", "ぇ", "お", "ぉ",
    "Ａ", "ａ", "Ｉ", "ｉ", "Ｕ", "ｕ", "Ｅ", "ｅ", "Ｏ", "ｏ"};

// Signs that wait alone in romaji_text and move into kana_text when a vowel follows.
constexpr std::array<std::string_view, 12> kSignsBeforeVowel = {"ー", "～", "、", "。", "？", "！",
                                                                "・", "‥",  "…",  "ん", "　", "っ"};

// Signs that move into kana_text when a consonant follows (・ stays in front of it).
constexpr std::array<std::string_view, 9> kSignsBeforeConsonant = {"ん", "～", "ー", "、", "。",
                                                                   "！", "？", "っ", "　"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view s) {
  for (std::string_view entry : list) {
    if (!entry.empty() && entry == s) return true;
  }
  return false;
}

// A full-width Latin letter (Ａ..Ｚ, ａ..ｚ): the consonants that double into っ.
bool is_romaji_letter(std::string_view s) {
  const std::string half = full_width_char_to_half(s);
  return s.size() == 2 && half.size() == 1 &&
         ((half[0] >= 'A' && half[0] <= 'Z') || (half[0] >= 'a' && half[0] <= 'z'));
}

// The cycle of letter key `key` in an alphabet or romaji mode; none in the other modes.
const Cycle* cycle_of(int key, InputMode mode) {
  if (!key::is_letter(key)) return nullptr;
  const int index = key::letter_index(key);
  switch (mode) {
    case InputMode::romaji:
      return &kRomajiKeys[index].cycle;
    case InputMode::half_alphabet:
      return &kHalfWidthAlphabet[index];
    case InputMode::full_alphabet:
      return &kFullWidthAlphabet[index];
    default:
      return nullptr;
  }
}

}  // namespace

void Engine::type_alphabet(int key) {
  if (tap_count[key] == 0) front_fixed = front_text;
  count_tap(key);
  const Cycle& cycle = *cycle_of(key, input_mode);
  front_text = front_fixed;
  front_text += cycle.pick(tap_count[key], is_caps());
  show_alphabet_mode();
}

int highlighted_mark(int key, InputMode mode, int taps) {
  if (!key::is_letter(key) || taps < 0) return 0;
  if (const Cycle* cycle = cycle_of(key, mode)) return cycle->mark(taps);
  // The number modes' faces have one mark each; symbol mode has none.
  return mode == InputMode::half_number || mode == InputMode::full_number ? 1 : 0;
}

std::vector<std::string_view> letter_key_characters(int key, InputMode mode, bool caps) {
  std::vector<std::string_view> out;
  if (!key::is_letter(key)) return out;
  const int index = key::letter_index(key);
  if (const Cycle* cycle = cycle_of(key, mode)) {
    for (int i = 0; i < cycle->steps; ++i)
      out.push_back(cycle->taps[i].pick(caps));
  } else if (mode == InputMode::half_number || mode == InputMode::full_number) {
    const std::string_view digit =
        mode == InputMode::half_number ? kDigits[index].half : kDigits[index].full;
    if (!digit.empty()) out.push_back(digit);
  }
  return out;
}

void Engine::a_key() {
  letter_key(key::A);
}
void Engine::k_key() {
  letter_key(key::K);
}
void Engine::h_key() {
  letter_key(key::H);
}
void Engine::i_key() {
  letter_key(key::I);
}
void Engine::s_key() {
  letter_key(key::S);
}
void Engine::m_key() {
  letter_key(key::M);
}
void Engine::u_key() {
  letter_key(key::U);
}
void Engine::t_key() {
  letter_key(key::T);
}
void Engine::y_key() {
  letter_key(key::Y);
}
void Engine::e_key() {
  letter_key(key::E);
}
void Engine::n_key() {
  letter_key(key::N);
}
void Engine::r_key() {
  letter_key(key::R);
}
void Engine::o_key() {
  letter_key(key::O);
}
void Engine::z_key() {
  letter_key(key::Z);
}
void Engine::w_key() {
  letter_key(key::W);
}

void Engine::letter_key(int key) {
  key_number = key;
  const int index = key::letter_index(key);
  switch (input_mode) {
    case InputMode::romaji: {
      if (candidate_shown || katakana_shown) confirm_shown();
      const RomajiKey& row = kRomajiKeys[index];
      if (!row.vowel.empty()) {
        type_vowel(row.vowel);
        return;
      }
      // A repeated tap replaces the character the previous tap entered.
      if (tap_count[key] != 0) romaji_text = delete_last_char(romaji_text);
      count_tap(key);
      type_consonant(row.cycle.pick(tap_count[key], is_caps()));
      return;
    }
    case InputMode::half_alphabet:
    case InputMode::full_alphabet: {
      type_alphabet(key);
      return;
    }
    case InputMode::half_number:
      if (!kDigits[index].half.empty()) type_confirmed(kDigits[index].half);
      return;
    case InputMode::full_number:
      if (kDigits[index].full.empty()) return;
      if (half_width_shown) {
        // A digit typed while the half-width form is shown goes back to the full-width form.
        half_width_shown = false;
        half_width_digits.clear();
      }
      full_width_digits += kDigits[index].full;
      type_full_number(full_width_digits);
      return;
    case InputMode::symbol:
      return;  // the dialog handles it
  }
}

void Engine::type_vowel(std::string_view vowel) {
  const int key = key_number;
  if (tap_count[key] != 0) romaji_text = delete_last_char(romaji_text);
  count_tap(key);
  commit_pending_vowel();
  if (contains(kSignsBeforeVowel, romaji_text)) {
    kana_text += romaji_text;
    romaji_text.clear();
  }
  if (!romaji_text.empty()) {
    // The vowel completes the pending syllable; letters that make none vanish with it.
    romaji_text += vowel;
    kana_text += romaji_to_kana(romaji_text);
    romaji_text.clear();
    reset_tap_counts();
  } else {
    const Cycle& cycle = kRomajiKeys[key::letter_index(key)].cycle;
    romaji_text = cycle.pick(tap_count[key], is_caps());
  }
  front_text = front_fixed + reading();
  show_romaji_mode();
}

void Engine::type_consonant(std::string_view letter) {
  commit_pending_vowel();
  if (romaji_text.empty()) {
    romaji_text = letter;
  } else {
    const std::string last = right_bytes(romaji_text, 2);
    if (contains(kSignsBeforeConsonant, last)) {
      kana_text += last;
      romaji_text = letter;
    } else if (last == "Ｎ" || last == "ｎ") {
      if (letter == "Ｙ" || letter == "ｙ") {
        romaji_text += letter;  // にゃ and the like follow
      } else {
        kana_text += "ん";
        romaji_text = letter;
      }
    } else if (is_romaji_letter(letter) &&
               (letter == last || letter == full_width_to_lower(last))) {
      // The same consonant twice: ｋ then ｋ gives っｋ. Signs such as ・ just follow each other.
      romaji_text = delete_last_char(romaji_text);
      romaji_text += "っ";
      romaji_text += letter;
    } else {
      romaji_text += letter;
    }
  }
  front_text = front_fixed + reading();
  show_romaji_mode();
}

void Engine::commit_pending_vowel() {
  const std::string last = right_bytes(romaji_text, 2);
  if (contains(kVowelCharacters, last)) {
    kana_text += last;
    romaji_text.clear();
  }
}

void Engine::type_confirmed(std::string_view text) {
  front_text += text;
  front_fixed = front_text;
  show_number_mode();
}

void Engine::type_full_number(std::string_view digits) {
  if (key::is_letter(key_number)) count_tap(key_number);
  front_text = front_fixed;
  front_text += digits;
  show_full_number_mode();
}

}  // namespace lumeta
